#pragma once
// Link targets of waypoints (icons, photos) as file-system paths.
#include <string>

namespace kestro {

// An href as read from the document (text in the working code page, maybe
// with "\" separators) as a path the file system finds: UTF-8, "/" separated.
// A relative path is tried from the current folder first, then from the
// folder of `linkingFile` (when given): a photo linked as "photos/cafe.jpg"
// beside its GPX file is found from wherever the run starts.
std::string LinkToPath(const std::string& href, const std::string& linkingFile = {});

}  // namespace kestro
