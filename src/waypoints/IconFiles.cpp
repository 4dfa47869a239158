#include "waypoints/IconFiles.h"

#include <filesystem>
#include <system_error>

#include "gpi/Bitmap.h"
#include "gpi/GpiUtil.h"
#include "platform/PathName.h"

namespace kestro {

namespace {

// Icon records kept (at most 48 x 48 pixels and 256 colours: 3.4 kB each);
// past this the memory starts again empty.
constexpr std::size_t RememberedIconBytes = 16u << 20;

// One name for one file however it is linked ("g1/../icons/a.png" and
// "g2/../icons/a.png"); a path that cannot be resolved stands for itself.
std::string FileKey(const std::string& path) {
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(PathFromUtf8(path), error);
    return error ? path : Utf8FromPath(resolved);
}

}  // namespace

void TIconFiles::Forget() {
    files_.clear();
    keys_.clear();
    rememberedBytes_ = 0;
}

Bytes TIconFiles::Bitmap(const std::string& path, std::uint16_t number, std::string& refusal, std::string& note) {
    // Resolving a path costs several system calls; a list's points mostly
    // ask for the same few paths (a missing companion icon for every point).
    auto resolved = keys_.find(path);
    if (resolved == keys_.end()) {
        if (rememberedBytes_ + 2 * path.size() > RememberedIconBytes) Forget();
        resolved = keys_.emplace(path, FileKey(path)).first;
        rememberedBytes_ += path.size() + resolved->second.size();
    }
    const std::string& key = resolved->second;
    auto known = files_.find(key);
    if (known == files_.end()) {
        TIconFile file;
        file.Body = GpiBitmap(path, 0, file.Refusal, file.Note);
        ++decoded_;
        const std::size_t size = file.Body.size() + file.Refusal.size() + file.Note.size() + key.size();
        if (rememberedBytes_ + size > RememberedIconBytes) {
            // Forgetting the resolved paths too would free the key held here.
            const std::string kept = key;
            Forget();
            resolved = keys_.emplace(path, kept).first;
            rememberedBytes_ += path.size() + kept.size();
        }
        rememberedBytes_ += size;
        known = files_.emplace(resolved->second, std::move(file)).first;
    }
    refusal = known->second.Refusal;
    note = known->second.Note;
    Bytes body = known->second.Body;
    // The record starts with its own number.
    if (!body.empty()) body.replace(0, 2, GpiWord(number));
    return body;
}

}  // namespace kestro
