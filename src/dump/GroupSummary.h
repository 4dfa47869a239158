#pragma once
// What the pictures of a group share: its points in file order, the category
// of each point as an index into the group's category list, counts, the
// extent, and one colour per category.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "gpi/GpiReader.h"

namespace kestro {

constexpr int NoCategory = -1;

struct TGroupExtent {
    double South = 0, West = 0, North = 0, East = 0;  // degrees
};

struct TGroupSummary {
    std::vector<const TGpiPoint*> Points;  // depth first, as the file holds them
    std::vector<const TGpiArea*> Areas;
    std::vector<int> PointCategory;          // per point: index into the group's categories, or NoCategory
    std::vector<std::size_t> CategoryCounts;  // per category of the group
    std::size_t Uncategorised = 0;
    std::size_t Alerts = 0;
    std::size_t Photos = 0;
    TGroupExtent Extent;  // of the areas and points; 0, 0 for an empty group
};

TGroupSummary SummarizeGroup(const TGpiGroup& group);

// Distinct colours for categories, "#rrggbb"; they repeat after a dozen.
std::string CategoryColour(int category);

}  // namespace kestro
