// Groups and categories: which folders and files become groups, in which
// order, what each group record holds, the progress lines, alerts from
// category file names, and a failure in the middle of a run.
#include "ConversionSupport.h"

#include "gpi/FileFrame.h"
#include "gpi/PoiRecord.h"
#include "gpi/PoiWpt.h"

namespace kestro::conversion_test {
namespace {

std::string ThreePoints() {
    return Gpx(Named("50.1", "14.1", "One") + Named("50.2", "14.2", "Two") + Named("50.3", "14.3", "Three"));
}

TEST(GroupBuilder, LooseFileIsAGroupWithoutCategoriesOrAlertsFromItsName) {
    TempDir t;
    WriteFile(t / "src/speed_50.gpx", Gpx(Named("50", "14", "A") + Named("51", "15", "B")));
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_EQ(run.Output,
              "Group: speed_50\n  File: src/speed_50.gpx\n    2 POIs\n  Optimalization...\n"
              "    Regions: 1 MaxSize: 2 MaxDeep: 0\n\nDone.\n");
    ASSERT_EQ(run.File.Groups.size(), 1u);
    const Bytes group = RecordAt(run.Written, run.File.Groups[0].Offset);
    EXPECT_EQ(ToHex(group.substr(0, 4)), "09 00 00 00");  // no extra part: no categories, no bitmaps
    TPoiWpt a;
    a.Lat = 50;
    a.Lon = 14;
    a.Name = "A";
    EXPECT_EQ(ToHex(run.PointRecord("A")), ToHex(GpiPoi(a)));
    EXPECT_EQ(run.Point("B").Alert(), nullptr);
}

TEST(GroupBuilder, FileWithoutWaypointsStillTakesACategoryNumber) {
    TempDir t;
    WriteFile(t / "src/G/a.gpx", ThreePoints());
    WriteFile(t / "src/G/b.gpx", Gpx("<trk><trkseg><trkpt lat=\"1\" lon=\"1\"/></trkseg></trk>\n"));
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_EQ(run.Output,
              "Group: G\n  Category: a\n  File: src/G/a.gpx\n    3 POIs\n"
              "  Category: b\n  File: src/G/b.gpx\n"
                  "kestro: note: src/G/b.gpx: no waypoints (\"wpt\") in it; tracks and routes are not converted\n"
                  "    0 POIs\n  Optimalization...\n"
              "    Regions: 1 MaxSize: 3 MaxDeep: 0\n\nDone.\n");
    ASSERT_EQ(run.File.Groups.size(), 1u);
    const auto& group = run.File.Groups[0];
    ASSERT_EQ(group.Categories.size(), 2u);
    EXPECT_EQ(ToHex(RecordAt(run.Written, group.Categories[0].Offset)),
              ToHex(GpiRecord(7, GpiWord(0) + GpiLangString("a"))));
    EXPECT_EQ(ToHex(RecordAt(run.Written, group.Categories[1].Offset)),
              ToHex(GpiRecord(7, GpiWord(1) + GpiLangString("b"))));
    ASSERT_EQ(run.Points().size(), 3u);
    for (const auto& p : run.Points()) EXPECT_EQ(FindPart<TGpiCategoryRef>(*p.Point)->Number, 0);
    // Flags 8: the categories follow in the extra part.
    EXPECT_EQ(ToHex(RecordAt(run.Written, group.Offset).substr(0, 4)), "09 00 08 00");
}

std::string NoWaypoints(const std::string& file) {
    return "kestro: note: " + file + ": no waypoints (\"wpt\") in it; tracks and routes are not converted\n";
}

TEST(GroupBuilder, GroupsWithoutAnyWaypointWriteNothing) {
    TempDir t;
    WriteFile(t / "src/Empty files/a.gpx", Gpx(""));
    WriteFile(t / "src/Empty files/b.gpx", Gpx("<rte><rtept lat=\"1\" lon=\"1\"/></rte>\n"));
    WriteFile(t / "src/No gpx/notes.txt", "not a GPX file");
    WriteFile(t / "src/No gpx/points.gpx.bak", Gpx(Named("1", "1", "Backup")));
    std::filesystem::create_directories(t / "src/Nothing");
    WriteFile(t / "src/loose.gpx", Gpx(""));
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_EQ(run.Output,
              "Group: Empty files\n  Category: a\n  File: src/Empty files/a.gpx\n" + NoWaypoints("src/Empty files/a.gpx") +
              "    0 POIs\n  Category: b\n  File: src/Empty files/b.gpx\n" + NoWaypoints("src/Empty files/b.gpx") +
              "    0 POIs\nGroup: No gpx\nGroup: Nothing\n"
              "Group: loose\n  File: src/loose.gpx\n" + NoWaypoints("src/loose.gpx") + "    0 POIs\n\nDone.\n"
              "kestro: warning: no waypoint of src was written; the GPI file holds none\n");
    EXPECT_EQ(ToHex(run.Written.substr(24)),
              ToHex((GpiHeaderRecord("src.gpi", 0) + GpiCodePageRecord(1252) + GpiEndRecord()).substr(24)));
}

TEST(GroupBuilder, SecondGroupStartsAfresh) {
    TempDir t;
    WriteFile(t / "icons/x.bmp", Bmp(8, 8, 1));
    WriteFile(t / "icons/y.bmp", Bmp(12, 12, 2));
    WriteFile(t / "src/First/a.gpx", Gpx(Named("10", "10", "F1", Link("icons/x.bmp"))));
    WriteFile(t / "src/First/b.gpx", Gpx(Named("20", "20", "F2", Link("icons/y.bmp")) + Named("21", "21", "F3")));
    WriteFile(t / "src/Second/c.gpx", Gpx(Named("-10", "-20", "S1", Link("icons/y.bmp")) +
                                          Named("-11", "-21", "S2", Link("icons/x.bmp"))));
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    ASSERT_EQ(run.File.Groups.size(), 2u);
    const auto& second = run.File.Groups[1];
    EXPECT_EQ(TextOf(second.Name), "Second");
    ASSERT_EQ(second.Categories.size(), 1u);
    EXPECT_EQ(second.Categories[0].Number, 0);
    EXPECT_EQ(TextOf(second.Categories[0].Name), "c");
    ASSERT_EQ(second.Bitmaps.size(), 2u);
    EXPECT_EQ(second.Bitmaps[0].Width, 12);  // y.bmp came first in this group
    EXPECT_EQ(FindPart<TGpiBitmapRef>(run.Point("S1"))->Number, 0);
    EXPECT_EQ(FindPart<TGpiBitmapRef>(run.Point("S2"))->Number, 1);
    EXPECT_EQ(FindPart<TGpiCategoryRef>(run.Point("S1"))->Number, 0);
    // The box is the second group's own, not widened by the first.
    ASSERT_TRUE(second.Root.has_value());
    EXPECT_EQ(second.Root->North, DegToSemicircles(-10));
    EXPECT_EQ(second.Root->East, DegToSemicircles(-20));
    EXPECT_EQ(second.Root->South, DegToSemicircles(-11));
    EXPECT_EQ(second.Root->West, DegToSemicircles(-21));
    EXPECT_EQ(LinesStarting(run.Output, "    Regions: "),
              (std::vector<std::string>{"    Regions: 1 MaxSize: 3 MaxDeep: 0", "    Regions: 1 MaxSize: 2 MaxDeep: 0"}));
    EXPECT_EQ(LinesStarting(run.Output, "  Icon: ").size(), 4u);
}

TEST(GroupBuilder, StatisticsAreResetForEveryGroup) {
    TempDir t;
    WriteFile(t / "src/kestro.ini", "[kestro]\nmaxregion=1\n");
    WriteFile(t / "src/A/a.gpx", Gpx(Named("10", "10", "A1") + Named("11", "11", "A2")));
    WriteFile(t / "src/B/b.gpx", Gpx(Named("10", "10", "B1")));
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    const auto statistics = LinesStarting(run.Output, "    Regions: ");
    ASSERT_EQ(statistics.size(), 2u);
    EXPECT_NE(statistics[0], "    Regions: 1 MaxSize: 1 MaxDeep: 0");
    EXPECT_EQ(statistics[1], "    Regions: 1 MaxSize: 1 MaxDeep: 0");
}

TEST(GroupBuilder, CategoryNamesAndAlertsComeFromFileNames) {
    struct Case { const char* file; const char* category; std::int32_t speed; std::int32_t distance; };
    const std::vector<Case> cases{{"x.y.gpx", "x.y", -1, -1},          {"GATSO_30.gpx", "GATSO_30", 30, -1},
                                  {"gatso.gpx", "gatso", -1, -1},      {"redlight.GPX", "redlight", -1, 400},
                                  {"redlight_camera.Gpx", "redlight_camera", 0, 400},
                                  {"speed_50kmh.gpx", "speed_50kmh", 0, -1}};
    TempDir t;
    for (std::size_t i = 0; i < cases.size(); ++i)
        WriteFile(t / "src/G" / cases[i].file, Gpx(Named("50", std::to_string(10 + i), cases[i].category)));
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_NE(run.Output.find("  Optimalization...\n    Alerts: ON\n"), std::string::npos) << run.Output;
    const auto& group = run.File.Groups.at(0);
    ASSERT_EQ(group.Categories.size(), cases.size());
    // The listing is sorted ignoring letter case.
    const std::vector<std::string> sorted{"gatso", "GATSO_30", "redlight", "redlight_camera", "speed_50kmh", "x.y"};
    for (std::size_t i = 0; i < sorted.size(); ++i) EXPECT_EQ(TextOf(group.Categories[i].Name), sorted[i]);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        TPoiWpt expected;
        expected.Lat = 50;
        expected.Lon = static_cast<double>(10 + i);
        expected.Name = cases[i].category;
        expected.Category = static_cast<std::uint16_t>(
            std::find(sorted.begin(), sorted.end(), cases[i].category) - sorted.begin());
        expected.AlertSpeed = cases[i].speed;
        expected.AlertDistance = cases[i].distance;
        EXPECT_EQ(ToHex(run.PointRecord(expected.Name)), ToHex(GpiPoi(expected))) << cases[i].file;
    }
}

TEST(GroupBuilder, NoAlertLineWithoutAlerts) {
    TempDir t;
    WriteFile(t / "src/G/cafes.gpx", ThreePoints());
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_EQ(run.Output.find("Alerts"), std::string::npos) << run.Output;
    EXPECT_EQ(run.File.Groups.at(0).Root->AlertFlag, 0);
}

TEST(GroupSources, DotFoldersAreNoGroupsAndFoldersComeBeforeLooseFiles) {
    TempDir t;
    WriteFile(t / "src/.hidden/a.gpx", ThreePoints());
    WriteFile(t / "src/.git/b.gpx", ThreePoints());
    WriteFile(t / "src/A loose.gpx", ThreePoints());
    WriteFile(t / "src/b LOOSE.GPX", ThreePoints());
    WriteFile(t / "src/zulu/z.gpx", ThreePoints());
    WriteFile(t / "src/Mike/m.gpx", ThreePoints());
    WriteFile(t / "src/folder.gpx/inner.gpx", ThreePoints());  // a folder, however it is named
    WriteFile(t / "src/.dotfile.gpx", ThreePoints());          // a loose file, however it is named
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_EQ(run.GroupNames(), (std::vector<Bytes>{"folder.gpx", "Mike", "zulu", ".dotfile", "A loose", "b LOOSE"}));
    EXPECT_EQ(LinesStarting(run.Output, "Group: "),
              (std::vector<std::string>{"Group: folder.gpx", "Group: Mike", "Group: zulu", "Group: .dotfile",
                                        "Group: A loose", "Group: b LOOSE"}));
    EXPECT_EQ(run.Output.find("hidden"), std::string::npos);
}

TEST(GroupSources, MalformedFileInTheSecondGroupEndsTheRunAfterTheFirstGroup) {
    const auto build = [](const TempDir& t, bool withBadGroup) {
        WriteFile(t / "src/A/ok.gpx", ThreePoints());
        if (withBadGroup)
            WriteFile(t / "src/B/bad.gpx", Gpx(Named("1", "1", "Before") + " <wpt lat=\"2\" lon=\"2\"><name>x</nam></wpt>\n"));
        WriteFile(t / "src/C/never.gpx", ThreePoints());
    };
    TempDir good, bad;
    build(good, false);
    build(bad, true);
    const auto reference = Convert(good / "src");
    ASSERT_EQ(reference.ExitCode, 0) << reference.Output;
    const auto run = Convert(bad / "src");
    EXPECT_EQ(run.ExitCode, 4);
    // The progress up to the failing file, then the report: class and
    // message, an empty line, the call stack down to main.
    const std::string progress = "Group: B\n  Category: bad\n  File: src/B/bad.gpx\n";
    const auto at = run.Output.find(progress);
    ASSERT_NE(at, std::string::npos) << run.Output;
    std::istringstream report(run.Output.substr(at + progress.size()));
    std::string line;
    std::getline(report, line);
    EXPECT_EQ(line, "Exception: src/B/bad.gpx: Text \"e\" expected at [4:35]");
    std::getline(report, line);
    EXPECT_EQ(line, "");
    std::vector<std::string> stack;
    while (std::getline(report, line) && !line.empty()) stack.push_back(line);
    ASSERT_GE(stack.size(), 3u) << run.Output;
    EXPECT_EQ(stack.back().rfind("main", 0), 0u) << run.Output;
    const fs::path partial = bad / "src.gpi.partial";
    std::getline(report, line);
    EXPECT_EQ(line, "What was written is kept in \"" + partial.string() + "\"; \"" + (bad / "src.gpi").string() +
                        "\" is as it was before the run.");
    EXPECT_NE(run.Output.find("ReadGpxWaypoints"), std::string::npos) << run.Output;
    EXPECT_NE(run.Output.find("BuildGroup"), std::string::npos) << run.Output;
    EXPECT_EQ(run.Output.find("Group: C"), std::string::npos);
    EXPECT_EQ(run.Output.find("Done."), std::string::npos);
    // On disk: both header records and group A, exactly as a good run writes
    // them, and no end record, kept beside the destination, which is not made.
    EXPECT_FALSE(fs::exists(bad / "src.gpi"));
    Bytes written = ReadFile(partial);
    const TGpiFile file = ParseGpi(written);
    std::vector<std::uint16_t> types;
    for (const auto& record : file.Order) types.push_back(record.Type);
    ASSERT_EQ(types, (std::vector<std::uint16_t>{0, 1, 9}));
    EXPECT_FALSE(file.End.has_value());
    const std::size_t groupB = reference.File.Groups.at(1).Offset;
    Bytes expected = reference.Written.substr(0, groupB);
    expected.replace(16, 4, "0000");  // time stamps differ
    written.replace(16, 4, "0000");
    EXPECT_EQ(ToHex(written), ToHex(expected));
}

}  // namespace
}  // namespace kestro::conversion_test
