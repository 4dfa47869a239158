// What the program says beside its progress lines: warnings and notes on
// standard error, the progress line only on a terminal. Standard output
// stays as it is without them.
#include <regex>

#include "diag/Exceptions.h"

#include "ConversionSupport.h"

namespace kestro::conversion_test {
namespace {

// Standard output and standard error of one run, apart.
struct TSplitRun {
    int ExitCode;
    std::string Out;
    std::string Err;
};
TSplitRun RunSplit(const fs::path& folder, const std::string& arguments) {
    const auto run = RunCommand("cd " + Q(folder) + " && (" + Q(KestroBinary()) + " " + arguments + " 2>err.txt)");
    return {run.ExitCode, run.Output, ReadFile(folder / "err.txt")};
}

TEST(Messages, WarningsAndNotesGoToStandardErrorOnly) {
    TempDir t;
    fs::create_directories(t / "src/Cafes");
    fs::create_directories(t / "Pictures");
    WriteFile(t / "Pictures/a.jpg", "\xFF\xD8 photo");
    WriteFile(t / "src/Cafes/x.bmp", Bytes("\x89PNG\r\n\x1A\n", 8));
    const std::string waypoint =
        "<wpt lat='50' lon='14'><name>A</name><link href='src/Cafes/x.bmp'/><link href='Pictures'/>"
        "<link href='src/none.jpg'/><link href='http://example.org/'/><extensions><gpxx:WaypointExtension>"
        "<gpxx:Proximity>150.0</gpxx:Proximity></gpxx:WaypointExtension></extensions></wpt>";
    WriteFile(t / "src/Cafes/bars.gpx", "<gpx xmlns:gpxx='x'>" + waypoint + waypoint + "</gpx>");
    WriteFile(t / "src/loose.gpx", "<gpx xmlns:gpxx='x'>" + waypoint + "</gpx>");
    const TSplitRun run = RunSplit(t.Path(), "src out.gpi");
    EXPECT_EQ(run.ExitCode, 0) << run.Out;
    EXPECT_EQ(run.Out, Banner +
                           "Group: Cafes\n"
                           "  Category: bars\n"
                           "  File: src/Cafes/bars.gpx\n"
                           "    2 POIs\n"
                           "  Optimalization...\n"
                           "    Regions: 1 MaxSize: 2 MaxDeep: 0\n"
                           "Group: loose\n"
                           "  File: src/loose.gpx\n"
                           "    1 POIs\n"
                           "  Optimalization...\n"
                           "    Regions: 1 MaxSize: 1 MaxDeep: 0\n"
                           "\nDone.\n");
    const std::string messages =
        "kestro: warning: F: icon src/Cafes/x.bmp not used: not a BMP file but a PNG picture\n"
        "kestro: note: F links Pictures/a.jpg, outside the source folder\n"
        "kestro: warning: F: link src/none.jpg not used: no such file or folder\n"
        "kestro: warning: F: proximity \"150.0\" not used: not a whole number of metres, 0 or more\n";
    // The second waypoint of bars.gpx repeats its warnings (notes are not counted).
    const std::string repeated = "kestro: warning: src/Cafes/bars.gpx: \"icon src/Cafes/x.bmp\" warning repeated for 1 more waypoint\n"
                                 "kestro: warning: src/Cafes/bars.gpx: \"link src/none.jpg\" warning repeated for 1 more waypoint\n"
                                 "kestro: warning: src/Cafes/bars.gpx: \"proximity\" warning repeated for 1 more waypoint\n";
    EXPECT_EQ(run.Err, std::regex_replace(messages, std::regex("F"), "src/Cafes/bars.gpx") + repeated +
                           std::regex_replace(messages, std::regex("F"), "src/loose.gpx"));
}

// Names and texts from files reach the console with their control bytes
// shown as \xNN (C1 controls as \u0080 to \u009F), on every kind of line.
TEST(Messages, ControlBytesFromFilesAreShownEscaped) {
    TempDir t;
    const std::string group = "G\x1B[2J", file = "src/" + group + "/a\x07.gpx";
    WriteFile(t / "src/kestro.ini", "[kestro]\ncodepage=65001\n");
    WriteFile(t / file, Gpx(Named("91", "14", "S\x1B]0;x\x07y") + Named("50", "14", "C\xC2\x9B@2400") +
                            Named("50", "15", "P", "<link href='x\x1B.jpg'/>" +
                                  WaypointExtension("<gpxx:Proximity>1\x1B[31m</gpxx:Proximity>"))));
    const TSplitRun run = RunSplit(t.Path(), "src out.gpi");
    EXPECT_EQ(run.ExitCode, 0) << run.Out;
    const std::string shownFile = "src/G\\x1B[2J/a\\x07.gpx";
    std::vector<std::string> lines;
    for (const char* start : {"Group: ", "  Category: ", "  File: ", "  Skipped: ", "  Clamped: "})
        for (const auto& line : LinesStarting(run.Out, start)) lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"Group: G\\x1B[2J", "  Category: a\\x07", "  File: " + shownFile,
                                                "  Skipped: " + shownFile + ": S\\x1B]0;x\\x07y",
                                                "  Clamped: " + shownFile + ": C\\u009B"}));
    EXPECT_EQ(run.Err, "kestro: warning: " + shownFile + ": link x\\x1B.jpg not used: no such file or folder\n"
                       "kestro: warning: " + shownFile + ": proximity \"1\\x1B[31m\" not used: not a whole number of metres, 0 or more\n"
                       "kestro: 1 waypoint not written: 1 outside the map\n"
                       "kestro:   outside the map: " + shownFile + " (1)\n");
}

// A file longer than one read block shows the line at least once, whatever the
// speed of the machine; the line is erased before the next ordered line, also
// before the report of an error met while reading.
TEST(Messages, ProgressLineOnlyOnATerminal) {
    if (RunCommand("script -qec true /dev/null").ExitCode != 0)
        GTEST_SKIP() << "util-linux script cannot open a terminal here";
    TempDir t;
    std::string gpx = "<gpx>";
    for (int i = 0; i < 3000; ++i) gpx += Format("<wpt lat='%d.5' lon='14.25'><name>Point %d</name></wpt>\n", i % 80, i);
    ASSERT_GT(gpx.size(), 2u * 65536);
    WriteFile(t / "whole/Big/many.gpx", gpx + "</gpx>");
    WriteFile(t / "cut/Big/many.gpx", gpx + "<wpt");
    struct Case {
        const char* source;
        int exitCode;
        const char* afterErasing;
    };
    for (const auto& c : std::initializer_list<Case>{{"whole", 0, "    3000 POIs\r\n"}, {"cut", 4, "Exception: "}}) {
        const std::string command = "cd " + Q(t.Path()) + " && " + Q(KestroBinary()) + " " + c.source + " out.gpi";
        const auto plain = RunCommand(command);
        ASSERT_EQ(plain.ExitCode, c.exitCode) << plain.Output;
        EXPECT_EQ(plain.Output.find('\033'), std::string::npos) << plain.Output;
        EXPECT_EQ(plain.Output.find("Reading:"), std::string::npos) << plain.Output;

        const auto terminal = RunCommand("script -qec " + ShellQuote(command) + " /dev/null");
        ASSERT_EQ(terminal.ExitCode, c.exitCode) << terminal.Output;
        const std::regex drawn("\r\033\\[K  Reading: [0-9.]+ of 0\\.2 MB, [0-9]+ waypoints(, [0-9]+ per second)?");
        EXPECT_TRUE(std::regex_search(terminal.Output, drawn)) << terminal.Output;
        EXPECT_NE(terminal.Output.find(std::string("\r\033[K") + c.afterErasing), std::string::npos) << terminal.Output;
        // Without the line and its erasing, the terminal saw what a pipe sees.
        std::string seen = std::regex_replace(terminal.Output, std::regex("\r\033\\[K(  Reading: [^\r\n\033]*)?"), "");
        seen = std::regex_replace(seen, std::regex("\r\n"), "\n");
        EXPECT_EQ(seen, plain.Output);
    }
}

}  // namespace
}  // namespace kestro::conversion_test
