// The CSV list reader on arbitrary bytes: the scan for encoding and
// separator, then the records, in a single-byte and in the UTF-8 working
// code page.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "FuzzSupport.h"
#include "csv/CsvReader.h"
#include "diag/Exceptions.h"

namespace {

using namespace kestro;

void Read(std::string_view input, std::int32_t codePage) {
    std::istringstream scan{std::string(input)};
    const TCsvTextKind kind = ScanCsvText(scan);
    if (kind.Encoding == TCsvEncoding::NotText) return;
    std::istringstream in{std::string(input)};
    std::size_t bytes = 0;
    ReadCsvWaypoints(in, kind, codePage, [&bytes](TWaypointFields& waypoint) {
        bytes += waypoint.Point.Name.size() + waypoint.Point.Comment.size() + waypoint.Links.size();
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::Input(data, size);
    Read(input, 1250);
    Read(input, 65001);
    return 0;
}
