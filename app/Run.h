#pragma once
// The conversion run: arguments, settings, the output file and its frame,
// and one group for every group source of the source folder.
#include <ostream>
#include <string>
#include <vector>

namespace kestro {

// Runs one conversion; `arguments` are the command-line arguments after the
// program name. Prints the banner and the progress lines on out and an error
// report on err; returns the exit code: 0 done, 1 wrong argument count, 2
// missing source folder, else the code of the stage the failure was met in
// (3 settings read, 4 header written).
int Run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace kestro
