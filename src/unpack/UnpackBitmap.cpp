#include "unpack/UnpackBitmap.h"

#include "gpi/GpiUtil.h"

namespace kestro {

namespace {
constexpr std::uint32_t MaxSide = 48;
constexpr std::uint32_t FileHeaderSize = 54;  // file header and the 40-byte info header
}  // namespace

std::optional<Bytes> BmpFromGpiBitmap(const TGpiBitmap& bitmap) {
    const std::uint32_t width = bitmap.Width;
    const std::uint32_t height = bitmap.Height;
    const std::uint32_t stride = (width + 3) / 4 * 4;
    if (bitmap.BitsPerPixel != 8 || width > MaxSide || height > MaxSide || bitmap.Stride != stride) return std::nullopt;
    const std::size_t pixelSize = static_cast<std::size_t>(stride) * height;
    if (bitmap.Body.size() < pixelSize) return std::nullopt;
    const Bytes palette = bitmap.Body.substr(pixelSize);
    const std::size_t colours = palette.size() / 4;
    if (palette.size() % 4 != 0 || colours > 256) return std::nullopt;
    for (std::size_t i = 0; i < colours; ++i)
        if (palette[i * 4 + 3] != '\0') return std::nullopt;  // the converter writes 0 there

    const auto pixelOffset = static_cast<std::uint32_t>(FileHeaderSize + palette.size());
    Bytes bmp = "BM" + GpiDword(static_cast<std::uint32_t>(pixelOffset + pixelSize)) + GpiDword(0) + GpiDword(pixelOffset);
    bmp += GpiDword(40) + GpiDword(width) + GpiDword(height) + GpiWord(1) + GpiWord(8) + GpiDword(0) +
           GpiDword(static_cast<std::uint32_t>(pixelSize)) + GpiDword(2835) + GpiDword(2835) +
           GpiDword(static_cast<std::uint32_t>(colours)) + GpiDword(0);
    for (std::size_t i = 0; i < colours; ++i) {
        // Red, green, blue in the record; blue, green, red in the file.
        bmp += palette[i * 4 + 2];
        bmp += palette[i * 4 + 1];
        bmp += palette[i * 4];
        bmp += '\0';
    }
    // The record holds the top row first, the file the bottom row.
    for (std::uint32_t row = height; row-- > 0;) bmp += bitmap.Body.substr(static_cast<std::size_t>(row) * stride, stride);
    return bmp;
}

bool HasConverterHeader(const TGpiBitmap& bitmap) {
    const std::uint32_t pixelSize = static_cast<std::uint32_t>(bitmap.Stride) * bitmap.Height;
    return bitmap.Reserved == 0 && bitmap.PixelSize == pixelSize && bitmap.PixelOffset == 44 &&
           // the entries written: 256, or fewer for an icon of fewer colours
           bitmap.PaletteCount >= 1 && bitmap.PaletteCount <= 256 && bitmap.Body.size() >= pixelSize &&
           bitmap.PaletteCount == (bitmap.Body.size() - pixelSize) / 4 && bitmap.ColourKey == 0xFF00FF && bitmap.Value28 == 1 &&
           bitmap.PaletteOffset == pixelSize + 44 && bitmap.ExtraSize == 0;
}

}  // namespace kestro
