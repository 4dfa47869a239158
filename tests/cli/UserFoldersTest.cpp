// Folders as new users bring them: spreadsheet exports of speed-camera
// lists, phone-app GPX files, a bilingual collection. Each converts with its
// points, or with a warning that names what was left out and why.
#include <gtest/gtest.h>

#include <set>

#include "ConversionSupport.h"

namespace kestro::conversion_test {
namespace {

std::set<Bytes> Names(const TConversion& run) {
    std::set<Bytes> names;
    for (const auto& point : run.Points()) names.insert(TextOf(point.Point->Name));
    return names;
}

std::string Utf16LittleEndian(const std::u16string& text) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : text) bytes += std::string{static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    return bytes;
}

TEST(UserFolders, SpreadsheetListsConvertWithEveryPoint) {
    TempDir t;
    // A typo in the first line of a list without a header costs that line.
    WriteFile(t / "src/Cameras/typo.csv", "x14.42,50.08,Cam 1\n14.43,50.09,Cam 2\n");
    // A European locale's export: ";" and decimal commas.
    WriteFile(t / "src/Cameras/europe.csv", "Latitude;Longitude;Name\n50,0875;14,4213;Cam A\n");
    // "Unicode text": UTF-16, tab-separated.
    WriteFile(t / "src/Cameras/unicode.csv", Utf16LittleEndian(u"Latitude\tLongitude\tName\r\n50,1\t14,5\tCam U\r\n"));
    // A quote that never closes on line 6 of 1,000.
    std::string pizza;
    for (int line = 1; line <= 1000; ++line)
        pizza += line == 6 ? "50.9,14.9,\"12 inch pizza\n" : "14." + std::to_string(line) + ",50.1,P" + std::to_string(line) + "\n";
    WriteFile(t / "src/Cameras/pizza.csv", pizza);
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    const auto names = Names(run);
    EXPECT_EQ(names.size(), 1000u + 3u) << run.Output;
    for (const char* name : {"Cam 2", "Cam A", "Cam U", "\"12 inch pizza", "P5", "P7", "P1000"})
        EXPECT_EQ(names.count(name), 1u) << name;
    EXPECT_EQ(LinesStarting(run.Output, "kestro: "),
              (std::vector<std::string>{
                  "kestro: warning: src/Cameras/pizza.csv: line 6: the quote opened on line 6 never closes: read as a "
                  "plain character to the end of that line",
                  "kestro: warning: src/Cameras/typo.csv: line 1 left out: longitude \"x14.42\" is no number",
                  "kestro: 1 waypoint not written: 1 in CSV lines that could not be read",
                  "kestro:   in CSV lines that could not be read: src/Cameras/typo.csv (1)"}));
}

}  // namespace
}  // namespace kestro::conversion_test

namespace kestro::conversion_test {
namespace {

// Cyrillic names without "codepage": every lost character is counted per
// file, the group's and category's names too, and the run's summary adds them.
TEST(UserFolders, TextTheCodePageCannotHoldIsCountedAndNamed) {
    TempDir t;
    WriteFile(t / "src/\xD0\x9C\xD0\xB5\xD1\x82\xD1\x80\xD0\xBE/stations.gpx",
              Gpx(Named("55.75", "37.62", "\xD0\x9B\xD1\x83\xD0\xB1\xD1\x8F\xD0\xBD\xD0\xBA\xD0\xB0") +
                  Named("55.76", "37.62", "Caf\xC3\xA9")));
    // "1 Cz" sorts before "?????" as well, so the unpacked file comes back in this order.
    WriteFile(t / "src/1 Cz/P\xC5\x99\xC3\xAD" "bram.csv", "lat,lon,name\n49.69,14.01,Ho\xC5\x99ovice\n");
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    const std::string hint1250 = "set codepage=65001 in kestro.ini (or codepage=1250, the code page of that script)";
    const std::string hint1251 = "set codepage=65001 in kestro.ini (or codepage=1251, the code page of that script)";
    EXPECT_EQ(LinesStarting(run.Output, "kestro: "),
              (std::vector<std::string>{
                  "kestro: warning: src/1 Cz/P\xC5\x99\xC3\xAD" "bram.csv: its name as shown: 1 character not in code page 1252 "
                  "became \"?\": " + hint1250,
                  "kestro: warning: src/1 Cz/P\xC5\x99\xC3\xAD" "bram.csv: 1 character not in code page 1252 became \"?\": " + hint1250,
                  "kestro: warning: src/\xD0\x9C\xD0\xB5\xD1\x82\xD1\x80\xD0\xBE/: its name as shown: 5 characters not in "
                  "code page 1252 became \"?\": " + hint1251,
                  "kestro: warning: src/\xD0\x9C\xD0\xB5\xD1\x82\xD1\x80\xD0\xBE/stations.gpx: 7 characters not in code page "
                  "1252 became \"?\": " + hint1251,
                  "kestro: 14 characters became \"?\" (not in the code page): src/1 Cz/P\xC5\x99\xC3\xAD" "bram.csv (2), "
                  "src/\xD0\x9C\xD0\xB5\xD1\x82\xD1\x80\xD0\xBE/ (5), src/\xD0\x9C\xD0\xB5\xD1\x82\xD1\x80\xD0\xBE/stations.gpx (7)"}));
    EXPECT_EQ(TextOf(run.Point("Caf\xE9").Name), "Caf\xE9");
    // With the code page that holds them, nothing is lost or said.
    WriteFile(t / "src/kestro.ini", "[kestro]\ncodepage=65001\n");
    const auto utf8 = Convert(t / "src");
    ASSERT_EQ(utf8.ExitCode, 0) << utf8.Output;
    EXPECT_EQ(LinesStarting(utf8.Output, "kestro: "), std::vector<std::string>{});
}

}  // namespace
}  // namespace kestro::conversion_test

namespace kestro::conversion_test {
namespace {

// Under -q no "File:" line says which file broke: the report's first line does.
TEST(UserFolders, BrokenFileNamedInTheReportUnderQuiet) {
    TempDir t;
    WriteFile(t / "src/G/a.gpx", Gpx(Named("50", "14", "A")));
    WriteFile(t / "src/G/b.gpx", "<gpx><wpt lat=\"1\" lon=\"2\"><name>A</name></wpt");
    const auto run = RunCommand("cd " + Q(t.Path()) + " && " + Q(KestroBinary()) + " -q src out.gpi");
    EXPECT_EQ(run.ExitCode, 4) << run.Output;
    EXPECT_EQ(run.Output.substr(0, run.Output.find('\n')), "Exception: src/G/b.gpx: Character \">\" expected at [1:45]");
}

}  // namespace
}  // namespace kestro::conversion_test

namespace kestro::conversion_test {
namespace {

std::string TextsNote(const std::string& file) {
    return "kestro: note: " + file + ": 1 text without a translation into EN; the first language's text stands in";
}

// A bilingual collection whose lists lack the second language: the first
// three files (and groups) get a note each, the rest one line at the end.
TEST(UserFolders, MissingTranslationsOfManyFilesAreOneSummary) {
    const std::string settings = "[kestro]\ncodepage=65001\nlanguages=CS,EN\n";
    for (const int lists : {3, 4}) {
        TempDir t;
        WriteFile(t / "src/kestro.ini", settings);
        for (int i = 1; i <= lists; ++i)
            WriteFile(t / ("src/l" + std::to_string(i) + ".csv"), "lat,lon,name\n50.1,14." + std::to_string(i) + ",N\xC3\xA1" "dra\xC5\xBE\xC3\xAD\n");
        const auto run = Convert(t / "src");
        ASSERT_EQ(run.ExitCode, 0) << run.Output;
        EXPECT_EQ(run.Points().size(), static_cast<std::size_t>(lists));
        std::vector<std::string> expected;
        for (int i = 1; i <= 3; ++i) {
            const std::string file = "src/l" + std::to_string(i) + ".csv";
            expected.push_back(TextsNote(file));
            expected.push_back("kestro: note: " + file + ": 1 name without a translation into EN in kestro.ini; the name on disk stands in");
        }
        if (lists == 4) {
            expected.push_back("kestro: note: 1 more file has texts without a translation (1 into EN); the first language's "
                               "text stands in");
            expected.push_back("kestro: note: 1 more group has names without a translation in kestro.ini (1 into EN); the "
                               "name on disk stands in");
        }
        EXPECT_EQ(LinesStarting(run.Output, "kestro: "), expected) << lists << " lists";
    }

    // 800 lists of one group: three notes, the group's one, and the summary.
    TempDir t;
    WriteFile(t / "src/kestro.ini", settings);
    for (int i = 0; i < 800; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "src/Lists/l%03d.csv", i);
        WriteFile(t / name, "lat,lon,name,name:EN,cmt\n50.1," + std::to_string(14 + i / 1000.0) + ",N" + std::to_string(i) +
                                ",,Nad\n");
    }
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_EQ(run.Points().size(), 800u);
    const std::string twoTexts = ": 2 texts without a translation into EN; the first language's text stands in";
    EXPECT_EQ(LinesStarting(run.Output, "kestro: "),
              (std::vector<std::string>{
                  "kestro: note: src/Lists/l000.csv" + twoTexts, "kestro: note: src/Lists/l001.csv" + twoTexts,
                  "kestro: note: src/Lists/l002.csv" + twoTexts,
                  "kestro: note: src/Lists/: 801 names without a translation into EN in kestro.ini; the name on disk stands in",
                  "kestro: note: 797 more files have texts without a translation (1594 into EN); the first language's text "
                  "stands in"}));
}

}  // namespace
}  // namespace kestro::conversion_test
