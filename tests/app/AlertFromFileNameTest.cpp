#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "sources/AlertDefaults.h"

namespace kestro {
namespace {

TEST(AlertFromFileName, SpeedAndDistanceFromTheBaseName) {
    struct Case { const char* fileName; std::int32_t speed; std::int32_t distance; };
    for (auto c : std::initializer_list<Case>{
             // the table of the file-name rules
             {"cafes", -1, -1}, {"GATSO", 0, -1}, {"speed_50", 50, -1}, {"zone_30", 30, -1},
             {"speed_50kmh", 0, -1}, {"Speed", -1, -1}, {"redlight", -1, 400}, {"redlight_camera", 0, 400},
             {"mobile_x_40", 0, -1},
             // every word, case-sensitive
             {"mobile", 0, -1}, {"SPECS", 0, -1}, {"safety", 0, -1}, {"camera", 0, -1}, {"my speed trap", 0, -1},
             {"gatso", -1, -1}, {"Camera", -1, -1}, {"REDLIGHT", -1, -1}, {"Redlight_30", 30, -1},
             // folder and last extension are not part of the name
             {"speed_50.gpx", 50, -1}, {"zone_30.GPX", 30, -1}, {"folder/zone_30.gpx", 30, -1},
             {"camera/cafes.gpx", -1, -1}, {"a.b_30.gpx", 30, -1}, {"zone_30.x.gpx", -1, -1},
             // the text after the first "_" must be a whole integer of 0 or more
             {"GATSO_30", 30, -1}, {"zone_0", 0, -1}, {"zone_-5", -1, -1}, {"camera_-5", 0, -1},
             {"zone_", -1, -1}, {"zone_$1E", 30, -1}, {"zone_0x20", 32, -1}, {"zone_ 40", 40, -1},
             {"zone_40 ", -1, -1}, {"zone_99999999999", -1, -1}, {"a_b_30", -1, -1},
             {"redlight_400", 400, 400}}) {
        const TAlertDefaults alerts = AlertDefaultsFromFileName(c.fileName);
        EXPECT_EQ(alerts.Speed, c.speed) << c.fileName;
        EXPECT_EQ(alerts.Distance, c.distance) << c.fileName;
    }
}

// The README's table of file names and their alerts is what the program does.
TEST(AlertFromFileName, ReadmeTableHolds) {
    std::ifstream readme(std::string(KESTRO_SOURCE_DIR) + "/README.md");
    ASSERT_TRUE(readme) << "README.md not found";
    const std::regex row(R"(\| (`.*`) \| (-|\d+) \| (-|\d+) \|)");
    const std::regex name("`([^`]+)`");
    int rows = 0;
    for (std::string line; std::getline(readme, line);) {
        std::smatch match;
        if (!std::regex_match(line, match, row)) continue;
        const std::int32_t speed = match[2] == "-" ? -1 : std::stoi(match[2]);
        const std::int32_t distance = match[3] == "-" ? -1 : std::stoi(match[3]);
        const std::string names = match[1];
        for (std::sregex_iterator it(names.begin(), names.end(), name), end; it != end; ++it) {
            const TAlertDefaults alerts = AlertDefaultsFromFileName((*it)[1]);
            EXPECT_EQ(alerts.Speed, speed) << line;
            EXPECT_EQ(alerts.Distance, distance) << line;
            ++rows;
        }
    }
    EXPECT_GE(rows, 11);
}

}  // namespace
}  // namespace kestro
