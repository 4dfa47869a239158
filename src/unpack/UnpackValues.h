#pragma once
// Values of a point written back as the GPX reader takes them in.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/Bytes.h"
#include "sources/AlertDefaults.h"

namespace kestro {

// The middle of the degrees that truncate to these semicircles (away from 0).
double SemicircleMiddle(std::int32_t semicircles);

// The shortest decimal text that the GPX reader turns back into these
// semicircles. A file written from ordinary GPX coordinates (up to seven
// decimals) gets its own texts back, so the rebuilt area tree splits at the
// same doubles. With nonZero, 0 comes out as a tiny value that still gives 0
// semicircles, since a waypoint at exactly 0, 0 is not stored.
std::string CoordinateText(std::int32_t semicircles, bool nonZero = false);

// What a waypoint must say so that, in a file whose name gives `defaults`,
// the rebuilt point carries the alert record `wanted` (its 12-byte main part,
// or nothing for a point without alert).
struct TAlertWriting {
    std::optional<std::int32_t> Speed;      // as the "@speed" name suffix
    std::optional<std::int32_t> Proximity;  // as gpxx:Proximity
    bool Exact = true;                      // false: the nearest the reader can give
};
TAlertWriting AlertWriting(const std::optional<Bytes>& wanted, TAlertDefaults defaults);

}  // namespace kestro
