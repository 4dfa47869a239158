// The program built against the system's SQLite writes the bytes of the one
// built against the pinned SQLite: a new pin (or a new system library) that
// changes the order of stored points shows here.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "cli/ConversionSupport.h"

namespace kestro::conversion_test {
namespace {

// Points of one GPX file: spread over the world, crowded into a small town,
// some at one position, every fifth with an alert distance.
std::string RandomPoints(unsigned seed, int count) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> worldLat(-89.9, 89.9), worldLon(-179.9, 179.9);
    std::uniform_real_distribution<double> townLat(50.0, 50.02), townLon(14.4, 14.43);
    std::string body;
    for (int i = 0; i < count; ++i) {
        double lat = 0, lon = 0;
        switch (i % 4) {
        case 0: lat = worldLat(random), lon = worldLon(random); break;
        case 1:
        case 2: lat = townLat(random), lon = townLon(random); break;
        default: lat = 50.01, lon = 14.41; break;
        }
        char position[64];
        std::snprintf(position, sizeof position, "%.6f", lat);
        std::string latText = position;
        std::snprintf(position, sizeof position, "%.6f", lon);
        const std::string more =
            i % 5 == 0 ? WaypointExtension("<gpxx:Proximity>" + std::to_string(100 + i % 7 * 50) + "</gpxx:Proximity>")
                       : std::string();
        body += Named(latText, position, "P" + std::to_string(seed) + "-" + std::to_string(i), more);
    }
    return Gpx(body);
}

TEST(SystemSqlite, TwentyThousandRandomPointsGiveTheSameBytes) {
    // Built beside the program where the system SQLite is at hand.
    const fs::path other = KestroBinary().parent_path() / "kestro-system-sqlite";
    if (!fs::exists(other))
        GTEST_SKIP() << "no program built against the system SQLite (libsqlite3-dev is not installed, or the build "
                        "links the system SQLite already)";
    TempDir t;
    const fs::path source = t / "source";
    // Two groups, the first of three files; a small maxregion makes a deep area tree.
    WriteFile(source / "kestro.ini", "[kestro]\nmaxregion=7\n");
    WriteFile(source / "Town" / "a.gpx", RandomPoints(1, 6000));
    WriteFile(source / "Town" / "b.gpx", RandomPoints(2, 6000));
    WriteFile(source / "Town" / "c.gpx", RandomPoints(3, 4000));
    WriteFile(source / "World" / "d.gpx", RandomPoints(4, 4000));
    fs::create_directories(t / "pinned");
    fs::create_directories(t / "system");
    const auto pinned = RunCommand(Q(KestroBinary()) + " " + Q(source) + " " + Q(t / "pinned" / "out.gpi") + " 2>&1");
    const auto system = RunCommand(Q(other) + " " + Q(source) + " " + Q(t / "system" / "out.gpi") + " 2>&1");
    ASSERT_EQ(pinned.ExitCode, 0) << pinned.Output;
    ASSERT_EQ(system.ExitCode, 0) << system.Output;
    const Bytes a = ReadFile(t / "pinned" / "out.gpi");
    const Bytes b = ReadFile(t / "system" / "out.gpi");
    ASSERT_GT(a.size(), 20000u * 10);
    ASSERT_EQ(a.size(), b.size());
    // Bytes 16 to 19 are the time of the run.
    EXPECT_TRUE(a.compare(0, 16, b, 0, 16) == 0);
    EXPECT_TRUE(a.compare(20, Bytes::npos, b, 20, Bytes::npos) == 0) << "the two SQLite builds wrote other bytes";
}

}  // namespace
}  // namespace kestro::conversion_test
