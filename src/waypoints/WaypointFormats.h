#pragma once
// Which format reader reads a file of a group, by its name.
#include <string>

#include "waypoints/WaypointFormat.h"

namespace kestro {

// ReadCsvFileWaypoints for a ".csv" name, ReadKmlWaypoints for ".kml" and
// ".kmz", ReadGpxWaypoints for any other.
TWaypointFormat WaypointFormatFor(const std::string& path);

}  // namespace kestro
