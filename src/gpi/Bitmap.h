#pragma once
#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/Bytes.h"

namespace kestro {

// The main part of a bitmap record (type 5) for the BMP file at path, or the
// empty string when there is no regular file there or it is not an
// uncompressed, bottom-up, 8-bit BMP of at most 48 × 48 pixels. `number` is
// the bitmap's number among the group's accepted bitmaps. A file that exists
// but cannot be opened or read raises EFOpenError or EReadError.
Bytes GpiBitmap(const std::string& path, std::uint16_t number);
// The same; for a file that is there but not used, `refusal` says why
// ("24 bits per pixel, 8 needed"), else it is left empty.
Bytes GpiBitmap(const std::string& path, std::uint16_t number, std::string& refusal);

}  // namespace kestro
