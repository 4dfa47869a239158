#pragma once
// Pictures of any format the program reads, decoded into RGBA pixels.
#include <cstdint>
#include <optional>
#include <string>

#include "images/ImageFormat.h"
#include "images/RgbaImage.h"
#include "platform/Bytes.h"

namespace kestro {

// The pixels of a BMP, PNG, GIF (its first frame), JPEG or WebP picture;
// nothing, with `refusal` saying why, for anything else, for a damaged file,
// and for a picture of more than maxPixels pixels. A picture's declared size
// is checked before its pixels are made, and no single piece of memory
// larger than maxPixels * 8 bytes (plus a little) is taken while decoding,
// whatever the file declares.
std::optional<TRgbaImage> DecodeImage(const Bytes& content, std::uint64_t maxPixels, std::string& refusal);

// The declared size of a picture without decoding it; false when its header
// cannot be read.
bool ImageSize(const Bytes& content, std::uint32_t& width, std::uint32_t& height);

}  // namespace kestro
