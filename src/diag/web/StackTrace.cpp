// The browser's side of call stacks (see StackFrames.h).
#include "diag/StackFrames.h"

namespace kestro {

// WebAssembly keeps its return addresses out of the program's reach, so an
// error report in the browser has its class and message but no frames.
std::size_t CaptureStackFrames(const void** /*frames*/, std::size_t /*capacity*/, std::size_t /*skip*/) { return 0; }

void DescribeFrames(const TStackTrace& /*trace*/, const TFrameTaker& /*take*/) {}

}  // namespace kestro
