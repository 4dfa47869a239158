#pragma once
// Icons and photos of a GPI file as data URIs the report's page shows as they are.
#include <optional>
#include <string>

#include "gpi/GpiReader.h"
#include "platform/Bytes.h"

namespace kestro {


// A bitmap record of 8 bits per pixel as a 32-bit BMP file with an alpha
// channel (pixels of the colour key transparent), top row first. Nothing
// for other depths, sizes above 1024 pixels, or pixel rows that are not all
// in the record; palette entries missing from it show as transparent pixels.
std::optional<Bytes> BitmapAsBmp(const TGpiBitmap& bitmap);

// The bytes of an image record, or nothing when the record does not hold them all.
std::optional<Bytes> ImageBytes(const TGpiImage& image);

// "data:image/jpeg;base64,..." by the bytes' signature (JPEG, PNG, GIF, BMP);
// empty for anything else, which a page cannot show.
std::string ImageDataUri(const Bytes& bytes);

}  // namespace kestro
