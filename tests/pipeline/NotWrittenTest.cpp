#include <gtest/gtest.h>

#include <sstream>

#include "pipeline/NotWritten.h"

namespace kestro {
namespace {

// Counts are waypoints, however many reports bring them.
TEST(NotWritten, TotalsAreWaypointsNotReports) {
    TNotWritten notWritten;
    notWritten.Record(TNotWritten::UnreadableCsvLines, "a.csv", 3);
    notWritten.Record(TNotWritten::OutsideTheMap, "b.gpx");
    notWritten.Record(TNotWritten::OutsideTheMap, "b.gpx");
    notWritten.Record(TNotWritten::OutsideTheMap, "c.gpx", 0);
    std::ostringstream err;
    notWritten.PrintSummary(err);
    EXPECT_EQ(err.str(),
              "kestro: 5 waypoints not written: 3 in CSV lines that could not be read, 2 outside the map\n"
              "kestro:   in CSV lines that could not be read: a.csv (3)\n"
              "kestro:   outside the map: b.gpx (2)\n");
}

}  // namespace
}  // namespace kestro
