// The README's recipe for a CSV list of points, run as a user runs it: the
// list is copied into a group folder under a name that sets the alert,
// kestro converts the folder, and GPSBabel reads the points back.
#include "ConversionSupport.h"

namespace kestro::conversion_test {

TEST(Recipe, CsvListBecomesACategoryWithSpeedAlerts) {
    if (RunCommand("command -v gpsbabel").ExitCode != 0) GTEST_SKIP() << "gpsbabel is not installed";
    TempDir t;
    WriteFile(t / "cams.csv",
              "lat,lon,name\n"
              "50.06453,14.42891,Nuselsk\xC3\xBD most\n"
              "49.19581,16.60842,\"Brno, Husova\"\n"
              "-33.45,-70.6667,\xC5\xA0pan\xC4\x9Bl\n");
    const auto run = RunCommand("cd " + Q(t.Path()) +
                                " && mkdir -p folder/Cameras"
                                " && cp cams.csv folder/Cameras/speed_50.csv"
                                " && " + Q(KestroBinary()) + " folder cameras.gpi");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_NE(run.Output.find("  Category: speed_50\n  File: folder/Cameras/speed_50.csv\n    3 POIs\n"), std::string::npos)
        << run.Output;

    // GPSBabel shows a speed alert as "@km/h" after the name; a 50 km/h alert
    // without a distance warns 36 seconds (500 m) ahead. The list has no
    // comments. Code page 1252 holds "ý" and "Š" but not "ě".
    const auto back = RunCommand("gpsbabel -i garmin_gpi -f " + Q(t / "cameras.gpi") + " -o unicsv -F -");
    ASSERT_EQ(back.ExitCode, 0) << back.Output;
    EXPECT_EQ(back.Output,
              "No,Latitude,Longitude,Name,Symbol,Proximity\r\n"
              "1,50.064530,14.428910,\"Nuselsk\xC3\xBD most@50\",\"Waypoint\",500\r\n"
              "2,49.195810,16.608420,\"Brno, Husova@50\",\"Waypoint\",500\r\n"
              "3,-33.450000,-70.666700,\"\xC5\xA0pan?l@50\",\"Waypoint\",500\r\n");
    const auto check = RunCommand(Q(DumpBinary()) + " --check " + Q(t / "cameras.gpi"));
    EXPECT_EQ(check.ExitCode, 0) << check.Output;
}

}  // namespace kestro::conversion_test
