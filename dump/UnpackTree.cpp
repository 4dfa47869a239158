#include "dump/UnpackTree.h"

#include <algorithm>
#include <limits>

namespace kestro {

namespace {

constexpr std::int32_t DefaultMaxRegion = 256;
constexpr int DeepestSplit = 32;  // deeper areas are leaves whatever they hold
constexpr double EntrySize = 0.00001;  // the store's index box around each point

struct TRange {
    std::int64_t Low = 1;
    std::int64_t High = std::numeric_limits<std::int32_t>::max();
};

// How many of the group's points the store counts for the box: their index
// boxes touch it, borders included, in single precision as the store keeps them.
std::int64_t CountTouching(const TTreeGroup& group, const TGpiArea& area) {
    const auto south = static_cast<float>(SemicirclesToDeg(area.South));
    const auto north = static_cast<float>(SemicirclesToDeg(area.North));
    const auto west = static_cast<float>(SemicirclesToDeg(area.West));
    const auto east = static_cast<float>(SemicirclesToDeg(area.East));
    std::int64_t count = 0;
    for (std::size_t i = 0; i < group.Lats.size(); ++i) {
        const auto x = static_cast<float>(group.Lats[i]);
        const auto y = static_cast<float>(group.Lons[i]);
        if (static_cast<double>(x) + EntrySize >= south && x <= north && static_cast<double>(y) + EntrySize >= west &&
            y <= east)
            ++count;
    }
    return count;
}

bool Narrow(const TTreeGroup& group, const TGpiArea& area, TRange& range) {
    if (area.Areas.empty()) {
        if (area.Depth <= DeepestSplit) range.Low = std::max(range.Low, CountTouching(group, area));
        return true;
    }
    if (area.Depth > DeepestSplit) return false;
    range.High = std::min(range.High, CountTouching(group, area) - 1);
    for (const auto& child : area.Areas)
        if (!Narrow(group, child, range)) return false;
    return true;
}

}  // namespace

std::optional<std::int32_t> MaxRegionFor(const std::vector<TTreeGroup>& groups) {
    TRange range;
    for (const auto& group : groups)
        if (group.Root != nullptr && !Narrow(group, *group.Root, range)) return std::nullopt;
    if (range.Low > range.High) return std::nullopt;
    if (range.Low <= DefaultMaxRegion && DefaultMaxRegion <= range.High) return DefaultMaxRegion;
    if (range.High == std::numeric_limits<std::int32_t>::max()) return static_cast<std::int32_t>(range.Low);
    return static_cast<std::int32_t>(range.Low + (range.High - range.Low) / 2);
}

}  // namespace kestro
