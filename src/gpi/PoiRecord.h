#pragma once
#include <cstdint>

#include "gpi/PoiWpt.h"
#include "platform/Bytes.h"

namespace kestro {

// The complete point record (type 2) with its sub-records. Reads the image
// files named in point.Images whole; one that cannot be read raises
// EFOpenError or EReadError. A record over maxRecord bytes (a store may hold
// less than the format) raises EFormatLimit; an image is read no further
// than one byte past what the record could hold.
Bytes GpiPoi(const TPoiWpt& point, std::uint64_t maxRecord = UINT64_MAX);

// The 12-byte main part of the point's alert record (type 3), from its
// AlertSpeed and AlertDistance; meaningful when the point has an alert.
Bytes GpiAlertMain(const TPoiWpt& point);

// An alert speed in metres per second as the alert record's fields start
// from: km/h × 5/18 in extended precision, rounded to a double.
double AlertMetresPerSecond(std::int32_t kilometresPerHour);

// Whether the point's alert speed or distance is beyond its 16-bit field
// (655.35 m/s, 65535 m); GpiPoi stores the field's largest value instead.
bool AlertClamped(const TPoiWpt& point);

}  // namespace kestro
