// The waypoint rules as the group's loader applies them, fed by a format
// reader of our own that hands over prepared waypoints.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <sstream>

#include "diag/Exceptions.h"
#include "gpi/GpiUtil.h"
#include "pipeline/NotWritten.h"
#include "sources/AlertDefaults.h"
#include "store/GpiDB.h"
#include "store/SQLiteLibrary.h"
#include "support/GpiReadBack.h"
#include "support/TestSupport.h"
#include "waypoints/GroupLoader.h"
#include "xml/XmlCodePage.h"

namespace kestro {
namespace {
using test::TempDir;
using test::WriteFile;

TWaypointFields Wpt(double lat, double lon, const std::string& name = "") {
    TWaypointFields waypoint;
    waypoint.Point.Lat = lat;
    waypoint.Point.Lon = lon;
    waypoint.Point.Name = name;
    return waypoint;
}

// A format reader that hands over `waypoints` and returns their count; with
// `failAt`, it raises instead of handing over that one.
TWaypointFormat Handing(std::vector<TWaypointFields> waypoints, std::optional<std::size_t> failAt = {}) {
    return [waypoints, failAt](const std::string&, const TWaypointTaker& take, const TReadProgress&, IFileFindings&) {
        std::int32_t handed = 0;
        for (std::size_t i = 0; i < waypoints.size(); ++i) {
            if (failAt && *failAt == i) throw Exception("broken entry");
            TWaypointFields waypoint = waypoints[i];
            take(waypoint);
            ++handed;
        }
        return handed;
    };
}

// An 8-bit 4 x 4 BMP.
Bytes Bmp() {
    Bytes info = GpiDword(40) + GpiDword(4) + GpiDword(4) + GpiWord(1) + GpiWord(8) + Bytes(24, '\0');
    return "BM" + GpiDword(0) + GpiDword(0) + GpiDword(54 + 1024) + info + Bytes(1024, '\0') + Bytes(16, '\1');
}

template <typename T>
const T* PartOf(const TGpiPoint& point) {
    for (const auto& part : point.Parts)
        if (const T* found = std::get_if<T>(&part)) return found;
    return nullptr;
}

class WaypointRulesTest : public testing::Test {
protected:
    void SetUp() override {
        XmlCodePage = 1252;
        cwd = std::filesystem::current_path();
        std::filesystem::current_path(t.Path());
    }
    void TearDown() override { std::filesystem::current_path(cwd); }

    TGroupLoader& Loader(TGroupLoaderSettings settings = {}) {
        loader.emplace(output, CreatePoiStore(), std::move(settings));
        loader->StartCategory(0, TAlertDefaults{});
        return *loader;
    }
    // The points stored, read back as the GPI reader sees them.
    std::vector<TGpiPoint> Finish() {
        points = loader->Finish();
        bool alert = false;
        Bytes records;
        ExtractInBox(*points.Store, alert, records, -90, -180, 90, 180);
        if (records.empty()) return {};
        const test::TReadBack back = test::ReadPointRecord(records);
        if (back.File.Groups.empty() || !back.File.Groups[0].Root) return {};
        return back.File.Groups[0].Root->Points;
    }

    TSQLiteLibrary library;
    TempDir t;
    std::filesystem::path cwd;
    std::ostringstream lines;
    std::ostringstream messages;
    TNotWritten notWritten;
    TGroupOutput output{lines, messages, nullptr, TGroupOutput::TStreams::Direct, &notWritten};
    std::optional<TGroupLoader> loader;
    TLoadedPoints points;
};

// A name ends before an "@" that a number follows: the number is the speed
// of its alert when it is a whole number of km/h. Any other "@" is text.
TEST_F(WaypointRulesTest, SpeedSuffixOfTheName) {
    struct Case {
        const char* name;
        const char* kept;
        std::optional<std::uint16_t> speed;  // hundredths of a metre per second
        bool warned;
    };
    for (const Case& c : std::initializer_list<Case>{{"Cam@50", "Cam", 1388, false},  // 13.89 m/s
                                                      {"Cam@0", "Cam", 0, false},
                                                      {"Bob@home", "Bob@home", std::nullopt, false},
                                                      {"Cam@-5", "Cam", std::nullopt, true},
                                                      {"Shop@", "Shop@", std::nullopt, false},
                                                      {"Museum @ Black Hills", "Museum @ Black Hills", std::nullopt, false},
                                                      {"Cam@50.5", "Cam", std::nullopt, true},
                                                      {"a@b@c", "a@b@c", std::nullopt, false},
                                                      {"Plain", "Plain", std::nullopt, false}}) {
        messages.str("");
        Loader().LoadFile("f.gpx", Handing({Wpt(1, 1, c.name)}));
        const auto stored = Finish();
        ASSERT_EQ(stored.size(), 1u) << c.name;
        EXPECT_EQ(stored[0].Name.at(0).Text, c.kept) << c.name;
        const TGpiAlert* alert = stored[0].Alert();
        EXPECT_EQ(alert != nullptr, c.speed.has_value()) << c.name;
        if (alert && c.speed) {
            EXPECT_EQ(alert->Speed, *c.speed) << c.name;
        }
        EXPECT_EQ(messages.str().find("kestro: warning: f.gpx: speed \"") != std::string::npos, c.warned)
            << c.name << ": " << messages.str();
    }
}

// A category file's name gives its points an alert; the "@" of a name and
// a speed text of the waypoint take its place.
TEST_F(WaypointRulesTest, FileNameDefaultsAndWhatOverridesThem) {
    auto& loaded = Loader();
    loaded.StartCategory(2, AlertDefaultsFromFileName("redlight.gpx"));
    TWaypointFields spoken = Wpt(3, 3, "Spoken");
    spoken.Speed = "50";
    loaded.LoadFile("redlight.gpx", Handing({Wpt(1, 1, "Light"), Wpt(2, 2, "Fast@50"), spoken}));
    loaded.StartCategory(NoIndex, TAlertDefaults{});
    loaded.LoadFile("loose.gpx", Handing({Wpt(4, 4, "None")}));
    const auto stored = Finish();
    ASSERT_EQ(stored.size(), 4u);
    ASSERT_NE(stored[0].Alert(), nullptr);
    EXPECT_EQ(stored[0].Alert()->Kind, 4);  // proximity
    EXPECT_EQ(stored[0].Alert()->Distance, 400);
    for (int i : {1, 2}) {
        ASSERT_NE(stored[i].Alert(), nullptr) << i;
        EXPECT_EQ(stored[i].Alert()->Kind, 5) << i;  // speed
        EXPECT_EQ(stored[i].Alert()->Speed, 1388) << i;
        EXPECT_EQ(stored[i].Alert()->Distance, 400) << i;
    }
    for (int i : {0, 1, 2}) {
        ASSERT_NE(PartOf<TGpiCategoryRef>(stored[i]), nullptr) << i;
        EXPECT_EQ(PartOf<TGpiCategoryRef>(stored[i])->Number, 2) << i;
    }
    EXPECT_EQ(stored[3].Alert(), nullptr);
    EXPECT_EQ(PartOf<TGpiCategoryRef>(stored[3]), nullptr);
}

// Without a linked icon, the BMP beside the read file of the same name is
// the icon; a linked folder gives the BMP named after the read file; one
// icon file is one bitmap, however many points use it.
TEST_F(WaypointRulesTest, CompanionIconBesideTheFile) {
    std::filesystem::create_directories(t / "g");
    std::filesystem::create_directories(t / "icons");
    WriteFile(t / "g/cafes.bmp", Bmp());
    WriteFile(t / "icons/shops.bmp", Bmp());
    TWaypointFields inFolder = Wpt(4, 4, "D");
    inFolder.Links = {"icons"};
    auto& loaded = Loader();
    loaded.LoadFile("g/cafes.gpx", Handing({Wpt(1, 1, "A"), Wpt(2, 2, "B")}));
    loaded.LoadFile("g/bars.gpx", Handing({Wpt(3, 3, "C")}));
    loaded.LoadFile("g/shops.gpx", Handing({inFolder}));
    const auto stored = Finish();
    EXPECT_EQ(points.BitmapFiles, (std::vector<std::string>{"g/cafes.bmp", "icons/shops.bmp"}));
    EXPECT_EQ(points.Bitmaps.substr(0, 2), Bytes("\x05\x00", 2));
    ASSERT_EQ(stored.size(), 4u);
    for (int i : {0, 1}) {
        ASSERT_NE(PartOf<TGpiBitmapRef>(stored[i]), nullptr) << i;
        EXPECT_EQ(PartOf<TGpiBitmapRef>(stored[i])->Number, 0) << i;
    }
    EXPECT_EQ(PartOf<TGpiBitmapRef>(stored[2]), nullptr);
    ASSERT_NE(PartOf<TGpiBitmapRef>(stored[3]), nullptr);
    EXPECT_EQ(PartOf<TGpiBitmapRef>(stored[3])->Number, 1);
    EXPECT_EQ(lines.str(), "  Icon: g/cafes.bmp\n  Icon: icons/shops.bmp\n");
}

// A point at exactly 0, 0 is no position: it is left out, counted, and
// no part of the box; a point next to it is written.
TEST_F(WaypointRulesTest, ZeroZeroIsLeftOutAndCounted) {
    Loader().LoadFile("f.gpx", Handing({Wpt(0, 0, "Nowhere"), Wpt(0, 0.001, "Near"), Wpt(5, 6, "Far")}));
    const auto stored = Finish();
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].Name.at(0).Text, "Near");
    EXPECT_EQ(notWritten.Written(), 2);
    std::ostringstream summary;
    notWritten.PrintSummary(summary);
    EXPECT_NE(summary.str().find("1 without usable coordinates or at 0, 0"), std::string::npos) << summary.str();
    EXPECT_EQ(points.MinLat, 0);
    EXPECT_EQ(points.MinLon, 0.001);
    EXPECT_EQ(points.MaxLat, 5);
    EXPECT_EQ(points.MaxLon, 6);
    EXPECT_EQ(lines.str(), "");
    EXPECT_EQ(messages.str(), "");
}

// Off the globe is "Skipped" and not written; an alert beyond what its
// fields hold is "Clamped" and written. A point that is both is skipped
// only; the lines come in reading order.
TEST_F(WaypointRulesTest, SkippedThenClampedInReadingOrder) {
    Loader().LoadFile("f.gpx", Handing({Wpt(90.000001, 1, "North@3000"), Wpt(1, 1, "Fast@2360"),
                                         Wpt(1, 1, "Edge@2359"), Wpt(1, -180.5, "West"), Wpt(90, 180, "Corner@9999")}));
    const auto stored = Finish();
    EXPECT_EQ(lines.str(),
              "  Skipped: f.gpx: North\n"
              "  Clamped: f.gpx: Fast\n"
              "  Skipped: f.gpx: West\n"
              "  Clamped: f.gpx: Corner\n");
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored[0].Alert()->Speed, 0xFFFF);  // 2360 km/h: 655.6 m/s
    EXPECT_EQ(stored[1].Alert()->Speed, 65527);   // 2359 km/h: 655.28 m/s
    // The box holds the points written only.
    EXPECT_EQ(points.MaxLat, 90);
    EXPECT_EQ(points.MinLon, 1);
}

// Texts in further languages go to the point's translations; what a
// language lacks is noted once per file, a language not asked for warned.
TEST_F(WaypointRulesTest, TranslationsOfTheWaypoint) {
    TWaypointFields both = Wpt(1, 1, "Cafe");
    both.Point.Comment = "Open";
    AddTranslation(both, TLocalized::Name, "de", "Kaffee");
    AddTranslation(both, TLocalized::Comment, "DE", "Offen");
    AddTranslation(both, TLocalized::Name, "FR", "Cafe");
    TWaypointFields english = Wpt(2, 2, "Bar");
    TGroupLoaderSettings settings;
    settings.Languages = {"EN", "DE"};
    Loader(settings).LoadFile("f.gpx", Handing({both, english}));
    const auto stored = Finish();
    ASSERT_EQ(stored.size(), 2u);
    ASSERT_EQ(stored[0].Name.size(), 2u);
    EXPECT_EQ(stored[0].Name[0].Language, "EN");
    EXPECT_EQ(stored[0].Name[1].Language, "DE");
    EXPECT_EQ(stored[0].Name[1].Text, "Kaffee");
    EXPECT_EQ(stored[1].Name[1].Text, "Bar");  // the first language's stands in
    EXPECT_EQ(messages.str(),
              "kestro: warning: f.gpx: texts in language \"FR\" not used: not among the \"languages\" of kestro.ini\n"
              "kestro: note: f.gpx: 1 text without a translation into DE; the first language's text stands in\n");
}

// A linked file outside the source folder is named once per file and path.
TEST_F(WaypointRulesTest, OutsideFolderNoteOncePerFileAndPath) {
    std::filesystem::create_directories(t / "src");
    std::filesystem::create_directories(t / "out");
    WriteFile(t / "src/in.jpg", "jpeg");
    WriteFile(t / "out/a.jpg", "jpeg");
    TWaypointFields outside = Wpt(1, 1, "A");
    outside.Links = {"out/a.jpg", "src/in.jpg"};
    TGroupLoaderSettings settings;
    settings.SourceFolder = std::filesystem::canonical(t / "src");
    auto& loaded = Loader(settings);
    loaded.LoadFile("src/f.gpx", Handing({outside, outside}));
    loaded.LoadFile("src/g.gpx", Handing({outside}));
    Finish();
    EXPECT_EQ(messages.str(),
              "kestro: note: src/f.gpx links out/a.jpg, outside the source folder\n"
              "kestro: note: src/g.gpx links out/a.jpg, outside the source folder\n");
}

// A reader that fails part way: what it handed over before is stored and
// its lines shown before the error is raised; the loader reads on after it.
TEST_F(WaypointRulesTest, FormatFailingMidReadKeepsWhatCameBefore) {
    auto& loaded = Loader();
    try {
        loaded.LoadFile("f.gpx", Handing({Wpt(1, 1, "A"), Wpt(100, 1, "Off"), Wpt(2, 2, "B"), Wpt(3, 3, "C")}, 2));
        ADD_FAILURE() << "the reader's error was lost";
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), "broken entry");
    }
    EXPECT_EQ(lines.str(), "  Skipped: f.gpx: Off\n");
    EXPECT_EQ(loaded.LoadFile("g.gpx", Handing({Wpt(4, 4, "D")})), 1);
    const auto stored = Finish();
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].Name.at(0).Text, "A");
    EXPECT_EQ(stored[1].Name.at(0).Text, "D");
}

// Unusable coordinates are said with the reader's reason, and not written.
TEST_F(WaypointRulesTest, CoordinateProblemIsWarnedNotWritten) {
    TWaypointFields broken = Wpt(0, 5, "A");
    broken.CoordinateProblem = "latitude \"12,5\" is no number";
    Loader().LoadFile("f.gpx", Handing({broken, broken}));
    EXPECT_TRUE(Finish().empty());
    EXPECT_EQ(messages.str(),
              "kestro: warning: f.gpx: waypoint \"A\" not written: latitude \"12,5\" is no number\n"
              "kestro: warning: f.gpx: \"coordinates\" warning repeated for 1 more waypoint\n");
    EXPECT_EQ(notWritten.Written(), 0);
}

// A description shorter than 256 bytes without markup becomes the comment
// of a point that has none.
TEST_F(WaypointRulesTest, ShortDescriptionBecomesTheComment) {
    struct Case {
        std::string comment;
        std::string description;
        bool moved;
    };
    for (const Case& c : std::vector<Case>{{"", std::string(255, 'd'), true},
                                           {"", std::string(256, 'd'), false},
                                           {"", std::string(257, 'd'), false},
                                           {"c", "d", false},
                                           {"", "<b>bold</b>", false},
                                           {"", "a < b", true}}) {
        TWaypointFields waypoint = Wpt(1, 1, "A");
        waypoint.Point.Comment = c.comment;
        waypoint.Point.Description = c.description;
        Loader().LoadFile("f.gpx", Handing({waypoint}));
        const auto stored = Finish();
        ASSERT_EQ(stored.size(), 1u);
        const TGpiComment* comment = PartOf<TGpiComment>(stored[0]);
        const TGpiDescription* description = PartOf<TGpiDescription>(stored[0]);
        ASSERT_NE(comment != nullptr || description != nullptr, false) << c.description.size();
        if (c.moved) {
            ASSERT_NE(comment, nullptr) << c.description;
            EXPECT_EQ(comment->Text.at(0).Text, c.description);
            EXPECT_EQ(description, nullptr) << c.description;
        } else {
            ASSERT_NE(description, nullptr) << c.description;
            EXPECT_EQ(description->Text.at(0).Text, c.description);
        }
    }
}

// The waypoint's own speed and proximity texts: whole numbers of 0 or more.
TEST_F(WaypointRulesTest, SpeedAndProximityTexts) {
    TWaypointFields near = Wpt(1, 1, "Near");
    near.Proximity = "150";
    TWaypointFields bad = Wpt(2, 2, "Bad");
    bad.Proximity = "-5";
    bad.Speed = "fast";
    Loader().LoadFile("f.gpx", Handing({near, bad}));
    const auto stored = Finish();
    ASSERT_EQ(stored.size(), 2u);
    ASSERT_NE(stored[0].Alert(), nullptr);
    EXPECT_EQ(stored[0].Alert()->Distance, 150);
    EXPECT_EQ(stored[1].Alert(), nullptr);
    EXPECT_EQ(messages.str(),
              "kestro: warning: f.gpx: speed \"fast\" not used: not a whole number of km/h, 0 or more\n"
              "kestro: warning: f.gpx: proximity \"-5\" not used: not a whole number of metres, 0 or more\n");
}

// What the reader finds about the file comes out where it was found, before
// the warnings of the waypoints after it; lines it could not read are counted.
TEST_F(WaypointRulesTest, FindingsOfTheReaderInReadingOrder) {
    const TWaypointFormat format = [](const std::string&, const TWaypointTaker& take, const TReadProgress&,
                                      IFileFindings& findings) {
        findings.Warning("csv encoding", "text is not UTF-8: read as Windows-1252");
        TWaypointFields waypoint = Wpt(1, 1, "Cam@50.5");
        take(waypoint);
        findings.UnreadableLines(3);
        findings.Warning("csv lines", "3 lines left out");
        return 4;
    };
    EXPECT_EQ(Loader().LoadFile("f.csv", format), 4);
    Finish();
    EXPECT_EQ(messages.str(),
              "kestro: warning: f.csv: text is not UTF-8: read as Windows-1252\n"
              "kestro: warning: f.csv: speed \"50.5\" after \"@\" in name \"Cam@50.5\" not used: not a whole number of "
              "km/h, 0 or more\n"
              "kestro: warning: f.csv: 3 lines left out\n");
    std::ostringstream summary;
    notWritten.PrintSummary(summary);
    EXPECT_NE(summary.str().find("3 in CSV lines that could not be read"), std::string::npos) << summary.str();
}

// The store works on its own thread: when it fails at a point, nothing read
// after that point shows, and its error is raised.
TEST_F(WaypointRulesTest, StoreFailureStopsTheReaderAtThatPoint) {
    for (int failAt : {0, 1, 2, 5, 200}) {
        lines.str("");
        auto store = CreatePoiStore();
        store->Execute("CREATE TRIGGER full BEFORE INSERT ON poi WHEN (SELECT count(*) FROM poi) >= " +
                       std::to_string(failAt) + " BEGIN SELECT RAISE(ABORT, 'store full'); END");
        loader.emplace(output, std::move(store), TGroupLoaderSettings{});
        std::vector<TWaypointFields> waypoints;
        std::string expected;
        for (int i = 0; i < 400; ++i) {
            waypoints.push_back(Wpt(1, 1 + i % 90));
            waypoints.push_back(Wpt(100, 1, "s" + std::to_string(i)));
            if (i < failAt) expected += "  Skipped: f.gpx: s" + std::to_string(i) + "\n";
        }
        EXPECT_THROW(loader->LoadFile("f.gpx", Handing(waypoints)), Exception);
        EXPECT_EQ(lines.str(), expected) << "store failing at point " << failAt;
        EXPECT_EQ(Finish().size(), static_cast<std::size_t>(failAt));
    }
}

}  // namespace
}  // namespace kestro
