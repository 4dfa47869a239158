// Data on which splitting by counts alone never ends: the tree must still
// finish, with every point written once, and must write what the plain
// quadrant split writes wherever that one finishes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

#include "AreaTestSupport.h"
#include "app/AreaTree.h"
#include "gpi/GpiRecordType.h"
#include "gpi/GpiUtil.h"
#include "store/GpiDB.h"

namespace kestro {
namespace {

using test::ReadRootArea;
using test::TArea;

struct TPoint {
    double Lat, Lon;
    bool Alert;
};

struct TTreeResult {
    Bytes Area;
    std::uint8_t Alert = 0;
    std::int32_t Regions = 0, MaxSize = 0, MaxDeep = 0;
};

Bytes PointRecord(std::size_t index, const TPoint& point) {
    return GpiRecord(GpiTypePoint, GpiDword(static_cast<std::uint32_t>(DegToSemicircles(point.Lat))) +
                                       GpiDword(static_cast<std::uint32_t>(DegToSemicircles(point.Lon))) + GpiWord(1) +
                                       Bytes(1, point.Alert ? '\1' : '\0') +
                                       GpiLangString("point " + std::to_string(index)));
}

std::unique_ptr<TSQLiteDatabase> FilledStore(const std::vector<TPoint>& points) {
    auto store = CreatePoiStore();
    store->StartTransaction();
    for (std::size_t i = 0; i < points.size(); ++i)
        InsertPoi(*store, PointRecord(i, points[i]), points[i].Alert, static_cast<float>(points[i].Lat),
                  static_cast<float>(points[i].Lon));
    store->CommitTransaction();
    return store;
}

using TBuilder = Bytes (*)(TSQLiteDatabase&, std::int32_t, TAreaStatistics&, std::int32_t, std::uint8_t&, double, double,
                          double, double);

// Builds the tree of the points' tight box with the given builder.
TTreeResult BuildTree(const std::vector<TPoint>& points, std::int32_t maxRegion, TBuilder builder = &BuildArea) {
    double south = 1e9, west = 1e9, north = -1e9, east = -1e9;
    for (const TPoint& point : points) {
        south = std::min(south, point.Lat);
        west = std::min(west, point.Lon);
        north = std::max(north, point.Lat);
        east = std::max(east, point.Lon);
    }
    const auto store = FilledStore(points);
    TTreeResult result;
    TAreaStatistics statistics;
    store->StartTransaction();
    result.Area = builder(*store, maxRegion, statistics, 0, result.Alert, south, west, north, east);
    store->CommitTransaction();
    result.Regions = statistics.Regions;
    result.MaxSize = statistics.MaxSize;
    result.MaxDeep = statistics.MaxDeep;
    return result;
}

// The quadrant split decided by counts alone, with nothing written for an
// area that holds nothing: finishes only on data where no area keeps more
// than MaxRegion overlapping points.
Bytes PlainBuildArea(TSQLiteDatabase& store, std::int32_t maxRegion, TAreaStatistics& statistics, std::int32_t depth,
                     std::uint8_t& alert, double minLat, double minLon, double maxLat, double maxLon) {
    Bytes main = GpiDword(static_cast<std::uint32_t>(DegToSemicircles(maxLat))) +
                 GpiDword(static_cast<std::uint32_t>(DegToSemicircles(maxLon))) +
                 GpiDword(static_cast<std::uint32_t>(DegToSemicircles(minLat))) +
                 GpiDword(static_cast<std::uint32_t>(DegToSemicircles(minLon))) + Bytes("\0\0\0\0\1\0", 6);
    const float s = static_cast<float>(minLat), w = static_cast<float>(minLon);
    const float n = static_cast<float>(maxLat), e = static_cast<float>(maxLon);
    const std::int64_t count = CountInBox(store, s, w, n, e);
    if (count > maxRegion && depth <= 32) {
        const double midLat = (minLat + maxLat) / 2, midLon = (minLon + maxLon) / 2;
        Bytes children;
        const double quadrants[4][4] = {{minLat, minLon, midLat, midLon},
                                        {minLat, midLon, midLat, maxLon},
                                        {midLat, minLon, maxLat, midLon},
                                        {midLat, midLon, maxLat, maxLon}};
        for (const auto& q : quadrants) {
            std::uint8_t childAlert = 0;
            children += PlainBuildArea(store, maxRegion, statistics, depth + 1, childAlert, q[0], q[1], q[2], q[3]);
            if (childAlert) alert = 1;
        }
        if (children.empty()) return Bytes();
        return GpiRecord(8, main + static_cast<char>(alert), children);
    }
    bool leafAlert = false;
    Bytes records;
    ExtractInBox(store, leafAlert, records, s, w, n, e);
    alert = leafAlert;
    if (records.empty()) return Bytes();
    return GpiRecord(8, main + static_cast<char>(alert), records);
}

void ExpectEveryPointOnce(const TTreeResult& result, const std::vector<TPoint>& points) {
    const TArea root = ReadRootArea(result.Area);
    std::vector<Bytes> written;
    test::CollectPoints(root, written);
    std::vector<Bytes> expected;
    for (std::size_t i = 0; i < points.size(); ++i) expected.push_back(PointRecord(i, points[i]));
    std::sort(written.begin(), written.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(written, expected);
}

std::vector<TPoint> SamePosition(int count) { return std::vector<TPoint>(count, TPoint{47.5, 8.25, false}); }

TEST(AreaTreeBoundTest, ThousandPointsAtOnePositionWithMaxRegionOneFinish) {
    const auto points = SamePosition(1000);
    const TTreeResult result = BuildTree(points, 1);
    ExpectEveryPointOnce(result, points);
    const TArea root = ReadRootArea(result.Area);
    EXPECT_EQ(test::AreaDepth(root), 33);  // one chain of south-west quadrants down to the last level
    EXPECT_EQ(result.MaxDeep, 33);
    EXPECT_EQ(result.MaxSize, 1000);
    // Four leaves at depth 33 and the three emptied siblings on each level above.
    EXPECT_EQ(result.Regions, 4 + 3 * 32);
}

TEST(AreaTreeBoundTest, MaxRegionBelowOneActsAsOne) {
    std::vector<TPoint> scattered;
    for (int i = 0; i < 40; ++i) scattered.push_back({10 + 0.37 * (i % 7), 20 + 0.23 * (i / 7), i % 5 == 0});
    for (const auto& points : {SamePosition(1000), scattered}) {
        const TTreeResult one = BuildTree(points, 1);
        for (std::int32_t maxRegion : {0, -5, std::numeric_limits<std::int32_t>::min()}) {
            const TTreeResult result = BuildTree(points, maxRegion);
            EXPECT_EQ(result.Area, one.Area) << maxRegion;
            EXPECT_EQ(result.Alert, one.Alert);
            EXPECT_EQ(result.Regions, one.Regions);
            EXPECT_EQ(result.MaxSize, one.MaxSize);
            EXPECT_EQ(result.MaxDeep, one.MaxDeep);
        }
        ExpectEveryPointOnce(one, points);
    }
}

// 1.14e-5 degrees apart on one longitude: apart by the rule, yet the areas
// of a box without width double on every level.
TEST(AreaTreeBoundTest, PointsJustApartOnOneLongitudeFinish) {
    float north = 10.0f;
    for (int i = 0; i < 12; ++i) north = std::nextafter(north, 11.0f);
    const std::vector<TPoint> points{{10.0, 20.0, false}, {north, 20.0, true}};
    ASSERT_GT(north - 10.0, 0.00001);
    const TTreeResult result = BuildTree(points, 1);
    ExpectEveryPointOnce(result, points);
    EXPECT_EQ(result.Alert, 1);
}

TEST(AreaTreeBoundTest, DenseCloudWithMaxRegionOneFinishes) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> offset(0.0, 0.00002);
    std::vector<TPoint> points;
    for (int i = 0; i < 120; ++i) points.push_back({-33.9 + offset(random), 151.2 + offset(random), i == 60});
    points.push_back({-33.8, 151.3, false});
    const TTreeResult result = BuildTree(points, 1);
    ExpectEveryPointOnce(result, points);
    EXPECT_EQ(result.Alert, 1);
    EXPECT_LE(result.MaxDeep, 33);
}

// Where the plain split finishes, the bound changes no byte of the tree.
TEST(AreaTreeBoundTest, TreeIsWrittenAsThePlainSplitWritesIt) {
    // Distinct cells of a 0.001-degree grid, points on the middle lines too.
    std::vector<int> cells(101 * 101);
    for (std::size_t i = 0; i < cells.size(); ++i) cells[i] = static_cast<int>(i);
    std::shuffle(cells.begin(), cells.end(), std::mt19937(11));
    std::vector<TPoint> grid;
    for (int i = 0; i < 600; ++i) grid.push_back({0.001 * (cells[i] / 101), 0.001 * (cells[i] % 101), i % 97 == 0});
    const std::vector<TPoint> oneLongitude{{10, 20, false}, {10.5, 20, true}, {11, 20, false}};
    struct TCase {
        const char* Name;
        std::vector<TPoint> Points;
        std::int32_t MaxRegion;
    };
    for (const TCase& c : {TCase{"grid", grid, 3}, TCase{"grid", grid, 1}, TCase{"one longitude", oneLongitude, 1},
                           TCase{"same position", SamePosition(3), 3}}) {
        const TTreeResult bounded = BuildTree(c.Points, c.MaxRegion);
        const TTreeResult plain = BuildTree(c.Points, c.MaxRegion, &PlainBuildArea);
        EXPECT_EQ(bounded.Area, plain.Area) << c.Name << " " << c.MaxRegion;
        EXPECT_EQ(bounded.Alert, plain.Alert) << c.Name;
        ExpectEveryPointOnce(bounded, c.Points);
    }
}

// Areas whose points were all taken are not split further: they count as
// one empty leaf each.
TEST(AreaTreeBoundTest, EmptiedNarrowAreaCountsAsOneLeaf) {
    const TTreeResult result = BuildTree({{10, 20, false}, {10.5, 20, false}, {11, 20, false}}, 1);
    const TArea root = ReadRootArea(result.Area);
    ASSERT_EQ(root.Children.size(), 2u);
    EXPECT_EQ(root.Children[0].Children.size(), 2u);
    EXPECT_EQ(root.Children[1].Children.size(), 1u);
    EXPECT_EQ(result.Regions, 10);
    EXPECT_EQ(result.MaxDeep, 2);
    EXPECT_EQ(result.MaxSize, 2);
}

}  // namespace
}  // namespace kestro
