#pragma once
// KML documents and what to ask of the file the program writes from them.
#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "cli/ConversionSupport.h"
#include "support/TestImages.h"

namespace kestro::conversion_test {

inline std::string KmlDocument(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml xmlns=\"http://www.opengis.net/kml/2.2\"><Document>"
           "<name>Export</name>" + body + "</Document></kml>\n";
}

inline std::string KmlStyle(const std::string& id, const std::string& href) {
    return "<Style id=\"" + id + "\"><IconStyle><Icon><href>" + href + "</href></Icon></IconStyle></Style>";
}

// A placemark at "lon,lat", with a style reference when `style` is given.
inline std::string KmlPlacemark(const std::string& name, const std::string& coordinates, const std::string& style = "",
                                const std::string& more = "") {
    return "<Placemark><name>" + name + "</name>" + more + (style.empty() ? "" : "<styleUrl>#" + style + "</styleUrl>") +
           "<Point><coordinates>" + coordinates + "</coordinates></Point></Placemark>";
}

struct TKmlConversion : TConversion {
    fs::path Destination;
};

// The source folder converted into out.gpi beside it, checked by kestro-dump.
inline TKmlConversion ConvertKml(const fs::path& source) {
    TKmlConversion conversion;
    conversion.Destination = source.parent_path() / "out.gpi";
    const auto run = RunCommand("cd " + Q(source.parent_path()) + " && " + Q(KestroBinary()) + " " +
                                Q(source.filename()) + " out.gpi");
    conversion.ExitCode = run.ExitCode;
    conversion.Output = run.Output.rfind(Banner, 0) == 0 ? run.Output.substr(Banner.size()) : run.Output;
    if (fs::exists(conversion.Destination)) {
        conversion.Written = ReadFile(conversion.Destination);
        conversion.File = ParseGpi(conversion.Written);
        if (run.ExitCode == 0) ExpectDumpCheckClean(conversion.Destination);
    }
    return conversion;
}

// The progress lines up to the area tree's, without warnings and notes.
inline std::string ProgressLines(const std::string& output) {
    std::string lines;
    for (const auto& line : LinesStarting(output.substr(0, output.find("  Optimalization")), ""))
        if (line.rfind("kestro: ", 0) != 0) lines += line + "\n";
    return lines;
}

// The category number of a point; -1: none.
inline int CategoryOf(const TGpiPoint& point) {
    const auto* category = FindPart<TGpiCategoryRef>(point);
    return category ? category->Number : -1;
}

inline int BitmapOf(const TGpiPoint& point) {
    const auto* bitmap = FindPart<TGpiBitmapRef>(point);
    return bitmap ? bitmap->Number : -1;
}

inline std::vector<Bytes> CategoryNames(const TGpiGroup& group) {
    std::vector<Bytes> names;
    for (const auto& category : group.Categories) names.push_back(TextOf(category.Name));
    return names;
}

inline bool GpsBabelAtHand() { return RunCommand("command -v gpsbabel").ExitCode == 0; }

// The fields of one line of GPSBabel's unicsv output.
inline std::vector<std::string> UnicsvFields(const std::string& line) {
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
        } else if (c != '\r') {
            fields.back() += c;
        }
    }
    return fields;
}

// "name,lat,lon" of every point GPSBabel reads from a GPI file, sorted.
inline std::vector<std::string> GpsBabelNamesAndPlaces(const fs::path& gpi) {
    if (!GpsBabelAtHand()) return {};
    const auto back = RunCommand("gpsbabel -i garmin_gpi -f " + Q(gpi) + " -o unicsv -F -");
    EXPECT_EQ(back.ExitCode, 0) << back.Output;
    std::istringstream in(back.Output);
    std::string line;
    std::getline(in, line);
    const std::vector<std::string> header = UnicsvFields(line);
    const auto column = [&](const char* name) {
        return static_cast<std::size_t>(std::find(header.begin(), header.end(), name) - header.begin());
    };
    const std::size_t lat = column("Latitude"), lon = column("Longitude"), name = column("Name");
    std::vector<std::string> points;
    while (std::getline(in, line)) {
        const std::vector<std::string> fields = UnicsvFields(line);
        if (fields.size() <= std::max({lat, lon, name})) continue;
        points.push_back(fields[name] + "," + fields[lat] + "," + fields[lon]);
    }
    std::sort(points.begin(), points.end());
    return points;
}

}  // namespace kestro::conversion_test
