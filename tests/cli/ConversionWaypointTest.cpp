// How waypoints become points: coordinates, names with "@" speeds,
// proximity, icons, images, descriptions and phone numbers, each checked on
// the bytes of the file the real program writes.
#include "ConversionSupport.h"

#include "gpi/Bitmap.h"
#include "gpi/PoiRecord.h"
#include "gpi/PoiWpt.h"

namespace kestro::conversion_test {
namespace {

// A point as the reader should have filled it: category 0, nothing else.
TPoiWpt Expected(double lat, double lon, const Bytes& name, std::uint16_t category = 0) {
    TPoiWpt point;
    point.Lat = lat;
    point.Lon = lon;
    point.Name = name;
    point.Category = category;
    return point;
}

std::string PointName(int i) { return std::string("P").append(std::to_string(i)); }

// Latitudes of the i-th point of a table, as written into the GPX file.
std::string LatText(int i) { return "50." + std::to_string(100 + i); }

void ExpectPoint(const TConversion& conversion, const TPoiWpt& expected) {
    EXPECT_EQ(ToHex(conversion.PointRecord(expected.Name)), ToHex(GpiPoi(expected))) << expected.Name;
}

TEST(WaypointReader, RoutesAndTracksAreNotRead) {
    TempDir t;
    WriteFile(t / "src/G/tracks.gpx",
              Gpx("<rte><name>Route</name><rtept lat=\"50\" lon=\"14\"><name>R1</name></rtept></rte>\n"
                  "<trk><name>Track</name><trkseg><trkpt lat=\"50.1\" lon=\"14.1\"><name>T1</name></trkpt>"
                  "<trkpt lat=\"50.2\" lon=\"14.2\"/></trkseg></trk>\n"));
    WriteFile(t / "src/H/mixed.gpx",
              Gpx("<trk><trkseg><trkpt lat=\"1\" lon=\"2\"/></trkseg></trk>\n" + Named("50", "14", "Only") +
                  "<rte><rtept lat=\"3\" lon=\"4\"/></rte>\n"));
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_EQ(run.Output,
              "Group: G\n  Category: tracks\n  File: src/G/tracks.gpx\n"
                  "kestro: note: src/G/tracks.gpx: no waypoints (\"wpt\") in it; tracks and routes are not converted\n    0 POIs\n"
              "Group: H\n  Category: mixed\n  File: src/H/mixed.gpx\n    1 POIs\n  Optimalization...\n"
              "    Regions: 1 MaxSize: 1 MaxDeep: 0\n\nDone.\n");
    ASSERT_EQ(run.GroupNames(), std::vector<Bytes>{"H"});
    ASSERT_EQ(run.Points().size(), 1u);
    ExpectPoint(run, Expected(50, 14, "Only"));
}

TEST(WaypointReader, WaypointAtZeroZeroIsCountedButNeitherStoredNorInTheBox) {
    TempDir t;
    WriteFile(t / "src/G/a.gpx", Gpx(" <wpt><name>No position</name></wpt>\n" + Named("abc", "1,5", "Malformed") +
                                     Named("10", "20", "Here") + Named("5", "25", "There") +
                                     Named("0.0", "-0", "Zero")));
    WriteFile(t / "src/H/b.gpx", Gpx(Named("0", "10", "Equator") + Named("-5", "0", "Meridian")));
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    // The two without usable coordinates are named, the one at 0, 0 is not.
    EXPECT_NE(run.Output.find("  File: src/G/a.gpx\n"
                              "kestro: warning: src/G/a.gpx: waypoint \"No position\" not written: latitude missing\n"
                              "kestro: warning: src/G/a.gpx: \"coordinates\" warning repeated for 1 more waypoint\n"
                              "    5 POIs\n"),
              std::string::npos)
        << run.Output;
    ASSERT_EQ(run.Points().size(), 4u);
    ExpectPoint(run, Expected(10, 20, "Here"));
    ExpectPoint(run, Expected(5, 25, "There"));
    ExpectPoint(run, Expected(0, 10, "Equator"));
    ExpectPoint(run, Expected(-5, 0, "Meridian"));
    // The box of G bounds the points written, not the ones at 0, 0 or without a position.
    const TGpiArea& root = *run.File.Groups.at(0).Root;
    EXPECT_EQ(root.North, DegToSemicircles(10));
    EXPECT_EQ(root.East, DegToSemicircles(25));
    EXPECT_EQ(root.South, DegToSemicircles(5));
    EXPECT_EQ(root.West, DegToSemicircles(20));
}

TEST(WaypointReader, OnlyPointsAtZeroZeroGiveAGroupWithoutArea) {
    TempDir t;
    WriteFile(t / "src/G/a.gpx", Gpx(" <wpt/>\n"));
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    ASSERT_EQ(run.File.Groups.size(), 1u);
    EXPECT_FALSE(run.File.Groups[0].Root.has_value());
    EXPECT_EQ(ToHex(RecordAt(run.Written, run.File.Groups[0].Offset)),
              ToHex(GpiRecord(9, GpiLangString("G"), GpiRecord(7, GpiWord(0) + GpiLangString("a")))));
}

TEST(WaypointReader, PositionsOutsideTheEarthAreSkipped) {
    TempDir t;
    WriteFile(t / "src/G/a.gpx", Gpx(Named("91", "10", "North of the pole") + Named("10", "-180.5", "Far west") +
                                     Named("1e300", "1", "Huge") + Named("90", "180", "Corner") +
                                     Named("-90", "-180", "Other corner")));
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_EQ(LinesStarting(run.Output, "  Skipped: "),
              (std::vector<std::string>{"  Skipped: src/G/a.gpx: North of the pole", "  Skipped: src/G/a.gpx: Far west",
                                        "  Skipped: src/G/a.gpx: Huge"}));
    EXPECT_NE(run.Output.find("    5 POIs\n"), std::string::npos) << run.Output;
    ASSERT_EQ(run.Points().size(), 2u);
    ExpectPoint(run, Expected(90, 180, "Corner"));
    ExpectPoint(run, Expected(-90, -180, "Other corner"));
    const TGpiArea& root = *run.File.Groups.at(0).Root;
    EXPECT_EQ(root.North, DegToSemicircles(90));
    EXPECT_EQ(root.South, DegToSemicircles(-90));
}

TEST(WaypointReader, SkippedAndClampedLinesInReadingOrder) {
    TempDir t;
    WriteFile(t / "src/G/a.gpx", Gpx(Named("91", "14", "Gone") + Named("10", "14", "Quick@2400") + Named("-91", "14", "Lost")));
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_NE(run.Output.find("  File: src/G/a.gpx\n"
                              "  Skipped: src/G/a.gpx: Gone\n"
                              "  Clamped: src/G/a.gpx: Quick\n"
                              "  Skipped: src/G/a.gpx: Lost\n"
                              "    3 POIs\n"),
              std::string::npos)
        << run.Output;
}

TEST(WaypointReader, AlertValuesBeyondTheirFieldAreClamped) {
    // Expected fields worked out by hand: speed Trunc(100 × km/h × 5/18) in
    // hundredths of m/s, distance 36 s ahead; both fields are 16 bits wide.
    struct Case { const char* name; const char* proximity; std::uint16_t distance, speed; bool clamped; };
    const std::initializer_list<Case> cases{
        {"Near", "65535", 65535, 0, false},       {"Far", "65536", 65535, 0, true},
        {"Farther", "70000", 65535, 0, true},     {"Fast@2359", nullptr, 23590, 65527, false},
        {"Faster@2360", nullptr, 23599, 65535, true}, {"Summit@2400", nullptr, 23999, 65535, true}};
    TempDir t;
    std::string body;
    int i = 0;
    for (const auto& c : cases) {
        const std::string more =
            c.proximity ? WaypointExtension(std::string("<gpxx:Proximity>") + c.proximity + "</gpxx:Proximity>") : "";
        body += Named(LatText(i++), "14", c.name, more);
    }
    // Neither written nor reported as clamped: outside the earth, and at 0, 0.
    body += Named("91", "14", "Pole@9999") + Named("0", "0", "Nowhere@9999");
    WriteFile(t / "src/G/a.gpx", Gpx(body));
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    std::vector<std::string> clampedLines;
    for (const auto& c : cases) {
        const std::string stored = std::string(c.name).substr(0, std::string(c.name).find('@'));
        if (c.clamped) clampedLines.push_back("  Clamped: src/G/a.gpx: " + stored);
        const TGpiAlert* alert = run.Point(stored).Alert();
        ASSERT_NE(alert, nullptr) << c.name;
        EXPECT_EQ(alert->Distance, c.distance) << c.name;
        EXPECT_EQ(alert->Speed, c.speed) << c.name;
    }
    EXPECT_EQ(LinesStarting(run.Output, "  Clamped: "), clampedLines) << run.Output;
    EXPECT_EQ(LinesStarting(run.Output, "  Skipped: "), std::vector<std::string>{"  Skipped: src/G/a.gpx: Pole"});
}

TEST(WaypointReader, NameSuffixAfterAtSetsTheAlertSpeed) {
    struct Case { const char* name; const char* stored; std::int32_t plainSpeed; std::int32_t zoneSpeed; };
    const std::initializer_list<Case> cases{
        {"Camera@60", "Camera", 60, 60}, {"Shop@", "Shop@", -1, 30},    {"Cam@fast@60", "Cam@fast", 60, 60},
        {"Gate@-5", "Gate", -1, 30},     {"Hex@$1E", "Hex", 30, 30},    {"Zero@0", "Zero", 0, 0},
        {"Frac@50.5", "Frac", -1, 30},   {"@40", "", 40, 40},           {"Cam@40 ", "Cam", 40, 40},
        // "@" cuts a name only where a number follows it.
        {"Museum @ Black Hills", "Museum @ Black Hills", -1, 30}, {"Bob@home", "Bob@home", -1, 30},
        {"Museum @ 5th Avenue", "Museum @ 5th Avenue", -1, 30}};
    TempDir t;
    std::string body;
    int i = 0;
    for (const auto& c : cases) body += Named(LatText(i++), "14", c.name);
    WriteFile(t / "src/Plain/points.gpx", Gpx(body));
    WriteFile(t / "src/Zone/zone_30.gpx", Gpx(body));
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    const auto points = run.Points();
    ASSERT_EQ(points.size(), 2 * cases.size());
    i = 0;
    for (const auto& c : cases) {
        TPoiWpt expected = Expected(std::stod(LatText(i++)), 14, c.stored);
        int found = 0;
        for (const auto& p : points) {
            if (p.Point->Lat != DegToSemicircles(expected.Lat)) continue;
            ++found;
            expected.AlertSpeed = p.Group == 0 ? c.plainSpeed : c.zoneSpeed;
            EXPECT_EQ(ToHex(RecordAt(run.Written, p.Point->Offset)), ToHex(GpiPoi(expected)))
                << c.name << " in group " << p.Group;
        }
        EXPECT_EQ(found, 2) << c.name;
    }
}

TEST(WaypointReader, ProximitySetsTheAlertDistance) {
    struct Case { const char* text; std::int32_t plainDistance; std::int32_t redlightDistance; };
    const std::initializer_list<Case> cases{{"300", 300, 300},    {"-5", -1, 400},      {"300.0", -1, 400},
                                            {"250.5", -1, 400},   {" 120 ", 120, 120},  {"0", 0, 0},
                                            {"$64", 100, 100},    {"abc", -1, 400},     {"70000", 70000, 70000}};
    TempDir t;
    std::string body;
    int i = 0;
    for (const auto& c : cases) {
        body += Named(LatText(i), "14", PointName(i),
                      WaypointExtension(std::string("<gpxx:Proximity>") + c.text + "</gpxx:Proximity>"));
        ++i;
    }
    // A proximity outside the extension path is not read.
    body += Named("51", "14", "Elsewhere", "<extensions><gpxx:Proximity>300</gpxx:Proximity></extensions>");
    WriteFile(t / "src/Plain/points.gpx", Gpx(body));
    WriteFile(t / "src/Red/redlight.gpx", Gpx(body));
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    const auto points = run.Points();
    ASSERT_EQ(points.size(), 2 * cases.size() + 2);
    i = 0;
    for (const auto& c : cases) {
        TPoiWpt expected = Expected(std::stod(LatText(i)), 14, PointName(i));
        int found = 0;
        for (const auto& p : points) {
            if (TextOf(p.Point->Name) != expected.Name) continue;
            ++found;
            expected.AlertDistance = p.Group == 0 ? c.plainDistance : c.redlightDistance;
            EXPECT_EQ(ToHex(RecordAt(run.Written, p.Point->Offset)), ToHex(GpiPoi(expected)))
                << '"' << c.text << "\" in group " << p.Group;
        }
        EXPECT_EQ(found, 2) << c.text;
        ++i;
    }
    for (const auto& p : points) {
        if (TextOf(p.Point->Name) == "Elsewhere") {
            EXPECT_EQ(p.Point->Alert() != nullptr, p.Group == 1);
        }
    }
}

TEST(WaypointReader, IconSharedByTwoFilesOfAGroupIsStoredOnce) {
    TempDir t;
    // Inside the source folder, so that no note about an outside link comes between the lines.
    WriteFile(t / "src/.icons/shared.bmp", Bmp(16, 16));
    WriteFile(t / "src/G/a.gpx", Gpx(Named("50", "14", "A", Link("src/.icons/shared.bmp"))));
    WriteFile(t / "src/G/b.gpx", Gpx(Named("51", "15", "B", Link("src/.icons/shared.bmp")) +
                                     Named("52", "15", "B2", Link("src/.icons/shared.bmp"))));
    WriteFile(t / "src/H/c.gpx", Gpx(Named("53", "16", "C", Link("src/.icons/shared.bmp"))));
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    // Every group numbers its icons afresh and carries its own copy.
    EXPECT_EQ(LinesStarting(run.Output, "  Icon: "),
              (std::vector<std::string>{"  Icon: src/.icons/shared.bmp", "  Icon: src/.icons/shared.bmp"}));
    EXPECT_NE(run.Output.find("  File: src/G/a.gpx\n  Icon: src/.icons/shared.bmp\n    1 POIs\n"
                              "  Category: b\n  File: src/G/b.gpx\n    2 POIs\n"),
              std::string::npos)
        << run.Output;
    ASSERT_EQ(run.File.Groups.size(), 2u);
    for (const auto& group : run.File.Groups) {
        ASSERT_EQ(group.Bitmaps.size(), 1u);
        EXPECT_EQ(ToHex(RecordAt(run.Written, group.Bitmaps[0].Offset)),
                  ToHex(GpiRecord(5, GpiBitmap(t / "src/.icons/shared.bmp", 0))));
    }
    for (const char* name : {"A", "B", "B2", "C"}) {
        const auto* bitmap = FindPart<TGpiBitmapRef>(run.Point(name));
        ASSERT_NE(bitmap, nullptr) << name;
        EXPECT_EQ(bitmap->Number, 0) << name;
    }
}

TEST(WaypointReader, IconPathsDifferingInLetterCaseAreTwoIcons) {
    TempDir t;
    WriteFile(t / "icons/a.bmp", Bmp(8, 8, 1));
    WriteFile(t / "icons/A.bmp", Bmp(12, 12, 2));
    WriteFile(t / "src/G/a.gpx", Gpx(Named("50", "14", "Lower", Link("icons/a.bmp")) +
                                     Named("51", "14", "Upper", Link("icons/A.bmp")) +
                                     Named("52", "14", "Lower again", Link("icons/a.bmp"))));
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_EQ(LinesStarting(run.Output, "  Icon: "),
              (std::vector<std::string>{"  Icon: icons/a.bmp", "  Icon: icons/A.bmp"}));
    const auto& bitmaps = run.File.Groups.at(0).Bitmaps;
    ASSERT_EQ(bitmaps.size(), 2u);
    EXPECT_EQ(bitmaps[0].Width, 8);
    EXPECT_EQ(bitmaps[1].Width, 12);
    EXPECT_EQ(FindPart<TGpiBitmapRef>(run.Point("Lower"))->Number, 0);
    EXPECT_EQ(FindPart<TGpiBitmapRef>(run.Point("Upper"))->Number, 1);
    EXPECT_EQ(FindPart<TGpiBitmapRef>(run.Point("Lower again"))->Number, 0);
}

TEST(WaypointReader, BackslashInAnHrefSeparatesFolders) {
    TempDir t;
    WriteFile(t / "icons/a.bmp", Bmp(8, 8));
    WriteFile(t / "photos/p.jpg", "\xFF\xD8 photo \xFF\xD9");
    WriteFile(t / "album/q.jpg", "\xFF\xD8 q \xFF\xD9");
    WriteFile(t / "src/G/a.gpx", Gpx(Named("50", "14", "A", Link("icons\\a.bmp") + Link("photos\\p.jpg") +
                                                               Link("album\\"))));
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_EQ(LinesStarting(run.Output, "  Icon: "), std::vector<std::string>{"  Icon: icons/a.bmp"});
    const TGpiPoint& point = run.Point("A");
    EXPECT_EQ(PartTypes(point), (std::vector<std::uint16_t>{6, 4, 13, 13}));
    const Bytes record = RecordAt(run.Written, point.Offset);
    EXPECT_NE(record.find(Hex("00 0B 00 00 00") + "\xFF\xD8 photo \xFF\xD9"), Bytes::npos);
    EXPECT_NE(record.find(Hex("01 07 00 00 00") + "\xFF\xD8 q \xFF\xD9"), Bytes::npos);
}

TEST(WaypointReader, NonAsciiLinkFromAWindows1250File) {
    // "fotky/Žluťoučký kůň.jpg" and "ikony/Čáp.bmp" in windows-1250.
    const std::string photoHref = "fotky/\x8Elu\x9Dou\xE8k\xFD k\xF9\xF2.jpg";
    const std::string iconHref = "ikony/\xC8\xE1p.bmp";
    for (const char* codePage : {"1250", "65001"}) {
        TempDir t;
        WriteFile(t / "fotky/\xC5\xBDlu\xC5\xA5ou\xC4\x8Dk\xC3\xBD k\xC5\xAF\xC5\x88.jpg", "\xFF\xD8 kun \xFF\xD9");
        WriteFile(t / "ikony/\xC4\x8C\xC3\xA1p.bmp", Bmp(8, 8));
        WriteFile(t / "src/kestro.ini", std::string("[kestro]\ncodepage=") + codePage + "\n");
        WriteFile(t / "src/G/a.gpx",
                  Gpx(Named("50", "14", "K\xF9\xF2", Link(photoHref) + Link(iconHref)), "windows-1250"));
        const auto run = Convert(t / "src");
        ASSERT_EQ(run.ExitCode, 0) << run.Output;
        EXPECT_EQ(LinesStarting(run.Output, "  Icon: "),
                  std::vector<std::string>{"  Icon: ikony/\xC4\x8C\xC3\xA1p.bmp"}) << codePage;
        const Bytes name = std::string(codePage) == "1250" ? "K\xF9\xF2" : "K\xC5\xAF\xC5\x88";
        const TGpiPoint& point = run.Point(name);
        EXPECT_EQ(PartTypes(point), (std::vector<std::uint16_t>{6, 4, 13})) << codePage;
        EXPECT_NE(RecordAt(run.Written, point.Offset).find(Hex("00 09 00 00 00") + "\xFF\xD8 kun \xFF\xD9"),
                  Bytes::npos)
            << codePage;
    }
}

TEST(WaypointReader, OnlyAcceptedIconsTakeNumbers) {
    TempDir t;
    WriteFile(t / "icons/deep.bmp", Bmp(8, 8, 1, 24));
    WriteFile(t / "icons/big.bmp", Bytes("\x89PNG\r\n\x1A\n", 8));  // a picture not of its name
    WriteFile(t / "icons/one.bmp", Bmp(8, 8, 1));
    WriteFile(t / "icons/two.bmp", Bmp(48, 48, 2));
    WriteFile(t / "src/G/a.gpx", Gpx(Named("50.1", "14", "Deep", Link("icons/deep.bmp")) +
                                     Named("50.2", "14", "One", Link("icons/one.bmp")) +
                                     Named("50.3", "14", "Big", Link("icons/big.bmp")) +
                                     Named("50.4", "14", "Missing", Link("icons/missing.bmp")) +
                                     Named("50.5", "14", "Deep again", Link("icons/deep.bmp")) +
                                     Named("50.6", "14", "Two", Link("icons/two.bmp")) +
                                     Named("50.7", "14", "One again", Link("icons/one.bmp"))));
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_EQ(LinesStarting(run.Output, "  Icon: "),
              (std::vector<std::string>{"  Icon: icons/one.bmp", "  Icon: icons/two.bmp"}));
    const auto& bitmaps = run.File.Groups.at(0).Bitmaps;
    ASSERT_EQ(bitmaps.size(), 2u);
    EXPECT_EQ(bitmaps[0].Number, 0);
    EXPECT_EQ(bitmaps[1].Number, 1);
    EXPECT_EQ(bitmaps[1].Width, 48);
    for (const char* name : {"Deep", "Big", "Missing", "Deep again"})
        EXPECT_EQ(FindPart<TGpiBitmapRef>(run.Point(name)), nullptr) << name;
    EXPECT_EQ(FindPart<TGpiBitmapRef>(run.Point("One"))->Number, 0);
    EXPECT_EQ(FindPart<TGpiBitmapRef>(run.Point("Two"))->Number, 1);
    EXPECT_EQ(FindPart<TGpiBitmapRef>(run.Point("One again"))->Number, 0);
}

TEST(WaypointReader, IconChoiceLinkedFileThenLinkedFolderThenBesideTheGpxFile) {
    TempDir t;
    WriteFile(t / "src/G/cafes.bmp", Bmp(4, 4));     // beside the GPX file
    WriteFile(t / "set1/cafes.bmp", Bmp(8, 8));      // in a linked folder, named after the GPX file
    WriteFile(t / "set2/other.bmp", Bmp(12, 12));    // a linked folder without one
    WriteFile(t / "direct.bmp", Bmp(16, 16));        // linked directly
    WriteFile(t / "photo.jpg", "\xFF\xD8\xFF\xD9");
    WriteFile(t / "src/G/cafes.gpx",
              Gpx(Named("50.1", "14", "Beside") + Named("50.2", "14", "Beside despite photo", Link("photo.jpg")) +
                  Named("50.3", "14", "Folder", Link("set2") + Link("set1") + Link("direct.bmp")) +
                  Named("50.4", "14", "Direct", Link("photo.jpg") + Link("direct.bmp") + Link("set1")) +
                  Named("50.5", "14", "Missing link", Link("nothing.bmp"))));
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_EQ(LinesStarting(run.Output, "  Icon: "),
              (std::vector<std::string>{"  Icon: src/G/cafes.bmp", "  Icon: set1/cafes.bmp", "  Icon: direct.bmp"}));
    EXPECT_EQ(FindPart<TGpiBitmapRef>(run.Point("Beside"))->Number, 0);
    EXPECT_EQ(FindPart<TGpiBitmapRef>(run.Point("Beside despite photo"))->Number, 0);
    EXPECT_EQ(FindPart<TGpiBitmapRef>(run.Point("Folder"))->Number, 1);
    EXPECT_EQ(FindPart<TGpiBitmapRef>(run.Point("Direct"))->Number, 2);
    EXPECT_EQ(FindPart<TGpiBitmapRef>(run.Point("Missing link"))->Number, 0);
}

TEST(WaypointReader, ShortPlainDescriptionBecomesTheComment) {
    const std::string plain300(300, 'd');
    const std::string plain255(255, 'e');
    const std::string plain256(256, 'f');
    struct Case { const char* name; std::string cmt, desc; Bytes comment, description; };
    const std::vector<Case> cases{
        {"Plain", "", "Open 8-17", "Open 8-17", ""},
        {"Markup", "", "&lt;b&gt;Open&lt;/b&gt; daily", "", "<b>Open</b> daily"},
        {"Long", "", plain300, "", plain300},
        {"Just short", "", plain255, plain255, ""},
        {"Just long", "", plain256, "", plain256},
        {"One bracket", "", "a &lt; b", "a < b", ""},
        {"Other bracket", "", "a &gt; b", "a > b", ""},
        {"Both texts", "Comment", "Open 8-17", "Comment", "Open 8-17"},
        {"Comment only", "Comment", "", "Comment", ""},
    };
    TempDir t;
    std::string body;
    int i = 0;
    for (const auto& c : cases)
        body += Named(LatText(i++), "14", c.name,
                      (c.cmt.empty() ? "" : "<cmt>" + c.cmt + "</cmt>") +
                          (c.desc.empty() ? "" : "<desc>" + c.desc + "</desc>"));
    WriteFile(t / "src/G/a.gpx", Gpx(body));
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    i = 0;
    for (const auto& c : cases) {
        TPoiWpt expected = Expected(std::stod(LatText(i++)), 14, c.name);
        expected.Comment = c.comment;
        expected.Description = c.description;
        ExpectPoint(run, expected);
    }
}

TEST(WaypointReader, LinkedFolderAddsItsJpegFilesInListingOrder) {
    TempDir t;
    WriteFile(t / "photos/b.jpeg", "BBBB");
    WriteFile(t / "photos/a.JPG", "AA");
    WriteFile(t / "photos/c.png", "CCC");
    WriteFile(t / "photos/.hidden.jpg", "H");
    std::filesystem::create_directories(t / "photos/folder.jpg");
    WriteFile(t / "photos/folder.jpg/inner.jpg", "inner");
    WriteFile(t / "single.Jpeg", "SINGLE");
    WriteFile(t / "src/G/a.gpx", Gpx(Named("50", "14", "Album", Link("photos") + Link("single.Jpeg") +
                                                                   Link("photos/c.png") + Link("missing.jpg"))));
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    TPoiWpt expected = Expected(50, 14, "Album");
    // GpiPoi reads the files itself: the paths must be the ones the program found.
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(t.Path());
    expected.Images = "photos/.hidden.jpg\r\nphotos/a.JPG\r\nphotos/b.jpeg\r\nsingle.Jpeg";
    const Bytes record = GpiPoi(expected);
    std::filesystem::current_path(cwd);
    EXPECT_EQ(ToHex(run.PointRecord("Album")), ToHex(record));
    EXPECT_NE(record.find(Hex("01 02 00 00 00") + "AA" + Hex("0D 00 00 00 09 00 00 00 02 04 00 00 00") + "BBBB"),
              Bytes::npos);
}

// A relative link is tried from the working folder first, so nothing found
// there changes, then from the linking file's own folder.
TEST(WaypointReader, LinksAreRelativeToTheWorkingFolderThenTheFile) {
    TempDir t;
    WriteFile(t / "work/pics/p.jpg", "P");
    WriteFile(t / "src/G/pics/p.jpg", "BESIDE");
    WriteFile(t / "src/G/a.gpx", Gpx(Named("50", "14", "Photo", Link("pics/p.jpg")) + Named("51", "14", "None", Link("pics/q.jpg"))));
    const auto inWork = Convert(t / "src", t / "work");
    ASSERT_EQ(inWork.ExitCode, 0) << inWork.Output;
    EXPECT_NE(inWork.PointRecord("Photo").find(Hex("00 01 00 00 00") + "P"), Bytes::npos);
    const auto elsewhere = Convert(t / "src", t.Path());
    ASSERT_EQ(elsewhere.ExitCode, 0) << elsewhere.Output;
    EXPECT_NE(elsewhere.PointRecord("Photo").find(Hex("00 06 00 00 00") + "BESIDE"), Bytes::npos);
    EXPECT_EQ(PartTypes(elsewhere.Point("None")), std::vector<std::uint16_t>{6});
    EXPECT_EQ(LinesStarting(elsewhere.Output, "kestro: warning: "),
              std::vector<std::string>{"kestro: warning: src/G/a.gpx: link pics/q.jpg not used: no such file or folder"});
}

TEST(WaypointReader, AddressAndPhoneNumbers) {
    const auto phone = [](const std::string& category, const std::string& number) {
        return "<gpxx:PhoneNumber" + (category == "-" ? std::string() : " Category=\"" + category + "\"") + ">" +
               number + "</gpxx:PhoneNumber>";
    };
    TempDir t;
    WriteFile(t / "src/G/a.gpx",
              Gpx(Named("50.1", "14", "Repeated", WaypointExtension(phone("Phone", "111") + phone("Phone", "222"))) +
                  Named("50.2", "14", "Lower case", WaypointExtension(phone("phone", "333") + phone("PHONE", "334"))) +
                  Named("50.3", "14", "No category", WaypointExtension(phone("-", "444"))) +
                  Named("50.4", "14", "No category first",
                        WaypointExtension(phone("-", "555") + phone("Phone", "556"))) +
                  Named("50.5", "14", "All",
                        WaypointExtension("<gpxx:Address><gpxx:StreetAddress>Main 1</gpxx:StreetAddress>"
                                          "<gpxx:City>Brno</gpxx:City><gpxx:State>JM</gpxx:State>"
                                          "<gpxx:Country>CZ</gpxx:Country><gpxx:PostalCode>602 00</gpxx:PostalCode>"
                                          "</gpxx:Address>" +
                                          phone("Fax", "5") + phone("Email", "a@b.c") + phone("URL", "http://x") +
                                          phone("Phone2", "2") + phone("Mobile", "9") + phone("Phone", "1"))) +
                  Named("50.6", "14", "Postal code only",
                        WaypointExtension("<gpxx:Address><gpxx:PostalCode>11000</gpxx:PostalCode></gpxx:Address>")) +
                  Named("50.7", "14", "Outside the extension",
                        "<extensions><gpxx:PhoneNumber Category=\"Phone\">7</gpxx:PhoneNumber></extensions>")));
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    TPoiWpt repeated = Expected(50.1, 14, "Repeated");
    repeated.Phone = "222";
    ExpectPoint(run, repeated);
    ExpectPoint(run, Expected(50.2, 14, "Lower case"));
    TPoiWpt noCategory = Expected(50.3, 14, "No category");
    noCategory.Phone = "444";
    ExpectPoint(run, noCategory);
    TPoiWpt noCategoryFirst = Expected(50.4, 14, "No category first");
    noCategoryFirst.Phone = "556";
    ExpectPoint(run, noCategoryFirst);
    TPoiWpt all = Expected(50.5, 14, "All");
    all.Street = "Main 1";
    all.City = "Brno";
    all.State = "JM";
    all.Country = "CZ";
    all.PostalCode = "602 00";
    all.Fax = "5";
    all.Email = "a@b.c";
    all.Url = "http://x";
    all.Phone2 = "2";
    all.Phone = "1";
    ExpectPoint(run, all);
    TPoiWpt postal = Expected(50.6, 14, "Postal code only");
    postal.PostalCode = "11000";
    ExpectPoint(run, postal);
    EXPECT_NE(run.PointRecord("Postal code only").find(Hex("0B 00 00 00 09 00 00 00 08 00 05 00") + "11000"),
              Bytes::npos);
    ExpectPoint(run, Expected(50.7, 14, "Outside the extension"));
}

}  // namespace
}  // namespace kestro::conversion_test
