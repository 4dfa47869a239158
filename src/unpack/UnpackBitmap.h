#pragma once
// Icons of a GPI file as BMP files the converter takes back.
#include <optional>

#include "gpi/GpiReader.h"
#include "platform/Bytes.h"

namespace kestro {

// An uncompressed, bottom-up, 8-bit BMP with the record's pixel rows and
// palette. Empty when the converter could not give the record back (another
// bit depth, more than 48 pixels a side, rows or palette of another size
// than it writes).
std::optional<Bytes> BmpFromGpiBitmap(const TGpiBitmap& bitmap);

// Whether the record's header holds the values the converter writes beside
// the sizes (colour key, the fixed values, offsets).
bool HasConverterHeader(const TGpiBitmap& bitmap);

}  // namespace kestro
