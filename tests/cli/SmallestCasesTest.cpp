// The smallest runs that tell a sound program from one slightly off: each
// case stands where a plausible slip would pass every other test.
#include "ConversionSupport.h"

namespace kestro::conversion_test {
namespace {

// Standard output into another file of the destination's folder, with the
// destination already there: the GPI replaces the destination, the log gets
// the text, however alike the two look to a check of the device alone.
TEST(SmallestCases, OutputBesideAnExistingDestinationGoesToTheDestination) {
    TempDir t;
    WriteFile(t / "src/G/a.gpx", Gpx(Named("50", "14", "A")));
    WriteFile(t / "out.gpi", "old bytes");
    const auto run = RunCommand("cd " + Q(t.Path()) + " && " + Q(KestroBinary()) + " src out.gpi > log");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_EQ(ReadFile(t / "out.gpi").substr(8, 8), "GRMREC00");
    ExpectDumpCheckClean(t / "out.gpi");
    const std::string log = ReadFile(t / "log");
    EXPECT_NE(log.find("Done.\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("GRMREC00"), std::string::npos);
}

// -q silences standard output only: warnings, notes and the summary of
// waypoints not written stay on standard error.
TEST(SmallestCases, QuietKeepsWarningsAndTheSummary) {
    TempDir t;
    WriteFile(t / "src/G/a.gpx",
              Gpx(" <wpt lon=\"14\"><name>NoLat</name></wpt>\n" + Named("50", "14", "A") + Named("91", "1", "Off")));
    const auto quiet = RunCommand("(cd " + Q(t.Path()) + " && " + Q(KestroBinary()) + " -q src out.gpi 2>err >out)");
    ASSERT_EQ(quiet.ExitCode, 0) << quiet.Output;
    EXPECT_EQ(ReadFile(t / "out"), "");
    EXPECT_EQ(ReadFile(t / "err"),
              "kestro: warning: src/G/a.gpx: waypoint \"NoLat\" not written: latitude missing\n"
              "kestro: 2 waypoints not written: 1 without usable coordinates or at 0, 0, 1 outside the map\n"
              "kestro:   without usable coordinates or at 0, 0: src/G/a.gpx (1)\n"
              "kestro:   outside the map: src/G/a.gpx (1)\n");
}

// Two waypoints left out of one file count as two, whether they come one
// by one (GPX) or in one go (a CSV list without coordinate columns, which
// are lines that cannot be read, not waypoints without coordinates).
TEST(SmallestCases, NotWrittenCountsWaypointsNotReports) {
    TempDir t;
    WriteFile(t / "src/G/a.gpx", Gpx(Named("50", "14", "A") + Named("91", "1", "Off") + Named("92", "1", "Off2")));
    WriteFile(t / "src/G/b.csv", "lat,lon,name\nx,1,X\ny,2,Y\n");
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    const auto summary = LinesStarting(run.Output, "kestro: 4 waypoints not written: ");
    ASSERT_EQ(summary.size(), 1u) << run.Output;
    EXPECT_EQ(summary[0], "kestro: 4 waypoints not written: 2 outside the map, 2 in CSV lines that could not be read");
    EXPECT_EQ(LinesStarting(run.Output, "kestro:   outside the map: "),
              std::vector<std::string>{"kestro:   outside the map: src/G/a.gpx (2)"});
    EXPECT_EQ(LinesStarting(run.Output, "kestro:   in CSV lines that could not be read: "),
              std::vector<std::string>{"kestro:   in CSV lines that could not be read: src/G/b.csv (2)"});
}

// A linked icon's extension is found in any letter case.
TEST(SmallestCases, LinkedIconInCapitalLetters) {
    TempDir t;
    WriteFile(t / "src/G/a.gpx", Gpx(Named("50", "14", "A", "<link href=\"Cam.BMP\"/>")));
    WriteFile(t / "Cam.BMP", Bmp(16, 16));
    const auto run = Convert(t / "src", t.Path());
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_EQ(LinesStarting(run.Output, "  Icon: "), std::vector<std::string>{"  Icon: Cam.BMP"});
    ASSERT_NE(FindPart<TGpiBitmapRef>(run.Point("A")), nullptr);
}

}  // namespace
}  // namespace kestro::conversion_test
