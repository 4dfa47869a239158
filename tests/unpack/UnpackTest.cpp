// kestro-dump --unpack end to end. Every conversion of the suite's other
// end-to-end cases already goes through the byte round trip (Convert in
// ConversionSupport.h); here: the examples, files of other writers (made by
// GPSBabel at test time, and the partners' files of the shared folder)
// compared point by point, and names that cannot stand as file names.
#include <unistd.h>

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
    fs::copy_file(gpi, t / gpi.filename());
    const auto unpack = RunCommand("cd " + Q(t.Path()) + " && " + Q(DumpBinary()) + " --unpack u " + Q(gpi.filename()));
    ASSERT_TRUE(unpack.ExitCode == 0 || unpack.ExitCode == 1) << unpack.Output;
    const std::size_t notCarried = unpack.Output.find("\nNot carried:\n");
    EXPECT_EQ(unpack.ExitCode == 1, notCarried != std::string::npos) << unpack.Output;
    EXPECT_EQ(unpack.ExitCode == 1, unpack.Output.find("\nThe original file holds more") != std::string::npos)
        << unpack.Output;
    const std::string losses = notCarried == std::string::npos ? std::string() : unpack.Output.substr(notCarried);
    // The command the closing line proposes, run as given: it writes a new file beside the original.
    const std::string closing = "Convert it back from inside the folder: ";
    const std::size_t start = unpack.Output.rfind(closing);
    ASSERT_NE(start, std::string::npos) << unpack.Output;
    const std::string proposed = unpack.Output.substr(start + closing.size(),
                                                      unpack.Output.find('\n', start) - start - closing.size());
    const auto again = RunCommand("cd " + Q(t.Path()) + " && PATH=" + Q(KestroBinary().parent_path()) +
                                  ":\"$PATH\" && " + proposed);
    ASSERT_EQ(again.ExitCode, 0) << proposed << "\n" << again.Output;
    EXPECT_EQ(ReadFile(t / gpi.filename()), ReadFile(gpi)) << proposed;
    const fs::path rebuilt = t / (gpi.stem().string() + ".rebuilt.gpi");
    ExpectDumpCheckClean(rebuilt);
    if (unpack.ExitCode == 0) {
        // Reported whole: the same bytes under the original's name, time stamp aside.
        const auto same = RunCommand("mkdir " + Q(t / "same") + " && cd " + Q(t / "u") + " && " + Q(KestroBinary()) +
                                     " . " + Q(t / "same" / gpi.filename()));
        ASSERT_EQ(same.ExitCode, 0) << same.Output;
        // Other writers put a name of their own into the header: compare from the POI header on.
        auto afterHeader = [](const Bytes& bytes) {
            const TGpiFile file = ParseGpi(bytes);
            return file.PoiHeader ? bytes.substr(file.PoiHeader->Offset) : bytes;
        };
        EXPECT_TRUE(afterHeader(ReadFile(t / "same" / gpi.filename())) == afterHeader(ReadFile(gpi)))
            << "reported whole, but differs\n" << unpack.Output;
    }

    const auto before = PointsOf(ParseGpi(ReadFile(gpi)));
    const auto after = PointsOf(ParseGpi(ReadFile(rebuilt)));
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

// Groups and categories named "." and ".." (from the files "..gpx" and
// "...gpx") come back as they were.
TEST(Unpack, NamesOfDotsComeBack) {
    TempDir t;
    for (const char* file : {"src/..gpx", "src/...gpx", "src/G/..gpx", "src/G/...gpx"})
        WriteFile(t / file, Gpx(Named("50", "14", file)));
    const auto run = Convert(t / "src");  // and unpacked back to the same bytes
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_EQ(run.GroupNames(), (std::vector<Bytes>{"G", "..", "."}));  // "...gpx" sorts first
    std::vector<Bytes> categories;
    for (const auto& c : run.File.Groups.at(0).Categories) categories.push_back(TextOf(c.Name));
    EXPECT_EQ(categories, (std::vector<Bytes>{"..", "."}));
}

// At the edge of splitting: an area of exactly maxregion points stays whole,
// one more is split, and the unpacked kestro.ini rebuilds either.
TEST(Unpack, AreaAtTheMaxRegionEdgeComesBack) {
    struct Case { int points, maxRegion; bool split; };
    for (const auto& c : std::initializer_list<Case>{{256, 255, true}, {256, 256, false}, {257, 256, true}, {255, 255, false}}) {
        SCOPED_TRACE(Format("%d points, maxregion %d", c.points, c.maxRegion));
        TempDir t;
        std::string body;
        for (int i = 0; i < c.points; ++i) body += Named(Format("50.%04d", i * 37 % 1000), Format("14.%04d", i * 91 % 1000), "p");
        WriteFile(t / "src/G/a.gpx", Gpx(body));
        WriteFile(t / "src/kestro.ini", "[kestro]\nmaxregion=" + std::to_string(c.maxRegion) + "\n");
        const auto run = Convert(t / "src");  // and unpacked back to the same bytes
        ASSERT_EQ(run.ExitCode, 0) << run.Output;
        ASSERT_TRUE(run.File.Groups.at(0).Root.has_value());
        EXPECT_EQ(run.File.Groups[0].Root->Areas.empty(), !c.split);
    }
}

// Read from north-east to south-west, stored from south-west: the areas come
// against the order in which the icons got their numbers, which the
// unpacked files must give back.
TEST(Unpack, AreasAgainstTheIconOrderComeBack) {
    TempDir t;
    std::string body;
    for (int i = 0; i < 300; ++i)
        body += Named(Format("%.4f", 50 - i * 0.01), Format("%.4f", 20 - i * 0.01), "p" + std::to_string(i),
                      Link(Format("../../icons/i%d.bmp", i / 15)));
    for (int icon = 0; icon < 20; ++icon) WriteFile(t / Format("icons/i%d.bmp", icon), Bmp(4, 4, static_cast<std::uint8_t>(icon)));
    WriteFile(t / "src/G/a.gpx", Gpx(body));
    WriteFile(t / "src/kestro.ini", "[kestro]\nmaxregion=2\n");
    const auto run = Convert(t / "src", t / "src/G");  // and unpacked back to the same bytes
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_EQ(run.File.Groups.at(0).Bitmaps.size(), 20u);
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

// A file made from KML: nested folders as categories ("Outer / Inner"), a
// folder name no file system holds, a style's icon, a MultiGeometry's two
// points and ExtendedData texts.
TEST(Unpack, KmlMadeFilesComeBackPointByPoint) {
    TempDir t;
    WriteFile(t / "src/Trip/trip.kml",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml xmlns=\"http://www.opengis.net/kml/2.2\"><Document>"
              "<Style id=\"cafe\"><IconStyle><Icon><href>cafe.bmp</href></Icon></IconStyle></Style>"
              "<Folder><name>Outer</name><Folder><name>Inner</name>"
              "<Placemark><name>Deep</name><styleUrl>#cafe</styleUrl><description>Since 1884</description><ExtendedData>"
              "<Data name=\"phone\"><value>+420 1</value></Data><Data name=\"city\"><value>Praha</value></Data>"
              "</ExtendedData><Point><coordinates>14.41,50.08</coordinates></Point></Placemark></Folder>"
              "<Placemark><name>Shallow@50</name><Point><coordinates>14.42,50.09</coordinates></Point></Placemark></Folder>"
              "<Folder><name>What? *Now*</name><Placemark><name>Gates</name><MultiGeometry>"
              "<Point><coordinates>14.43,50.10</coordinates></Point><Point><coordinates>14.44,50.11</coordinates></Point>"
              "</MultiGeometry></Placemark></Folder></Document></kml>\n");
    WriteFile(t / "src/Trip/cafe.bmp", Bmp(12, 12, 3));
    const auto run = RunCommand("cd " + Q(t.Path()) + " && " + Q(KestroBinary()) + " src kml.gpi");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    ExpectPointRoundTrip(t / "kml.gpi");
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
    const std::vector<Bytes> names{"../../etc/x", ".hidden", "CON", longName, "Case", "CASE", "", "a\x01" "b", "speed_50",
                                   "e\x1B[31m", "c\xC2\x9B", ".", ".."};
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
    const std::vector<Bytes> expected{".._.._etc_x", ".hidden", "CON_", std::string(200, 'x'), "Case", "CASE (2)", "unnamed", "a_b", "speed_50",
                                      "e_[31m", "c_", ".", ".."};
    ASSERT_EQ(categoryOfPoint.size(), names.size()) << unpack.Output;
    for (std::size_t i = 0; i < names.size(); ++i) {
        // kestro.ini gives back every original name it can hold (an empty one it cannot).
        EXPECT_EQ(categoryOfPoint["p" + std::to_string(i)], names[i].empty() ? expected[i] : names[i]) << i;
        if (expected[i] != names[i]) {
            EXPECT_NE(unpack.Output.find("as \"___up/" + expected[i] + "\""), std::string::npos) << expected[i] << "\n" << unpack.Output;
            EXPECT_TRUE(fs::exists(dir / "___up" / (expected[i] + ".gpx"))) << expected[i];
        }
    }
    EXPECT_TRUE(fs::is_directory(dir / "___up")) << "a group folder never starts with \".\"";
    EXPECT_EQ(TextOf(rebuilt.Groups[0].Name), "../up");
    EXPECT_NE(unpack.Output.find("1 names written differently that kestro.ini cannot hold"), std::string::npos) << unpack.Output;
    EXPECT_NE(unpack.Output.find("\"a\\x01b\" as"), std::string::npos) << "control bytes are shown escaped";
    EXPECT_NE(unpack.Output.find("\"e\\x1B[31m\" as \"___up/e_[31m\""), std::string::npos) << unpack.Output;
    EXPECT_NE(unpack.Output.find("\"c\\u009B\" as \"___up/c_\""), std::string::npos) << unpack.Output;
    EXPECT_EQ(unpack.Output.find_first_of("\x1B\x01"), std::string::npos) << unpack.Output;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        EXPECT_EQ(name.find_first_of(std::string("\x1B\x01\x7F", 3)), std::string::npos) << name;
        EXPECT_EQ(name.find("\xC2\x9B"), std::string::npos) << name;
    }
    // Numbered as listed, kestro orders the categories by their file names.
    EXPECT_NE(unpack.Output.find("categories kestro numbers otherwise"), std::string::npos) << unpack.Output;
    // speed_50.gpx gives its points a speed alert that p8 did not have: named.
    EXPECT_NE(unpack.Output.find("alert of \"p8\""), std::string::npos) << unpack.Output;

    // The folder exists now and holds something: a second unpacking is refused.
    const auto refused = RunCommand(Q(DumpBinary()) + " --unpack " + Q(dir) + " " + Q(t / "h.gpi"));
    EXPECT_EQ(refused.ExitCode, 2) << refused.Output;
    EXPECT_NE(refused.Output.find("not empty"), std::string::npos) << refused.Output;
}

// A DIR that is a symbolic link (placed by someone else, to a folder they
// can read) or another user's empty folder is refused; nothing is written.
TEST(Unpack, FolderThatIsALinkOrAnotherUsersIsRefused) {
    TempDir t;
    WriteFile(t / "h.gpi", FileWithCategories({"a"}));
    fs::create_directories(t / "theirs");
    fs::create_directory_symlink(t / "theirs", t / "link");
    for (const char* dir : {"link", "link/"}) {
        const auto link = RunCommand(Q(DumpBinary()) + " --unpack " + Q(t / dir) + " " + Q(t / "h.gpi"));
        EXPECT_EQ(link.ExitCode, 2) << link.Output;
        EXPECT_NE(link.Output.find("symbolic link"), std::string::npos) << link.Output;
        EXPECT_TRUE(fs::is_empty(t / "theirs"));
    }

    if (geteuid() != 0) GTEST_SKIP() << "giving a folder to another user needs root";
    ASSERT_EQ(chown((t / "theirs").c_str(), 65534, 65534), 0);
    const auto foreign = RunCommand(Q(DumpBinary()) + " --unpack " + Q(t / "theirs") + " " + Q(t / "h.gpi"));
    EXPECT_EQ(foreign.ExitCode, 2) << foreign.Output;
    EXPECT_NE(foreign.Output.find("belongs to another user"), std::string::npos) << foreign.Output;
    EXPECT_TRUE(fs::is_empty(t / "theirs"));
}

}  // namespace
}  // namespace kestro::conversion_test
