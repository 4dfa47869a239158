// Loads the same generated GPX tree from its text form and from its binary
// form (whole tree, no handler), and times writing the binary form, so the
// binary reader is seen against the text reader on equal content.
//
//     xml_binary_bench [waypoints=100000] [folder=/tmp]
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "xml/UKestroXML.h"

using namespace kestro;

namespace {

void WriteGpx(const std::string& path, int waypoints) {
    std::ofstream out(path, std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx version=\"1.1\" creator=\"bench\">\n";
    for (int i = 0; i < waypoints; ++i) {
        out << " <wpt lat=\"" << 45.0 + (i % 5000) * 0.001 << "\" lon=\"" << 12.0 + (i / 5000) * 0.01 << "\">"
            << "<name>Caf\xC3\xA9 M\xC3\xBCller " << i << "</name><desc>\xE2\x82\xAC prices, place " << i << "</desc>"
            << "<extensions><gpxx:WaypointExtension><gpxx:Proximity>300</gpxx:Proximity>"
            << "<gpxx:Address><gpxx:City>Bratislava</gpxx:City></gpxx:Address>"
            << "</gpxx:WaypointExtension></extensions></wpt>\n";
    }
    out << "</gpx>\n";
}

// glibc defers the consolidation of freed memory to a later allocation; it
// is done before each timed step so that no step pays for the one before.
template <class Work>
double Seconds(Work work) {
    malloc_trim(0);
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::size_t CountWaypoints(const TXmlPtr<IXmlDocument>& document) {
    return static_cast<std::size_t>(document->GetDocumentElement()->SelectElements("wpt")->GetCount());
}

}  // namespace

int main(int argc, char** argv) {
    int waypoints = argc > 1 ? std::atoi(argv[1]) : 100000;
    std::filesystem::path folder = argc > 2 ? argv[2] : std::filesystem::temp_directory_path();
    std::string text = (folder / ("kestro-binbench-" + std::to_string(getpid()) + ".gpx")).string();
    std::string binary = text + ".bin";
    XmlCodePage = 65001;
    WriteGpx(text, waypoints);
    auto source = CreateXmlDocument();
    source->LoadFromFile(text);
    double writeSeconds = 0, textSeconds = 0, binarySeconds = 0;
    std::size_t fromText = 0, fromBinary = 0;
    // Best of five, the two loads taking turns so that both meet the same
    // heap: the machine is shared, the fastest run is the least disturbed.
    for (int round = 0; round < 5; ++round) {
        double write = Seconds([&] { source->SaveBinaryToFile(binary); });
        double loadText = Seconds([&] {
            auto document = CreateXmlDocument();
            document->LoadFromFile(text);
            fromText = CountWaypoints(document);
        });
        double loadBinary = Seconds([&] {
            auto document = CreateXmlDocument();
            document->LoadFromFile(binary);
            fromBinary = CountWaypoints(document);
        });
        if (round == 0 || write < writeSeconds) writeSeconds = write;
        if (round == 0 || loadText < textSeconds) textSeconds = loadText;
        if (round == 0 || loadBinary < binarySeconds) binarySeconds = loadBinary;
    }
    double textMB = static_cast<double>(std::filesystem::file_size(text)) / 1e6;
    double binaryMB = static_cast<double>(std::filesystem::file_size(binary)) / 1e6;
    std::filesystem::remove(text);
    std::filesystem::remove(binary);
    if (fromText != static_cast<std::size_t>(waypoints) || fromBinary != fromText) {
        std::printf("waypoint counts differ: text %zu, binary %zu\n", fromText, fromBinary);
        return 1;
    }
    std::printf("text file %.1f MB, binary file %.1f MB (%d waypoints)\n", textMB, binaryMB, waypoints);
    std::printf("LoadFromFile, text:   %.3f s (tree built and freed)\n", textSeconds);
    std::printf("LoadFromFile, binary: %.3f s, ratio to text %.2f\n", binarySeconds, binarySeconds / textSeconds);
    std::printf("SaveBinaryToFile:     %.3f s, ratio to text load %.2f\n", writeSeconds, writeSeconds / textSeconds);
    return 0;
}
