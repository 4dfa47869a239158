#pragma once
// The command line: options, "--" and the two operands.
#include <string>
#include <vector>

namespace kestro {

struct TCommandLine {
    bool Help = false;     // -h, --help
    bool Version = false;  // --version
    bool Quiet = false;    // -q, --quiet: no banner, no progress lines
    std::string UnknownOption;  // the first argument that looks like an option and is none
    std::vector<std::string> Operands;  // the source folder and the destination, and any more
};

// Every argument after "--", and "-" alone, is an operand.
TCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The text of --help.
const char* HelpText();

// The destination that stands for standard output.
inline bool IsStandardOutput(const std::string& destination) { return destination == "-"; }

}  // namespace kestro
