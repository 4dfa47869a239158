#pragma once
// Reads CSV lists of points: one point per line, with a header line naming
// the columns or in the order longitude, latitude, name, comment.
#include <cstdint>
#include <functional>
#include <istream>
#include <string>
#include <vector>

#include "csv/CsvText.h"
#include "waypoints/WaypointFormat.h"

namespace kestro {

// A line of a list and what befell it, as warnings say it (UTF-8).
struct TCsvLineNote {
    std::int64_t Line = 0;
    std::string Text;
};

struct TCsvSummary {
    // Lines listed by number, per kind; beyond them only counted.
    static constexpr std::size_t ListedLines = 20;

    std::int32_t DataLines = 0;     // lines after the header, read or left out
    std::int32_t LeftOut = 0;       // lines without number coordinates or with too few fields
    std::int64_t FirstLeftOut = 0;  // line number of the first of them
    std::vector<TCsvLineNote> LeftOutLines;  // the first ListedLines of them, with the reason
    bool NoCoordinateColumns = false;  // a header without latitude and longitude: nothing read
    // Lines read otherwise than written: a quote taken back, a field cut at
    // its bound (the first ListedLines).
    std::vector<TCsvLineNote> ReadOtherwise;
    std::int64_t ReadOtherwiseCount = 0;
    // Header columns past the last one read: how many, the first few named.
    std::int64_t ColumnsNotRead = 0;
    std::vector<std::string> ColumnsNotReadNames;
    // Characters of the texts that the code page cannot hold, written as "?".
    std::int64_t Replaced = 0;
    char32_t FirstReplaced = 0;
};

// Reads the CSV text of `in` (of the kind ScanCsvText found), handing every
// usable line's waypoint, with texts in `codePage` and its line number, to
// `take`. A stream that can seek lets a quote that never closes be taken back.
TCsvSummary ReadCsvWaypoints(std::istream& in, const TCsvTextKind& kind, std::int32_t codePage,
                             const TWaypointTaker& take, const TReadProgress& progress = {});

// The CSV reader of the waypoint format shape: the file's text kind is
// found first (a file of no text is not read); returns the data lines,
// read or left out, and tells what was left out.
std::int32_t ReadCsvFileWaypoints(const std::string& path, const TWaypointTaker& take, const TReadProgress& progress,
                                  IFileFindings& findings);

// The warnings about a list's lines and columns, each line left out named
// with its reason (the first ListedLines, then how many more).
void ReportCsvSummary(const TCsvSummary& summary, IFileFindings& findings);

}  // namespace kestro
