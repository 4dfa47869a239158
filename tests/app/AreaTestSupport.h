#pragma once
// The area records the tree builds, read back through the program's GPI
// reader into a shape the area-tree tests compare easily.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/Bytes.h"
#include "support/GpiReadBack.h"

namespace kestro::test {

// An area record read back: its bounds in semicircles, alert byte, and
// either sub-areas or point records (whole, envelope included).
struct TArea {
    std::int32_t North = 0, East = 0, South = 0, West = 0;
    int Alert = -1;
    std::vector<TArea> Children;
    std::vector<Bytes> Points;
};

inline TArea ToTestArea(const TGpiArea& read, const Bytes& content) {
    TArea area;
    area.North = read.North;
    area.East = read.East;
    area.South = read.South;
    area.West = read.West;
    EXPECT_EQ(read.Fixed, Bytes("\0\0\0\0\1\0", 6));
    area.Alert = read.AlertFlag;
    // Readers stop at an area without children: none may be written.
    EXPECT_FALSE(read.Areas.empty() && read.Points.empty()) << "area record without children";
    for (const TGpiOther& other : read.Records) ADD_FAILURE() << "record of type " << other.Type << " inside an area";
    for (const TGpiArea& child : read.Areas) area.Children.push_back(ToTestArea(child, content));
    for (const TGpiPoint& point : read.Points) area.Points.push_back(RecordAt(content, point.Offset));
    EXPECT_TRUE(area.Children.empty() || area.Points.empty()) << "area holds sub-areas and points";
    return area;
}

// The one area record of `bytes`, read back.
inline TArea ReadRootArea(const Bytes& bytes) {
    const TReadBack read = ReadGroupMain(bytes);
    if (read.File.Groups.size() != 1u || !read.File.Groups[0].Root) {
        ADD_FAILURE() << "no area read back";
        return TArea();
    }
    EXPECT_TRUE(read.File.Groups[0].MainRecords.empty()) << "more than the one area record";
    return ToTestArea(*read.File.Groups[0].Root, read.Content);
}

// All point records of an area and its sub-areas, in writing order.
inline void CollectPoints(const TArea& area, std::vector<Bytes>& points) {
    points.insert(points.end(), area.Points.begin(), area.Points.end());
    for (const TArea& child : area.Children) CollectPoints(child, points);
}

inline int AreaDepth(const TArea& area) {
    int deepest = 0;
    for (const TArea& child : area.Children) deepest = std::max(deepest, AreaDepth(child) + 1);
    return deepest;
}

}  // namespace kestro::test
