#pragma once
// Icon files read once per run: the bitmap record each picture file makes,
// or why it makes none, remembered by path, so that a picture linked by
// many points, in many files or groups, is read and decoded once, and a
// refused one costs one attempt whatever links it.
//
// Threads: only the reading thread, which reads the groups one after another.
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "platform/Bytes.h"

namespace kestro {

class TIconFiles {
public:
    // What GpiBitmap gives for the file at `path` as bitmap `number`: the
    // record's main part (empty: none), and in `refusal` and `note` why it
    // is left out or how it was changed. The file is read and decoded the
    // first time its path is asked for; a file that cannot be opened or
    // read raises EFOpenError or EReadError and is tried again next time.
    Bytes Bitmap(const std::string& path, std::uint16_t number, std::string& refusal, std::string& note);
    // How many times a file was read and decoded.
    std::size_t Decoded() const { return decoded_; }

private:
    struct TIconFile {
        Bytes Body;  // numbered 0
        std::string Refusal;
        std::string Note;
    };
    void Forget();

    std::unordered_map<std::string, TIconFile> files_;          // by resolved path
    std::unordered_map<std::string, std::string> keys_;         // path as asked -> resolved path
    std::size_t rememberedBytes_ = 0;
    std::size_t decoded_ = 0;
};

}  // namespace kestro
