#pragma once
// Pictures made into the JPEG photos a point carries.
#include <cstdint>
#include <optional>
#include <string>

#include "images/ImageFormat.h"
#include "platform/Bytes.h"

namespace kestro {

// Larger pictures are refused before they are decoded.
constexpr std::uint64_t MaxPhotoSourcePixels = 40'000'000;
constexpr int PhotoJpegQuality = 90;

// The JPEG to embed for a picture file's content: a JPEG as it is when
// maxSide is 0 or its longer side is at most maxSide; anything else (a PNG,
// GIF or WebP; a larger JPEG) decoded, scaled down so that its longer side
// is maxSide (when maxSide is not 0 and it is longer), set on white where
// it is transparent, and encoded anew. Nothing, with `refusal` saying why,
// when the content is no picture the program reads, is damaged, is too
// large, or is not of the format `named` (Unknown: any).
std::optional<Bytes> PhotoAsJpeg(const Bytes& content, TImageFormat named, std::uint32_t maxSide, std::string& refusal,
                                 std::uint64_t maxPixels = MaxPhotoSourcePixels);

}  // namespace kestro
