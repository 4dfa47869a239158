// The README's recipe for a CSV list of points, run as a user runs it: the
// list is copied into a group folder under a name that sets the alert,
// kestro converts the folder, and GPSBabel reads the points back.
#include <algorithm>

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
    // "ě" of code page 1250 is named in a warning.
    EXPECT_NE(run.Output.find("  Category: speed_50\n  File: folder/Cameras/speed_50.csv\n"
                              "kestro: warning: folder/Cameras/speed_50.csv: 1 character not in code page 1252 became "
                              "\"?\": set codepage=65001 in kestro.ini (or codepage=1250, the code page of that script)\n"
                              "    3 POIs\n"),
              std::string::npos)
        << run.Output;

    // What kestro wrote, read back by this suite's reader: a 50 km/h alert
    // (1388 hundredths of m/s) warns 36 seconds, 500 m, ahead; code page
    // 1252 holds "ý" and "Š" but not "ě". GPSBabel reads the file back
    // whatever its version writes of it.
    const TGpiFile file = ParseGpi(ReadFile(t / "cameras.gpi"));
    ASSERT_EQ(file.Groups.size(), 1u);
    std::vector<TPointIn> found;
    CollectPoints(*file.Groups[0].Root, 0, found);
    std::vector<std::pair<Bytes, std::pair<int, int>>> read;
    for (const auto& p : found) {
        const TGpiAlert* alert = p.Point->Alert();
        ASSERT_NE(alert, nullptr);
        read.push_back({TextOf(p.Point->Name), {alert->Speed, alert->Distance}});
    }
    std::sort(read.begin(), read.end());
    EXPECT_EQ(read, (std::vector<std::pair<Bytes, std::pair<int, int>>>{{"Brno, Husova", {1388, 500}},
                                                                        {"Nuselsk\xFD most", {1388, 500}},
                                                                        {"\x8Apan?l", {1388, 500}}}));
    const auto back = RunCommand("gpsbabel -i garmin_gpi -f " + Q(t / "cameras.gpi") + " -o unicsv -F -");
    ASSERT_EQ(back.ExitCode, 0) << back.Output;
    EXPECT_EQ(LinesStarting(back.Output, "").size(), 4u) << back.Output;
    const auto check = RunCommand(Q(DumpBinary()) + " --check " + Q(t / "cameras.gpi"));
    EXPECT_EQ(check.ExitCode, 0) << check.Output;
}

}  // namespace kestro::conversion_test
