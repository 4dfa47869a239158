#pragma once
// The system's side of call stacks: one source file per system
// (StackTracePosix.cpp, windows/StackTrace.cpp, web/StackTrace.cpp). Which
// lines a report shows, and how names read, is in StackTrace.cpp.
#include <functional>
#include <string>
#include <vector>

#include "diag/StackTrace.h"

namespace kestro {

// Hands the lines of each frame to `take`, innermost frame first, until it
// returns false; a frame's lines run from the innermost inlined function
// outwards. Ends early where the system finds no more code of the program.
using TFrameTaker = std::function<bool(const std::vector<std::string>& lines)>;
void DescribeFrames(const TStackTrace& trace, const TFrameTaker& take);

// A symbol name as written in code, and library type names as written in
// code ("std::string").
std::string Demangle(const char* name);
std::string SimplifyTypeNames(std::string name);

}  // namespace kestro
