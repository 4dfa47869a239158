#pragma once
// The tree of map areas of one group, built from its point store.
#include <cstdint>

#include "platform/Bytes.h"
#include "store/SQLiteDatabase.h"

namespace kestro {

// What the group builder prints about a group's area tree.
struct TAreaStatistics {
    std::int32_t Regions = 0;  // leaf areas visited, empty ones included
    std::int32_t MaxSize = 0;  // largest point count of a leaf
    std::int32_t MaxDeep = 0;  // depth of the deepest leaf
};

// Appends to out the area record (type 8) of the box (degrees: south, west,
// north, east) at the given depth (0 for a group's root), each point of the
// store once: the points stay stored, so a store serves one tree. An area holding more than maxRegion points (at
// least 1) is split into quadrants down to depth 33. Sets alert to 1 when a
// point inside carries an alert (the caller passes 0). Appends nothing when
// the area holds nothing to write. Counts its leaves into statistics.
// The records are built in place: a group's points are never copied whole.
void AppendArea(TSQLiteDatabase& store, std::int32_t maxRegion, TAreaStatistics& statistics, std::int32_t depth,
                std::uint8_t& alert, double minLat, double minLon, double maxLat, double maxLon, Bytes& out);

// The same area record as a byte string of its own.
Bytes BuildArea(TSQLiteDatabase& store, std::int32_t maxRegion, TAreaStatistics& statistics, std::int32_t depth,
                std::uint8_t& alert, double minLat, double minLon, double maxLat, double maxLon);

}  // namespace kestro
