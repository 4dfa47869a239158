#include "app/AreaTree.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "app/RunState.h"
#include "diag/Exceptions.h"
#include "gpi/GpiRecordType.h"
#include "gpi/GpiUtil.h"
#include "store/GpiDB.h"

namespace kestro {

namespace {

// Areas nest 34 levels deep at most: no area below depth 32 is split.
constexpr std::int32_t DeepestSplitDepth = 32;
// Side of a point's index entry in the store.
constexpr double EntrySize = 0.00001;

// Points closer than EntrySize share index entries, so their count never
// drops below the limit however small the quadrants get. Only areas this
// narrow can multiply fourfold per level without end; they are not split
// once every point they touch has been taken.
bool IsNarrow(double minLat, double minLon, double maxLat, double maxLon) {
    return !(maxLat - minLat >= EntrySize && maxLon - minLon >= EntrySize);
}

void CountLeaf(std::int32_t depth, std::int64_t count) {
    if (depth > MaxDeep) MaxDeep = depth;
    if (count > MaxSize) MaxSize = static_cast<std::int32_t>(count);
    if (Regions < std::numeric_limits<std::int32_t>::max()) ++Regions;
}

Bytes AreaMainPart(double minLat, double minLon, double maxLat, double maxLon) {
    Bytes main = GpiDword(static_cast<std::uint32_t>(DegToSemicircles(maxLat)));
    main += GpiDword(static_cast<std::uint32_t>(DegToSemicircles(maxLon)));
    main += GpiDword(static_cast<std::uint32_t>(DegToSemicircles(minLat)));
    main += GpiDword(static_cast<std::uint32_t>(DegToSemicircles(minLon)));
    main += Bytes("\x00\x00\x00\x00\x01\x00", 6);
    return main;  // the alert byte follows when the area is known
}

}  // namespace

Bytes BuildArea(TSQLiteDatabase& store, std::int32_t depth, std::uint8_t& alert, double minLat, double minLon,
                double maxLat, double maxLon) {
    if (depth < 0) throw Exception(Format("Area depth %d is below 0", depth));
    const float south = static_cast<float>(minLat);
    const float west = static_cast<float>(minLon);
    const float north = static_cast<float>(maxLat);
    const float east = static_cast<float>(maxLon);
    Bytes main = AreaMainPart(minLat, minLon, maxLat, maxLon);
    const std::int64_t count = CountInBox(store, south, west, north, east);
    // A limit below 1 would split even empty areas down to the last level.
    const std::int64_t limit = std::max<std::int32_t>(MaxRegion, 1);

    if (count > limit && depth <= DeepestSplitDepth) {
        if (IsNarrow(minLat, minLon, maxLat, maxLon) && !AnyLeftInBox(store, south, west, north, east)) {
            CountLeaf(depth, count);  // an empty leaf: everything it touches is written already
            return Bytes();
        }
        const double midLat = (minLat + maxLat) / 2;
        const double midLon = (minLon + maxLon) / 2;
        struct TQuadrant {
            double MinLat, MinLon, MaxLat, MaxLon;
        };
        const TQuadrant quadrants[] = {
            {minLat, minLon, midLat, midLon},  // south-west
            {minLat, midLon, midLat, maxLon},  // south-east
            {midLat, minLon, maxLat, midLon},  // north-west
            {midLat, midLon, maxLat, maxLon},  // north-east
        };
        Bytes subAreas;
        for (const TQuadrant& quadrant : quadrants) {
            std::uint8_t childAlert = 0;
            subAreas += BuildArea(store, depth + 1, childAlert, quadrant.MinLat, quadrant.MinLon, quadrant.MaxLat,
                                  quadrant.MaxLon);
            if (childAlert) alert = 1;
        }
        // Counts include points taken by an earlier sibling, so all four
        // quadrants may come back empty. An area record without children
        // makes readers stop reading the rest of its parent: write nothing.
        if (subAreas.empty()) return Bytes();
        main += static_cast<char>(alert ? 1 : 0);
        return GpiRecord(GpiTypeArea, main, subAreas);
    }

    bool leafAlert = false;
    Bytes records;
    ExtractInBox(store, leafAlert, records, south, west, north, east);
    alert = leafAlert ? 1 : 0;
    CountLeaf(depth, count);
    if (records.empty()) return Bytes();
    main += static_cast<char>(alert);
    return GpiRecord(GpiTypeArea, main, records);
}

}  // namespace kestro
