#pragma once
// Pieces of "/"-separated path names, taken from the text alone (the file
// system is not asked), and the full name of a file for messages.
#include <string>

namespace kestro {

// The lower-cased extension of a path's last component, with its dot ("" when none).
std::string LowerExtension(const std::string& path);

// The path with the extension of its last component replaced (or added).
std::string ChangeExtension(const std::string& path, const std::string& extension);

// The last component of a path without its last extension.
std::string BaseName(const std::string& path);

// The last component of a path, extension included.
std::string FileNameWithoutFolder(const std::string& path);

// The full path of a file name, for messages; the name as given when the
// working folder cannot be found.
std::string FullFileName(const std::string& path);

}  // namespace kestro
