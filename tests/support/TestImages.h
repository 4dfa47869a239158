#pragma once
// Picture files written byte by byte as their formats lay them out, for
// tests of the icon and photo conversion.
#include <cstdint>
#include <vector>

#include "platform/Bytes.h"

namespace kestro::test {

// 0xAARRGGBB per pixel, top row first.
struct TPicture {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::vector<std::uint32_t> Argb;
    std::uint32_t At(std::uint32_t x, std::uint32_t y) const { return Argb[static_cast<std::size_t>(y) * Width + x]; }
};

// Palette indices per pixel, top row first, with their palette (0xAARRGGBB).
struct TIndexedPicture {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::vector<std::uint8_t> Indices;
    std::vector<std::uint32_t> Palette;
};

// Colour type 6 (with alpha) or 2, 8 bits per channel.
Bytes PngFile(const TPicture& picture, bool alpha);
// Colour type 3 at 1, 2, 4 or 8 bits per index; a tRNS chunk when any entry is not opaque.
Bytes PalettePngFile(const TIndexedPicture& picture, int bitDepth);
// A PNG of the colour type (8 bits a channel) whose compressed stream holds
// exactly `raw`: filter bytes and rows, as many as the caller likes.
Bytes PngFromRows(std::uint32_t width, std::uint32_t height, int colourType, const Bytes& raw);
// PNG header chunk alone (a picture that declares its size and has no pixels).
Bytes PngHeaderOnly(std::uint32_t width, std::uint32_t height);
// GIF89a with a global palette (filled up to a power of two); transparentIndex < 0: none.
Bytes GifFile(const TIndexedPicture& picture, int transparentIndex = -1);
// Uncompressed BMP, bottom row first, of 1, 4 or 8 bits per index.
Bytes IndexedBmpFile(const TIndexedPicture& picture, int bits);
// Uncompressed BMP of 24 bits (alpha dropped) or 32 bits (blue, green, red, alpha).
Bytes BmpFile(const TPicture& picture, int bits);

// Pictures to build files from.
TPicture SolidPicture(std::uint32_t width, std::uint32_t height, std::uint32_t argb);
// Every pixel a colour of its own (up to 2^24 pixels), opaque.
TPicture DistinctColours(std::uint32_t width, std::uint32_t height);

}  // namespace kestro::test
