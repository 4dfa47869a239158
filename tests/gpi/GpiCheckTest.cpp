#include <gtest/gtest.h>

#include "gpi/GpiCheck.h"
#include "gpi/GpiUtil.h"
#include "support/GpiTestFiles.h"
#include "support/TestSupport.h"

namespace kestro {
using test::Hex;
using test::TTestGroup;
using test::TTestPoint;

namespace {

std::string List(const std::vector<TGpiProblem>& problems) {
    std::string out;
    for (const auto& p : problems) out += std::to_string(p.Offset) + ": " + p.Text + "\n";
    return out;
}

// Points that lie outside their leaf's box at all, before any tolerance.
std::size_t CountStrictlyOutside(const TGpiArea& area) {
    std::size_t count = 0;
    for (const auto& p : area.Points)
        if (p.Lat < area.South || p.Lat > area.North || p.Lon < area.West || p.Lon > area.East) ++count;
    for (const auto& sub : area.Areas) count += CountStrictlyOutside(sub);
    return count;
}

std::size_t CountPoints(const TGpiFile& file) {
    std::size_t count = 0;
    for (const auto& g : file.Groups)
        if (g.Root) count += g.Root->PointCount();
    return count;
}

TTestPoint Point(double lat, double lon, const char* name) {
    TTestPoint p;
    p.Lat = lat;
    p.Lon = lon;
    p.Name = name;
    return p;
}

// Hand-made records for the broken files.
Bytes PointRecord(double lat, double lon, char alertFlag, const Bytes& extra = Bytes(), const Bytes& name = "p") {
    return GpiRecord(2, GpiDword(static_cast<std::uint32_t>(DegToSemicircles(lat))) +
                            GpiDword(static_cast<std::uint32_t>(DegToSemicircles(lon))) + GpiWord(1) + alertFlag +
                            GpiLangString(name),
                     extra);
}
Bytes AreaRecord(double south, double west, double north, double east, char alert, const Bytes& children) {
    return GpiRecord(8, test::TestAreaMain(south, west, north, east) + alert, children);
}
Bytes GroupFile(const Bytes& root, const Bytes& extra = Bytes()) {
    return test::TestFrame(GpiRecord(9, GpiLangString("G") + root, extra));
}

const Bytes Category0 = test::TestCategoryRecord(0, "c");
const Bytes Bitmap0 = test::TestBitmapRecord(0, test::TTestBitmap{});
const Bytes AlertSpeed50 = test::TestAlertRecord(50, -1);

}  // namespace

TEST(GpiCheck, FilesBuiltLikeTheWriterAreClean) {
    struct Case {
        const char* what;
        std::vector<TTestGroup> groups;
        std::uint16_t codePage = 1252;
        bool needsTolerance = false;  // some points lie a little outside their box
    };
    std::vector<Case> cases;

    {  // every sub-record, categories and bitmaps of each palette size
        TTestGroup g;
        g.Name = "Caf\xE9s";
        g.Categories = {"bars", "shops"};
        g.Bitmaps = {test::TTestBitmap{16, 16, 256}, test::TTestBitmap{13, 5, 16}, test::TTestBitmap{8, 8, 0}};
        TTestPoint a = Point(50.0, 14.0, "A");
        a.Category = 0;
        a.Bitmap = 1;
        a.AlertSpeed = 50;
        a.Comment = "note";
        a.City = "Praha";
        a.PostalCode = "11000";
        a.Phone = "+420 1";
        a.Url = "www.example.org";
        a.Images = {"\xFF\xD8 first", "\xFF\xD8 second"};
        a.Description = "<b>desc</b>";
        TTestPoint b = Point(50.2, 14.3, "");
        b.Category = 1;
        b.AlertDistance = 400;
        TTestPoint c = Point(50.1, 14.1, "C");
        c.Bitmap = 2;
        g.Points = {a, b, c};
        cases.push_back({"one leaf with every sub-record", {g}});
    }
    {
        TTestGroup g;
        g.Points = test::SpreadPoints(700, 49, 13, 51, 15, 1);
        cases.push_back({"700 points split with the default limit", {g}});
    }
    {
        TTestGroup g;
        g.Points = {Point(50, 14, "a"), Point(51, 15, "b")};
        g.MaxRegion = 1;
        cases.push_back({"two points 1 degree apart, limit 1", {g}});
    }
    {  // grid points lie on the mid lines of every split, some a rounding step off them
        TTestGroup g;
        for (int i = 0; i <= 8; ++i)
            for (int k = 0; k <= 8; ++k) g.Points.push_back(Point(48 + i * 0.25 + (k % 3 == 1 ? 1e-7 : 0), 16 + k * 0.25, "grid"));
        g.MaxRegion = 3;
        cases.push_back({"points on the mid lines", {g}, 1252, true});
    }
    {
        TTestGroup g;
        g.Points = test::SpreadPoints(400, -34.5, -71, -33, -70, 2);
        auto near = test::SpreadPoints(300, -0.5, -0.5, 0.5, 0.5, 3);
        g.Points.insert(g.Points.end(), near.begin(), near.end());
        g.MaxRegion = 20;
        cases.push_back({"southern and western hemispheres, across zero", {g}});
    }
    {
        TTestGroup g;
        g.Points = test::SpreadPoints(600, 10, 10, 20, 20, 4);
        for (auto& p : g.Points)
            if (p.Lat > 15 && p.Lon > 15) p.AlertSpeed = 30;
        cases.push_back({"alerts only in the north-east", {g}});
    }
    {
        TTestGroup g;
        g.Points = test::SpreadPoints(300, 85, 179, 89.9, 179.99999, 5);
        g.MaxRegion = 10;
        cases.push_back({"large coordinates", {g}});
    }
    {
        TTestGroup a;
        a.Name = "with categories";
        a.Categories = {"x"};
        a.Points = {Point(1, 1, "p")};
        a.Points[0].Category = 0;
        TTestGroup b;
        b.Name = "plain";
        b.Points = {Point(2, 2, "q")};
        cases.push_back({"two groups, one without categories", {a, b}});
    }
    {
        TTestGroup g;
        g.Name = "\xC3\x9C" "bersicht";
        g.Points = {Point(3, 3, "\xE2\x82\xAC")};
        cases.push_back({"UTF-8 texts", {g}, 65001});
    }
    cases.push_back({"no groups at all", {}});

    for (const auto& c : cases) {
        const TGpiFile file = ParseGpi(test::TestGpiFile(c.groups, c.codePage));
        EXPECT_EQ(List(CheckGpi(file)), "") << c.what;
        std::size_t expected = 0;
        for (const auto& g : c.groups) expected += g.Points.size();
        EXPECT_EQ(CountPoints(file), expected) << c.what;
        EXPECT_EQ(file.Groups.size(), c.groups.size()) << c.what;
        if (c.needsTolerance) {
            EXPECT_GT(CountStrictlyOutside(*file.Groups.at(0).Root), 0u) << c.what;
        }
    }
}

TEST(GpiCheck, AlertFlagsOfASplitTree) {
    TTestGroup g;
    g.Points = test::SpreadPoints(600, 10, 10, 20, 20, 4);
    for (auto& p : g.Points)
        if (p.Lat > 15 && p.Lon > 15) p.AlertSpeed = 30;
    const TGpiFile file = ParseGpi(test::TestGpiFile({g}));
    const TGpiArea& root = *file.Groups.at(0).Root;
    ASSERT_EQ(root.Areas.size(), 4u);
    EXPECT_EQ(root.AlertFlag, 1);
    EXPECT_EQ(root.Areas[0].AlertFlag, 0);
    EXPECT_EQ(root.Areas[1].AlertFlag, 0);
    EXPECT_EQ(root.Areas[2].AlertFlag, 0);
    EXPECT_EQ(root.Areas[3].AlertFlag, 1);
}

TEST(GpiCheck, FindsEachFault) {
    struct Case {
        const char* what;
        Bytes file;
        std::size_t offset;
        const char* phrase;
        bool only = true;  // the fault is the file's only problem
    };
    std::vector<Case> cases;
    const Bytes p1 = PointRecord(50, 14, 0, GpiRecord(6, GpiWord(0)) + GpiRecord(4, GpiWord(0)));
    const Bytes p2 = PointRecord(50.5, 14.5, 1, AlertSpeed50, "alert");
    const Bytes root = AreaRecord(50, 14, 50.5, 14.5, 1, p1 + p2);
    const Bytes good = GroupFile(root, Category0 + Bitmap0);
    ASSERT_EQ(List(CheckGpi(ParseGpi(good))), "");
    const std::size_t groupAt = good.find(GpiLangString("G")) - 12;
    const std::size_t p1At = good.find(p1), p2At = good.find(p2), rootAt = good.find(root);

    cases.push_back({"truncated", good.substr(0, p2At + 10), groupAt + 4, "group record: length", false});
    cases.push_back({"truncated, no end", good.substr(0, p2At + 10), p2At + 10, "missing end record", false});
    {
        Bytes overrun = good;
        overrun.replace(p2At + 4, 4, GpiDword(static_cast<std::uint32_t>(p2.size() - 12 + 1)));
        cases.push_back({"overrunning length", overrun, p2At + 4, "point record: length", false});
    }
    {
        Bytes mainTooLong = good;
        mainTooLong.replace(p1At + 8, 4, GpiDword(1000));
        cases.push_back({"main length beyond the data", mainTooLong, p1At + 8, "main length 1000 exceeds its data length", false});
    }
    {
        const Bytes ref = GpiRecord(6, GpiWord(0));
        const Bytes p = PointRecord(50, 14, 0, GpiRecord(10, GpiLangString("x")) + ref);
        const Bytes file = GroupFile(AreaRecord(50, 14, 50.5, 14.5, 0, p), Category0);
        cases.push_back({"wrong sub-record order", file, file.find(p) + 12 + 20 + 17,
                         "category reference record out of order: it follows the comment record"});
    }
    {
        const Bytes p = PointRecord(50, 14, 0, GpiRecord(10, GpiLangString("x")) + GpiRecord(10, GpiLangString("y")));
        const Bytes file = GroupFile(AreaRecord(50, 14, 50.5, 14.5, 0, p));
        cases.push_back({"repeated comment", file, file.find(p) + 12 + 20 + 17, "second comment record in one point"});
    }
    {
        const Bytes p = PointRecord(50.6, 14, 0);
        const Bytes file = GroupFile(AreaRecord(50, 14, 50.5, 14.5, 0, p));
        cases.push_back({"point outside its box", file, file.find(p), "point outside its area's bounds: 50.6000000, "});
    }
    cases.push_back({"missing end record", good.substr(0, good.size() - 8), good.size() - 8, "missing end record"});
    cases.push_back({"data after the end record", good + "JUNK", good.size(), "4 bytes after the end record"});
    {
        Bytes areaFlag = good;
        areaFlag[rootAt + 8 + 4 + 22] = '\0';
        cases.push_back({"area alert flag 0", areaFlag, rootAt, "area alert flag 0, but a point inside carries an alert"});
        areaFlag[rootAt + 8 + 4 + 22] = '\2';
        cases.push_back({"area alert flag 2", areaFlag, rootAt, "area alert flag is 2, not 0 or 1"});
        const Bytes quiet = GroupFile(AreaRecord(50, 14, 50.5, 14.5, 1, PointRecord(50, 14, 0)));
        cases.push_back({"area alert flag 1", quiet, quiet.find(AreaRecord(50, 14, 50.5, 14.5, 1, PointRecord(50, 14, 0))),
                         "area alert flag 1, but no point inside carries an alert"});
    }
    {
        Bytes pointFlag = good;
        pointFlag[p2At + 12 + 10] = '\0';
        cases.push_back({"point alert flag 0 with an alert", pointFlag, p2At, "point alert flag 0, but it has an alert record"});
        Bytes noAlert = good;
        noAlert[p1At + 12 + 10] = '\1';
        cases.push_back({"point alert flag 1 without alert", noAlert, p1At, "point alert flag 1, but it has no alert record"});
    }
    {
        const Bytes ref = GpiRecord(6, GpiWord(5));
        const Bytes p = PointRecord(50, 14, 0, ref);
        const Bytes file = GroupFile(AreaRecord(50, 14, 50.5, 14.5, 0, p), Category0);
        cases.push_back({"missing category", file, file.find(p) + 12 + 20, "reference to missing category 5"});
        const Bytes bitmapRef = GpiRecord(4, GpiWord(3));
        const Bytes q = PointRecord(50, 14, 0, bitmapRef);
        const Bytes other = GroupFile(AreaRecord(50, 14, 50.5, 14.5, 0, q), Bitmap0);
        cases.push_back({"missing bitmap", other, other.find(q) + 12 + 20, "reference to missing bitmap 3"});
        const Bytes categoryWithIcon = GpiRecord(7, GpiWord(0) + GpiLangString("c"), GpiRecord(4, GpiWord(1)));
        const Bytes third = GroupFile(AreaRecord(50, 14, 50.5, 14.5, 0, PointRecord(50, 14, 0)), categoryWithIcon + Bitmap0);
        cases.push_back({"category icon missing", third, third.find(categoryWithIcon) + 12 + 11, "reference to missing bitmap 1"});
    }
    {
        // The palette-size field says 256 while 16 entries follow.
        Bytes bitmap = test::TestBitmapRecord(0, test::TTestBitmap{16, 16, 16});
        bitmap.replace(8 + 20, 4, GpiDword(256));
        const Bytes file = GroupFile(AreaRecord(50, 14, 50.5, 14.5, 0, PointRecord(50, 14, 0)), bitmap);
        cases.push_back({"palette size disagrees", file, file.find(bitmap),
                         "bitmap 0: the record holds 356 bytes, its header promises 1316"});
        Bytes pixels = test::TestBitmapRecord(0, test::TTestBitmap{});
        pixels.replace(8 + 12, 4, GpiDword(255));
        const Bytes second = GroupFile(AreaRecord(50, 14, 50.5, 14.5, 0, PointRecord(50, 14, 0)), pixels);
        cases.push_back({"pixel size disagrees", second, second.find(pixels), "pixel data size 255, but row size x height is 256", false});
        Bytes stride = test::TestBitmapRecord(0, test::TTestBitmap{13, 4, 0});
        stride.replace(8 + 6, 2, GpiWord(13));
        const Bytes third = GroupFile(AreaRecord(50, 14, 50.5, 14.5, 0, PointRecord(50, 14, 0)), stride);
        cases.push_back({"row size disagrees", third, third.find(stride), "row size 13 does not fit width 13", false});
    }
    {
        const Bytes stray = PointRecord(50, 14, 0);
        const Bytes file = GroupFile(AreaRecord(50, 14, 50.5, 14.5, 0, PointRecord(50, 14, 0)), stray);
        cases.push_back({"point in a group's extra part", file, file.rfind(stray),
                         "point record in the wrong place (in a group's extra part)"});
        const Bytes unknown = GpiRecord(99, "abc");
        const Bytes p = PointRecord(50, 14, 0, unknown);
        const Bytes second = GroupFile(AreaRecord(50, 14, 50.5, 14.5, 0, p));
        cases.push_back({"unknown record in a point", second, second.find(p) + 12 + 20,
                         "unknown record of type 99 (3 bytes) in a point record"});
        const Bytes third = GroupFile(AreaRecord(50, 14, 50.5, 14.5, 0, PointRecord(50, 14, 0)), Bitmap0 + Category0);
        cases.push_back({"category after a bitmap", third, third.find(Category0), "category record after a bitmap record"});
        const Bytes noPoiHeader = GpiRecord(0, "GRMREC00" + GpiDword(0) + GpiWord(0) + GpiString("x")) +
                                  GpiRecord(9, GpiLangString("G")) + GpiRecord(0xFFFF, "");
        cases.push_back({"no POI header", noPoiHeader, 25, "the second record is a group record, not the POI header record"});
    }
    {
        const Bytes sub = AreaRecord(50, 14, 50.25, 14.25, 0, PointRecord(50.1, 14.1, 0));
        const Bytes mixed = AreaRecord(50, 14, 50.5, 14.5, 0, sub + PointRecord(50.4, 14.4, 0));
        const Bytes file = GroupFile(mixed);
        cases.push_back({"sub-areas and points together", file, file.find(mixed), "area holds both sub-areas (1) and points (1)"});
        const Bytes wide = AreaRecord(50, 14, 50.75, 14.25, 0, PointRecord(50.1, 14.1, 0));
        const Bytes second = GroupFile(AreaRecord(50, 14, 50.5, 14.5, 0, wide));
        cases.push_back({"sub-area outside its parent", second, second.find(wide), "sub-area outside its parent's bounds"});
        Bytes deep = AreaRecord(50, 14, 50.5, 14.5, 0, PointRecord(50, 14, 0));
        for (int i = 0; i < 34; ++i) deep = AreaRecord(50, 14, 50.5, 14.5, 0, deep);
        const Bytes third = GroupFile(deep);
        cases.push_back({"35 levels of areas", third, third.find(PointRecord(50, 14, 0)) - 35, "area records nest deeper than 34 levels"});
    }
    {
        const Bytes images = GpiRecord(13, Hex("00") + GpiDword(1) + "a") + GpiRecord(13, Hex("00") + GpiDword(1) + "b");
        const Bytes p = PointRecord(50, 14, 0, images);
        const Bytes file = GroupFile(AreaRecord(50, 14, 50.5, 14.5, 0, p));
        cases.push_back({"image positions", file, file.find(p) + 12 + 20 + 14, "image position 0, expected 1"});
    }

    for (const auto& c : cases) {
        const auto problems = CheckGpi(ParseGpi(c.file));
        bool found = false;
        for (const auto& p : problems) found = found || (p.Offset == c.offset && p.Text.find(c.phrase) != std::string::npos);
        EXPECT_TRUE(found) << c.what << ": expected at " << c.offset << " \"" << c.phrase << "\", got\n" << List(problems);
        if (c.only) {
            EXPECT_EQ(problems.size(), 1u) << c.what << "\n" << List(problems);
        }
    }
}

TEST(GpiCheck, BoxToleranceFollowsThePointStore) {
    // 0.00002 degrees plus single-precision rounding: about 0.0000204 near
    // 1 degree and 0.0000507 near 180 degrees.
    EXPECT_NEAR(GpiBoxTolerance(1.0), 0.0000204, 0.0000001);
    EXPECT_NEAR(GpiBoxTolerance(-179.9), 0.0000507, 0.0000001);
    EXPECT_NEAR(GpiBoxTolerance(1e300), GpiBoxTolerance(360), 1e-12);
    struct Case {
        double south, west, north, east;
        double lat, lon;
        bool outside;
    };
    for (auto c : std::initializer_list<Case>{
             {1, 1, 2, 2, 1.0, 1.5, false},           // on the edge
             {1, 1, 2, 2, 1 - 0.000019, 1.5, false},  // within the store's reach
             {1, 1, 2, 2, 1 - 0.000022, 1.5, true},
             {1, 1, 2, 2, 1.5, 2 + 0.000019, false},  // every side
             {1, 1, 2, 2, 1.5, 2 + 0.000022, true},
             {-2, -2, -1, -1, -1 + 0.000019, -1.5, false},
             {-2, -2, -1, -1, -1 + 0.000022, -1.5, true},
             {10, 179, 11, 179.9, 10.5, 179.9 + 0.00004, false},
             {10, 179, 11, 179.9, 10.5, 179.9 + 0.00006, true},
         }) {
        const Bytes file = GroupFile(AreaRecord(c.south, c.west, c.north, c.east, 0, PointRecord(c.lat, c.lon, 0)));
        EXPECT_EQ(CheckGpi(ParseGpi(file)).size(), c.outside ? 1u : 0u) << c.lat << ", " << c.lon;
    }
}

TEST(GpiCheck, DamagedFilesNeverBreakTheReader) {
    TTestGroup g;
    g.Categories = {"c"};
    g.Bitmaps = {test::TTestBitmap{4, 4, 16}};
    g.Points = test::SpreadPoints(40, 1, 1, 2, 2, 9);
    g.Points[0].Category = 0;
    g.Points[1].Bitmap = 0;
    g.Points[2].AlertSpeed = 20;
    g.Points[3].Images = {"img"};
    g.Points[4].City = "x";
    g.MaxRegion = 8;
    const Bytes good = test::TestGpiFile({g});
    // Every cut and a bad byte at every offset: the reader keeps going and the check names a problem.
    for (std::size_t size = 14; size < good.size(); ++size) {
        const TGpiFile file = ParseGpi(good.substr(0, size));
        EXPECT_FALSE(CheckGpi(file).empty()) << size;
    }
    for (std::size_t at = 14; at < good.size(); ++at) {
        for (char value : {'\x00', '\xFF', '\x7F'}) {
            Bytes bad = good;
            bad[at] = value;
            EXPECT_NO_THROW(CheckGpi(ParseGpi(bad))) << at;
        }
    }
}

}  // namespace kestro

namespace kestro {

// Records in the wrong place are walked again in the file and merged into
// the other problems by offset: the list comes out as if all were kept and
// sorted, with the problems kept at one offset before the misplaced record's.
TEST(GpiCheck, MisplacedRecordsOfEveryLevelComeInOffsetOrder) {
    const Bytes header = GpiRecord(0, "GRMREC00" + GpiDword(0) + GpiWord(0) + GpiString("x"), GpiRecord(97, "h"));
    const Bytes poiHeader = GpiRecord(1, Bytes("POI\0\0\0", 6) + "00" + GpiWord(1252) + GpiWord(0), GpiRecord(96, ""));
    const Bytes category = GpiRecord(7, GpiWord(0) + GpiLangString("c"), GpiRecord(95, "ab"));
    const Bytes area = AreaRecord(50, 14, 50.5, 14.5, 0, GpiRecord(94, "") + PointRecord(50.6, 14, 0) + GpiRecord(2, ""));
    const Bytes group = GpiRecord(9, GpiLangString("G") + area + GpiRecord(93, ""), category + GpiRecord(92, ""));
    const Bytes first = GpiRecord(91, "");
    const Bytes file = header + first + poiHeader + group + first + GpiRecord(0xFFFF, "");
    const std::size_t areaAt = file.find(area), groupAt = file.find(group);
    const std::size_t pointAt = areaAt + 12 + 23 + 8, emptyPointAt = pointAt + PointRecord(50.6, 14, 0).size();
    const std::size_t categoryAt = file.find(category);

    const auto problems = CheckGpi(ParseGpi(file));
    const std::vector<std::pair<std::size_t, std::string>> expected = {
        {header.size() - 9, "unknown record of type 97 (1 bytes) in the header record"},
        {header.size(), "the second record is a record of type 91, not the POI header record"},
        {header.size(), "unknown record of type 91 (0 bytes) at file level"},
        {header.size() + 8 + poiHeader.size() - 8, "unknown record of type 96 (0 bytes) in the POI header record"},
        {areaAt + 12 + 23, "unknown record of type 94 (0 bytes) in an area record"},
        {pointAt, "point outside its area's bounds: 50.6"},
        {emptyPointAt, "point outside its area's bounds: 0.0"},
        // The empty point's cut field and the next record of the main part share an offset.
        {emptyPointAt + 8, "point record: latitude needs 4 bytes, 0 left"},
        {areaAt + area.size(), "unknown record of type 93 (0 bytes) in a group's main part"},
        {categoryAt + category.size() - 10, "unknown record of type 95 (2 bytes) in a category record"},
        {groupAt + group.size() - 8, "unknown record of type 92 (0 bytes) in a group's extra part"},
        {groupAt + group.size(), "unknown record of type 91 (0 bytes) at file level"},
    };
    ASSERT_EQ(emptyPointAt + 8, areaAt + area.size());
    ASSERT_EQ(problems.size(), expected.size()) << List(problems);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(problems[i].Offset, expected[i].first) << i << "\n" << List(problems);
        EXPECT_EQ(problems[i].Text.rfind(expected[i].second, 0), 0u) << i << ": " << problems[i].Text;
    }

    std::size_t streamed = 0, last = 0;
    const std::size_t count = CheckGpi(ParseGpi(file), [&](const TGpiProblem& p) {
        EXPECT_GE(p.Offset, last);
        last = p.Offset;
        ++streamed;
    });
    EXPECT_EQ(count, problems.size());
    EXPECT_EQ(streamed, problems.size());
}

}  // namespace kestro
