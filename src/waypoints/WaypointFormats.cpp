#include "waypoints/WaypointFormats.h"

#include "csv/CsvReader.h"
#include "gpx/GpxParser.h"
#include "kml/KmlReader.h"
#include "sources/GroupSources.h"

namespace kestro {

TWaypointFormat WaypointFormatFor(const std::string& path) {
    if (IsCsvFileName(path)) return ReadCsvFileWaypoints;
    if (IsKmlFileName(path)) return ReadKmlWaypoints;
    return ReadGpxWaypoints;
}

}  // namespace kestro
