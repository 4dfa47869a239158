#include "diag/StackTrace.h"

namespace kestro {

// WebAssembly keeps its return addresses out of the program's reach, so an
// error report in the browser has its class and message but no frames.
std::size_t CaptureStackFrames(const void** /*frames*/, std::size_t /*capacity*/, std::size_t /*skip*/) { return 0; }

TStackTrace CaptureStackTrace(std::size_t /*skip*/) { return {}; }

std::vector<std::string> DescribeStackTrace(const TStackTrace& /*trace*/) { return {}; }

}  // namespace kestro
