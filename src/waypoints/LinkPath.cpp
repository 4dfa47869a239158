#include "waypoints/LinkPath.h"

#include <algorithm>

#include "platform/FolderListing.h"
#include "platform/TextConversion.h"
#include "xml/XmlCodePage.h"

namespace kestro {
namespace {

bool Exists(const std::string& path) { return FileExists(path) || FolderExists(path); }

// "/x", "\\server" and "C:..." are not relative to any folder.
bool IsRelative(const std::string& path) {
    if (path.empty() || path[0] == '/') return false;
    return !(path.size() >= 2 && path[1] == ':');
}

}  // namespace

std::string LinkToPath(const std::string& href, const std::string& linkingFile) {
    std::string path = CodePageToUtf8(href, XmlCodePage);
    std::replace(path.begin(), path.end(), '\\', '/');
    // No system takes a path this long: it is not tried once more beside the
    // linking file, which would hold a huge link a third time.
    constexpr std::size_t longestPath = 32768;
    const auto folderEnd = linkingFile.find_last_of("/\\");
    if (folderEnd == std::string::npos || path.size() > longestPath || !IsRelative(path) ||
        path.find("://") != std::string::npos || Exists(path))
        return path;
    const std::string besideFile = linkingFile.substr(0, folderEnd + 1) + path;
    return Exists(besideFile) ? besideFile : path;
}

}  // namespace kestro
