#pragma once
// The exit stage of one conversion.

namespace kestro {

// Process exit code, set stage by stage: 1 wrong argument count, 2 missing
// source folder, 3 settings read, 4 header written, 0 file closed.
extern int ExitCode;

}  // namespace kestro
