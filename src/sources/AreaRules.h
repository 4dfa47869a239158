#pragma once
// How the converter cuts a group into areas, which the unpacker must match
// to choose a "maxregion" that rebuilds a file's area trees.
#include <cstdint>

namespace kestro {

// Most points one area may hold when kestro.ini does not say.
constexpr std::int32_t DefaultMaxRegion = 256;
// Areas nest 34 levels deep at most: no area below this depth is split,
// deeper ones are leaves whatever they hold.
constexpr std::int32_t DeepestSplitDepth = 32;
// Each point's box in the store's area index reaches this far north and east
// of the point (degrees).
constexpr double StoreEntrySize = 0.00001;

}  // namespace kestro
