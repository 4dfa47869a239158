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
};

// The converter splits an area while its point store counts more than
// maxregion points touching the area's box. The range of values that give
// each tree's splits and leaves is worked out from the written positions;
// the result prefers the default 256, else the middle of the range. Empty
// when no value gives all trees (a tree the converter would not build).
std::optional<std::int32_t> MaxRegionFor(const std::vector<TTreeGroup>& groups);

}  // namespace kestro
