// The written file read back by an independent reader (GPSBabel), and the
// text of names in the configured code page.
#include <cmath>
#include <map>
#include <regex>

#include "ConversionSupport.h"

namespace kestro::conversion_test {
namespace {

// One line of GPSBabel's unicsv output, split at commas outside quotes.
std::vector<std::string> CsvFields(std::string line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"') {
            fields.back() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

// Rows of unicsv output as column name -> value.
std::vector<std::map<std::string, std::string>> CsvRows(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    std::getline(in, line);
    const auto header = CsvFields(line);
    std::vector<std::map<std::string, std::string>> rows;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        const auto fields = CsvFields(line);
        std::map<std::string, std::string> row;
        for (std::size_t i = 0; i < header.size() && i < fields.size(); ++i) row[header[i]] = fields[i];
        rows.push_back(row);
    }
    return rows;
}

struct TRoundTrip {
    const char* file;
    const char* lat;
    const char* lon;
    std::string inner;  // name and more, as written into the waypoint
    // What GPSBabel reports:
    const char* name;         // with "@" and the speed in km/h for a speed alert
    const char* description;  // the comment, else the name
    const char* notes;        // the description, else the comment
    const char* proximity;
    const char* url, *street, *city, *postalCode, *state, *country, *phone, *phone2, *fax, *email;
};

TEST(RoundTrip, GpsBabelReadsBackWhatWasWritten) {
    if (RunCommand("command -v gpsbabel").ExitCode != 0) GTEST_SKIP() << "gpsbabel is not installed";
    const std::string address =
        "<gpxx:Address><gpxx:StreetAddress>Graben 1</gpxx:StreetAddress><gpxx:City>Wien</gpxx:City>"
        "<gpxx:State>W</gpxx:State><gpxx:Country>\xC3\x96sterreich</gpxx:Country>"
        "<gpxx:PostalCode>1010</gpxx:PostalCode></gpxx:Address>"
        "<gpxx:PhoneNumber Category=\"Phone\">+43 1 111</gpxx:PhoneNumber>"
        "<gpxx:PhoneNumber Category=\"Fax\">+43 1 112</gpxx:PhoneNumber>"
        "<gpxx:PhoneNumber Category=\"Email\">cafe@example.at</gpxx:PhoneNumber>"
        "<gpxx:PhoneNumber Category=\"URL\">https://cafe.example.at</gpxx:PhoneNumber>"
        "<gpxx:PhoneNumber Category=\"Phone2\">+43 1 113</gpxx:PhoneNumber>";
    const std::string cafe = "<name>Caf\xC3\xA9 M\xC3\xBCller</name><cmt>Open 8-17</cmt>"
                             "<desc>&lt;b&gt;Best&lt;/b&gt; cake</desc>" + WaypointExtension(address);
    const std::vector<TRoundTrip> cases{
        {"cafes", "48.208176", "16.373819", cafe, "Caf\xC3\xA9 M\xC3\xBCller", "Open 8-17",
         "<b>Best</b> cake", "", "https://cafe.example.at", "Graben 1", "Wien", "1010", "W", "\xC3\x96sterreich",
         "+43 1 111", "+43 1 113", "+43 1 112", "cafe@example.at"},
        {"cafes", "-33.856784", "151.215297", "<name>Opera</name><desc>Plain words</desc>", "Opera", "Plain words",
         "Plain words", "", "", "", "", "", "", "", "", "", "", ""},
        {"cafes", "40.5", "-73.25",
         "<name>Phone only</name><extensions><gpxx:WaypointExtension><gpxx:PhoneNumber>+1 555 0100"
         "</gpxx:PhoneNumber></gpxx:WaypointExtension></extensions>",
         "Phone only", "Phone only", "", "", "", "", "", "", "", "", "+1 555 0100", "", "", ""},
        {"speed_50", "50.1", "14.4", "<name>Cam A</name>", "Cam A@50", "Cam A@50", "", "500", "", "", "", "", "",
         "", "", "", "", ""},
        {"speed_50", "50.2", "14.5",
         "<name>Cam B@80</name><extensions><gpxx:WaypointExtension><gpxx:Proximity>250</gpxx:Proximity></gpxx:WaypointExtension>"
             "</extensions>",
         "Cam B@80", "Cam B@80", "", "250", "", "", "", "", "", "", "", "", "", ""},
        {"redlight", "-50.3", "-14.6", "<name>Red</name>", "Red", "Red", "", "400", "", "", "", "", "", "", "", "",
         "", ""},
        {"redlight", "0.4", "-0.7", "<name>Red cam@0</name>", "Red cam", "Red cam", "", "400", "", "", "", "", "",
         "", "", "", "", ""},
    };
    const auto& table = cases;

    TempDir t;
    std::map<std::string, std::string> files;
    for (const auto& c : table) files[c.file] += Wpt(c.lat, c.lon, c.inner);
    for (const auto& [file, body] : files) WriteFile(t / "src/Places" / (file + ".gpx"), Gpx(body));
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;

    const auto csv = RunCommand("gpsbabel -i garmin_gpi -f " + Q(t / "src.gpi") + " -o unicsv -F -");
    ASSERT_EQ(csv.ExitCode, 0) << csv.Output;
    const auto gpx = RunCommand("gpsbabel -i garmin_gpi -f " + Q(t / "src.gpi") + " -o gpx -F -");
    ASSERT_EQ(gpx.ExitCode, 0) << gpx.Output;

    // Positions from the GPX output, which has nine decimals: enough to give
    // back the exact semicircles.
    std::map<std::string, std::pair<std::int32_t, std::int32_t>> positions;
    const std::regex wpt("<wpt lat=\"([-0-9.]+)\" lon=\"([-0-9.]+)\">\\s*<name>([^<]*)</name>");
    for (std::sregex_iterator i(gpx.Output.begin(), gpx.Output.end(), wpt), end; i != end; ++i) {
        const auto semicircles = [](const std::string& degrees) {
            return static_cast<std::int32_t>(std::llround(std::stod(degrees) * 2147483648.0 / 180.0));
        };
        positions[(*i)[3]] = {semicircles((*i)[1]), semicircles((*i)[2])};
    }

    const auto rows = CsvRows(csv.Output);
    ASSERT_EQ(rows.size(), table.size()) << csv.Output;
    ASSERT_EQ(positions.size(), table.size()) << gpx.Output;
    for (const auto& c : table) {
        const auto row = std::find_if(rows.begin(), rows.end(), [&](const auto& r) { return r.at("Name") == c.name; });
        ASSERT_NE(row, rows.end()) << c.name << "\n" << csv.Output;
        const auto field = [&](const char* column) { return row->count(column) ? row->at(column) : std::string(); };
        EXPECT_EQ(positions[c.name].first, DegToSemicircles(std::stod(c.lat))) << c.name;
        EXPECT_EQ(positions[c.name].second, DegToSemicircles(std::stod(c.lon))) << c.name;
        EXPECT_EQ(field("Description"), c.description) << c.name;
        EXPECT_EQ(field("Notes"), c.notes) << c.name;
        EXPECT_EQ(field("Proximity"), c.proximity) << c.name;
        EXPECT_EQ(field("URL"), c.url) << c.name;
        EXPECT_EQ(field("Address"), c.street) << c.name;
        EXPECT_EQ(field("City"), c.city) << c.name;
        EXPECT_EQ(field("PostalCode"), c.postalCode) << c.name;
        EXPECT_EQ(field("State"), c.state) << c.name;
        EXPECT_EQ(field("Country"), c.country) << c.name;
        EXPECT_EQ(field("Phone"), c.phone) << c.name;
        EXPECT_EQ(field("Phone2"), c.phone2) << c.name;
        EXPECT_EQ(field("Fax"), c.fax) << c.name;
        EXPECT_EQ(field("Email"), c.email) << c.name;
    }
}

TEST(CodePages, NamesAreWrittenInTheConfiguredCodePage) {
    const std::string folder = "\xC4\x8C" "e\xC5\xA1tina";  // Čeština
    const std::string file = "Gr\xC3\xBC\xC3\x9F" "e";        // Grüße
    const std::string horse = "\xC5\xBDlu\xC5\xA5ou\xC4\x8Dk\xC3\xBD k\xC5\xAF\xC5\x88";  // Žluťoučký kůň
    const std::string street = "Stra\xC3\x9F" "e M\xC3\xBCller";                          // Straße Müller
    const std::string far = "Daleko \xC5\x88\xC5\xAF";                                    // Daleko ňů
    struct Case { const char* settings; std::uint16_t codePage; Bytes group, category, horse, street; };
    for (const auto& c : std::initializer_list<Case>{
             {"[kestro]\ncodepage=1250\n", 1250, "\xC8" "e\x9Atina", "Gr\xFC\xDF" "e",
              "\x8Elu\x9Dou\xE8k\xFD k\xF9\xF2", "Stra\xDF" "e M\xFCller"},
             {"", 1252, "?e\x9Atina", "Gr\xFC\xDF" "e", "\x8Elu?ou?k\xFD k??", "Stra\xDF" "e M\xFCller"},
             {"[kestro]\ncodepage=65001\n", 65001, folder, file, horse, street}}) {
        TempDir t;
        if (*c.settings) WriteFile(t / "src/kestro.ini", c.settings);
        WriteFile(t / "src" / folder / (file + ".gpx"),
                  Gpx(Named("50", "14", horse) + Named("48", "16", street) + Named("95", "14", far)));
        const auto run = Convert(t / "src");
        ASSERT_EQ(run.ExitCode, 0) << run.Output;
        ASSERT_TRUE(run.File.PoiHeader.has_value());
        EXPECT_EQ(run.File.PoiHeader->CodePage, c.codePage);
        ASSERT_EQ(run.File.Groups.size(), 1u);
        const auto& group = run.File.Groups[0];
        EXPECT_EQ(ToHex(TextOf(group.Name)), ToHex(c.group)) << c.codePage;
        ASSERT_EQ(group.Categories.size(), 1u);
        EXPECT_EQ(ToHex(TextOf(group.Categories[0].Name)), ToHex(c.category)) << c.codePage;
        ASSERT_EQ(run.Points().size(), 2u);
        for (const auto& p : run.Points())
            EXPECT_EQ(ToHex(TextOf(p.Point->Name)), ToHex(p.Point->Lat == DegToSemicircles(50) ? c.horse : c.street))
                << c.codePage;
        // The console shows names as they are on disk, and waypoint names as UTF-8.
        EXPECT_NE(run.Output.find("Group: " + folder + "\n  Category: " + file + "\n"), std::string::npos)
            << run.Output;
        const std::string skipped = "  Skipped: src/" + folder + "/" + file + ".gpx: Daleko " +
                                    (c.codePage == 1252 ? std::string("??") : std::string("\xC5\x88\xC5\xAF"));
        EXPECT_EQ(LinesStarting(run.Output, "  Skipped: "), std::vector<std::string>{skipped}) << c.codePage;
    }
}

}  // namespace
}  // namespace kestro::conversion_test
