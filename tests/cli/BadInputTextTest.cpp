// Bad GPX content, end to end: what the program prints, its exit code and
// what stays on disk.
#include <gtest/gtest.h>

#include <string>

#include "BadInputTestSupport.h"
#include "gpi/GpiUtil.h"

namespace kestro {
namespace {

using namespace kestro::test;

const std::string Good =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<gpx version=\"1.1\">\n"
    " <wpt lat=\"48.1\" lon=\"11.5\"><name>Caf\xC3\xA9</name></wpt>\n"
    " <wpt lat=\"48.2\" lon=\"11.6\"><name>Bar</name></wpt>\n"
    "</gpx>\n";

// Good up to the end of the first occurrence of `marker`.
std::string CutAfter(const std::string& marker) { return Good.substr(0, Good.find(marker) + marker.size()); }

std::string Waypoint(const std::string& lat, const std::string& lon, const std::string& name) {
    return "<wpt lat=\"" + lat + "\" lon=\"" + lon + "\"><name>" + name + "</name></wpt>";
}

std::string Gpx(const std::string& waypoints) { return "<?xml version=\"1.0\"?><gpx>" + waypoints + "</gpx>"; }

// A good group "a" first, then the damaged file as group "b": the first
// group's record stays on disk when the second fails.
std::function<void(TBadRun&)> AfterGoodGroup(const std::string& damaged) {
    return [damaged](TBadRun& run) {
        WriteFile(run.Source / "a.gpx", Good);
        WriteFile(run.Source / "b.gpx", damaged);
    };
}

std::function<void(TBadRun&)> OneFile(const Bytes& content, int codePage = 1252) {
    return [content, codePage](TBadRun& run) {
        WriteFile(run.Source / "a.gpx", content);
        WriteFile(run.Source / "kestro.ini", "[kestro]\ncodepage=" + std::to_string(codePage) + "\n");
    };
}

Bytes FirstPointName(const TBadOutcome& outcome) {
    if (!outcome.File || outcome.File->Groups.empty()) return "(no group)";
    const auto points = PointsOf(outcome.File->Groups.front());
    return points.empty() ? Bytes("(no point)") : TextOf(points.front()->Name);
}

TEST(BadInput, TruncatedGpx) {
    for (const auto& bad : std::initializer_list<TBadInput>{
             {"inside the XML declaration", AfterGoodGroup(CutAfter("<?xml vers")), 4,
              "Exception: Character \"=\" expected at [1:10]", 1},
             {"inside an attribute value", AfterGoodGroup(CutAfter("lat=\"48.")), 4,
              "Exception: \"\"\" expected at [3:14]", 1},
             {"inside a multi-byte character of a name", AfterGoodGroup(CutAfter("Caf\xC3")), 4,
              "Exception: Character \"/\" expected at [3:38]", 1},  // the cut character reads as "?"
             {"inside an end tag", AfterGoodGroup(CutAfter("</wp")), 4, "Exception: Text \"t\" expected at [3:49]", 1},
             {"after a start tag", AfterGoodGroup(CutAfter("<wpt")), 4, "Exception: Incomplete definition of the element", 1},
             {"before the root's end tag", AfterGoodGroup(CutAfter("Bar</name></wpt>\n")), 4,
              "Exception: Character \"/\" expected at [5:0]", 1},
             {"inside the root's end tag", AfterGoodGroup(CutAfter("</gpx")), 4,
              "Exception: Character \">\" expected at [5:5]", 1},
             // With nothing but the declaration left the file holds no waypoint, like an empty one.
             {"right after the XML declaration", AfterGoodGroup(CutAfter("?>\n")), 0, "", 1,
              [](const TBadRun&, const TBadOutcome& outcome) { EXPECT_TRUE(HasLine(outcome, "    0 POIs")); }},
         })
        RunBadInput(bad);
}

TEST(BadInput, EmptyFile) {
    RunBadInput({"empty file", OneFile(""), 0, "", 0, [](const TBadRun& run, const TBadOutcome& outcome) {
                     EXPECT_TRUE(HasLine(outcome, "  File: " + (run.Source / "a.gpx").string()));
                     EXPECT_TRUE(HasLine(outcome, "    0 POIs"));
                 }});
}

TEST(BadInput, Encodings) {
    auto nameIs = [](const Bytes& expected) {
        return [expected](const TBadRun&, const TBadOutcome& outcome) {
            EXPECT_EQ(ToHex(FirstPointName(outcome)), ToHex(expected));
        };
    };
    const std::string utf8 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    for (const auto& bad : std::initializer_list<TBadInput>{
             // Bytes that start no UTF-8 sequence become "?", in any output code page.
             {"invalid UTF-8 into 1252", OneFile(utf8 + "<gpx>" + Waypoint("1", "2", "A\xFF\xFE" "B") + "</gpx>"), 0, "",
              1, nameIs("A??B")},
             {"invalid UTF-8 into UTF-8", OneFile(utf8 + "<gpx>" + Waypoint("1", "2", "A\x80\xED\xA0\x80" "B") + "</gpx>", 65001),
              0, "", 1, nameIs("A??B")},
             // A lead byte cut short by the "<" of the end tag is one "?"; the tag is read.
             {"invalid UTF-8 before markup", OneFile(utf8 + "<gpx>" + Waypoint("1", "2", "A\xC3") + "</gpx>"), 0, "",
              1, nameIs("A?")},
             {"NUL byte in a name", OneFile(Gpx(Waypoint("1", "2", Bytes("A\0B", 3)))), 0, "", 1,
              nameIs(Bytes("A\0B", 3))},
             {"NUL byte between elements", OneFile(Gpx(Bytes("\0", 1) + Waypoint("1", "2", "A"))), 0, "", 1, nameIs("A")},
             // Without a declaration the bytes are taken as they stand: Latin-1 text reads right in 1252.
             {"undeclared encoding", OneFile("<gpx>" + Waypoint("1", "2", "Caf\xE9") + "</gpx>"), 0, "", 1,
              nameIs("Caf\xE9")},
             {"unsupported encoding", OneFile("<?xml version=\"1.0\" encoding=\"EBCDIC-US\"?><gpx/>"), 4,
              "Exception: Encoding \"EBCDIC-US\" is not supported by KestroXML", 0},
             {"UTF-16 little-endian with byte-order mark", OneFile(Bytes("\xFF\xFE<\0g\0p\0x\0/\0>\0", 12)), 4,
              "Exception: Unicode Encoding is not supported by KestroXML", 0},
             {"UTF-16 big-endian with byte-order mark", OneFile(Bytes("\xFE\xFF\0<\0g\0p\0x\0/\0>", 12)), 4,
              "Exception: Unicode Encoding is not supported by KestroXML", 0},
             {"UTF-16 without byte-order mark", OneFile(Bytes("<\0g\0p\0x\0/\0>\0", 12)), 4,
              "Exception: Name must start with letter or \"_\" at [1:2]", 0},
         })
        RunBadInput(bad);
}

TEST(BadInput, HugeStructures) {
    RunBadInput({"a million nested elements",
                 [](TBadRun& run) {
                     std::string text = "<gpx>";
                     text.reserve(7'000'020);
                     for (int i = 0; i < 1'000'000; ++i) text += "<a>";
                     for (int i = 0; i < 1'000'000; ++i) text += "</a>";
                     WriteFile(run.Source / "a.gpx", text + "</gpx>");
                 },
                 4, "Exception: Elements are nested deeper than 1024 levels at [1:3077]", 0});
    RunBadInput({"a 100 MB attribute value",
                 [](TBadRun& run) {
                     std::string text = "<gpx><wpt lat=\"47.5\" lon=\"8.5\" note=\"";
                     text.append(100'000'000, 'v');
                     WriteFile(run.Source / "a.gpx", text + "\"><name>Big</name></wpt></gpx>");
                 },
                 0, "", 1, [](const TBadRun&, const TBadOutcome& outcome) { EXPECT_EQ(FirstPointName(outcome), "Big"); }});
}

TEST(BadInput, LongTextsAreCutToTheirLengthField) {
    // A localized text holds at most 0xFFFF - 4 bytes behind its 4-byte entry head.
    const std::size_t longest = 0xFFFF - 4;
    RunBadInput({"70,000-byte name", OneFile(Gpx(Waypoint("1", "2", std::string(70'000, 'N')))), 0, "", 1,
                 [&](const TBadRun&, const TBadOutcome& outcome) {
                     EXPECT_EQ(FirstPointName(outcome), std::string(longest, 'N'));
                 }});
    std::string accents;
    for (int i = 0; i < 35'000; ++i) accents += "\xC3\xA9";
    RunBadInput({"70,000-byte UTF-8 name", OneFile(Gpx(Waypoint("1", "2", accents)), 65001), 0, "", 1,
                 [&](const TBadRun&, const TBadOutcome& outcome) {
                     // Cut before the character that does not fit whole.
                     EXPECT_EQ(FirstPointName(outcome), accents.substr(0, longest - 1));
                 }});
}

TEST(BadInput, CoordinatesThatCannotBeEncoded) {
    const std::string waypoints = Waypoint("1e300", "10", "Huge") + Waypoint("-1e300", "10", "Tiny") +
                                  Waypoint("nan", "nan", "Words") + Waypoint("10", "200", "East") +
                                  Waypoint("-91", "10", "South") + Waypoint("48", "11", "Good") +
                                  Waypoint("20", "-1e300", "West@50");
    RunBadInput({"out of range, with an icon beside the file",
                 [&](TBadRun& run) {
                     WriteFile(run.Source / "a.gpx", Gpx(waypoints));
                     WriteFile(run.Source / "a.bmp",
                               "BM" + GpiDword(58) + GpiDword(0) + GpiDword(58) + GpiDword(40) + GpiDword(1) + GpiDword(1) +
                                   GpiWord(1) + GpiWord(8) + GpiDword(0) + GpiDword(4) + GpiDword(0) + GpiDword(0) +
                                   GpiDword(0) + GpiDword(0) + GpiDword(0xFF00FF) + "\0\0\0\0");
                 },
                 0, "", 1,
                 [](const TBadRun& run, const TBadOutcome& outcome) {
                     const std::string file = (run.Source / "a.gpx").string();
                     // Counted, and the icon is looked up for the first of them already.
                     const std::vector<std::string> expected{
                         "Group: a", "  File: " + file, "  Icon: " + (run.Source / "a.bmp").string(),
                         "  Skipped: " + file + ": Huge", "  Skipped: " + file + ": Tiny",
                         "kestro: warning: " + file + ": waypoint \"Words\" not written: latitude \"nan\" is no number",
                         "  Skipped: " + file + ": East", "  Skipped: " + file + ": South",
                         "  Skipped: " + file + ": West", "    7 POIs"};
                     ASSERT_GE(outcome.Lines.size(), expected.size());
                     EXPECT_EQ(std::vector<std::string>(outcome.Lines.begin(), outcome.Lines.begin() + expected.size()),
                               expected);
                     // After "Done.", the summary of what was left out.
                     const std::vector<std::string> summary{
                         "Done.", "kestro: 6 waypoints not written: 5 outside the map, 1 without usable coordinates or at 0, 0",
                         "kestro:   outside the map: " + file + " (5)",
                         "kestro:   without usable coordinates or at 0, 0: " + file + " (1)"};
                     ASSERT_GE(outcome.Lines.size(), summary.size());
                     EXPECT_EQ(std::vector<std::string>(outcome.Lines.end() - summary.size(), outcome.Lines.end()), summary);
                     ASSERT_TRUE(outcome.File && !outcome.File->Groups.empty());
                     const auto& group = outcome.File->Groups.front();
                     const auto points = PointsOf(group);
                     ASSERT_EQ(points.size(), 1u);
                     EXPECT_EQ(TextOf(points.front()->Name), "Good");
                     // Only the point written spans the box: neither "nan", read as 0, nor the skipped ones.
                     ASSERT_TRUE(group.Root.has_value());
                     EXPECT_EQ(group.Root->South, DegToSemicircles(48));
                     EXPECT_EQ(group.Root->West, DegToSemicircles(11));
                     EXPECT_EQ(group.Root->North, DegToSemicircles(48));
                     EXPECT_EQ(group.Root->East, DegToSemicircles(11));
                     EXPECT_EQ(group.Bitmaps.size(), 1u);
                 }});
    RunBadInput({"none encodable", OneFile(Gpx(Waypoint("200", "10", "A") + Waypoint("10", "-181", "B"))), 0, "", 1,
                 [](const TBadRun&, const TBadOutcome& outcome) {
                     EXPECT_TRUE(HasLine(outcome, "    2 POIs"));
                     ASSERT_TRUE(outcome.File && !outcome.File->Groups.empty());
                     EXPECT_TRUE(PointsOf(outcome.File->Groups.front()).empty());
                 }});
}

}  // namespace
}  // namespace kestro
