#pragma once
#include "gpi/PoiWpt.h"
#include "platform/Bytes.h"

namespace kestro {

// The complete point record (type 2) with its sub-records. Reads the image
// files named in point.Images whole; one that cannot be read raises
// EFOpenError or EReadError.
Bytes GpiPoi(const TPoiWpt& point);

}  // namespace kestro
