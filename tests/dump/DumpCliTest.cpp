#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include <cstdlib>
#include <fstream>

#include "diag/Exceptions.h"
#include "gpi/GpiReader.h"
#include "gpi/GpiUtil.h"
#include "support/GpiTestFiles.h"
#include "support/TestDocuments.h"
#include "support/TestSupport.h"

namespace kestro {
using test::ProcessResult;
using test::ShellQuote;
using test::TTestGroup;
using test::TTestPoint;

// The files of other writers that only the shared material folder holds.
class PeerFiles : public test::TSharedDataTest {};

namespace {

// kestro-dump is built beside kestro.
std::string DumpBinary() {
    const char* kestro = std::getenv("KESTRO_BINARY");
    if (kestro == nullptr) throw std::runtime_error("KESTRO_BINARY is not set");
    return ShellQuote((std::filesystem::path(kestro).parent_path() / "kestro-dump").string());
}

ProcessResult RunDump(const std::string& arguments) { return test::RunCommand(DumpBinary() + " " + arguments); }

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

std::size_t JsonPoints(const test::TJson& area) {
    std::size_t count = area["points"].Size();
    for (const auto& sub : area["areas"].Items) count += JsonPoints(sub);
    return count;
}

std::size_t AreaCount(const TGpiArea& area) {
    std::size_t count = 1;
    for (const auto& sub : area.Areas) count += AreaCount(sub);
    return count;
}

std::size_t AlertCount(const TGpiArea& area) {
    std::size_t count = 0;
    for (const auto& p : area.Points) count += p.Alert() != nullptr ? 1 : 0;
    for (const auto& sub : area.Areas) count += AlertCount(sub);
    return count;
}

struct TSvgCounts {
    std::size_t Areas = 0, Points = 0, Alerts = 0;
};
TSvgCounts CountSvg(const std::string& svg) {
    TSvgCounts counts;
    for (const auto& e : test::ParseXmlElements(svg)) {
        const auto cls = e.Attributes.find("data-kind");
        if (cls == e.Attributes.end()) continue;
        if (e.Name == "rect" && cls->second == "area") ++counts.Areas;
        if (e.Name == "circle" && (cls->second == "point" || cls->second == "alert")) ++counts.Points;
        if (e.Name == "circle" && cls->second == "alert") ++counts.Alerts;
        if (e.Name == "rect" && cls->second == "density") {  // many points: a count per cell
            counts.Points += std::stoul(e.Attributes.at("data-count"));
            counts.Alerts += std::stoul(e.Attributes.at("data-alerts"));
        }
    }
    return counts;
}

TTestPoint Point(double lat, double lon, const Bytes& name) {
    TTestPoint p;
    p.Lat = lat;
    p.Lon = lon;
    p.Name = name;
    return p;
}

// Two groups: a split one with alerts in the north-east, a small one.
Bytes TwoGroupFile() {
    TTestGroup big;
    big.Name = "Big";
    big.Points = test::SpreadPoints(700, 49, 13, 51, 15, 7);
    for (auto& p : big.Points)
        if (p.Lat > 50 && p.Lon > 14) p.AlertSpeed = 50;
    TTestGroup small;
    small.Name = "Small";
    small.Points = {Point(1, 2, "one"), Point(1.5, 2.5, "two")};
    return test::TestGpiFile({big, small});
}

// Every form of kestro-dump reads the whole file: the outline, the JSON
// document and the drawings of all groups each hold every point.
void ExpectWholeFileRead(const std::filesystem::path& file, std::size_t points) {
    const std::string path = ShellQuote(file.string());
    const std::string name = file.filename().string();
    ASSERT_TRUE(std::filesystem::exists(file)) << file;
    const ProcessResult outline = RunDump(path);
    EXPECT_EQ(outline.ExitCode, 0) << name << "\n" << outline.Output;
    EXPECT_EQ(Count(outline.Output, "Point @"), points) << name;
    EXPECT_EQ(Count(outline.Output, "Record type"), Count(outline.Output, "Record type 15 (header extension)")) << name;
    EXPECT_NE(outline.Output.find("\nEnd @"), std::string::npos) << name;

    const ProcessResult json = RunDump("--json " + path);
    ASSERT_EQ(json.ExitCode, 0) << name << "\n" << json.Output;
    const test::TJson document = test::ParseJson(json.Output);
    std::size_t listed = 0, counted = 0;
    for (const auto& group : document["groups"].Items) {
        counted += static_cast<std::size_t>(group["pointCount"].Number);
        if (group["area"].Kind != test::TJson::TKind::Null) listed += JsonPoints(group["area"]);
    }
    EXPECT_EQ(listed, points) << name;
    EXPECT_EQ(counted, points) << name;

    test::TempDir dir;
    const ProcessResult svg = RunDump("--svg " + ShellQuote((dir / "out.svg").string()) + " " + path);
    ASSERT_EQ(svg.ExitCode, 0) << name << "\n" << svg.Output;
    std::size_t drawn = CountSvg(test::ReadFile(dir / "out.svg")).Points;
    for (std::size_t group = 2; group <= document["groups"].Size(); ++group) {
        const ProcessResult more = RunDump(Format("--svg %s --group %zu %s", ShellQuote((dir / "more.svg").string()).c_str(), group, path.c_str()));
        ASSERT_EQ(more.ExitCode, 0) << more.Output;
        drawn += CountSvg(test::ReadFile(dir / "more.svg")).Points;
    }
    EXPECT_EQ(drawn, points) << name;

    const ProcessResult check = RunDump("--check " + path);
    EXPECT_TRUE(check.ExitCode == 0 || check.ExitCode == 1) << name << "\n" << check.Output;
}

}  // namespace

// GPSBabel writes GPI files of its own shape (its built-in icon, alert
// records before the bitmap reference, positions as street addresses):
// made here from the examples and from a file of code-page 1252 texts.
TEST(DumpCli, FilesWrittenByGpsbabel) {
    test::TempDir dir;
    test::WriteFile(dir / "cp1252.gpx",
                    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx version=\"1.1\" creator=\"test\">\n"
                    "<wpt lat=\"51.5\" lon=\"-0.1\"><name>\xE2\x82\xAC</name><cmt>\xE2\x84\xA2</cmt></wpt>\n</gpx>\n");
    const auto examples = test::SourceDir() / "examples";
    // Values GPSBabel chooses (its icon, its rounding of distances) are not
    // pinned: the lines must have the outline's form, whatever they hold.
    struct Case {
        std::filesystem::path source;
        const char* options;
        std::vector<std::string> lines;  // patterns, each in the outline as often as the source has points
    };
    for (const auto& c : std::vector<Case>{
             {examples / "Fuel" / "fuel.gpx", "", {"      Bitmap: 0\n"}},
             {examples / "Fuel" / "fuel.gpx", ",category=Vin\xC3\xAD" "colas,hide", {"      Comment: EN \""}},
             {examples / "Fuel" / "fuel.gpx", ",position", {"        Street: EN \"N"}},
             {examples / "Fuel" / "lpg.gpx", ",speed=30,proximity=0.5,units=s",
              {"      Alert: distance [0-9]+ m, speed [0-9]+\\.[0-9]{2} m/s \\([0-9]+\\.[0-9]{2} km/h\\), kind 5 \\(speed\\)\n"}},
             {dir / "cp1252.gpx", "", {"      Name: EN \"\xE2\x82\xAC\"\n", "      Comment: EN \"\xE2\x84\xA2\"\n"}},
         }) {
        const auto gpi = dir / "out.gpi";
        std::filesystem::remove(gpi);
        const ProcessResult made = test::RunCommand("gpsbabel -i gpx -f " + ShellQuote(c.source.string()) + " -o garmin_gpi" +
                                                    c.options + " -F " + ShellQuote(gpi.string()));
        ASSERT_EQ(made.ExitCode, 0) << "gpsbabel (installed by scripts/bootstrap)\n" << made.Output;
        const std::size_t points = Count(test::ReadFile(c.source), "<wpt ");
        ASSERT_GT(points, 0u) << c.source;
        ExpectWholeFileRead(gpi, points);
        const std::string outline = RunDump(ShellQuote(gpi.string())).Output;
        auto matches = [&outline](const std::string& pattern) {
            const std::regex line(pattern);
            return static_cast<std::size_t>(
                std::distance(std::sregex_iterator(outline.begin(), outline.end(), line), std::sregex_iterator()));
        };
        for (const auto& line : c.lines) EXPECT_EQ(matches(line), points) << c.source << c.options << ": " << line;
        const bool hidden = std::string(c.options).find("hide") != std::string::npos;
        EXPECT_EQ(Count(outline, "  Bitmap 0 @"), hidden ? 0u : 1u) << c.options;
        if (hidden) EXPECT_NE(outline.find("Group 1 @0x32: EN \"Vin\xC3\xAD" "colas\""), std::string::npos) << outline;
        else EXPECT_EQ(matches("[0-9]+ x [0-9]+ pixels, [0-9]+ bits per pixel, row size [0-9]+, palette [0-9]+ entries\n"), 1u);
    }
}

// The speeds of a file's alerts as the outline shows them and as the HTML
// page shows them, in the order of the points.
std::pair<std::vector<std::string>, std::vector<std::string>> OutlineAndPageSpeeds(const std::filesystem::path& gpi,
                                                                                      const std::filesystem::path& html) {
    auto all = [](const std::string& text, const std::regex& pattern) {
        std::vector<std::string> found;
        for (auto m = std::sregex_iterator(text.begin(), text.end(), pattern); m != std::sregex_iterator(); ++m)
            found.push_back((*m)[1]);
        return found;
    };
    const std::string outline = RunDump(ShellQuote(gpi.string())).Output;
    EXPECT_EQ(RunDump("--html " + ShellQuote(html.string()) + " " + ShellQuote(gpi.string())).ExitCode, 0);
    return {all(outline, std::regex(" m/s \\(([0-9.]+ km/h|none)\\)")),
            all(test::ReadFile(html), std::regex("\"speed ([0-9.]+ km/h|none), "))};
}

TEST(DumpCli, OutlineAndPageShowASpeedAlike) {
    test::TempDir t;
    const char* kestro = std::getenv("KESTRO_BINARY");
    ASSERT_NE(kestro, nullptr);
    ASSERT_EQ(test::RunCommand("cd " + ShellQuote(test::SourceDir().string()) + " && " + ShellQuote(kestro) + " -q examples " +
                               ShellQuote((t / "examples.gpi").string()))
                  .ExitCode,
              0);
    const auto [outline, page] = OutlineAndPageSpeeds(t / "examples.gpi", t / "examples.html");
    EXPECT_EQ(outline.size(), 10u);
    EXPECT_EQ(outline, page);
    EXPECT_EQ(std::count(outline.begin(), outline.end(), "none"), 3);  // proximity alerts of red-light cameras
    EXPECT_EQ(std::count(outline.begin(), outline.end(), "50 km/h"), 4);  // 13.88 m/s, cut from 50 km/h
}

TEST_F(PeerFiles, OutlineAndPageShowASpeedAlike) {
    test::TempDir t;
    const auto [outline, page] = OutlineAndPageSpeeds(PeerGpiFolder() / "gpispeed.gpi", t / "speed.html");
    EXPECT_EQ(outline, std::vector<std::string>{"48.28 km/h"});  // 30 mph
    EXPECT_EQ(outline, page);
}

TEST_F(PeerFiles, AreReadWithTheirPointCounts) {
    struct Case {
        const char* file;
        std::size_t points;
    };
    for (auto c : std::initializer_list<Case>{{"garmin_gpi.gpi", 86},
                                              {"garmin_gpi_category~gpx.gpi", 86},
                                              {"garmin_gpi_encoding.gpi", 1},
                                              {"garmin_gpi_position~gpx.gpi", 86},
                                              {"gpi_ext-sample.gpi", 9},
                                              {"gpispeed.gpi", 1},
                                              {"spb_metro_norm.gpi", 83},
                                              {"umsonstdraussen.gpi", 78}})
        ExpectWholeFileRead(PeerGpiFolder() / c.file, c.points);
}

TEST_F(PeerFiles, TextsAndRecordsOfOtherWriters) {
    const auto folder = PeerGpiFolder();
    struct Case {
        const char* file;
        const char* line;
    };
    for (auto c : std::initializer_list<Case>{
             {"garmin_gpi_encoding.gpi", "      Name: EN \"\xE2\x82\xAC\"\n"},
             {"garmin_gpi_encoding.gpi", "      Comment: EN \"\xE2\x84\xA2\"\n"},
             {"garmin_gpi_encoding.gpi", "  Bitmap 0 @0xAD: 24 x 24 pixels, 8 bits per pixel, row size 24, palette 256 entries\n"},
             {"gpispeed.gpi", "      Alert: distance 804 m, speed 13.41 m/s (48.28 km/h), kind 5 (speed)\n"},
             {"spb_metro_norm.gpi", "POI header @0x38: version \"01\", code page 65001, flags 0x0011\n"},
             {"spb_metro_norm.gpi", "  Category 0 @0x2E7C: RU \"\xD0\x9C\xD0\xB5\xD1\x82\xD1\x80\xD0\xBE\", EN \"Metro\"\n    Bitmap: 1\n"},
             {"spb_metro_norm.gpi", "  Media 1 @0x3503: format 0 (WAV), RU 96166 bytes, EN 96166 bytes\n"},
             {"spb_metro_norm.gpi", "  Record type 15 (header extension) @0x2B: main 5 bytes, extra 0 bytes: 11 27 01 00 00\n"},
             {"umsonstdraussen.gpi", "    Source: DE \"Umsonst + Drau\xC3\x9F" "en Festivals\"\n"},
             {"umsonstdraussen.gpi", "        House number: \"1\"\n"},
             {"garmin_gpi_position~gpx.gpi", "        Street: EN \"N42 26'24.0\\\" W71 07'15.3\\\"\"\n"},
         }) {
        const ProcessResult result = RunDump(ShellQuote((folder / c.file).string()));
        EXPECT_NE(result.Output.find(c.line), std::string::npos) << c.file << ": " << c.line;
    }
}

TEST(DumpCli, OutlineOfAWriterStyleFile) {
    TTestGroup g;
    g.Name = "Caf\xE9s";
    g.Categories = {"bars"};
    g.Bitmaps = {test::TTestBitmap{13, 5, 16}};
    TTestPoint a = Point(50, 14, "A");
    a.Category = 0;
    a.Bitmap = 0;
    a.AlertSpeed = 50;
    a.Comment = "line 1\r\nline 2";
    a.City = "Praha";
    a.PostalCode = "11000";
    a.Phone = "+420 1";
    a.Url = "www.example.org";
    a.Images = {"\xFF\xD8jpeg"};
    a.Description = "<b>\x81</b>";
    TTestPoint b = Point(50.5, 14.5, "B");
    b.AlertDistance = 400;
    g.Points = {a, b};
    test::TempDir dir;
    test::WriteFile(dir / "a.gpi", test::TestGpiFile({g}));
    const ProcessResult result = RunDump("--no-stamp " + ShellQuote((dir / "a.gpi").string()));
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Output,
              "GPI file, 593 bytes\n"
              "Header @0x0: \"GRMREC00\"\n"
              "  File name: \"test.gpi\"\n"
              "POI header @0x20: version \"00\", code page 1252\n"
              "Group 1 @0x34: EN \"Caf\xC3\xA9s\", 2 points\n"
              "  Area @0x4D: N 50.4999999 E 14.5000000 S 50.0000000 W 13.9999999, alert 1, 2 points\n"
              "    Point @0x70: 50.0000000, 13.9999999 (semicircles 596523235, 167026505), alert flag 1\n"
              "      Name: EN \"A\"\n"
              "      Category: 0\n"
              "      Bitmap: 0\n"
              "      Alert: distance 500 m, speed 13.88 m/s (50 km/h), kind 5 (speed)\n"
              "      Comment: EN \"line 1\\r\\nline 2\"\n"
              "      Address:\n"
              "        City: EN \"Praha\"\n"
              "        Postal code: \"11000\"\n"
              "      Contact:\n"
              "        Phone: \"+420 1\"\n"
              "        Web: \"www.example.org\"\n"
              "      Image 0: 6 bytes\n"
              "      Description (kind 1): EN \"<b>\\x81</b>\"\n"
              "    Point @0x143: 50.4999999, 14.5000000 (semicircles 602488467, 172991738), alert flag 1\n"
              "      Name: EN \"B\"\n"
              "      Alert: distance 400 m, speed 0.00 m/s (none), kind 4 (proximity)\n"
              "  Category 0 @0x177: EN \"bars\"\n"
              "  Bitmap 0 @0x18D: 13 x 5 pixels, 8 bits per pixel, row size 16, palette 16 entries\n"
              "End @0x249\n");
}

TEST(DumpCli, JsonOfAWriterStyleFile) {
    TTestGroup g;
    g.Categories = {"c"};
    TTestPoint a = Point(-33.5, -70.25, Bytes("a\x01\x81", 3));
    a.Category = 0;
    a.AlertSpeed = 30;
    a.Comment = "c";
    a.City = "Santiago";
    a.Phone = "1";
    a.Images = {"x", "yy"};
    a.Description = "d";
    g.Points = {a};
    test::TempDir dir;
    test::WriteFile(dir / "a.gpi", test::TestGpiFile({g}));
    const ProcessResult result = RunDump("--json " + ShellQuote((dir / "a.gpi").string()));
    ASSERT_EQ(result.ExitCode, 0) << result.Output;
    const test::TJson doc = test::ParseJson(result.Output);
    EXPECT_EQ(doc.Keys, (std::vector<std::string>{"size", "header", "poiHeader", "groups", "records", "end"}));
    EXPECT_EQ(doc["header"]["stamp"].Number, 123456);
    EXPECT_EQ(doc["poiHeader"]["codePage"].Number, 1252);
    const test::TJson& area = doc["groups"][0]["area"];
    EXPECT_EQ(area["bounds"]["south"].Text, "-33.4999999");  // semicircles are cut toward zero
    EXPECT_EQ(area["semicircles"]["west"].Number, DegToSemicircles(-70.25));
    EXPECT_EQ(area["alert"].Number, 1);
    const test::TJson& p = area["points"][0];
    EXPECT_EQ(p.Keys, (std::vector<std::string>{"offset", "lat", "lon", "latSemicircles", "lonSemicircles", "word", "alertFlag",
                                                "name", "category", "alert", "comment", "address", "contact", "images",
                                                "description"}));
    EXPECT_EQ(p["name"][0][0].Text, "EN");
    EXPECT_EQ(p["name"][0][1].Text, "a\x01\xEF\xBF\xBD");
    EXPECT_EQ(p["alert"]["distance"].Number, 300);
    EXPECT_EQ(p["alert"]["speed"].Number, 833);
    EXPECT_EQ(p["alert"]["kind"].Number, 5);
    EXPECT_EQ(p["address"]["city"][0][1].Text, "Santiago");
    EXPECT_EQ(p["contact"]["phone"].Text, "1");
    EXPECT_EQ(p["images"].Size(), 2u);
    EXPECT_EQ(p["images"][1]["size"].Number, 2);
    EXPECT_EQ(p["description"]["kind"].Number, 1);
    EXPECT_EQ(doc["end"].Number, static_cast<double>(test::TestGpiFile({g}).size() - 8));
}

TEST(DumpCli, StampCanBeLeftOut) {
    test::TempDir dir;
    Bytes file = TwoGroupFile();
    test::WriteFile(dir / "a.gpi", file);
    file.replace(8 + 8, 4, GpiDword(987654));  // another time stamp
    test::WriteFile(dir / "b.gpi", file);
    const std::string a = ShellQuote((dir / "a.gpi").string()), b = ShellQuote((dir / "b.gpi").string());
    const ProcessResult withStamp = RunDump(a);
    EXPECT_NE(withStamp.Output.find("\n  Stamp: 123456\n"), std::string::npos);
    EXPECT_EQ(RunDump(a).Output, withStamp.Output);
    for (const char* mode : {"", "--json "}) {
        const ProcessResult first = RunDump(std::string(mode) + "--no-stamp " + a);
        const ProcessResult second = RunDump(std::string(mode) + b + " --no-stamp");
        EXPECT_EQ(first.ExitCode, 0);
        EXPECT_EQ(first.Output, second.Output) << mode;
        EXPECT_EQ(first.Output.find("tamp"), std::string::npos) << mode;
    }
}

TEST(DumpCli, CheckExitCodes) {
    test::TempDir dir;
    const Bytes good = TwoGroupFile();
    test::WriteFile(dir / "good.gpi", good);
    test::WriteFile(dir / "noend.gpi", good.substr(0, good.size() - 8));
    test::WriteFile(dir / "text.gpi", "not a GPI file at all");
    struct Case {
        std::string arguments;
        int exitCode;
        std::string output;
    };
    const std::string path = ShellQuote(dir.Path().string()) + "/";
    for (const auto& c : std::vector<Case>{
             {"--check " + path + "good.gpi", 0, "No problems found.\n"},
             {"--check " + path + "noend.gpi", 1, Format("0x%08zX: missing end record\n1 problem found.\n", good.size() - 8)},
             {"--check " + path + "text.gpi", 2, "EReadError: \"" + (dir / "text.gpi").string() + "\" is not a GPI file"},
             {"--check " + path + "missing.gpi", 2, "EFOpenError: cannot open"},
             {path + "text.gpi", 2, "EReadError"},
             {"--json " + path + "noend.gpi", 0, "\"end\": null"},
             {path + "noend.gpi", 0, "\nNo end record\n"},
         }) {
        const ProcessResult result = RunDump(c.arguments);
        EXPECT_EQ(result.ExitCode, c.exitCode) << c.arguments << "\n" << result.Output;
        EXPECT_NE(result.Output.find(c.output), std::string::npos) << c.arguments << "\n" << result.Output;
    }
}

TEST(DumpCli, UsageErrors) {
    test::TempDir dir;
    test::WriteFile(dir / "a.gpi", TwoGroupFile());
    const std::string file = ShellQuote((dir / "a.gpi").string());
    const std::string svg = ShellQuote((dir / "a.svg").string());
    struct Case {
        std::string arguments;
        const char* message;
    };
    for (const auto& c : std::vector<Case>{
             {"", "give exactly one GPI file"},
             {file + " " + file, "give exactly one GPI file"},
             {"--bogus " + file, "unknown option \"--bogus\""},
             {"--json --check " + file, "choose one of --json, --check, --svg, --html and --unpack"},
             {"--svg " + svg + " --html " + svg + " " + file, "choose one of --json, --check, --svg, --html and --unpack"},
             {"--html", "--html needs a value"},
             {"--html " + ShellQuote((dir / "no" / "such" / "x.html").string()) + " " + file, "EFCreateError: cannot create"},
             {"--group 1 " + file, "--group goes with --svg"},
             {"--svg", "--svg needs a value"},
             {"--svg " + svg + " --group 0 " + file, "invalid group number \"0\""},
             {"--svg " + svg + " --group x1 " + file, "invalid group number \"x1\""},
             {"--svg " + svg + " --group 99999999999999999999 " + file, "invalid group number"},
             {"--svg " + svg + " --group 3 " + file, "there is no group 3: the file holds 2 groups"},
             {"--svg " + ShellQuote((dir / "no" / "such" / "x.svg").string()) + " " + file, "EFCreateError: cannot create"},
         }) {
        const ProcessResult result = RunDump(c.arguments);
        EXPECT_EQ(result.ExitCode, 2) << c.arguments << "\n" << result.Output;
        EXPECT_NE(result.Output.find(c.message), std::string::npos) << c.arguments << "\n" << result.Output;
    }
    test::WriteFile(dir / "-a.gpi", TwoGroupFile());
    EXPECT_EQ(RunDump("--check -- " + ShellQuote((dir / "-a.gpi").string())).ExitCode, 0);
    const ProcessResult dashed = RunDump("--check -- -no-such.gpi");  // a file name after "--", not an option
    EXPECT_EQ(dashed.ExitCode, 2);
    EXPECT_NE(dashed.Output.find("EFOpenError: cannot open \"-no-such.gpi\""), std::string::npos) << dashed.Output;
    const ProcessResult help = RunDump("--help");
    EXPECT_EQ(help.ExitCode, 0);
    EXPECT_EQ(help.Output.rfind("Usage: kestro-dump", 0), 0u) << help.Output;
}

// Run in a folder of their own, so that a value taken for a file name lands there.
TEST(DumpCli, OptionFormsAndOutputsThatAreTheInput) {
    test::TempDir dir;
    const Bytes gpi = TwoGroupFile();
    test::WriteFile(dir / "c.gpi", gpi);
    std::filesystem::create_hard_link(dir / "c.gpi", dir / "hard.gpi");
    std::filesystem::create_symlink("c.gpi", dir / "soft.svg");
    std::filesystem::create_directory(dir / "sub");
    std::filesystem::create_symlink("../hard.gpi", dir / "sub" / "via-link.svg");
    struct Case {
        const char* arguments;
        int exitCode;
        const char* output;   // expected in the output
        const char* written;  // a file the run must have written, or ""
    };
    for (const auto& c : std::initializer_list<Case>{
             {"--svg c.gpi c.gpi", 2, "EFCreateError: cannot create \"c.gpi\": it is the input file", ""},
             {"--svg=./c.gpi c.gpi", 2, "it is the input file", ""},
             {"--svg hard.gpi c.gpi", 2, "it is the input file", ""},
             {"--svg soft.svg c.gpi", 2, "it is the input file", ""},
             {"--svg sub/via-link.svg --group 2 -- c.gpi", 2, "it is the input file", ""},
             {"--svg c.gpi sub/../hard.gpi", 2, "it is the input file", ""},
             {"--html=soft.svg c.gpi", 2, "EFCreateError: cannot create \"soft.svg\": it is the input file", ""},
             {"--html --no-stamp c.gpi", 2, "--html needs a value, not the option \"--no-stamp\"", ""},
             {"--svg --group c.gpi", 2, "--svg needs a value, not the option \"--group\"", ""},
             {"--svg -x.svg c.gpi", 2, "--svg needs a value, not the option \"-x.svg\"", ""},
             {"--group --svg a.svg c.gpi", 2, "--group needs a value", ""},
             {"--svg= c.gpi", 2, "--svg needs a value", ""},
             {"--json=yes c.gpi", 2, "--json takes no value", ""},
             {"--svg=a.svg c.gpi", 0, "", "a.svg"},
             {"--svg=-x.svg --group=2 c.gpi", 0, "", "-x.svg"},
             {"--svg b.svg --group=2 c.gpi", 0, "", "b.svg"},
             {"--svg ./--group c.gpi", 0, "", "--group"},
             {"--version", 0, "kestro-dump " KESTRO_VERSION "\n", ""},
             {"-h", 0, "Usage: kestro-dump", ""},
             {"--check --help", 0, "--version      show the version", ""},
         }) {
        const ProcessResult result = test::RunCommand("cd " + ShellQuote(dir.Path().string()) + " && " + DumpBinary() + " " + c.arguments);
        EXPECT_EQ(result.ExitCode, c.exitCode) << c.arguments << "\n" << result.Output;
        EXPECT_NE(result.Output.find(c.output), std::string::npos) << c.arguments << "\n" << result.Output;
        if (*c.written != '\0') {
            EXPECT_NE(test::ReadFile(dir / c.written).find("<svg"), std::string::npos) << c.arguments;
        }
        EXPECT_EQ(test::ReadFile(dir / "c.gpi"), gpi) << c.arguments;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "sub" / "--group"));
}

TEST(DumpCli, SvgHoldsOneBoxPerAreaAndOneMarkPerPoint) {
    test::TempDir dir;
    const Bytes bytes = TwoGroupFile();
    test::WriteFile(dir / "a.gpi", bytes);
    const TGpiFile file = ParseGpi(bytes);
    for (std::size_t group = 1; group <= 2; ++group) {
        const std::string arguments = Format("--svg %s %s %s", ShellQuote((dir / "a.svg").string()).c_str(),
                                             group == 1 ? "" : "--group 2", ShellQuote((dir / "a.gpi").string()).c_str());
        const ProcessResult result = RunDump(arguments);
        ASSERT_EQ(result.ExitCode, 0) << result.Output;
        const TGpiArea& root = *file.Groups.at(group - 1).Root;
        const TSvgCounts counts = CountSvg(test::ReadFile(dir / "a.svg"));
        EXPECT_EQ(counts.Areas, AreaCount(root)) << group;
        EXPECT_EQ(counts.Points, root.PointCount()) << group;
        EXPECT_EQ(counts.Alerts, AlertCount(root)) << group;
    }
    EXPECT_GT(AreaCount(*file.Groups[0].Root), 4u);
    EXPECT_GT(AlertCount(*file.Groups[0].Root), 0u);
}

TEST(DumpCli, SvgOfOnePointAndOfMarkupInNames) {
    TTestGroup g;
    g.Points = {Point(10, 20, "<&\"\x01>")};
    TTestGroup empty;  // a group record without an area
    test::TempDir dir;
    test::WriteFile(dir / "a.gpi", test::TestGpiFile({g, empty}));
    for (const char* group : {"1", "2"}) {
        const ProcessResult result = RunDump(Format("--svg %s --group %s %s", ShellQuote((dir / "a.svg").string()).c_str(), group,
                                                    ShellQuote((dir / "a.gpi").string()).c_str()));
        ASSERT_EQ(result.ExitCode, 0) << result.Output;
        const std::string svg = test::ReadFile(dir / "a.svg");
        const TSvgCounts counts = CountSvg(svg);
        EXPECT_EQ(counts.Points, group[0] == '1' ? 1u : 0u);
        EXPECT_EQ(counts.Areas, group[0] == '1' ? 1u : 0u);
        EXPECT_EQ(svg.find("nan"), std::string::npos);
        EXPECT_EQ(svg.find("inf"), std::string::npos);
    }
}

}  // namespace kestro
