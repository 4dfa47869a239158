// kestro-dump --unpack end to end. Every conversion of the suite's other
// end-to-end cases already goes through the byte round trip (Convert in
// ConversionSupport.h); here: the examples, files of other writers (made by
// GPSBabel at test time, and the partners' files of the shared folder)
// compared point by point, and names that cannot stand as file names.
#include <map>
#include <tuple>

#include "cli/ConversionSupport.h"
#include "diag/Exceptions.h"

namespace kestro::conversion_test {
namespace {

fs::path RepositoryRoot() { return fs::canonical(fs::current_path() / ".." / ".."); }

// The text a writer of one language keeps: the "EN" entry, else the first.
Bytes Carried(const TGpiText& text) {
    for (const auto& entry : text)
        if (entry.Language == "EN") return entry.Text;
    return TextOf(text);
}
Bytes Carried(const std::optional<TGpiText>& text) { return text ? Carried(*text) : Bytes(); }
Bytes Carried(const std::optional<Bytes>& text) { return text.value_or(Bytes()); }

// One point with everything a reader sees of it; each field with the kinds
// of the unpacking summary that may explain a difference.
struct TPointView {
    std::int32_t Lat = 0, Lon = 0;
    std::map<std::string, Bytes> Fields;
};

const std::map<std::string, std::vector<std::string>>& Excuses() {
    static const std::map<std::string, std::vector<std::string>> excuses{
        {"group", {"names written differently", "texts in"}},
        {"category", {"names written differently", "without a category", "category references", "texts in"}},
        {"name", {"names holding", "texts in", "texts with blanks"}},
        {"comment", {"short descriptions", "texts in", "texts with blanks"}},
        {"description", {"short descriptions", "description records", "texts in", "texts with blanks"}},
        {"address", {"texts in", "texts with blanks", "house numbers"}},
        {"contact", {"texts with blanks"}},
        {"icon", {"icon"}},
        {"photos", {"image records"}},
        {"alert", {"alerts the converter cannot rebuild", "point alert flags"}},
    };
    return excuses;
}

std::vector<TPointView> PointsOf(const TGpiFile& file) {
    std::vector<TPointView> points;
    for (const auto& group : file.Groups) {
        std::map<std::uint16_t, Bytes> categories, icons;
        for (const auto& c : group.Categories) categories[c.Number] = Carried(c.Name);
        for (const auto& b : group.Bitmaps)
            icons[b.Number] = GpiWord(b.Width) + GpiWord(b.Height) + b.Body;  // pixels and palette
        std::vector<TPointIn> in;
        if (group.Root) CollectPoints(*group.Root, 0, in);
        for (const auto& p : in) {
            TPointView v;
            v.Lat = p.Point->Lat;
            v.Lon = p.Point->Lon;
            auto& f = v.Fields;
            f["group"] = Carried(group.Name);
            f["name"] = Carried(p.Point->Name);
            f["alert"] = p.Point->AlertFlag != 0 ? "flag " : "";
            for (const auto& part : p.Point->Parts) {
                if (const auto* c = std::get_if<TGpiCategoryRef>(&part)) f["category"] = categories[c->Number];
                if (const auto* b = std::get_if<TGpiBitmapRef>(&part)) f["icon"] = icons[b->Number];
                if (const auto* a = std::get_if<TGpiAlert>(&part))
                    f["alert"] += GpiWord(a->Distance) + GpiWord(a->Speed) + static_cast<char>(a->Kind);
                if (const auto* c = std::get_if<TGpiComment>(&part)) f["comment"] = Carried(c->Text);
                if (const auto* d = std::get_if<TGpiDescription>(&part)) f["description"] = Carried(d->Text);
                if (const auto* a = std::get_if<TGpiAddress>(&part))
                    f["address"] = Carried(a->City) + "|" + Carried(a->Country) + "|" + Carried(a->State) + "|" +
                                   Carried(a->PostalCode) + "|" + Carried(a->Street);
                if (const auto* c = std::get_if<TGpiContact>(&part))
                    f["contact"] = Carried(c->Phone) + "|" + Carried(c->Phone2) + "|" + Carried(c->Fax) + "|" +
                                   Carried(c->Email) + "|" + Carried(c->Url);
                if (const auto* i = std::get_if<TGpiImage>(&part)) f["photos"] += GpiDword(i->Size) + i->Data;
            }
            points.push_back(std::move(v));
        }
    }
    std::sort(points.begin(), points.end(), [](const TPointView& a, const TPointView& b) {
        return std::tie(a.Fields.at("group"), a.Lat, a.Lon, a.Fields.at("name")) <
               std::tie(b.Fields.at("group"), b.Lat, b.Lon, b.Fields.at("name"));
    });
    return points;
}

// Unpacks, converts back from inside the folder, and compares point by
// point: positions exactly, every other field unless the summary reported
// a kind of loss that explains it.
void ExpectPointRoundTrip(const fs::path& gpi) {
    SCOPED_TRACE(gpi.string());
    TempDir t;
    const auto unpack = RunCommand(Q(DumpBinary()) + " --unpack " + Q(t / "u") + " " + Q(gpi));
    ASSERT_TRUE(unpack.ExitCode == 0 || unpack.ExitCode == 1) << unpack.Output;
    const std::size_t notCarried = unpack.Output.find("\nNot carried:\n");
    EXPECT_EQ(unpack.ExitCode == 1, notCarried != std::string::npos) << unpack.Output;
    const std::string losses = notCarried == std::string::npos ? std::string() : unpack.Output.substr(notCarried);
    const auto again = RunCommand("cd " + Q(t / "u") + " && " + Q(KestroBinary()) + " . ../rebuilt.gpi");
    ASSERT_EQ(again.ExitCode, 0) << again.Output;
    ExpectDumpCheckClean(t / "rebuilt.gpi");

    const auto before = PointsOf(ParseGpi(ReadFile(gpi)));
    const auto after = PointsOf(ParseGpi(ReadFile(t / "rebuilt.gpi")));
    ASSERT_EQ(before.size(), after.size()) << unpack.Output;
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(before[i].Lat, after[i].Lat) << i;
        EXPECT_EQ(before[i].Lon, after[i].Lon) << i;
        for (const auto& [field, excuses] : Excuses()) {
            const auto a = before[i].Fields.find(field);
            const auto b = after[i].Fields.find(field);
            const Bytes was = a == before[i].Fields.end() ? Bytes() : a->second;
            const Bytes is = b == after[i].Fields.end() ? Bytes() : b->second;
            if (was == is) continue;
            const bool excused = std::any_of(excuses.begin(), excuses.end(),
                                             [&](const std::string& kind) { return losses.find(kind) != std::string::npos; });
            EXPECT_TRUE(excused) << "point " << i << " (" << before[i].Fields.at("name") << "): " << field << " \""
                                 << was << "\" became \"" << is << "\"\n"
                                 << unpack.Output;
        }
    }
}

TEST(Unpack, ExamplesComeBackByteForByte) {
    TempDir t;
    const auto run = RunCommand("cd " + Q(RepositoryRoot()) + " && " + Q(KestroBinary()) + " examples " + Q(t / "examples.gpi"));
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    ExpectUnpackRoundTrip(t / "examples.gpi");
}

// The area tree depends on maxregion and on how the point store counts:
// clustered points with small limits give deep trees with close calls.
TEST(Unpack, AreaTreesOfAnyMaxRegionComeBack) {
    std::uint32_t seed = 12345;
    // Roughly normal: the sum of four uniform values in -1..1.
    auto spread = [&seed]() {
        double sum = 0;
        for (int k = 0; k < 4; ++k) sum += static_cast<double>((seed = seed * 1103515245u + 12345u) >> 8) / 8388608.0 - 1.0;
        return sum / 2;
    };
    const double centres[][2] = {{50.0, 14.0}, {50.001, 14.002}, {48.0, 16.0}};
    std::string a, b;
    for (int i = 0; i < 2000; ++i) {
        const double lat = centres[i % 3][0] + spread() * 0.01 * (i % 4 + 1);
        const double lon = centres[i % 3][1] + spread() * 0.02;
        (i % 2 ? a : b) += Named(Format("%.7f", lat), Format("%.7f", lon), "p" + std::to_string(i));
    }
    for (const int maxRegion : {1, 3, 10, 256}) {
        SCOPED_TRACE(maxRegion);
        TempDir t;
        WriteFile(t / "src/G/a.gpx", Gpx(a));
        WriteFile(t / "src/G/b.gpx", Gpx(b));
        WriteFile(t / "src/kestro.ini", "[kestro]\nmaxregion=" + std::to_string(maxRegion) + "\n");
        EXPECT_EQ(Convert(t / "src").ExitCode, 0);  // and unpacked back to the same bytes
    }
}

TEST(Unpack, GpsbabelFilesComeBackPointByPoint) {
    if (RunCommand("gpsbabel -V").ExitCode != 0) GTEST_SKIP() << "gpsbabel is not installed (scripts/bootstrap installs it)";
    TempDir t;
    std::string body;
    for (int i = 0; i < 40; ++i) {
        const std::string lat = Format("%.9f", 49.1 + i * 0.0123456789);
        const std::string lon = Format("%.9f", -16.5 + i * 0.0271828183);
        body += Wpt(lat, lon,
                    "<name>P&amp;" + std::to_string(i) + " \xC3\xA9</name><cmt>c" + std::to_string(i % 3) +
                        "</cmt><desc>Line &lt;b&gt;" + std::to_string(i) + "</desc>");
    }
    WriteFile(t / "in.gpx", Gpx(body));
    WriteFile(t / "icon.bmp", Bmp(20, 16, 7));
    const std::vector<std::string> options{"", ",alerts=1,proximity=300m", ",alerts=1,speed=50", ",alerts=1,speed=30mph",
                                           ",category=Caf\xC3\xA9s,bitmap=" + (t / "icon.bmp").string(),
                                           ",descr=1,position=1", ",notes=1,unique=0"};
    for (std::size_t i = 0; i < options.size(); ++i) {
        const fs::path out = t / Format("babel%zu.gpi", i);
        const auto made = RunCommand("gpsbabel -i gpx -f " + Q(t / "in.gpx") + " -o " + ShellQuote("garmin_gpi" + options[i]) +
                                     " -F " + Q(out));
        ASSERT_EQ(made.ExitCode, 0) << options[i] << "\n" << made.Output;
        ExpectPointRoundTrip(out);
    }
}

TEST(Unpack, SharedPartnerFilesComeBackPointByPoint) {
    const fs::path folder = test::SharedDir() / "data/peer/gpi";
    if (test::SharedDir().empty() || !fs::is_directory(folder)) {
        if (std::getenv("KESTRO_REQUIRE_SHARED") != nullptr && std::string(std::getenv("KESTRO_REQUIRE_SHARED")) == "1")
            FAIL() << "the shared folder is missing: " << folder;
        GTEST_SKIP() << "no shared folder at " << folder;
    }
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".gpi") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty());
    for (const auto& file : files) ExpectPointRoundTrip(file);
}

// A group record with the given category names, one point in each.
Bytes FileWithCategories(const std::vector<Bytes>& names) {
    Bytes points, categories;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto n = static_cast<std::uint32_t>(i);
        const Bytes main = GpiDword(static_cast<std::uint32_t>(DegToSemicircles(50.0 + i))) + GpiDword(167026505) +
                           GpiWord(1) + '\0' + GpiLangString("p" + std::to_string(i));
        points += GpiRecord(2, main, GpiRecord(6, GpiWord(n)));
        categories += GpiRecord(7, GpiWord(n) + GpiLangString(names[i]));
    }
    const Bytes area = GpiRecord(8,
                                 GpiDword(static_cast<std::uint32_t>(DegToSemicircles(50.0 + names.size() - 1))) +
                                     GpiDword(167026505) + GpiDword(static_cast<std::uint32_t>(DegToSemicircles(50.0))) +
                                     GpiDword(167026505) + Hex("00 00 00 00 01 00 00"),
                                 points);
    return GpiRecord(0, Bytes("GRMREC00") + GpiDword(0) + GpiWord(0) + GpiString("h.gpi")) +
           GpiRecord(1, Bytes("POI\0\0\0" "00", 8) + GpiWord(65001) + GpiWord(0)) +
           GpiRecord(9, GpiLangString("../up") + area, categories) + GpiRecord(0xFFFF, "");
}

TEST(Unpack, HostileNamesStayInsideTheFolderAndAreListed) {
    TempDir t;
    const Bytes longName(300, 'x');
    const std::vector<Bytes> names{"../../etc/x", ".hidden", "CON", longName, "Case", "CASE", "", "a\x01" "b", "speed_50"};
    WriteFile(t / "h.gpi", FileWithCategories(names));
    const fs::path dir = t / "a/b/u";
    fs::create_directories(dir.parent_path());
    const auto unpack = RunCommand(Q(DumpBinary()) + " --unpack " + Q(dir) + " " + Q(t / "h.gpi"));
    ASSERT_EQ(unpack.ExitCode, 1) << unpack.Output;
    // Nothing was written beside the folder.
    std::vector<std::string> outside;
    for (const auto& entry : fs::recursive_directory_iterator(t.Path()))
        if (entry.path().string().rfind(dir.string(), 0) != 0) outside.push_back(entry.path().string());
    EXPECT_EQ(outside, (std::vector<std::string>{(t / "h.gpi").string(), (t / "a").string(), (t / "a/b").string()}));

    const auto again = RunCommand("cd " + Q(dir) + " && " + Q(KestroBinary()) + " . ../h.gpi");
    ASSERT_EQ(again.ExitCode, 0) << again.Output;
    const TGpiFile rebuilt = ParseGpi(ReadFile(dir.parent_path() / "h.gpi"));
    ASSERT_EQ(rebuilt.Groups.size(), 1u);
    // Each point still sits in the category that carries its (replaced) name.
    std::map<std::uint16_t, Bytes> categories;
    for (const auto& c : rebuilt.Groups[0].Categories) categories[c.Number] = TextOf(c.Name);
    std::map<Bytes, Bytes> categoryOfPoint;
    std::vector<TPointIn> in;
    CollectPoints(*rebuilt.Groups[0].Root, 0, in);
    for (const auto& p : in) categoryOfPoint[TextOf(p.Point->Name)] = categories[FindPart<TGpiCategoryRef>(*p.Point)->Number];
    const std::vector<Bytes> expected{".._.._etc_x", ".hidden", "CON_", std::string(200, 'x'), "Case", "CASE (2)", "unnamed", "a_b", "speed_50"};
    ASSERT_EQ(categoryOfPoint.size(), names.size()) << unpack.Output;
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(categoryOfPoint["p" + std::to_string(i)], expected[i]) << i;
        if (expected[i] != names[i]) {
            EXPECT_NE(unpack.Output.find("as \"___up/" + expected[i] + "\""), std::string::npos) << expected[i] << "\n" << unpack.Output;
        }
    }
    EXPECT_EQ(TextOf(rebuilt.Groups[0].Name), "___up") << "a group folder never starts with \".\"";
    EXPECT_NE(unpack.Output.find("\"a\\x01b\" as"), std::string::npos) << "control bytes are shown escaped";
    // Numbered as listed, kestro orders the categories by their file names.
    EXPECT_NE(unpack.Output.find("categories kestro numbers otherwise"), std::string::npos) << unpack.Output;
    // speed_50.gpx gives its points a speed alert that p8 did not have: named.
    EXPECT_NE(unpack.Output.find("alert of \"p8\""), std::string::npos) << unpack.Output;

    // The folder exists now and holds something: a second unpacking is refused.
    const auto refused = RunCommand(Q(DumpBinary()) + " --unpack " + Q(dir) + " " + Q(t / "h.gpi"));
    EXPECT_EQ(refused.ExitCode, 2) << refused.Output;
    EXPECT_NE(refused.Output.find("not empty"), std::string::npos) << refused.Output;
}

}  // namespace
}  // namespace kestro::conversion_test
