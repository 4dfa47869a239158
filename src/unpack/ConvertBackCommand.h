#pragma once
// The command the unpacker's closing line proposes.
#include <string>

namespace kestro {

// A path as a shell word, quoted where it needs to be.
std::string ShellWord(const std::string& text);

// "cd DIR && kestro . REBUILT": run from inside the unpacked folder `dir`
// (relative links resolve there), it writes the file named by
// RebuiltFileName beside the original `fileName`, wherever `dir` lies.
std::string ConvertBackCommand(const std::string& fileName, const std::string& dir);

}  // namespace kestro
