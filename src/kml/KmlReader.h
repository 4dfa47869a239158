#pragma once
// Reads the point placemarks of a KML file, or of the KML document inside a
// KMZ archive, and hands each one's fields on with the folder it lies in
// and its style's icon; lines, polygons, overlays and the like are counted
// in a note, not converted.
#include <cstdint>
#include <string>

#include "waypoints/WaypointFormat.h"

namespace kestro {

// The most a KMZ's document unpacks to; beyond it the rest is not read (an
// archive that unpacks to gigabytes of blanks is no document).
constexpr std::uint64_t MaxKmzDocumentBytes = 512u << 20;

// The KML reader of the waypoint format shape, for ".kml" and ".kmz" files:
// returns the points met.
std::int32_t ReadKmlWaypoints(const std::string& path, const TWaypointTaker& take, const TReadProgress& progress,
                              IFileFindings& findings);

// The KMZ archive at path, its document read up to `documentLimit` bytes.
std::int32_t ReadKmzWaypoints(const std::string& path, const TWaypointTaker& take, const TReadProgress& progress,
                              IFileFindings& findings, std::uint64_t documentLimit = MaxKmzDocumentBytes);

}  // namespace kestro
