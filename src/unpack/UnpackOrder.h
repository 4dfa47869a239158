#pragma once
// The order of the waypoints in the category files of one group. The
// converter numbers icons by first use in reading order (files in listing
// order, waypoints in document order), and its point store gives a leaf's
// points back in reading order; the order chosen here keeps both.
#include <cstddef>
#include <vector>

namespace kestro {

struct TOrderPoint {
    std::size_t File = 0;  // position of the point's file in listing order
    std::size_t Leaf = 0;  // the area that holds the point
    int Icon = -1;         // the icon's number in the file, -1 none
};

// A waypoint to write: a point (index into the points given), or, where an
// icon must take its number before any point uses it, a placeholder that
// only loads that icon.
struct TOrderItem {
    int Point = -1;
    int Icon = -1;  // for a placeholder
};

// Per file (in listing order), its waypoints. points come in reading order.
// Icons that no point uses get placeholders at the end of the last file.
std::vector<std::vector<TOrderItem>> OrderWaypoints(const std::vector<TOrderPoint>& points, std::size_t fileCount,
                                                    std::size_t iconCount);

}  // namespace kestro
