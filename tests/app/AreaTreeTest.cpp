#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "AreaTestSupport.h"
#include "app/AreaTree.h"
#include "gpi/GpiUtil.h"
#include "store/GpiDB.h"
#include "support/TestSupport.h"

namespace kestro {
namespace {

using test::Hex;
using test::ReadRootArea;
using test::TArea;

// A point record as the encoder writes it, far enough for the tree:
// position, then the name.
Bytes PointRecord(const std::string& name, double lat, double lon) {
    Bytes main = GpiDword(static_cast<std::uint32_t>(DegToSemicircles(lat)));
    main += GpiDword(static_cast<std::uint32_t>(DegToSemicircles(lon)));
    main += Bytes("\0\0\1", 3);
    main += GpiLangString(name);
    return GpiRecord(2, main);
}

struct TBounds {
    double South, West, North, East;
};

void ExpectBounds(const TArea& area, const TBounds& box, const std::string& what) {
    EXPECT_EQ(area.North, DegToSemicircles(box.North)) << what;
    EXPECT_EQ(area.East, DegToSemicircles(box.East)) << what;
    EXPECT_EQ(area.South, DegToSemicircles(box.South)) << what;
    EXPECT_EQ(area.West, DegToSemicircles(box.West)) << what;
}

std::vector<Bytes> Sorted(std::vector<Bytes> records) {
    std::sort(records.begin(), records.end());
    return records;
}

// A group's store filled point by point, with the group's tight bounding box.
class AreaTreeTest : public ::testing::Test {
protected:

    Bytes Add(double lat, double lon, bool alert = false, std::string name = std::string()) {
        if (name.empty()) name = "p" + std::to_string(records.size());
        records.push_back(PointRecord(name, lat, lon));
        InsertPoi(*store, records.back(), alert, static_cast<float>(lat), static_cast<float>(lon));
        box.South = std::min(box.South, lat);
        box.West = std::min(box.West, lon);
        box.North = std::max(box.North, lat);
        box.East = std::max(box.East, lon);
        return records.back();
    }
    Bytes Build() { return BuildBox(box); }
    Bytes BuildBox(const TBounds& bounds) {
        store->StartTransaction();
        rootAlert = 0;
        Bytes area = BuildArea(*store, maxRegion, statistics, 0, rootAlert, bounds.South, bounds.West, bounds.North, bounds.East);
        store->CommitTransaction();
        return area;
    }

    std::unique_ptr<TSQLiteDatabase> store = CreatePoiStore();
    std::int32_t maxRegion = 256;
    std::vector<Bytes> records;
    TBounds box{std::numeric_limits<double>::max(), std::numeric_limits<double>::max(),
                std::numeric_limits<double>::lowest(), std::numeric_limits<double>::lowest()};
    std::uint8_t rootAlert = 0;
    TAreaStatistics statistics;
};

TEST_F(AreaTreeTest, AtMostMaxRegionPointsMakeOneLeafWithTheTightBox) {
    Add(1.0, 22.5);
    Add(45.0, 90.0);
    Add(10.0, 50.0);
    const Bytes area = Build();
    Bytes extra;
    for (const Bytes& record : records) extra += record;
    // north 45, east 90, south 1, west 22.5; no alert
    EXPECT_EQ(test::ToHex(area.substr(0, 35)),
              test::ToHex(GpiWord(8) + GpiWord(8) + GpiDword(static_cast<std::uint32_t>(23 + extra.size())) +
                          Hex("17 00 00 00  FF FF FF 1F  FF FF FF 3F  60 0B B6 00  FF FF FF 0F  00 00 00 00 01 00 00")));
    EXPECT_EQ(area.size(), 12 + 23 + extra.size());
    const TArea root = ReadRootArea(area);
    EXPECT_TRUE(root.Children.empty());
    EXPECT_EQ(Sorted(root.Points), Sorted(records));
    EXPECT_EQ(rootAlert, 0);
    EXPECT_EQ(statistics.Regions, 1);
    EXPECT_EQ(statistics.MaxDeep, 0);
    EXPECT_EQ(statistics.MaxSize, 3);
}

TEST_F(AreaTreeTest, OverMaxRegionSplitsIntoQuadrantsSouthWestFirstNorthEastLast) {
    std::vector<Bytes> quadrantRecords[4];  // south-west, south-east, north-west, north-east
    for (int i = 0; i < 16; ++i)
        for (int j = 0; j < 16; ++j)
            quadrantRecords[(i >= 8 ? 2 : 0) + (j >= 8 ? 1 : 0)].push_back(Add(0.25 + 0.5 * i, 0.25 + 0.5 * j));
    quadrantRecords[0].push_back(Add(1.1, 1.1));
    ASSERT_EQ(records.size(), 257u);
    const TArea root = ReadRootArea(Build());
    ExpectBounds(root, {0.25, 0.25, 7.75, 7.75}, "root");
    ASSERT_EQ(root.Children.size(), 4u);
    const TBounds quadrants[] = {{0.25, 0.25, 4, 4}, {0.25, 4, 4, 7.75}, {4, 0.25, 7.75, 4}, {4, 4, 7.75, 7.75}};
    for (int q = 0; q < 4; ++q) {
        ExpectBounds(root.Children[q], quadrants[q], "quadrant " + std::to_string(q));
        EXPECT_TRUE(root.Children[q].Children.empty());
        EXPECT_EQ(Sorted(root.Children[q].Points), Sorted(quadrantRecords[q])) << q;
    }
    EXPECT_EQ(statistics.Regions, 4);  // leaves only
    EXPECT_EQ(statistics.MaxDeep, 1);
    EXPECT_EQ(statistics.MaxSize, 65);
}

TEST_F(AreaTreeTest, TwoPointsOneDegreeApartEachGetALeafOfTheirOwn) {
    maxRegion = 1;
    const Bytes south = Add(10.0, 20.0);
    const Bytes north = Add(11.0, 21.0);
    const TArea root = ReadRootArea(Build());
    ASSERT_EQ(root.Children.size(), 2u);
    ExpectBounds(root.Children[0], {10, 20, 10.5, 20.5}, "south-west");
    ExpectBounds(root.Children[1], {10.5, 20.5, 11, 21}, "north-east");
    EXPECT_EQ(root.Children[0].Points, std::vector<Bytes>{south});
    EXPECT_EQ(root.Children[1].Points, std::vector<Bytes>{north});
    EXPECT_EQ(statistics.Regions, 4);  // the two empty quadrants are visited leaves too
    EXPECT_EQ(statistics.MaxDeep, 1);
    EXPECT_EQ(statistics.MaxSize, 1);
}

TEST_F(AreaTreeTest, SplittingGoesOnOnlyWhereBothPointsAreTouched) {
    maxRegion = 1;
    const Bytes south = Add(0.5, 0.5);
    const Bytes north = Add(1.5, 0.5);
    const TArea root = ReadRootArea(BuildBox({0, 0, 4, 4}));
    ASSERT_EQ(root.Children.size(), 1u);
    const TArea& southWest = root.Children[0];
    ExpectBounds(southWest, {0, 0, 2, 2}, "south-west");
    ASSERT_EQ(southWest.Children.size(), 2u);
    ExpectBounds(southWest.Children[0], {0, 0, 1, 1}, "south-west of south-west");
    ExpectBounds(southWest.Children[1], {1, 0, 2, 1}, "north-west of south-west");
    EXPECT_EQ(southWest.Children[0].Points, std::vector<Bytes>{south});
    EXPECT_EQ(southWest.Children[1].Points, std::vector<Bytes>{north});
    EXPECT_EQ(statistics.Regions, 7);
    EXPECT_EQ(statistics.MaxDeep, 2);
    EXPECT_EQ(statistics.MaxSize, 1);
}

TEST_F(AreaTreeTest, AlertBytesMarkOnlyTheBranchWithAlerts) {
    maxRegion = 4;
    for (double lat : {1.0, 3.0})
        for (double lon : {1.0, 3.0})
            for (double offset : {0.0, 0.5}) Add(lat + offset, lon + offset, lat > 2 && lon > 2 && offset > 0);
    const TArea root = ReadRootArea(Build());
    EXPECT_EQ(rootAlert, 1);
    EXPECT_EQ(root.Alert, 1);
    ASSERT_EQ(root.Children.size(), 4u);
    for (int q = 0; q < 4; ++q) {
        EXPECT_EQ(root.Children[q].Points.size(), 2u);
        EXPECT_EQ(root.Children[q].Alert, q == 3 ? 1 : 0) << q;
    }
}

TEST_F(AreaTreeTest, TreeWithoutAlertsHasNoAlertByte) {
    maxRegion = 1;
    Add(1, 1);
    Add(2, 2);
    const TArea root = ReadRootArea(Build());
    EXPECT_EQ(rootAlert, 0);
    EXPECT_EQ(root.Alert, 0);
    for (const TArea& child : root.Children) EXPECT_EQ(child.Alert, 0);
}

TEST_F(AreaTreeTest, LeafAlertByteDoesNotDependOnTheOrderOfItsPoints) {
    for (int alertAt = 0; alertAt < 3; ++alertAt) {
        store = CreatePoiStore();
        for (int i = 0; i < 3; ++i) Add(5 + i, 5, i == alertAt);
        const TArea root = ReadRootArea(Build());
        EXPECT_EQ(root.Points.size(), 3u);
        EXPECT_EQ(root.Alert, 1) << alertAt;
        EXPECT_EQ(rootAlert, 1) << alertAt;
    }
}

// Points on the middle line count in both quadrants beside it; the north-
// west quadrant below still counts three after the south-west took them, and
// all four of its own quadrants come out empty.
TEST_F(AreaTreeTest, SplitAreaWhoseQuadrantsAllCameOutEmptyIsNotWritten) {
    maxRegion = 2;
    const Bytes corner = Add(0, 0);
    const Bytes far = Add(2, 2);
    const Bytes line1 = Add(1, 0.2);
    const Bytes line2 = Add(1, 0.4);
    const Bytes line3 = Add(1, 0.6);
    const Bytes area = Build();
    const TArea root = ReadRootArea(area);  // fails on any area without children
    ASSERT_EQ(root.Children.size(), 2u);
    const TArea& southWest = root.Children[0];
    ExpectBounds(southWest, {0, 0, 1, 1}, "south-west");
    ASSERT_EQ(southWest.Children.size(), 3u);
    EXPECT_EQ(southWest.Children[0].Points, std::vector<Bytes>{corner});
    EXPECT_EQ(Sorted(southWest.Children[1].Points), Sorted({line1, line2}));
    EXPECT_EQ(southWest.Children[2].Points, std::vector<Bytes>{line3});
    ExpectBounds(root.Children[1], {1, 1, 2, 2}, "north-east");
    EXPECT_EQ(root.Children[1].Points, std::vector<Bytes>{far});
    // 4 leaves in the south-west, the empty south-east, 4 empty leaves in the
    // north-west, the north-east.
    EXPECT_EQ(statistics.Regions, 10);
    EXPECT_EQ(statistics.MaxDeep, 2);
    EXPECT_EQ(statistics.MaxSize, 2);
}

TEST_F(AreaTreeTest, NegativeDepthIsRefused) {
    Add(1, 1);
    std::uint8_t alert = 0;
    EXPECT_THROW(BuildArea(*store, 256, statistics, -1, alert, 1, 1, 1, 1), Exception);
}

}  // namespace
}  // namespace kestro
