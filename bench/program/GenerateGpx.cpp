// Writes a deterministic source folder for the whole-program benchmark: one
// group of N waypoints in one GPX file, about 470 bytes per waypoint, each
// with a name, a comment, a proximity, an address and a phone number, spread
// over Europe.
//
//     gpx_generator N SOURCE_FOLDER
//
// creates SOURCE_FOLDER/Points/points.gpx (the folder must not hold other
// groups).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace {

void WriteGpx(const std::filesystem::path& path, long count) {
    std::ofstream out(path, std::ios::binary);
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<gpx version=\"1.1\" creator=\"kestro bench\" xmlns=\"http://www.topografix.com/GPX/1/1\"\n"
           "     xmlns:gpxx=\"http://www.garmin.com/xmlschemas/GpxExtensions/v3\">\n";
    std::mt19937_64 random(20240601);
    std::uniform_real_distribution<double> lat(35.0, 60.0);
    std::uniform_real_distribution<double> lon(-10.0, 30.0);
    std::uniform_int_distribution<int> digits(0, 9999);
    char buffer[1024];
    for (long i = 0; i < count; ++i) {
        const double la = lat(random), lo = lon(random);
        const int street = digits(random), phone = digits(random);
        const int length = std::snprintf(
            buffer, sizeof buffer,
            " <wpt lat=\"%.6f\" lon=\"%.6f\">\n"
            "  <name>Caf\xC3\xA9 %ld</name>\n"
            "  <cmt>Open 8-17</cmt>\n"
            "  <extensions>\n"
            "   <gpxx:WaypointExtension>\n"
            "    <gpxx:Proximity>%d</gpxx:Proximity>\n"
            "    <gpxx:Address>\n"
            "     <gpxx:StreetAddress>Hauptstra\xC3\x9F" "e %d</gpxx:StreetAddress>\n"
            "     <gpxx:City>Wien</gpxx:City>\n"
            "     <gpxx:PostalCode>1010</gpxx:PostalCode>\n"
            "    </gpxx:Address>\n"
            "    <gpxx:PhoneNumber Category=\"Phone\">+43 1 555 %04d</gpxx:PhoneNumber>\n"
            "   </gpxx:WaypointExtension>\n"
            "  </extensions>\n"
            " </wpt>\n",
            la, lo, i, 100 + static_cast<int>(i % 5) * 100, street, phone);
        out.write(buffer, length);
    }
    out << "</gpx>\n";
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: gpx_generator N SOURCE_FOLDER\n");
        return 2;
    }
    const long count = std::atol(argv[1]);
    const std::filesystem::path group = std::filesystem::path(argv[2]) / "Points";
    std::filesystem::create_directories(group);
    WriteGpx(group / "points.gpx", count);
    return 0;
}
