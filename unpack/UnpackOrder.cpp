#include "unpack/UnpackOrder.h"

#include <deque>
#include <map>

namespace kestro {

std::vector<std::vector<TOrderItem>> OrderWaypoints(const std::vector<TOrderPoint>& points, std::size_t fileCount,
                                                    std::size_t iconCount) {
    std::vector<std::vector<TOrderItem>> order(fileCount);
    std::vector<bool> loaded(iconCount, false);
    std::vector<std::size_t> uses(iconCount, 0);  // by points not yet placed
    for (const auto& point : points)
        if (point.Icon >= 0) ++uses[static_cast<std::size_t>(point.Icon)];
    std::size_t next = 0;  // the lowest icon number not yet taken
    auto load = [&](int icon) {
        loaded[static_cast<std::size_t>(icon)] = true;
        while (next < iconCount && loaded[next]) ++next;
    };

    for (std::size_t file = 0; file < fileCount; ++file) {
        // The file's points of each leaf must keep their relative order.
        std::vector<std::deque<int>> chains;
        std::map<std::size_t, std::size_t> chainOfLeaf;
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (points[i].File != file) continue;
            auto [it, added] = chainOfLeaf.emplace(points[i].Leaf, chains.size());
            if (added) chains.emplace_back();
            chains[it->second].push_back(static_cast<int>(i));
        }
        auto emit = [&](std::deque<int>& chain) {
            const int index = chain.front();
            chain.pop_front();
            const int icon = points[static_cast<std::size_t>(index)].Icon;
            if (icon >= 0) {
                --uses[static_cast<std::size_t>(icon)];
                if (!loaded[static_cast<std::size_t>(icon)]) load(icon);
            }
            order[file].push_back(TOrderItem{index, -1});
        };
        std::size_t firstLeft = 0;  // chains before it are done
        for (;;) {
            while (firstLeft < chains.size() && chains[firstLeft].empty()) ++firstLeft;
            std::deque<int>* free = nullptr;
            std::deque<int>* takesNext = nullptr;
            std::deque<int>* lowest = nullptr;
            for (std::size_t c = firstLeft; c < chains.size(); ++c) {
                auto& chain = chains[c];
                if (chain.empty()) continue;
                const int icon = points[static_cast<std::size_t>(chain.front())].Icon;
                if (icon < 0 || loaded[static_cast<std::size_t>(icon)]) {
                    free = &chain;
                    break;
                }
                if (static_cast<std::size_t>(icon) == next && takesNext == nullptr) takesNext = &chain;
                if (lowest == nullptr || icon < points[static_cast<std::size_t>(lowest->front())].Icon) lowest = &chain;
            }
            if (free != nullptr) {
                emit(*free);
            } else if (takesNext != nullptr) {
                emit(*takesNext);
            } else if (lowest == nullptr) {
                break;  // the file is done
            } else if (uses[next] == 0) {
                // Only a waypoint the file does not keep used this icon.
                order[file].push_back(TOrderItem{-1, static_cast<int>(next)});
                load(static_cast<int>(next));
            } else {
                emit(*lowest);  // the numbering cannot be kept; the icons stay
            }
        }
    }
    if (fileCount > 0)
        while (next < iconCount) {
            order[fileCount - 1].push_back(TOrderItem{-1, static_cast<int>(next)});
            load(static_cast<int>(next));
        }
    return order;
}

}  // namespace kestro
