// The KML reader on arbitrary bytes, as a ".kml" file and as a ".kmz"
// archive (the seeds hold archives with documents and icons inside), in a
// single-byte and in the UTF-8 working code page.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "diag/Exceptions.h"
#include "kml/KmlReader.h"
#include "xml/XmlCodePage.h"

namespace {

using namespace kestro;

class TIgnoredFindings final : public IFileFindings {
public:
    void Warning(const std::string&, const std::string& text) override { bytes += text.size(); }
    void UnreadableLines(std::int64_t) override {}
    void NotOfTheFormat(const std::string& start) override { bytes += start.size(); }
    void ReplacedCharacters(std::int64_t, char32_t) override {}
    void Note(const std::string&, const std::string& text) override { bytes += text.size(); }
    std::size_t bytes = 0;
};

void Read(const std::string& path, bool archive) {
    TIgnoredFindings findings;
    std::size_t bytes = 0;
    const TWaypointTaker take = [&bytes](TWaypointFields& waypoint) {
        bytes += waypoint.Point.Name.size() + waypoint.Folder.size() + waypoint.Icon.size() +
                 (waypoint.IconContent ? waypoint.IconContent->size() : 0);
    };
    try {
        // A small bound, so that an archive that unpacks far is cut early.
        if (archive) ReadKmzWaypoints(path, take, {}, findings, 1u << 20);
        else ReadKmlWaypoints(path, take, {}, findings);
    } catch (const Exception&) {
        // a document that is no well-formed XML: the run reports it
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::EnterWorkFolder(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::Input(data, size);
    const auto& work = fuzz::WorkFolder();
    fuzz::WriteFile(work / "in.kml", input);
    fuzz::WriteFile(work / "in.kmz", input);
    XmlCodePage = (fuzz::InputHash(input) & 1) ? 65001 : 1252;
    Read((work / "in.kml").string(), false);
    Read((work / "in.kmz").string(), true);
    return 0;
}
