// Loads a generated GPX file of many waypoints the way the GPX reader does
// (read each finished wpt in OnElementEnd, then empty it) and times it next
// to "xmllint --stream --noout" on the same file, in separate processes so
// that each peak memory is its own.
//
// A second row times one waypoint of many attributes, and half as many:
// the time should no more than double with the count.
//
//     xml_load_bench [waypoints=100000] [folder=/tmp] [attributes=400000]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "xml/UKestroXML.h"

using namespace kestro;

namespace {

// About 500 bytes of UTF-8 per waypoint, with the extensions the GPX reader uses.
void WriteGpx(const std::string& path, int waypoints) {
    std::ofstream out(path, std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<gpx version=\"1.1\" creator=\"bench\" xmlns=\"http://www.topografix.com/GPX/1/1\" "
           "xmlns:gpxx=\"http://www.garmin.com/xmlschemas/GpxExtensions/v3\">\n";
    for (int i = 0; i < waypoints; ++i) {
        char lat[32], lon[32];
        std::snprintf(lat, sizeof lat, "%.6f", 45.0 + (i % 5000) * 0.001);
        std::snprintf(lon, sizeof lon, "%.6f", 12.0 + (i / 5000) * 0.01);
        out << " <wpt lat=\"" << lat << "\" lon=\"" << lon << "\">\n"
            << "<name>Caf\xC3\xA9 M\xC3\xBCller " << i << "</name>"
            << "<cmt>Open 8\xE2\x80\x93" "17</cmt>"
            << "<desc>\xC5\xA0koda &amp; \xE2\x82\xAC prices, place " << i << "</desc>"
            << "<link href=\"http://example.com/" << i << "\"/>\n"
            << "<extensions><gpxx:WaypointExtension>"
            << "<gpxx:Proximity>300</gpxx:Proximity>"
            << "<gpxx:Address>"
            << "<gpxx:StreetAddress>Hauptstra\xC3\x9F" "e " << i % 200 << "</gpxx:StreetAddress>"
            << "<gpxx:City>Bratislava</gpxx:City>"
            << "<gpxx:PostalCode>811 01</gpxx:PostalCode>"
            << "</gpxx:Address>"
            << "<gpxx:PhoneNumber Category=\"Phone\">+421 2 5555 " << 1000 + i % 9000 << "</gpxx:PhoneNumber>"
            << "</gpxx:WaypointExtension></extensions>\n </wpt>\n";
    }
    out << "</gpx>\n";
}

// One waypoint with that many attributes of distinct names.
void WriteManyAttributes(const std::string& path, int attributes) {
    std::ofstream out(path, std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx><wpt lat=\"1\" lon=\"2\"";
    for (int i = 0; i < attributes; ++i) out << " a" << i << "=\"1\"";
    out << "><name>x</name></wpt></gpx>\n";
}

// What the GPX reader does with each waypoint, without the store.
std::size_t LoadLikeTheGpxReader(const std::string& path) {
    std::size_t checksum = 0;
    auto document = CreateXmlDocument();
    document->SetOnElementEnd([&](IXmlNodeList*, const TXmlPtr<IXmlNode>& node) {
        if (node->GetNodeName() != "wpt") return;
        checksum += node->GetValue("@lat").AsText().size() + node->GetValue("@lon").AsText().size();
        checksum += node->GetValue("name").AsText().size() + node->GetValue("cmt").AsText().size() +
                    node->GetValue("desc").AsText().size();
        auto links = node->SelectElements("link");
        for (int i = 0; i < links->GetCount(); ++i) checksum += links->GetItem(i)->GetValue("@href").AsText().size();
        if (auto proximity = node->SelectElement("extensions\\gpxx:WaypointExtension\\gpxx:Proximity"))
            checksum += proximity->GetText().size();
        if (auto address = node->SelectElement("extensions\\gpxx:WaypointExtension\\gpxx:Address")) {
            for (const char* field : {"gpxx:City", "gpxx:Country", "gpxx:State", "gpxx:PostalCode", "gpxx:StreetAddress"})
                checksum += address->GetValue(field).AsText().size();
        }
        if (auto phones = node->SelectElements("extensions\\gpxx:WaypointExtension\\gpxx:PhoneNumber"))
            for (int i = 0; i < phones->GetCount(); ++i)
                checksum += phones->GetItem(i)->GetValue("@Category").AsText().size() + phones->GetItem(i)->GetText().size();
        node->RemoveAllChildren();
        node->RemoveAllAttributes();
    });
    document->LoadFromFile(path);
    return checksum;
}

struct TRun {
    double Seconds = 0;
    long PeakKiB = 0;
    int Status = 0;
};

// Runs the work in a child process; its time and peak resident memory.
template <class Work>
TRun InChild(Work work) {
    auto start = std::chrono::steady_clock::now();
    pid_t child = fork();
    if (child == 0) _exit(work());
    TRun run;
    struct rusage usage {};
    wait4(child, &run.Status, 0, &usage);
    run.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.PeakKiB = usage.ru_maxrss;
    return run;
}

TRun Best(int times, const auto& measure) {
    TRun best;
    for (int i = 0; i < times; ++i) {
        TRun run = measure();
        if (i == 0 || run.Seconds < best.Seconds) best.Seconds = run.Seconds;
        best.PeakKiB = std::max(best.PeakKiB, run.PeakKiB);
        best.Status |= run.Status;
    }
    return best;
}

TRun MeasureKestro(const std::string& path, std::uint16_t codePage) {
    return InChild([&] {
        XmlCodePage = codePage;
        try {
            return LoadLikeTheGpxReader(path) > 0 ? 0 : 2;
        } catch (const std::exception& error) {
            std::fprintf(stderr, "load failed: %s\n", error.what());
            return 1;
        }
    });
}

TRun MeasureXmllint(const std::string& path) {
    return InChild([&] {
        execlp("xmllint", "xmllint", "--stream", "--noout", path.c_str(), static_cast<char*>(nullptr));
        return 127;
    });
}

}  // namespace

int main(int argc, char** argv) {
    int waypoints = argc > 1 ? std::atoi(argv[1]) : 100000;
    std::filesystem::path folder = argc > 2 ? argv[2] : std::filesystem::temp_directory_path();
    std::string path = (folder / ("kestro-bench-" + std::to_string(getpid()) + ".gpx")).string();
    std::string half = (folder / ("kestro-bench-half-" + std::to_string(getpid()) + ".gpx")).string();
    WriteGpx(path, waypoints);
    WriteGpx(half, waypoints / 2);
    double megabytes = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    std::printf("file: %d waypoints, %.1f MB, UTF-8\n", waypoints, megabytes);

    // Best of five: the machine is shared, the fastest run is the least disturbed.
    TRun xmllint = Best(5, [&] { return MeasureXmllint(path); });
    TRun kestro1252 = Best(5, [&] { return MeasureKestro(path, 1252); });
    TRun kestro65001 = Best(5, [&] { return MeasureKestro(path, 65001); });
    TRun kestroHalf = Best(1, [&] { return MeasureKestro(half, 1252); });
    std::filesystem::remove(path);
    std::filesystem::remove(half);
    if (xmllint.Status || kestro1252.Status || kestro65001.Status || kestroHalf.Status) {
        std::printf("a run failed (xmllint %d, kestro %d/%d/%d)\n", xmllint.Status, kestro1252.Status,
                    kestro65001.Status, kestroHalf.Status);
        return 1;
    }
    std::printf("xmllint --stream --noout: %.3f s, peak %ld KiB\n", xmllint.Seconds, xmllint.PeakKiB);
    std::printf("LoadFromFile into 1252:   %.3f s, peak %ld KiB, ratio %.2f\n", kestro1252.Seconds, kestro1252.PeakKiB,
                kestro1252.Seconds / xmllint.Seconds);
    std::printf("LoadFromFile into 65001:  %.3f s, peak %ld KiB, ratio %.2f\n", kestro65001.Seconds,
                kestro65001.PeakKiB, kestro65001.Seconds / xmllint.Seconds);
    std::printf("memory per emptied waypoint: %.0f bytes (peak of %d against %d waypoints)\n",
                (kestro1252.PeakKiB - kestroHalf.PeakKiB) * 1024.0 / (waypoints - waypoints / 2), waypoints,
                waypoints / 2);

    const int attributes = argc > 3 ? std::atoi(argv[3]) : 400000;
    WriteManyAttributes(path, attributes);
    WriteManyAttributes(half, attributes / 2);
    // No xmllint here: its own reading of many attributes is quadratic.
    TRun many = Best(3, [&] { return MeasureKestro(path, 1252); });
    TRun halfMany = Best(3, [&] { return MeasureKestro(half, 1252); });
    std::filesystem::remove(path);
    std::filesystem::remove(half);
    if (many.Status || halfMany.Status) {
        std::printf("a run failed (kestro %d/%d)\n", many.Status, halfMany.Status);
        return 1;
    }
    std::printf("one element, %d attributes: %.3f s, peak %ld KiB; %.2f times the time of %d\n", attributes,
                many.Seconds, many.PeakKiB, many.Seconds / halfMany.Seconds, attributes / 2);
    return 0;
}
