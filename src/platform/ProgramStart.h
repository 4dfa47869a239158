#pragma once
// What every program of the project does first: the console and the
// process prepared, and the command-line arguments as UTF-8 text.
#include <string>
#include <vector>

namespace kestro {

// The arguments after the program's name. A write beyond a file-size limit
// then fails with an error instead of ending the process; on Windows the
// console shows UTF-8 and standard output and error pass bytes unchanged.
std::vector<std::string> StartProgram(int argc, char** argv);

// The program's name as it was called, without its folder: "kestro" for
// "./build/kestro", "kestro.exe" for "C:\Tools\kestro.exe" on Windows.
// `builtName` stands in where the system gives no name.
std::string ProgramNameAsCalled(int argc, char** argv, const std::string& builtName);

// The width of the terminal standard error writes to, or 0 when it writes
// to no terminal (a file, a pipe).
int StandardErrorTerminalWidth();

}  // namespace kestro
