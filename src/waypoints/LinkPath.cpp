#include "waypoints/LinkPath.h"

#include <algorithm>

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

TPathKind LookUp(const std::string& path) {
    if (FileExists(path)) return TPathKind::File;
    return FolderExists(path) ? TPathKind::Folder : TPathKind::Missing;
}

// What the lookups of a list may keep (links of a million distinct photos
// would otherwise stay until the list is read).
constexpr std::size_t RememberedLinkBytes = 16u << 20;
// A map entry's own cost, roughly, beside its texts.
constexpr std::size_t EntryBytes = 64;
// Longer links and paths are looked up each time: remembered, a huge link
// would be held twice more.
constexpr std::size_t LongestRemembered = 4096;

TResolvedLink Fresh(const std::string& href, const std::string& linkingFile) {
    TResolvedLink link;
    link.Path = LinkToPath(href, linkingFile);
    link.Kind = LookUp(link.Path);
    return link;
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

void TLinkPaths::Remember(std::size_t bytes) {
    if (rememberedBytes_ + bytes > RememberedLinkBytes) {
        links_.clear();
        kinds_.clear();
        listings_.clear();
        rememberedBytes_ = 0;
    }
    rememberedBytes_ += bytes;
}

void TLinkPaths::StartList(const std::string& linkingFile) {
    if (linkingFile == linkingFile_) return;
    linkingFile_ = linkingFile;
    links_.clear();
    kinds_.clear();
    listings_.clear();
    rememberedBytes_ = 0;
}

const TResolvedLink& TLinkPaths::Known(const std::string& href) {
    auto known = links_.find(href);
    if (known == links_.end()) {
        TResolvedLink link = Fresh(href, linkingFile_);
        Remember(href.size() + link.Path.size() + EntryBytes);
        known = links_.emplace(href, std::move(link)).first;
    }
    return known->second;
}

TResolvedLink TLinkPaths::Resolve(const std::string& href, const std::string& linkingFile) {
    StartList(linkingFile);
    return href.size() > LongestRemembered ? Fresh(href, linkingFile) : Known(href);
}

const std::vector<TResolvedLink>& TLinkPaths::Resolve(const std::vector<std::string>& hrefs,
                                                      const std::string& linkingFile) {
    StartList(linkingFile);
    resolved_.clear();
    for (const auto& href : hrefs) {
        if (href.size() > LongestRemembered)
            resolved_.push_back(Fresh(href, linkingFile));  // moved in: a huge path is not copied
        else
            resolved_.push_back(Known(href));
    }
    return resolved_;
}

TPathKind TLinkPaths::KindOf(const std::string& path) {
    if (path.size() > LongestRemembered) return LookUp(path);
    if (const auto known = kinds_.find(path); known != kinds_.end()) return known->second;
    const TPathKind kind = LookUp(path);
    Remember(path.size() + EntryBytes);
    kinds_.emplace(path, kind);
    return kind;
}

const std::vector<TFolderEntry>& TLinkPaths::Listing(const std::string& folder) {
    if (const auto known = listings_.find(folder); known != listings_.end()) return known->second;
    std::vector<TFolderEntry> entries = ListFolder(folder);
    std::size_t bytes = folder.size() + EntryBytes;
    for (const auto& entry : entries) bytes += entry.Name.size() + EntryBytes;
    Remember(bytes);
    return listings_.emplace(folder, std::move(entries)).first->second;
}

}  // namespace kestro
