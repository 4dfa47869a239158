#pragma once
#include <cstdint>
#include <filesystem>
#include <string>

#include "images/IndexedImage.h"
#include "platform/Bytes.h"

namespace kestro {

// The main part of a bitmap record (type 5) for the picture file at path, or
// the empty string when there is no regular file there or it cannot be an
// icon. An uncompressed, bottom-up, 8-bit BMP of at most 48 × 48 pixels is
// copied as it is stored; any other BMP, PNG, GIF or JPEG picture (of the
// format its name says) is scaled down to fit 48 × 48 and reduced to 256
// colours as IconFromImage does. `number` is the bitmap's number among the
// group's accepted bitmaps. A file that exists but cannot be opened or read
// raises EFOpenError or EReadError.
Bytes GpiBitmap(const std::string& path, std::uint16_t number);
// The same; for a file that is there but not used, `refusal` says why
// ("damaged PNG file (...)"), else it is left empty.
Bytes GpiBitmap(const std::string& path, std::uint16_t number, std::string& refusal);
// The same; `note` tells how a picture was changed to fit ("64 x 64 pixels,
// scaled down to 48 x 48"), else it is left empty.
Bytes GpiBitmap(const std::string& path, std::uint16_t number, std::string& refusal, std::string& note);
// The same for a picture's content held in memory (a picture inside an
// archive), of the format `name` says; any format is converted, none copied.
Bytes GpiBitmapOfContent(const Bytes& content, const std::string& name, std::uint16_t number, std::string& refusal,
                         std::string& note);
// The main part of a bitmap record for an icon of at most 256 colours.
Bytes GpiBitmapOfIndexed(const TIndexedImage& icon, std::uint16_t number);
// Bytes of the largest picture file read for an icon: 16 MiB.
constexpr std::uint64_t MaxIconFileBytes = 16u << 20;

}  // namespace kestro
