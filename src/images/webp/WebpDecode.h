#pragma once
// WebP pictures, where the build has a decoder for them.
#include <cstdint>
#include <string>

#include "images/RgbaImage.h"
#include "platform/Bytes.h"

namespace kestro::webp {

// Whether this build reads WebP pictures at all.
bool Available();
// Width and height from the header; false when it cannot be read.
bool Info(const Bytes& content, std::uint32_t& width, std::uint32_t& height);
// RGBA pixels; false with a reason.
bool Decode(const Bytes& content, TRgbaImage& image, std::string& reason);

}  // namespace kestro::webp
