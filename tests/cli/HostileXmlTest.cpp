// Hostile and careless GPX sources through the real program: character
// references, files that are no GPX, several root elements, many attributes,
// records too large for the store, oversized settings and long quoted texts.
#include <filesystem>

#include "ConversionSupport.h"
#include "sources/SettingsKey.h"

namespace kestro::conversion_test {
namespace {

// The first line of the error report (after the progress lines).
std::string ReportLine(const std::string& output) {
    for (const auto& line : LinesStarting(output, ""))
        if (line.find(": ") != std::string::npos && line.rfind("  ", 0) != 0 && line.rfind("kestro: ", 0) != 0 &&
            line.rfind("Group: ", 0) != 0)
            return line;
    return "(no report)";
}

TEST(HostileXml, CharacterReferencesAreTheirCharactersInTheCodePage) {
    // Bytes from the code page tables: euro sign 0x80 in 1252, c with caron
    // 0xE8 and l with stroke 0xB3 in 1250; "?" where the code page lacks one.
    const std::string name = "&#x20AC;&#x10D;&#322;&#xE9;&#x1F600;";
    struct Case {
        const char* CodePage;
        Bytes Expected;
    };
    for (const auto& c : std::initializer_list<Case>{
             {"1252", "\x80??\xE9?"},
             {"1250", "\x80\xE8\xB3\xE9?"},
             {"65001", "\xE2\x82\xAC\xC4\x8D\xC5\x82\xC3\xA9\xF0\x9F\x98\x80"},
         }) {
        TempDir t;
        WriteFile(t / "src/kestro.ini", std::string("[kestro]\ncodepage=") + c.CodePage + "\n");
        // In an attribute value too: "&#52;8.5" is 48.5.
        WriteFile(t / "src/G/a.gpx", Gpx(Named("&#52;8.5", "1&#x34;", name)));
        const auto run = Convert(t / "src");
        ASSERT_EQ(run.ExitCode, 0) << run.Output;
        ASSERT_EQ(run.Points().size(), 1u) << c.CodePage;
        EXPECT_EQ(ToHex(TextOf(run.Points()[0].Point->Name)), ToHex(c.Expected)) << c.CodePage;
        EXPECT_EQ(run.Points()[0].Point->Lat, DegToSemicircles(48.5)) << c.CodePage;
        EXPECT_EQ(run.Points()[0].Point->Lon, DegToSemicircles(14)) << c.CodePage;
    }
}

TEST(HostileXml, SyntaxErrorsWithTheirPosition) {
    struct Case {
        const char* Text;
        const char* Report;
    };
    for (const auto& c : std::initializer_list<Case>{
             {"<gpx><wpt lat='1' lon='2'><name>A&#0;</name></wpt></gpx>",
              "Exception: src/G/a.gpx: Character reference to U+0000 is not allowed in XML at [1:37]"},
             {"<gpx><wpt lat='1' lon='2' x='&#xD83D;'/></gpx>",
              "Exception: src/G/a.gpx: Character reference to U+D83D is not allowed in XML at [1:37]"},
             {"<gpx><wpt lat='1' lon='2'/></gpx>\n<gpx/>", "Exception: src/G/a.gpx: A document has only one root element at [2:2]"},
         }) {
        TempDir t;
        WriteFile(t / "src/G/a.gpx", c.Text);
        const auto run = Convert(t / "src");
        EXPECT_EQ(run.ExitCode, 4) << run.Output;
        EXPECT_EQ(ReportLine(run.Output), c.Report) << c.Text;
    }
}

TEST(HostileXml, FilesWithoutAnElementAreNamedAndTheGroupGoesOn) {
    TempDir t;
    WriteFile(t / "src/G/a.csv.gpx", "lat,lon,name\n48.1,11.5,Cafe\n");
    WriteFile(t / "src/G/b.gpx", Gpx(Named("48.1", "11.5", "A")));
    WriteFile(t / "src/G/c.gpx", "");
    WriteFile(t / "src/G/d.gpx", Bytes(300, '\0'));
    WriteFile(t / "src/G/e.gpx", "<?xml version='1.0'?>\n<!-- no element -->\n");
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_EQ(LinesStarting(run.Output, "kestro: "),
              (std::vector<std::string>{
                  "kestro: warning: src/G/a.csv.gpx is not a GPX file: it starts with \"lat,lon,name\"",
                  "kestro: warning: src/G/c.gpx is not a GPX file: it is empty",
                  "kestro: warning: src/G/d.gpx is not a GPX file: it starts with \"" +
                      [] {
                          std::string nul;
                          for (int i = 0; i < 40; ++i) nul += "\\x00";
                          return nul;
                      }() + "\xE2\x80\xA6\"",
                  "kestro: warning: src/G/e.gpx is not a GPX file: it starts with \"<?xml version='1.0'?>\"",
              }))
        << run.Output;
    EXPECT_EQ(run.Points().size(), 1u);
}

TEST(HostileXml, AttributesPastTheIndexThresholdKeepTheirLastValue) {
    // A repeated name takes the new value, also where names are found
    // through the index of an element with many attributes.
    std::string attributes;
    for (int i = 0; i < 1000; ++i) attributes += " a" + std::to_string(i) + "='" + std::to_string(i) + "'";
    TempDir t;
    WriteFile(t / "src/G/a.gpx", Gpx("<wpt lat='1' lon='2'" + attributes + " lat='47.5' a3='x' lon='8.5'><name>A</name></wpt>"));
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    ASSERT_EQ(run.Points().size(), 1u);
    EXPECT_EQ(run.Points()[0].Point->Lat, DegToSemicircles(47.5));
    EXPECT_EQ(run.Points()[0].Point->Lon, DegToSemicircles(8.5));
}

TEST(HostileXml, PointRecordLargerThanTheStoreHoldsEndsTheRun) {
    // SQLite stores no value over 1,000,000,000 bytes by default: the image
    // is refused before it is read (a sparse file takes no disk space).
    TempDir t;
    WriteFile(t / "src/G/big.jpg", "");
    std::filesystem::resize_file(t / "src/G/big.jpg", 1'000'001'000);
    WriteFile(t / "src/G/a.gpx", Gpx(Named("1", "2", "Small") + Named("1", "2", "Big", Link("src/G/big.jpg"))));
    const auto run = Convert(t / "src");
    EXPECT_EQ(run.ExitCode, 4) << run.Output;
    EXPECT_EQ(ReportLine(run.Output).rfind("EFormatLimit: Group \"G\": Waypoint \"Big\" in \"src/G/a.gpx\": Image "
                                           "\"src/G/big.jpg\" has 1000001000 bytes; a point record holds at most ",
                                           0),
              0u)
        << run.Output;
}

TEST(HostileXml, SettingsFileLargerThanAnyNeedsIsRefused) {
    const std::string head = "[kestro]\nmaxregion=8";
    for (const std::size_t size : {SettingsFileLimit, SettingsFileLimit + 1}) {
        TempDir t;
        WriteFile(t / "src/G/a.gpx", Gpx(Named("1", "2", "A")));
        WriteFile(t / "src/kestro.ini", head + std::string(size - head.size(), '\n'));
        const auto run = Convert(t / "src");
        if (size == SettingsFileLimit) {
            EXPECT_EQ(run.ExitCode, 0) << run.Output;
            continue;
        }
        EXPECT_EQ(run.ExitCode, 3) << run.Output;
        EXPECT_EQ(ReportLine(run.Output), "EReadError: Cannot read file \"" + (t / "src/kestro.ini").string() +
                                              "\". A settings file holds at most 4194304 bytes.");
    }
}

// /proc/self/pagemap says it is empty and reads on for hundreds of
// gigabytes (in pieces of 8 bytes): the settings file stops at its limit.
TEST(HostileXml, FilesThatSayTheyAreEmptyAndNeverEndAreNotReadToTheEnd) {
    if (!std::filesystem::exists("/proc/self/pagemap")) GTEST_SKIP() << "no /proc/self/pagemap";
    TempDir t;
    WriteFile(t / "src/G/a.gpx", Gpx(Named("1", "2", "A")));
    std::filesystem::create_symlink("/proc/self/pagemap", t / "src/kestro.ini");
    const auto run = Convert(t / "src");
    EXPECT_EQ(run.ExitCode, 3) << run.Output;
    EXPECT_EQ(ReportLine(run.Output).rfind("EReadError: Cannot read file \"" + (t / "src/kestro.ini").string() + "\".", 0), 0u)
        << run.Output;
}

TEST(HostileXml, WarningsCutLongTexts) {
    const std::string href(300, 'h');
    TempDir t;
    WriteFile(t / "src/G/a.gpx", Gpx(Named("1", "2", "A", Link(href))));
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_EQ(LinesStarting(run.Output, "kestro: "),
              std::vector<std::string>{"kestro: warning: src/G/a.gpx: link " + href.substr(0, 200) +
                                       "\xE2\x80\xA6 not used: no such file or folder"});
}

}  // namespace
}  // namespace kestro::conversion_test
