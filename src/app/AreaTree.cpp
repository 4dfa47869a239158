#include "app/AreaTree.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "diag/Exceptions.h"
#include "gpi/GpiRecordType.h"
#include "gpi/GpiUtil.h"
#include "gpi/RecordInPlace.h"
#include "sources/AreaRules.h"
#include "store/GpiDB.h"

namespace kestro {

namespace {

// Points closer than StoreEntrySize share index entries, so their count never
// drops below the limit however small the quadrants get. Only areas this
// narrow can multiply fourfold per level without end; they are not split
// once every point they touch has been taken.
bool IsNarrow(double minLat, double minLon, double maxLat, double maxLon) {
    return !(maxLat - minLat >= StoreEntrySize && maxLon - minLon >= StoreEntrySize);
}

void CountLeaf(TAreaStatistics& statistics, std::int32_t depth, std::int64_t count) {
    if (depth > statistics.MaxDeep) statistics.MaxDeep = depth;
    if (count > statistics.MaxSize) statistics.MaxSize = static_cast<std::int32_t>(count);
    if (statistics.Regions < std::numeric_limits<std::int32_t>::max()) ++statistics.Regions;
}

void AppendMainPart(Bytes& out, double minLat, double minLon, double maxLat, double maxLon) {
    out += GpiDword(static_cast<std::uint32_t>(DegToSemicircles(maxLat)));
    out += GpiDword(static_cast<std::uint32_t>(DegToSemicircles(maxLon)));
    out += GpiDword(static_cast<std::uint32_t>(DegToSemicircles(minLat)));
    out += GpiDword(static_cast<std::uint32_t>(DegToSemicircles(minLon)));
    out += Bytes("\x00\x00\x00\x00\x01\x00", 6);
    out += '\0';  // the alert byte, set when the area is known
}

// One tree's build: what every area of it shares.
struct TTreeBuild {
    TSQLiteDatabase& Store;
    std::int32_t MaxRegion;
    TAreaStatistics& Statistics;
    TTakenPoints Taken;  // the points written so far
};

void AppendTreeArea(TTreeBuild& build, std::int32_t depth, std::uint8_t& alert, double minLat, double minLon,
                    double maxLat, double maxLon, Bytes& out) {
    TSQLiteDatabase& store = build.Store;
    const std::int32_t maxRegion = build.MaxRegion;
    TAreaStatistics& statistics = build.Statistics;
    const float south = static_cast<float>(minLat);
    const float west = static_cast<float>(minLon);
    const float north = static_cast<float>(maxLat);
    const float east = static_cast<float>(maxLon);
    const std::int64_t count = CountInBox(store, south, west, north, east);
    // A limit below 1 would split even empty areas down to the last level.
    const std::int64_t limit = std::max<std::int32_t>(maxRegion, 1);

    TRecordInPlace area(out, GpiTypeArea);
    AppendMainPart(out, minLat, minLon, maxLat, maxLon);
    const std::size_t alertByte = out.size() - 1;
    area.EndMain();
    if (count > limit && depth <= DeepestSplitDepth) {
        if (IsNarrow(minLat, minLon, maxLat, maxLon) && !AnyLeftInBox(store, build.Taken, south, west, north, east)) {
            CountLeaf(statistics, depth, count);  // an empty leaf: everything it touches is written already
            area.Drop();
            return;
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
        for (const TQuadrant& quadrant : quadrants) {
            std::uint8_t childAlert = 0;
            AppendTreeArea(build, depth + 1, childAlert, quadrant.MinLat, quadrant.MinLon, quadrant.MaxLat, quadrant.MaxLon,
                           out);
            if (childAlert) alert = 1;
        }
    } else {
        // The records go straight into the area, in the order they were stored.
        bool leafAlert = false;
        TakeInBox(store, build.Taken, leafAlert, out, south, west, north, east);
        alert = leafAlert ? 1 : 0;
        CountLeaf(statistics, depth, count);
    }
    // Counts include points taken by an earlier sibling, so all four
    // quadrants may come back empty. An area record without children
    // makes readers stop reading the rest of its parent: write nothing.
    if (area.ExtraEmpty()) {
        area.Drop();
        return;
    }
    out[alertByte] = static_cast<char>(alert ? 1 : 0);
    area.Finish();
}

}  // namespace

void AppendArea(TSQLiteDatabase& store, std::int32_t maxRegion, TAreaStatistics& statistics, std::int32_t depth,
                std::uint8_t& alert, double minLat, double minLon, double maxLat, double maxLon, Bytes& out) {
    if (depth < 0) throw Exception(Format("Area depth %d is below 0", depth));
    TTreeBuild build{store, maxRegion, statistics, {}};
    AppendTreeArea(build, depth, alert, minLat, minLon, maxLat, maxLon, out);
}

Bytes BuildArea(TSQLiteDatabase& store, std::int32_t maxRegion, TAreaStatistics& statistics, std::int32_t depth,
                std::uint8_t& alert, double minLat, double minLon, double maxLat, double maxLon) {
    Bytes out;
    AppendArea(store, maxRegion, statistics, depth, alert, minLat, minLon, maxLat, maxLon, out);
    return out;
}

}  // namespace kestro
