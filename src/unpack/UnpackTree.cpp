#include "unpack/UnpackTree.h"

#include <algorithm>
#include <limits>

#include "gpi/GpiUtil.h"
#include "sources/AreaRules.h"

namespace kestro {

namespace {

struct TBox {
    double MinLat, MinLon, MaxLat, MaxLon;
    bool Written(const TGpiArea& area) const {
        return DegToSemicircles(MaxLat) == area.North && DegToSemicircles(MaxLon) == area.East &&
               DegToSemicircles(MinLat) == area.South && DegToSemicircles(MinLon) == area.West;
    }
};

struct TRange {
    std::int64_t Low = 1;
    std::int64_t High = std::numeric_limits<std::int32_t>::max();
};

// The R-tree keeps single-precision edges; an upper edge that a float
// cannot hold is moved up by a relative 2^-23 before it is rounded, as
// SQLite does.
double UpperEdge(float low) {
    const double exact = static_cast<double>(low) + StoreEntrySize;
    auto edge = static_cast<float>(exact);
    if (static_cast<double>(edge) < exact) {
        const double away = 1.0 + 1.0 / 8388608.0;
        const double towards = 1.0 - 1.0 / 8388608.0;
        edge = static_cast<float>(exact * (exact < 0 ? towards : away));
    }
    return edge;
}

using TPointList = std::vector<std::uint32_t>;

// The points among `candidates` whose index boxes the store finds for the
// box: touching it, borders included, in single precision as it keeps them.
// A quadrant's points are among its parent's, so each level looks only at those.
TPointList Touching(const TTreeGroup& group, const TBox& box, const TPointList& candidates) {
    const auto south = static_cast<float>(box.MinLat);
    const auto north = static_cast<float>(box.MaxLat);
    const auto west = static_cast<float>(box.MinLon);
    const auto east = static_cast<float>(box.MaxLon);
    TPointList touching;
    for (const std::uint32_t i : candidates) {
        const auto x = static_cast<float>(group.Lats[i]);
        const auto y = static_cast<float>(group.Lons[i]);
        if (UpperEdge(x) >= south && x <= north && UpperEdge(y) >= west && y <= east) touching.push_back(i);
    }
    return touching;
}

// Areas narrower than a semicircle look alike in the file, so a written
// child may match several quadrants; each is tried in turn, within a budget
// that keeps a hostile file's tree from taking forever.
class TTreeMatcher {
public:
    explicit TTreeMatcher(const TTreeGroup& group) : group_(group) {}

    bool Narrow(const TGpiArea& area, const TBox& box, const TPointList& candidates, TRange& range) {
        if (!box.Written(area) || ++visits_ > MaxVisits) return false;
        const TPointList touching = Touching(group_, box, candidates);
        const auto count = static_cast<std::int64_t>(touching.size());
        if (area.Areas.empty()) {
            if (area.Depth <= DeepestSplitDepth) range.Low = std::max(range.Low, count);
            return range.Low <= range.High;
        }
        if (area.Depth > DeepestSplitDepth || !area.Points.empty()) return false;
        range.High = std::min(range.High, count - 1);
        if (range.Low > range.High) return false;
        const double midLat = (box.MinLat + box.MaxLat) / 2;
        const double midLon = (box.MinLon + box.MaxLon) / 2;
        const std::vector<TBox> quadrants{
            {box.MinLat, box.MinLon, midLat, midLon},
            {box.MinLat, midLon, midLat, box.MaxLon},
            {midLat, box.MinLon, box.MaxLat, midLon},
            {midLat, midLon, box.MaxLat, box.MaxLon},
        };
        return Children(area, quadrants, touching, 0, 0, range);
    }

private:
    static constexpr std::size_t MaxVisits = 1000000;

    // The written children are the quadrants that kept points, in quadrant order.
    bool Children(const TGpiArea& area, const std::vector<TBox>& quadrants, const TPointList& candidates,
                  std::size_t child, std::size_t first, TRange& range) {
        if (child == area.Areas.size()) return true;
        for (std::size_t q = first; q < quadrants.size(); ++q) {
            TRange trial = range;
            if (Narrow(area.Areas[child], quadrants[q], candidates, trial) &&
                Children(area, quadrants, candidates, child + 1, q + 1, trial)) {
                range = trial;
                return true;
            }
        }
        return false;
    }

    const TTreeGroup& group_;
    std::size_t visits_ = 0;
};

}  // namespace

std::optional<std::int32_t> MaxRegionFor(const std::vector<TTreeGroup>& groups) {
    TRange range;
    for (const auto& group : groups) {
        if (group.Root == nullptr || group.Lats.empty()) continue;
        TBox box{group.Lats.front(), group.Lons.front(), group.Lats.front(), group.Lons.front()};
        for (std::size_t i = 0; i < group.Lats.size(); ++i) {
            box.MinLat = std::min(box.MinLat, group.Lats[i]);
            box.MaxLat = std::max(box.MaxLat, group.Lats[i]);
            box.MinLon = std::min(box.MinLon, group.Lons[i]);
            box.MaxLon = std::max(box.MaxLon, group.Lons[i]);
        }
        if (group.Origin) box = TBox{std::min(box.MinLat, 0.0), std::min(box.MinLon, 0.0), std::max(box.MaxLat, 0.0),
                                     std::max(box.MaxLon, 0.0)};
        TPointList all(group.Lats.size());
        for (std::size_t i = 0; i < all.size(); ++i) all[i] = static_cast<std::uint32_t>(i);
        if (!TTreeMatcher(group).Narrow(*group.Root, box, all, range)) return std::nullopt;
    }
    if (range.Low > range.High) return std::nullopt;
    if (range.Low <= DefaultMaxRegion && DefaultMaxRegion <= range.High) return DefaultMaxRegion;
    if (range.High == std::numeric_limits<std::int32_t>::max()) return static_cast<std::int32_t>(range.Low);
    return static_cast<std::int32_t>(range.Low + (range.High - range.Low) / 2);
}

}  // namespace kestro
