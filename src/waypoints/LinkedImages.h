#pragma once
// Which of a waypoint's linked files is its icon and which are its photos,
// and the JPEG bytes of photos that are not embedded as they are.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Bytes.h"
#include "waypoints/LinkPath.h"

namespace kestro {

// ".jpg", ".jpeg", ".png", ".gif" and ".webp" files are photos when linked.
bool IsPhotoName(const std::string& path);

// The icon of a waypoint of the list file `listFile`, in this order: the
// first link that is a ".bmp" file or a folder holding LIST.bmp; LIST.bmp
// beside the list; a linked folder holding LIST.png, then one holding
// LIST.gif; LIST.png, then LIST.gif beside the list; else LIST.bmp beside
// the list, whether or not it exists. `links` are the waypoint's, resolved
// by `paths` for `listFile`, which also looks up the files in linked folders.
// Only the reading thread calls it.
class TIconLookup {
public:
    std::string Find(const std::vector<TResolvedLink>& links, const std::string& listFile, TLinkPaths& paths);

private:
    // What lies beside the list file last asked about: looked up once per file.
    std::string listFile_;
    bool companionBmp_ = false;
    std::string otherCompanion_;  // LIST.png or LIST.gif, the first that exists; empty: neither
};

// Photos made ready to embed, remembered by path while they take little room.
// Only the reading thread calls it.
class TPhotoPreparer {
public:
    // A photo's longer side in pixels ("photosize"); 0: as they are.
    std::uint32_t MaxSide = 0;

    struct TPrepared {
        bool AsItIs = false;  // the file's bytes go in unchanged, read when the point is encoded
        Bytes Jpeg;           // else these
        std::string Refusal;  // not empty: the photo is not used, for this reason
    };
    const TPrepared& Prepare(const std::string& path);

private:
    std::unordered_map<std::string, TPrepared> done_;
    std::size_t rememberedBytes_ = 0;
};

// Bytes of the largest picture file converted into a photo: 64 MiB.
constexpr std::uint64_t MaxPhotoFileBytes = 64u << 20;

}  // namespace kestro
