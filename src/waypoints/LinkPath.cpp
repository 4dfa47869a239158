#include "waypoints/LinkPath.h"

#include <algorithm>

#include "platform/TextConversion.h"
#include "xml/XmlCodePage.h"

namespace kestro {

std::string LinkToPath(const std::string& href) {
    std::string path = CodePageToUtf8(href, XmlCodePage);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

}  // namespace kestro
