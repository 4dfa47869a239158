// Any bytes as an icon and as a photo: a refusal or a consistent result,
// never a crash, and no memory taken by a size the bytes only declare.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "images/IconImage.h"
#include "images/PhotoImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestro;
    const Bytes content(fuzz::Input(data, size));
    std::string refusal, note;
    // Small bounds keep each run quick; the code paths are those of the program.
    constexpr std::uint64_t MaxPixels = 1u << 14;
    if (const auto icon = IconFromImage(content, TImageFormat::Unknown, refusal, note, MaxPixels)) {
        if (icon->Width == 0 || icon->Width > MaxIconSide || icon->Height == 0 || icon->Height > MaxIconSide ||
            icon->Palette.empty() || icon->Palette.size() > 256 || icon->Indices.size() != std::size_t(icon->Width) * icon->Height)
            __builtin_trap();
        for (const auto index : icon->Indices)
            if (index >= icon->Palette.size()) __builtin_trap();
    } else if (refusal.empty()) {
        __builtin_trap();
    }
    if (const auto jpeg = PhotoAsJpeg(content, TImageFormat::Unknown, 32, refusal, MaxPixels)) {
        if (jpeg->empty()) __builtin_trap();
    } else if (refusal.empty()) {
        __builtin_trap();
    }
    return 0;
}
