#pragma once
// The "maxregion" setting that rebuilds a file's area trees.
#include <cstdint>
#include <optional>
#include <vector>

#include "gpi/GpiReader.h"

namespace kestro {

struct TTreeGroup {
    const TGpiArea* Root = nullptr;
    std::vector<double> Lats, Lons;  // the positions the rebuilt waypoints give, in degrees
    bool Origin = false;             // a waypoint at 0, 0 widens the group's box
};

// The converter splits an area while its point store counts more than
// maxregion points touching the area's box. The boxes are worked out as the
// converter halves them, from the rebuilt waypoints' box, and each written
// area must be one of them; the counts then give the range of values that
// split and keep the same areas. The result prefers the default 256, else
// the middle of the range. Empty when no value gives all trees.
std::optional<std::int32_t> MaxRegionFor(const std::vector<TTreeGroup>& groups);

}  // namespace kestro
