#include "dump/DumpFormat.h"

#include "diag/Exceptions.h"
#include "gpi/GpiReader.h"

namespace kestro {

std::string DegreesText(std::int32_t semicircles) { return Format("%.7f", SemicirclesToDeg(semicircles)); }

std::string HexText(const Bytes& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty()) out += ' ';
        out += Format("%02X", c);
    }
    return out;
}

std::string OffsetText(std::size_t offset) { return Format("0x%zX", offset); }

}  // namespace kestro
