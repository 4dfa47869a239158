#pragma once
// Pictures of at most 256 colours: one palette index per pixel.
#include <cstdint>
#include <vector>

#include "images/RgbaImage.h"

namespace kestro {

// The colour that shows as transparent on a device (magenta).
constexpr std::uint32_t TransparentColour = 0xFF00FF;

struct TIndexedImage {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::vector<std::uint8_t> Indices;   // Width * Height, top row first
    std::vector<std::uint32_t> Palette;  // 0xRRGGBB, at most 256 entries
};

// The picture with its own colours when they are at most 256, counting
// TransparentColour for every pixel with alpha below half; else reduced by
// median cut to the 256 (255 and the transparent one) that represent it
// best, each pixel taking the nearest, without dithering.
TIndexedImage IndexColours(const TRgbaImage& image);

}  // namespace kestro
