#pragma once
// Reads CSV lists of points: one point per line, with a header line naming
// the columns or in the order longitude, latitude, name, comment.
#include <cstdint>
#include <functional>
#include <istream>
#include <string>

#include "csv/CsvText.h"
#include "waypoints/WaypointFields.h"

namespace kestro {

class TWaypointReader;

struct TCsvSummary {
    std::int32_t DataLines = 0;     // lines after the header, read or left out
    std::int32_t LeftOut = 0;       // lines without number coordinates or with too few fields
    std::int64_t FirstLeftOut = 0;  // line number of the first of them
    bool NoCoordinateColumns = false;  // a header without latitude and longitude: nothing read
};

using TCsvWaypointTaker = std::function<void(TWaypointFields&)>;
// After every few lines: the bytes read so far and the data lines met.
using TCsvProgress = std::function<void(std::uint64_t bytesRead, std::int32_t dataLines)>;

// Reads the CSV text of `in` (of the kind ScanCsvText found), handing every
// usable line's waypoint, with texts in `codePage`, to `take`.
TCsvSummary ReadCsvWaypoints(std::istream& in, const TCsvTextKind& kind, std::int32_t codePage,
                             const TCsvWaypointTaker& take, const TCsvProgress& progress = {});

// Reads one CSV file of a group through the reader: its points, the
// warnings about what was left out, Count the file's data lines.
void LoadCsvFile(TWaypointReader& reader, const std::string& path);

}  // namespace kestro
