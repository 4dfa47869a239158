#pragma once
// Record types of the GPI format, for the writer and the reader alike.
#include <cstdint>

namespace kestro {

enum : std::uint16_t {
    GpiTypeHeader = 0,
    GpiTypePoiHeader = 1,
    GpiTypePoint = 2,
    GpiTypeAlert = 3,
    GpiTypeBitmapRef = 4,
    GpiTypeBitmap = 5,
    GpiTypeCategoryRef = 6,
    GpiTypeCategory = 7,
    GpiTypeArea = 8,
    GpiTypeGroup = 9,
    GpiTypeComment = 10,
    GpiTypeAddress = 11,
    GpiTypeContact = 12,
    GpiTypeImage = 13,
    GpiTypeDescription = 14,
    GpiTypeHeaderExtension = 15,
    GpiTypeCopyright = 17,
    GpiTypeMedia = 18,
    GpiTypeEnd = 0xFFFF,
};

// "point", "area", ...; empty for a type the reader does not know.
const char* GpiRecordName(std::uint16_t type);

}  // namespace kestro
