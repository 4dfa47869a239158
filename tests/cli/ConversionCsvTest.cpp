// CSV lists as categories, run as a user of the device maker's loader runs
// them: the lists and their icons dropped into group folders; GPSBabel reads
// the points back, and writes CSV lists that must give what its GPX gives.
#include <random>

#include "ConversionSupport.h"

namespace kestro::conversion_test {
namespace {

bool HaveGpsBabel() { return RunCommand("command -v gpsbabel").ExitCode == 0; }

std::string ReadBack(const fs::path& gpi) {
    const auto back = RunCommand("gpsbabel -i garmin_gpi -f " + Q(gpi) + " -o unicsv -F -");
    EXPECT_EQ(back.ExitCode, 0) << back.Output;
    return back.Output;
}

}  // namespace

TEST(CsvLists, LoaderFolderConvertsInOneRun) {
    if (!HaveGpsBabel()) GTEST_SKIP() << "gpsbabel is not installed (scripts/bootstrap installs it)";
    TempDir t;
    WriteFile(t / "src/Cameras/speed_50.csv", "14.42891,50.06453,Nuselsky most,Both ways\r\n"
                                              "14.53817,50.00318,D1 exit@70,\"Section, 70\"\r\n");
    WriteFile(t / "src/Cameras/speed_50.bmp", Bmp(16, 16));
    WriteFile(t / "src/Cameras/redlight.csv", "\xEF\xBB\xBF" "16.60842,49.19581,Husova\n\n16.56214,49.18312\n");
    WriteFile(t / "src/Cameras/mixed.csv", "Name;Lat;Lon;Speed;Proximity\n"
                                           "Zone;49.5;15.5;30;150\n"
                                           "Wrong;49.6;15.6;fast;\n"
                                           "Off;95;15.6;;\n"
                                           "Far;49.7;15,7;;\n");
    WriteFile(t / "src/Huts.csv", "lat,lon,name,desc\n50.7,15.6,Chata \xE9,Open\n");
    const auto run = RunCommand("cd " + Q(t.Path()) + " && " + Q(KestroBinary()) + " src out.gpi");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    std::string lines;
    for (const auto& line : LinesStarting(run.Output, "")) lines += line.rfind("kestro: ", 0) == 0 ? "" : line + "\n";
    EXPECT_NE(lines.find("Group: Cameras\n"
                              "  Category: mixed\n  File: src/Cameras/mixed.csv\n  Skipped: src/Cameras/mixed.csv (line 4): Off\n    4 POIs\n"
                              "  Category: redlight\n  File: src/Cameras/redlight.csv\n    2 POIs\n"
                              "  Category: speed_50\n  File: src/Cameras/speed_50.csv\n  Icon: src/Cameras/speed_50.bmp\n    2 POIs\n"),
              std::string::npos)
        << run.Output;
    EXPECT_NE(lines.find("Group: Huts\n  File: src/Huts.csv\n    1 POIs\n"), std::string::npos) << run.Output;
    EXPECT_EQ(LinesStarting(run.Output, "kestro: "),
              (std::vector<std::string>{
              "kestro: warning: src/Cameras/mixed.csv: speed \"fast\" not used: not a whole number of km/h, 0 or more",
              "kestro: warning: src/Cameras/redlight.csv: line 3 left out: 2 fields; a list without a header needs "
              "longitude, latitude and name",
              "kestro: warning: src/Huts.csv: text is not UTF-8: read as Windows-1252",
              // The point outside the map and the line left out, in the summary at the end;
              // "15,7" of a ";" list is a decimal comma.
              "kestro: 2 waypoints not written: 1 outside the map, 1 in CSV lines that could not be read",
              "kestro:   outside the map: src/Cameras/mixed.csv (1)",
              "kestro:   in CSV lines that could not be read: src/Cameras/redlight.csv (1)"}));
    ExpectDumpCheckClean(t / "out.gpi");
    // GPSBabel shows a speed alert as "@km/h" after the name; a speed alert
    // without a distance warns 36 seconds ahead (500 m at 50 km/h, 699 m at 70).
    EXPECT_EQ(ReadBack(t / "out.gpi"),
              "No,Latitude,Longitude,Name,Description,Symbol,Proximity\r\n"
              "1,49.500000,15.500000,\"Zone@30\",\"Zone@30\",\"Waypoint\",150\r\n"
              "2,49.600000,15.600000,\"Wrong\",\"Wrong\",\"Waypoint\",\r\n"
              "3,49.700000,15.700000,\"Far\",\"Far\",\"Waypoint\",\r\n"
              "4,49.195810,16.608420,\"Husova\",\"Husova\",\"Waypoint\",400\r\n"
              "5,50.064530,14.428910,\"Nuselsky most@50\",\"Both ways\",\"Waypoint\",500\r\n"
              "6,50.003180,14.538170,\"D1 exit@70\",\"Section, 70\",\"Waypoint\",699\r\n"
              "7,50.700000,15.600000,\"Chata \xC3\xA9\",\"Open\",\"Waypoint\",\r\n");
}

TEST(CsvLists, SettingTurnsCsvReadingOff) {
    TempDir t;
    WriteFile(t / "src/kestro.ini", "[kestro]\ncsv=0\n");
    WriteFile(t / "src/g/a.gpx", Gpx(Named("50", "14", "A")));
    WriteFile(t / "src/g/b.c.csv", "14,50,B\n");
    WriteFile(t / "src/loose.CSV", "14,50,C\n");
    const auto off = Convert(t / "src");
    ASSERT_EQ(off.ExitCode, 0) << off.Output;
    EXPECT_EQ(off.Output.substr(0, off.Output.find("  Optimalization")),
              "Group: g\n  Category: a\n  File: src/g/a.gpx\n    1 POIs\n");
    EXPECT_EQ(off.GroupNames(), (std::vector<Bytes>{"g"}));
    WriteFile(t / "src/kestro.ini", "[kestro]\ncsv=1\n");
    const auto on = Convert(t / "src");
    ASSERT_EQ(on.ExitCode, 0) << on.Output;
    EXPECT_EQ(on.GroupNames(), (std::vector<Bytes>{"g", "loose"}));
    EXPECT_EQ(on.Output.substr(0, on.Output.find("  Optimalization")),
              "Group: g\n  Category: a\n  File: src/g/a.gpx\n    1 POIs\n"
              "  Category: b.c\n  File: src/g/b.c.csv\n    1 POIs\n");
    EXPECT_EQ(on.Points().size(), 3u);
}

}  // namespace kestro::conversion_test

namespace kestro::conversion_test {
namespace {

// The comment, else the description: unicsv has one column for both, which
// GPSBabel's GPX repeats as "cmt" and "desc".
Bytes CommentOf(const TGpiPoint& point) {
    Bytes description;
    for (const auto& part : point.Parts) {
        if (const auto* comment = std::get_if<TGpiComment>(&part)) return TextOf(comment->Text);
        if (const auto* text = std::get_if<TGpiDescription>(&part)) description = TextOf(text->Text);
    }
    return description;
}

// Name, position to the semicircle and comment of every point, sorted.
// GPSBabel's GPX gives a waypoint without a comment its name (with any "@"
// suffix) as comment; such a comment counts as none on both sides.
std::vector<std::string> PointKeys(const TConversion& conversion) {
    std::vector<std::string> keys;
    for (const auto& p : conversion.Points()) {
        const Bytes name = TextOf(p.Point->Name);
        Bytes comment = CommentOf(*p.Point);
        if (comment == name || comment.rfind(name + "@", 0) == 0) comment.clear();
        keys.push_back(name + "|" + std::to_string(p.Point->Lat) + "|" + std::to_string(p.Point->Lon) + "|" + comment);
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

// GPSBabel's reading of a GPI file: name, latitude and longitude per point, sorted.
std::vector<std::string> GpsBabelPoints(const fs::path& gpi) {
    const auto back = RunCommand("gpsbabel -i garmin_gpi -f " + Q(gpi) + " -o csv -F -");
    EXPECT_EQ(back.ExitCode, 0) << back.Output;
    std::vector<std::string> lines;
    std::istringstream in(back.Output);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
}

// Random points with names that need quoting in CSV.
std::string RandomGpx(unsigned seed, int count) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> lat(-89.9, 89.9), lon(-179.9, 179.9);
    const char* names[] = {"Plain", "Comma, inside", "Quote \"q\"", "\xC5\xA0" "ance", "Semi;colon", "Cam@60"};
    std::string body;
    for (int i = 0; i < count; ++i) {
        char position[64];
        std::snprintf(position, sizeof position, "%.6f\" lon=\"%.6f", lat(random), lon(random));
        std::string name = std::string(names[i % 6]) + " " + std::to_string(i);
        if (name.find("Cam@60") == 0) name = "Cam " + std::to_string(i) + "@60";
        std::string escaped;
        for (const char c : name) escaped += c == '"' ? std::string("&quot;") : std::string(1, c);
        body += " <wpt lat=\"" + std::string(position) + "\"><name>" + escaped + "</name>" +
                (i % 3 == 0 ? "<cmt>Note " + std::to_string(i) + "</cmt>" : "") + "</wpt>\n";
    }
    return Gpx(body);
}

}  // namespace

// GPSBabel writes a CSV list (the loader's layout, and unicsv's with a
// header) and reads it back as GPX: the GPI made from the list holds what
// the GPI made from that GPX holds, and GPSBabel reads the same points from both.
TEST(CsvLists, GpsBabelListsGiveWhatItsGpxGives) {
    if (!HaveGpsBabel()) GTEST_SKIP() << "gpsbabel is not installed (scripts/bootstrap installs it)";
    TempDir t;
    std::vector<fs::path> inputs;
    for (const auto& entry : fs::recursive_directory_iterator(test::SourceDir() / "examples"))
        if (entry.path().extension() == ".gpx") inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    WriteFile(t / "random.gpx", RandomGpx(23, 300));
    inputs.push_back(t / "random.gpx");
    for (const char* format : {"garmin_poi", "unicsv"}) {
        SCOPED_TRACE(format);
        const fs::path fromCsv = t / (std::string(format) + "-csv");
        const fs::path fromGpx = t / (std::string(format) + "-gpx");
        for (const fs::path& folder : {fromCsv, fromGpx}) WriteFile(folder / "kestro.ini", "[kestro]\ncodepage=65001\n");
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            const std::string name = "g/" + std::to_string(i) + "_" + inputs[i].stem().string();
            fs::create_directories(fromCsv / "g");
            fs::create_directories(fromGpx / "g");
            const fs::path csv = fromCsv / (name + ".csv");
            const auto made = RunCommand("gpsbabel -i gpx -f " + Q(inputs[i]) + " -o " + format + " -F " + Q(csv) +
                                         " && gpsbabel -i " + format + " -f " + Q(csv) + " -o gpx -F " +
                                         Q(fromGpx / (name + ".gpx")));
            ASSERT_EQ(made.ExitCode, 0) << made.Output;
        }
        const auto csvRun = Convert(fromCsv);
        const auto gpxRun = Convert(fromGpx);
        ASSERT_EQ(csvRun.ExitCode, 0) << csvRun.Output;
        ASSERT_EQ(gpxRun.ExitCode, 0) << gpxRun.Output;
        EXPECT_GT(csvRun.Points().size(), 300u);
        EXPECT_EQ(PointKeys(csvRun), PointKeys(gpxRun));
        EXPECT_EQ(GpsBabelPoints(t / (fromCsv.filename().string() + ".gpi")),
                  GpsBabelPoints(t / (fromGpx.filename().string() + ".gpi")));
    }
}

}  // namespace kestro::conversion_test
