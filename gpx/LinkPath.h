#pragma once
// Link targets of waypoints (icons, photos) as file-system paths.
#include <string>

namespace kestro {

// An href as read from the document (text in the working code page, maybe
// with "\" separators) as a path the file system finds: UTF-8, "/" separated.
std::string LinkToPath(const std::string& href);

// The lower-cased extension of a path's last component, with its dot ("" when none).
std::string LowerExtension(const std::string& path);

// The path with the extension of its last component replaced (or added).
std::string ChangeExtension(const std::string& path, const std::string& extension);

// The last component of a path without its last extension.
std::string BaseName(const std::string& path);

}  // namespace kestro
