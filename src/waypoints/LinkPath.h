#pragma once
// Link targets of waypoints (icons, photos, sounds) as file-system paths.
#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/FolderListing.h"

namespace kestro {

// An href as read from the document (text in the working code page, maybe
// with "\" separators) as a path the file system finds: UTF-8, "/" separated.
// A relative path is tried from the current folder first, then from the
// folder of `linkingFile` (when given): a photo linked as "photos/cafe.jpg"
// beside its GPX file is found from wherever the run starts.
std::string LinkToPath(const std::string& href, const std::string& linkingFile = {});

// What lies at a path.
enum class TPathKind { Missing, File, Folder };

// A link as the file system finds it.
struct TResolvedLink {
    std::string Path;  // as LinkToPath gives it
    TPathKind Kind = TPathKind::Missing;
};

// The links, paths and folder listings of the list file being read, each
// looked up once: the points of a list mostly share their icons, photos,
// folders and sounds, and each lookup costs system calls. Nothing is kept
// from one list file to the next, nor past a bound, nor a huge link.
//
// Threads: only the reading thread.
class TLinkPaths {
public:
    // One link of the list `linkingFile`.
    TResolvedLink Resolve(const std::string& href, const std::string& linkingFile);
    // The waypoint's links of the list `linkingFile`, in order; valid until
    // the next call.
    const std::vector<TResolvedLink>& Resolve(const std::vector<std::string>& hrefs, const std::string& linkingFile);
    // What lies at a path of the list being read (a file in a linked folder).
    TPathKind KindOf(const std::string& path);
    // ListFolder of a linked folder, valid until the next call; EFOpenError
    // (not remembered) when it cannot be listed.
    const std::vector<TFolderEntry>& Listing(const std::string& folder);

private:
    void Remember(std::size_t bytes);
    void StartList(const std::string& linkingFile);
    const TResolvedLink& Known(const std::string& href);

    std::string linkingFile_;
    std::unordered_map<std::string, TResolvedLink> links_;  // by href as written
    std::unordered_map<std::string, TPathKind> kinds_;      // by path
    std::unordered_map<std::string, std::vector<TFolderEntry>> listings_;  // by folder path
    std::size_t rememberedBytes_ = 0;
    std::vector<TResolvedLink> resolved_;  // of the last waypoint asked about
};

}  // namespace kestro
