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
