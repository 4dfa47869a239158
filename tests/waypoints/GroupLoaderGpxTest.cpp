// The loader of one group across several GPX files, driven the way the group
// builder drives it.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <sstream>

#include "gpi/GpiUtil.h"
#include "gpx/GpxParser.h"
#include "waypoints/GroupLoader.h"
#include "pipeline/GroupOutput.h"
#include "store/GpiDB.h"
#include "store/SQLiteException.h"
#include "store/SQLiteLibrary.h"
#include "support/TestSupport.h"
#include "xml/UKestroXML.h"
#include "sources/AlertDefaults.h"
#include "xml/XmlCodePage.h"

namespace kestro {
namespace {
using test::TempDir;
using test::WriteFile;

// An 8-bit 4 x 4 BMP, or a 24-bit one that the reader refuses.
Bytes Bmp(std::uint16_t bits) {
    Bytes info = GpiDword(40) + GpiDword(4) + GpiDword(4) + GpiWord(1) + GpiWord(bits) + Bytes(24, '\0');
    return "BM" + GpiDword(0) + GpiDword(0) + GpiDword(54 + 1024) + info + Bytes(1024, '\0') + Bytes(16, '\1');
}

// A BMP with the given header fields and room for the pixels of a small one.
Bytes BmpOf(std::uint32_t width, std::int32_t height, std::uint16_t bits, std::uint32_t compression) {
    Bytes info = GpiDword(40) + GpiDword(width) + GpiDword(static_cast<std::uint32_t>(height)) + GpiWord(1) +
                 GpiWord(bits) + GpiDword(compression) + Bytes(20, '\0');
    return "BM" + GpiDword(0) + GpiDword(0) + GpiDword(54 + 1024) + info + Bytes(1024, '\0') + Bytes(64, '\1');
}

std::string Gpx(const std::string& body) { return "<gpx>" + body + "</gpx>"; }

class GroupLoaderGpxTest : public testing::Test {
protected:
    void SetUp() override {
        XmlCodePage = 1252;
        cwd = std::filesystem::current_path();
        std::filesystem::current_path(t.Path());
        Start();
    }
    void TearDown() override { std::filesystem::current_path(cwd); }

    TGroupLoader& Start(TGroupLoaderSettings settings = {}, std::unique_ptr<TSQLiteDatabase> store = CreatePoiStore()) {
        reader.emplace(output, std::move(store), std::move(settings));
        reader->StartCategory(0, TAlertDefaults{});
        return *reader;
    }
    TLoadedPoints& Finish() {
        points = reader->Finish();
        return points;
    }
    std::int64_t Stored() { return CountInBox(*points.Store, -90, -180, 90, 180); }

    TSQLiteLibrary library;
    TempDir t;
    std::filesystem::path cwd;
    std::ostringstream lines;
    std::ostringstream messages;
    TGroupOutput output{lines, messages};
    std::optional<TGroupLoader> reader;
    TLoadedPoints points;
};

TEST_F(GroupLoaderGpxTest, CountIsPerFileWhileBoxAndIconsAccumulate) {
    WriteFile(t / "icon.bmp", Bmp(8));
    WriteFile(t / "a.gpx", Gpx("<wpt lat='10' lon='20'><link href='icon.bmp'/></wpt><wpt lat='11' lon='21'/>"
                               "<wpt/><rte><rtept lat='1' lon='1'/></rte>"));
    WriteFile(t / "b.gpx", Gpx("<wpt lat='-5' lon='30'><link href='icon.bmp'/></wpt>"));
    EXPECT_EQ(reader->LoadFile("a.gpx"), 3);
    EXPECT_EQ(reader->LoadFile("b.gpx"), 1);
    Finish();
    EXPECT_EQ(Stored(), 3);
    EXPECT_EQ(points.MinLat, -5);
    EXPECT_EQ(points.MaxLat, 11);
    EXPECT_EQ(points.MinLon, 20);  // the waypoint without position is not written: no part of the box
    EXPECT_EQ(points.MaxLon, 30);
    EXPECT_EQ(points.BitmapFiles, std::vector<std::string>{"icon.bmp"});
    EXPECT_EQ(points.Bitmaps.substr(0, 2), Bytes("\x05\x00", 2));
}

// A refused file is not read again in the run (IconFilesTest).
TEST_F(GroupLoaderGpxTest, RefusedIconIsNotReadAgainByTheNextWaypoint) {
    WriteFile(t / "icon.bmp", Bmp(24));
    WriteFile(t / "a.gpx", Gpx("<wpt lat='1' lon='1'><link href='icon.bmp'/></wpt>"));
    reader->LoadFile("a.gpx");
    EXPECT_EQ(lines.str().find("Icon:"), std::string::npos);
    WriteFile(t / "icon.bmp", Bmp(8));
    reader->LoadFile("a.gpx");
    Finish();
    EXPECT_TRUE(points.BitmapFiles.empty());
    EXPECT_TRUE(points.Bitmaps.empty());
}

TEST_F(GroupLoaderGpxTest, CompanionIconIsNamedAfterTheGpxFile) {
    std::filesystem::create_directories(t / "g");
    WriteFile(t / "g/cafes.bmp", Bmp(8));
    WriteFile(t / "g/cafes.gpx", Gpx("<wpt lat='1' lon='1'/>"));
    reader->LoadFile("g/cafes.gpx");
    EXPECT_EQ(Finish().BitmapFiles, std::vector<std::string>{"g/cafes.bmp"});
}

// Bitmap numbers are 16 bits with 0xFFFF for none; the check is tried at a
// smaller limit. Known icons and refused files take no number.
TEST_F(GroupLoaderGpxTest, IconBeyondTheLimitIsAnErrorNotASharedNumber) {
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) WriteFile(t / name, Bmp(8));
    WriteFile(t / "bad.bmp", Bmp(24));
    auto point = [](const std::string& icon) { return "<wpt lat='1' lon='1'><link href='" + icon + "'/></wpt>"; };
    WriteFile(t / "two.gpx", Gpx(point("a.bmp") + point("bad.bmp") + point("b.bmp") + point("a.bmp")));
    WriteFile(t / "three.gpx", Gpx(point("b.bmp") + point("c.bmp")));
    TGroupLoaderSettings twoIcons;
    twoIcons.BitmapLimit = 2;
    Start(twoIcons);
    reader->LoadFile("two.gpx");
    try {
        reader->LoadFile("three.gpx");
        ADD_FAILURE() << "a third icon was given a number";
    } catch (const EFormatLimit& error) {
        EXPECT_NE(std::string(error.what()).find("c.bmp"), std::string::npos) << error.what();
    }
    EXPECT_EQ(Finish().BitmapFiles, (std::vector<std::string>{"a.bmp", "b.bmp"}));
}

TEST_F(GroupLoaderGpxTest, ErrorsLeaveTheWaypointsReadBefore) {
    WriteFile(t / "a.gpx", "<gpx><wpt lat='1' lon='1'/><wpt lat='2' lon='2'/><wpt lat='3'");
    EXPECT_THROW(reader->LoadFile("a.gpx"), Exception);
    EXPECT_THROW(reader->LoadFile("missing.gpx"), EFOpenError);
    Finish();
    EXPECT_EQ(Stored(), 2);
}

// The store works on its own thread, behind the reader: when it fails at a
// point, nothing read after that point may show, as when each point is
// stored the moment it is read.
TEST_F(GroupLoaderGpxTest, StoreFailureShowsOnlyWhatWasReadBeforeTheFailingPoint) {
    for (int failAt : {0, 1, 2, 5, 200}) {
        auto store = CreatePoiStore();
        store->Execute("CREATE TRIGGER full BEFORE INSERT ON poi WHEN (SELECT count(*) FROM poi) >= " +
                       std::to_string(failAt) + " BEGIN SELECT RAISE(ABORT, 'store full'); END");
        Start({}, std::move(store));
        std::string body, expected;
        for (int i = 0; i < 400; ++i) {
            // Every point stored is followed by one that only prints a line.
            body += "<wpt lat='1' lon='" + std::to_string(i % 90) + "'/><wpt lat='100' lon='1'><name>s" +
                    std::to_string(i) + "</name></wpt>";
            if (i < failAt) expected += "  Skipped: a.gpx: s" + std::to_string(i) + "\n";
        }
        WriteFile(t / "a.gpx", Gpx(body));
        lines.str(std::string());
        try {
            reader->LoadFile("a.gpx");
            ADD_FAILURE() << "no error from the store at point " << failAt;
        } catch (const ESQLiteException& error) {
            EXPECT_NE(std::string(error.what()).find("store full"), std::string::npos) << error.what();
        }
        EXPECT_EQ(lines.str(), expected) << "store failing at point " << failAt;
        Finish();
        EXPECT_EQ(Stored(), failAt);
    }
}

TEST_F(GroupLoaderGpxTest, FileInBinaryFormIsReadLikeItsText) {
    XmlCodePage = 1250;
    WriteFile(t / "icon.bmp", Bmp(8));
    const std::string text =
        "<?xml version='1.0' encoding='UTF-8'?><gpx xmlns:gpxx='x'>"
        "<metadata><name>Not a point</name></metadata>"
        "<wpt lat='50.1' lon='14.2'><name>Kon\xC3\xAD\xC4\x8D" "ek@50</name><desc>Open 8-17</desc>"
        "<link href='icon.bmp'/><extensions><gpxx:WaypointExtension><gpxx:Proximity>300</gpxx:Proximity>"
        "<gpxx:PhoneNumber>123</gpxx:PhoneNumber></gpxx:WaypointExtension></extensions></wpt>"
        "<trk><trkseg><trkpt lat='1' lon='1'/></trkseg></trk>"
        "<rte><wpt lat='-3' lon='-4'><name>Nested</name></wpt></rte><wpt/></gpx>";
    WriteFile(t / "text.gpx", text);
    auto document = CreateXmlDocument();
    document->LoadXML(text);
    document->SaveBinaryToFile((t / "binary.gpx").string());
    ASSERT_NE(test::ReadFile(t / "binary.gpx"), text);

    EXPECT_EQ(reader->LoadFile("text.gpx"), 3);
    TLoadedPoints fromTextFile = reader->Finish();
    Start();
    EXPECT_EQ(reader->LoadFile("binary.gpx"), 3);
    TLoadedPoints binary = reader->Finish();

    EXPECT_EQ(binary.MinLat, fromTextFile.MinLat);
    EXPECT_EQ(binary.MaxLat, fromTextFile.MaxLat);
    EXPECT_EQ(binary.MinLon, fromTextFile.MinLon);
    EXPECT_EQ(binary.MaxLon, fromTextFile.MaxLon);
    EXPECT_EQ(binary.Bitmaps, fromTextFile.Bitmaps);
    bool alertText = false, alertBinary = false;
    Bytes fromText, fromBinary;
    ExtractInBox(*fromTextFile.Store, alertText, fromText, -90, -180, 90, 180);
    ExtractInBox(*binary.Store, alertBinary, fromBinary, -90, -180, 90, 180);
    EXPECT_TRUE(alertBinary);
    EXPECT_NE(fromBinary.find("Kon\xED\xE8" "ek"), Bytes::npos);
    EXPECT_EQ(test::ToHex(fromBinary), test::ToHex(fromText));
}

}  // namespace
}  // namespace kestro

namespace kestro {
namespace {

// What is left out is named once per file and cause; what is linked from
// outside the source folder once per file and path. Nothing else is said.
TEST_F(GroupLoaderGpxTest, WarningsAndNotesOncePerFileAndCause) {
    std::filesystem::create_directories(t / "src" / "g");
    std::filesystem::create_directories(t / "out" / "deeper");
    WriteFile(t / "src/24.bmp", BmpOf(4, 4, 24, 0));
    WriteFile(t / "src/wide.bmp", BmpOf(49, 4, 8, 0));
    WriteFile(t / "src/high.bmp", BmpOf(48, 49, 8, 0));
    WriteFile(t / "src/down.bmp", BmpOf(4, -4, 8, 0));
    WriteFile(t / "src/rle.bmp", BmpOf(4, 4, 8, 1));
    WriteFile(t / "src/text.bmp", "hello");
    WriteFile(t / "src/ok.bmp", BmpOf(48, 48, 8, 0));
    WriteFile(t / "out/ok.bmp", BmpOf(4, 4, 8, 0));
    WriteFile(t / "src/in.jpg", "jpeg");
    WriteFile(t / "out/a.jpg", "jpeg");
    WriteFile(t / "out/b.JPEG", "jpeg");
    WriteFile(t / "out/deeper/c.jpg", "jpeg");
    std::filesystem::create_symlink("../out/a.jpg", t / "src/via-link.jpg");
    std::filesystem::create_symlink("../src", t / "out/back");
    const std::string file = "src/g/a.gpx";
    auto wpt = [](const std::string& inner) { return "<wpt lat='1' lon='1'>" + inner + "</wpt>"; };
    auto link = [](const std::string& href) { return "<link href='" + href + "'/>"; };
    auto proximity = [](const std::string& text) {
        return "<extensions><gpxx:WaypointExtension><gpxx:Proximity>" + text +
               "</gpxx:Proximity></gpxx:WaypointExtension></extensions>";
    };
    const std::string warning = "kestro: warning: src/g/a.gpx: ";
    const std::string note = "kestro: note: src/g/a.gpx links ";
    struct Case {
        std::string body;
        std::string messages;
    };
    for (const auto& c : std::vector<Case>{
             {wpt(link("src/24.bmp")) + wpt(link("src/24.bmp")), warning + "icon src/24.bmp not used: unreadable BMP file (bad offset)\n" +
                  warning + "\"icon src/24.bmp\" warning repeated for 1 more waypoint\n"},
             {wpt(link("src/wide.bmp")), "kestro: note: src/g/a.gpx: icon src/wide.bmp: 49 x 4 pixels, scaled down to 48 x 4\n"},
             {wpt(link("src/high.bmp")), "kestro: note: src/g/a.gpx: icon src/high.bmp: 48 x 49 pixels, scaled down to 47 x 48\n"},
             {wpt(link("src/down.bmp")), ""},
             {wpt(link("src/rle.bmp")), warning + "icon src/rle.bmp not used: unreadable BMP file (compressed with method 1)\n"},
             {wpt(link("src/text.bmp")) + wpt(link("src/24.bmp")),
              warning + "icon src/text.bmp not used: not a BMP file\n" + warning + "icon src/24.bmp not used: unreadable BMP file (bad offset)\n"},
             {wpt(link("src/ok.bmp") + link("src/in.jpg")) + wpt(link("https://example.org/a.jpg") + link("")), ""},
             {wpt(link("src/none.jpg")) + wpt(link("src/none.jpg") + link("src/none")),
              warning + "link src/none.jpg not used: no such file or folder\n" + warning + "link src/none not used: no such file or folder\n" +
                  warning + "\"link src/none.jpg\" warning repeated for 1 more waypoint\n"},
             {wpt(proximity("150.0")) + wpt(proximity("-5")) + wpt(proximity("0x10") + proximity("20")),
              warning + "proximity \"150.0\" not used: not a whole number of metres, 0 or more\n" + warning +
                  "\"proximity\" warning repeated for 1 more waypoint\n"},
             {wpt(proximity(" $10")) + wpt(proximity("0")), ""},
             {wpt("<name>Bob@home</name>") + wpt("<name>Cam@50.5</name>") + wpt("<name>Shop@</name><cmt>a@b</cmt>"),
              warning + "speed \"50.5\" after \"@\" in name \"Cam@50.5\" not used: not a whole number of km/h, 0 or more\n"},
             {"<wpt lat='nan' lon='1'><name>A</name></wpt><wpt lat='12,5' lon='1'/><wpt lat='1' lon=' 2 '/>"
              "<wpt lat='1'><name>B</name></wpt>",
              warning + "waypoint \"A\" not written: latitude \"nan\" is no number\n" + warning +
                  "\"coordinates\" warning repeated for 2 more waypoints\n"},
             {wpt("<name>Cam@$32</name>") + wpt("<name>Cam@ 0</name>"), ""},
             {wpt(link("out/a.jpg") + link("out/a.jpg")) + wpt(link("out")),
              note + "out/a.jpg, outside the source folder\n" + note + "out/b.JPEG, outside the source folder\n"},
             {wpt(link("src/via-link.jpg")), note + "src/via-link.jpg, outside the source folder\n"},
             {wpt(link("src/../out/a.jpg") + link("out/back/in.jpg")), note + "src/../out/a.jpg, outside the source folder\n"},
             {wpt(link("out/ok.bmp")) + wpt(link("out/ok.bmp")), note + "out/ok.bmp, outside the source folder\n"},
         }) {
        WriteFile(t / file, "<gpx xmlns:gpxx='x'>" + c.body + "</gpx>");
        std::ostringstream caseLines, caseMessages;
        TGroupOutput caseOutput(caseLines, caseMessages);
        TGroupLoaderSettings settings;
        settings.SourceFolder = std::filesystem::canonical(t / "src");
        TGroupLoader loader(caseOutput, CreatePoiStore(), settings);
        loader.StartCategory(0, TAlertDefaults{});
        loader.LoadFile(file);
        EXPECT_EQ(caseMessages.str(), c.messages) << c.body;
        EXPECT_EQ(caseLines.str().find("kestro:"), std::string::npos) << c.body;
    }
}

}  // namespace
}  // namespace kestro
