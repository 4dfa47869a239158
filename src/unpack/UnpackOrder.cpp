#include "unpack/UnpackOrder.h"

#include <deque>
#include <map>
#include <set>

namespace kestro {

namespace {

// The run-wide state of the icons: which are loaded, and how many points
// not yet placed use each.
struct TIconState {
    std::vector<bool> Loaded;
    std::vector<std::size_t> Uses;  // by points not yet placed
    std::size_t Next = 0;           // the lowest icon number not yet taken
};

// The points of one file as chains, one per leaf, each in reading order.
// A chain waits while the icon of its first point is not loaded yet; the
// chains are kept sorted by state, so each choice costs a logarithm, not a
// walk over all chains.
class TFileChains {
public:
    TFileChains(const std::vector<TOrderPoint>& points, const std::vector<int>& ofFile, TIconState& icons)
        : points_(points), icons_(icons) {
        std::map<std::size_t, std::size_t> chainOfLeaf;
        for (const int index : ofFile) {
            auto [it, added] = chainOfLeaf.emplace(points[static_cast<std::size_t>(index)].Leaf, chains_.size());
            if (added) chains_.emplace_back();
            chains_[it->second].push_back(index);
        }
        for (std::size_t c = 0; c < chains_.size(); ++c) File(c);
    }

    // The order of the file's waypoints; loads icons as it goes.
    std::vector<TOrderItem> Order() {
        std::vector<TOrderItem> order;
        for (;;) {
            if (!free_.empty()) {
                order.push_back(Emit(*free_.begin()));
            } else if (const auto next = waiting_.find(static_cast<int>(icons_.Next)); next != waiting_.end()) {
                order.push_back(Emit(*next->second.begin()));
            } else if (waiting_.empty()) {
                return order;  // the file is done
            } else if (icons_.Uses[icons_.Next] == 0) {
                // Only a waypoint the file does not keep used this icon.
                order.push_back(TOrderItem{-1, static_cast<int>(icons_.Next)});
                Load(static_cast<int>(icons_.Next));
            } else {
                // The numbering cannot be kept; the icons stay.
                order.push_back(Emit(*waiting_.begin()->second.begin()));
            }
        }
    }

    // Marks the icon loaded; the chains that waited for it are free now.
    void Load(int icon) {
        icons_.Loaded[static_cast<std::size_t>(icon)] = true;
        while (icons_.Next < icons_.Loaded.size() && icons_.Loaded[icons_.Next]) ++icons_.Next;
        const auto waiting = waiting_.find(icon);
        if (waiting == waiting_.end()) return;
        free_.insert(waiting->second.begin(), waiting->second.end());
        waiting_.erase(waiting);
    }

private:
    int FrontIcon(std::size_t chain) const { return points_[static_cast<std::size_t>(chains_[chain].front())].Icon; }

    // Files the chain under its state; an empty chain under none.
    void File(std::size_t chain) {
        if (chains_[chain].empty()) return;
        const int icon = FrontIcon(chain);
        if (icon < 0 || icons_.Loaded[static_cast<std::size_t>(icon)]) free_.insert(chain);
        else waiting_[icon].insert(chain);
    }

    void Unfile(std::size_t chain) {
        const int icon = FrontIcon(chain);
        if (free_.erase(chain) != 0) return;
        const auto waiting = waiting_.find(icon);
        waiting->second.erase(chain);
        if (waiting->second.empty()) waiting_.erase(waiting);
    }

    TOrderItem Emit(std::size_t chain) {
        Unfile(chain);
        const int index = chains_[chain].front();
        chains_[chain].pop_front();
        const int icon = points_[static_cast<std::size_t>(index)].Icon;
        if (icon >= 0) {
            --icons_.Uses[static_cast<std::size_t>(icon)];
            if (!icons_.Loaded[static_cast<std::size_t>(icon)]) Load(icon);
        }
        File(chain);
        return TOrderItem{index, -1};
    }

    const std::vector<TOrderPoint>& points_;
    TIconState& icons_;
    std::vector<std::deque<int>> chains_;
    std::set<std::size_t> free_;                    // chains whose first point can come now
    std::map<int, std::set<std::size_t>> waiting_;  // by the icon they wait for
};

}  // namespace

std::vector<std::vector<TOrderItem>> OrderWaypoints(const std::vector<TOrderPoint>& points, std::size_t fileCount,
                                                    std::size_t iconCount) {
    TIconState icons{std::vector<bool>(iconCount, false), std::vector<std::size_t>(iconCount, 0), 0};
    std::vector<std::vector<int>> pointsOfFile(fileCount);
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (points[i].Icon >= 0) ++icons.Uses[static_cast<std::size_t>(points[i].Icon)];
        if (points[i].File < fileCount) pointsOfFile[points[i].File].push_back(static_cast<int>(i));
    }
    std::vector<std::vector<TOrderItem>> order(fileCount);
    for (std::size_t file = 0; file < fileCount; ++file) {
        TFileChains chains(points, pointsOfFile[file], icons);
        order[file] = chains.Order();
        if (file + 1 == fileCount) {
            // Icons that no point uses get placeholders at the end of the last file.
            while (icons.Next < iconCount) {
                order[file].push_back(TOrderItem{-1, static_cast<int>(icons.Next)});
                chains.Load(static_cast<int>(icons.Next));
            }
        }
    }
    return order;
}

}  // namespace kestro
