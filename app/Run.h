#pragma once
// The conversion run: arguments, settings, the output file and its frame,
// and one group for every group source of the source folder.
#include <string>
#include <vector>

namespace kestro {

// Banner and usage lines, printed first on every run.
void PrintBanner();

// `arguments` are the command-line arguments after the program name.
// Returns after argument errors (exit code 1 or 2); raises on every other
// failure, leaving the exit code of the stage reached.
void Run(const std::vector<std::string>& arguments);

}  // namespace kestro
