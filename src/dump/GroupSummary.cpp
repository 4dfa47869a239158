#include "dump/GroupSummary.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

namespace kestro {

namespace {

struct TCollector {
    const std::map<std::uint16_t, int>& CategoryIndex;
    TGroupSummary& Summary;
    double South = HUGE_VAL, West = HUGE_VAL, North = -HUGE_VAL, East = -HUGE_VAL;

    void Add(std::int32_t lat, std::int32_t lon) {
        const double la = SemicirclesToDeg(lat), lo = SemicirclesToDeg(lon);
        South = std::min(South, la);
        North = std::max(North, la);
        West = std::min(West, lo);
        East = std::max(East, lo);
    }

    void Visit(const TGpiArea& area) {
        Summary.Areas.push_back(&area);
        Add(area.South, area.West);
        Add(area.North, area.East);
        for (const auto& point : area.Points) {
            Summary.Points.push_back(&point);
            Add(point.Lat, point.Lon);
            int category = NoCategory;
            for (const auto& part : point.Parts) {
                if (const auto* ref = std::get_if<TGpiCategoryRef>(&part); ref != nullptr && category == NoCategory) {
                    const auto found = CategoryIndex.find(ref->Number);
                    if (found != CategoryIndex.end()) category = found->second;
                }
                if (std::holds_alternative<TGpiImage>(part)) ++Summary.Photos;
            }
            Summary.PointCategory.push_back(category);
            if (category == NoCategory) ++Summary.Uncategorised;
            else ++Summary.CategoryCounts[static_cast<std::size_t>(category)];
            if (point.Alert() != nullptr) ++Summary.Alerts;
        }
        for (const auto& sub : area.Areas) Visit(sub);
    }
};

}  // namespace

TGroupSummary SummarizeGroup(const TGpiGroup& group) {
    TGroupSummary summary;
    std::map<std::uint16_t, int> categoryIndex;
    for (std::size_t i = 0; i < group.Categories.size(); ++i)
        categoryIndex.emplace(group.Categories[i].Number, static_cast<int>(i));  // the first of a number wins
    summary.CategoryCounts.assign(group.Categories.size(), 0);
    TCollector collector{categoryIndex, summary};
    if (group.Root) collector.Visit(*group.Root);
    if (collector.South <= collector.North)
        summary.Extent = TGroupExtent{collector.South, collector.West, collector.North, collector.East};
    return summary;
}

std::string CategoryColour(int category) {
    static constexpr std::array<const char*, 12> Colours = {"#1f77b4", "#d62728", "#2ca02c", "#ff7f0e",
                                                            "#9467bd", "#17becf", "#8c564b", "#e377c2",
                                                            "#bcbd22", "#393b79", "#637939", "#7f7f7f"};
    if (category < 0) return "#555555";
    return Colours[static_cast<std::size_t>(category) % Colours.size()];
}

}  // namespace kestro
