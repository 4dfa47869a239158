#pragma once
// Call stacks as raw return addresses, captured cheaply where an error is
// raised and turned into readable lines only when a report is printed.
#include <cstddef>
#include <string>
#include <vector>

namespace kestro {

using TStackTrace = std::vector<const void*>;

// Most frames kept of one stack; deeper callers are cut off.
constexpr std::size_t MaxStackFrames = 64;

// Fills `frames` with the return addresses of the current stack, innermost
// first, leaving out the `skip` innermost callers of this function. Needs no
// heap, so it is safe while memory is exhausted. Returns the count written.
std::size_t CaptureStackFrames(const void** frames, std::size_t capacity, std::size_t skip);

TStackTrace CaptureStackTrace(std::size_t skip = 0);

// One line per frame: "function at file:line", or less where the binary
// holds no debug information. Frames of the error machinery itself and the
// C run-time start-up below main are left out.
std::vector<std::string> DescribeStackTrace(const TStackTrace& trace);

}  // namespace kestro
