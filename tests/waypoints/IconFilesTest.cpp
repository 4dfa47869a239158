// Icon files are read and decoded once per run, whether they become a
// record or are refused, however many points, files and groups link them.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>

#include "gpi/Bitmap.h"
#include "gpi/GpiRecordType.h"
#include "gpi/GpiUtil.h"
#include "pipeline/GroupOutput.h"
#include "sources/AlertDefaults.h"
#include "store/GpiDB.h"
#include "store/SQLiteLibrary.h"
#include "support/TestImages.h"
#include "support/TestSupport.h"
#include "waypoints/GroupLoader.h"
#include "waypoints/IconFiles.h"
#include "xml/XmlCodePage.h"

namespace kestro {
namespace {
using test::TempDir;
using test::WriteFile;

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

class IconFilesTest : public testing::Test {
protected:
    void SetUp() override {
        XmlCodePage = 1252;
        cwd = std::filesystem::current_path();
        std::filesystem::current_path(t.Path());
        WriteFile(t / "ok.png", test::PngFile(test::SolidPicture(8, 6, 0xFF336699), false));
        WriteFile(t / "big.png", test::PngFile(test::DistinctColours(64, 64), false));
        const Bytes png = test::PngFile(test::SolidPicture(8, 8, 0xFF000000), false);
        WriteFile(t / "cut.png", png.substr(0, png.size() - 20));
        // Linked icons are ".bmp" files: a 24-bit one is converted, one that
        // says it is run-length compressed is refused.
        Bytes bmp = test::BmpFile(test::SolidPicture(8, 6, 0xFF336699), 24);
        WriteFile(t / "ok.bmp", bmp);
        bmp[30] = 1;
        WriteFile(t / "cut.bmp", bmp);
    }
    void TearDown() override { std::filesystem::current_path(cwd); }

    TSQLiteLibrary library;
    TempDir t;
    std::filesystem::path cwd;
};

TEST_F(IconFilesTest, EachFileDecodedOnceWithItsRecordRefusalOrNote) {
    TIconFiles icons;
    struct Case {
        std::string path;
        bool record;
        bool refused;
        bool noted;
    };
    const std::vector<Case> cases{
        {"ok.png", true, false, false}, {"big.png", true, false, true}, {"cut.png", false, true, false},
        {"none.png", false, false, false}};
    for (const std::uint16_t number : {0, 1, 255, 256, 65534}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.path + " as bitmap " + std::to_string(number));
            std::string refusal = "old", note = "old";
            const Bytes body = icons.Bitmap(c.path, number, refusal, note);
            std::string directRefusal, directNote;
            // Record, refusal and note are those of a file read right now, numbered as asked.
            EXPECT_EQ(body, GpiBitmap(c.path, number, directRefusal, directNote));
            EXPECT_EQ(refusal, directRefusal);
            EXPECT_EQ(note, directNote);
            EXPECT_EQ(!body.empty(), c.record);
            EXPECT_EQ(!refusal.empty(), c.refused) << refusal;
            EXPECT_EQ(!note.empty(), c.noted) << note;
        }
    }
    EXPECT_EQ(icons.Decoded(), cases.size());
}

// Two groups of two files each; every point links the refused picture and
// the good one, each group by a path of its own. Each picture is decoded
// once; each file warns once about the refused one (and counts the points
// that lost it), each group holds the good one as its bitmap 0.
TEST_F(IconFilesTest, RefusedIconReadOnceForAllPointsFilesAndGroups) {
    std::string points;
    for (int i = 0; i < 3; ++i) points += "<wpt lat='1' lon='1'><link href='../cut.bmp'/></wpt><wpt lat='2' lon='2'><link href='../ok.bmp'/></wpt>";
    for (const char* file : {"g1/a.gpx", "g1/b.gpx", "g2/c.gpx", "g2/d.gpx"}) {
        std::filesystem::create_directories((t / file).parent_path());
        WriteFile(t / file, "<gpx>" + points + "</gpx>");
    }
    const auto icons = std::make_shared<TIconFiles>();
    std::ostringstream lines, messages;
    TGroupOutput output{lines, messages};
    for (const auto& group : {std::vector<std::string>{"g1/a.gpx", "g1/b.gpx"}, std::vector<std::string>{"g2/c.gpx", "g2/d.gpx"}}) {
        TGroupLoaderSettings settings;
        settings.Icons = icons;
        TGroupLoader loader(output, CreatePoiStore(), settings);
        loader.StartCategory(0, TAlertDefaults{});
        for (const auto& file : group) loader.LoadFile(file);
        const TLoadedPoints loaded = loader.Finish();
        EXPECT_EQ(loaded.BitmapFiles, std::vector<std::string>{group[0].substr(0, 2) + "/../ok.bmp"});
        EXPECT_EQ(loaded.Bitmaps, GpiRecord(GpiTypeBitmap, GpiBitmap("ok.bmp", 0)));
    }
    EXPECT_EQ(icons->Decoded(), 2u);
    const std::string text = messages.str();
    for (const char* file : {"g1/a.gpx", "g1/b.gpx", "g2/c.gpx", "g2/d.gpx"}) {
        SCOPED_TRACE(file);
        const std::string warning = std::string("kestro: warning: ") + file + ": ";
        EXPECT_EQ(Count(text, warning + "icon g" + std::string(file).substr(1, 1) + "/../cut.bmp not used: "), 1u) << text;
        EXPECT_EQ(Count(text, warning + "\"icon g" + std::string(file).substr(1, 1) +
                                  "/../cut.bmp\" warning repeated for 2 more waypoints\n"),
                  1u)
            << text;
    }
    EXPECT_EQ(Count(text, "not used"), 4u) << text;
}

// A file is not read again in the same run: mended or spoiled after its
// first use, it keeps what it was.
TEST_F(IconFilesTest, FileKeepsWhatItWasForTheRun) {
    TIconFiles icons;
    std::string refusal, note;
    EXPECT_TRUE(icons.Bitmap("cut.png", 0, refusal, note).empty());
    WriteFile(t / "cut.png", test::PngFile(test::SolidPicture(8, 6, 0xFF336699), false));
    EXPECT_TRUE(icons.Bitmap("cut.png", 0, refusal, note).empty());
    EXPECT_FALSE(refusal.empty());
    const Bytes good = icons.Bitmap("ok.png", 3, refusal, note);
    WriteFile(t / "ok.png", "broken");
    EXPECT_EQ(icons.Bitmap("ok.png", 3, refusal, note), good);
    EXPECT_TRUE(refusal.empty());
    EXPECT_EQ(icons.Decoded(), 2u);
}

}  // namespace
}  // namespace kestro
