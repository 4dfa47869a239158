#pragma once
// The tree of map areas of one group, built from its point store.
#include <cstdint>

#include "platform/Bytes.h"
#include "store/SQLiteDatabase.h"

namespace kestro {

// Builds the area record (type 8) of the box (degrees: south, west, north,
// east) at the given depth (0 for a group's root) and takes its points out
// of the store. An area holding more than MaxRegion points (at least 1) is
// split into quadrants down to depth 33. Sets alert to 1 when a point inside
// carries an alert (the caller passes 0). Returns the empty byte string when
// the area holds nothing to write. Updates Regions, MaxSize and MaxDeep.
Bytes BuildArea(TSQLiteDatabase& store, std::int32_t depth, std::uint8_t& alert, double minLat, double minLon,
                double maxLat, double maxLon);

}  // namespace kestro
