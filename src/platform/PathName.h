#pragma once
// Pieces of path names, taken from the text alone (the file system is not
// asked), and the full name of a file for messages. Paths are UTF-8 text
// inside the program on every system.
#include <filesystem>
#include <string>
#include <string_view>

namespace kestro {

// What separates the folders of a path: "/", and on Windows "\\" as well.
#ifdef _WIN32
inline constexpr std::string_view PathSeparators = "/\\";
#else
inline constexpr std::string_view PathSeparators = "/";
#endif

// The path of UTF-8 text, and the UTF-8 text of a path: on Windows the
// library's own narrow conversion would use the ANSI code page instead.
std::filesystem::path PathFromUtf8(std::string_view text);
std::string Utf8FromPath(const std::filesystem::path& path);

// The lower-cased extension of a path's last component, with its dot ("" when none).
std::string LowerExtension(const std::string& path);

// The path with the extension of its last component replaced (or added).
std::string ChangeExtension(const std::string& path, const std::string& extension);

// The last component of a path without its last extension.
std::string BaseName(const std::string& path);

// The last component of a path, extension included.
std::string FileNameWithoutFolder(const std::string& path);

// The folder's path ending in a separator, so that names join to it. A
// drive alone ("C:") is that drive's current folder, not its root.
std::string FolderPathForJoining(const std::string& folder);

// The full path of a file name, for messages; the name as given when the
// working folder cannot be found.
std::string FullFileName(const std::string& path);

}  // namespace kestro
