#pragma once
// Reads CSV lists of points: one point per line, with a header line naming
// the columns or in the order longitude, latitude, name, comment.
#include <cstdint>
#include <functional>
#include <istream>
#include <string>

#include "csv/CsvText.h"
#include "waypoints/WaypointFormat.h"

namespace kestro {

struct TCsvSummary {
    std::int32_t DataLines = 0;     // lines after the header, read or left out
    std::int32_t LeftOut = 0;       // lines without number coordinates or with too few fields
    std::int64_t FirstLeftOut = 0;  // line number of the first of them
    bool NoCoordinateColumns = false;  // a header without latitude and longitude: nothing read
};

// Reads the CSV text of `in` (of the kind ScanCsvText found), handing every
// usable line's waypoint, with texts in `codePage`, to `take`.
TCsvSummary ReadCsvWaypoints(std::istream& in, const TCsvTextKind& kind, std::int32_t codePage,
                             const TWaypointTaker& take, const TReadProgress& progress = {});

// The CSV reader of the waypoint format shape: the file's text kind is
// found first (a file of no text is not read); returns the data lines,
// read or left out, and tells what was left out.
std::int32_t ReadCsvFileWaypoints(const std::string& path, const TWaypointTaker& take, const TReadProgress& progress,
                                  IFileFindings& findings);

}  // namespace kestro
