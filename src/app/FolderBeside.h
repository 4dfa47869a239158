#pragma once
// One folder as the only operand (a folder dropped on the program in a file
// manager): the GPI file is written beside the folder, named after it.
#include <optional>
#include <string>

namespace kestro {

// "My points" gives "My points.gpi"; a name that says nothing about the
// folder itself (".", "..", a drive alone) is first made a full path.
// Nothing for a folder without a name of its own (a root, a drive's root).
std::optional<std::string> DestinationBesideFolder(const std::string& folder);

// How to use the program without a console, shown after the help where it
// was started with no arguments in a window of its own.
extern const char* const DropUsage;

}  // namespace kestro
