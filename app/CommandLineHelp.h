#pragma once
// --help and --version of kestro: answered after the banner, before any
// conversion argument is looked at.
#include <ostream>
#include <string>
#include <vector>

namespace kestro {

// Prints the help text or the version when an argument asks for one ("-h",
// "--help", "--version"; help wins) and returns true; else prints nothing.
bool PrintHelpOrVersion(const std::vector<std::string>& arguments, std::ostream& out);

}  // namespace kestro
