#pragma once
// Link targets of waypoints (icons, photos) as file-system paths.
#include <string>

namespace kestro {

// An href as read from the document (text in the working code page, maybe
// with "\" separators) as a path the file system finds: UTF-8, "/" separated.
std::string LinkToPath(const std::string& href);

}  // namespace kestro
