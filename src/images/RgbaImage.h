#pragma once
// A decoded picture: red, green, blue and alpha bytes per pixel, top row first.
#include <cstdint>
#include <vector>

namespace kestro {

struct TRgbaImage {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::vector<std::uint8_t> Pixels;  // Width * Height * 4 bytes

    const std::uint8_t* At(std::uint32_t x, std::uint32_t y) const { return &Pixels[(std::size_t(y) * Width + x) * 4]; }
};

}  // namespace kestro
