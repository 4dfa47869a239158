#pragma once
// The parts of the public-domain stb libraries the program uses, behind
// plain functions so that only StbLibraries.cpp includes their headers.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "images/RgbaImage.h"
#include "platform/Bytes.h"

namespace kestro::stb {

// While one lives, every allocation of the libraries on this thread larger
// than `limit` bytes fails (the library then reports it is out of memory).
class TAllocationLimit {
public:
    explicit TAllocationLimit(std::size_t limit);
    ~TAllocationLimit();
    TAllocationLimit(const TAllocationLimit&) = delete;
    TAllocationLimit& operator=(const TAllocationLimit&) = delete;

private:
    std::size_t previous_;
};

// Width and height from the header of a BMP, PNG, GIF or JPEG picture;
// false with the library's reason.
bool Info(const Bytes& content, int& width, int& height, std::string& reason);
// RGBA pixels; false with the library's reason.
bool Decode(const Bytes& content, TRgbaImage& image, std::string& reason);
// Resized to width x height (filtered in linear light, alpha weighted).
bool Resize(const TRgbaImage& from, std::uint32_t width, std::uint32_t height, TRgbaImage& to);
// RGB pixels (3 bytes each, top row first) as a baseline JPEG.
Bytes EncodeJpeg(const std::vector<std::uint8_t>& rgb, std::uint32_t width, std::uint32_t height, int quality);

}  // namespace kestro::stb
