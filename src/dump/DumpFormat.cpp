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

std::string SpeedText(std::uint32_t hundredths) {
    if (hundredths == 0) return "none";
    // In thousandths of km/h, exactly: 0.01 m/s is 0.036 km/h.
    const std::uint64_t thousandths = std::uint64_t{hundredths} * 36;
    const std::uint64_t whole = (thousandths + 500) / 1000;
    const std::uint64_t apart = thousandths > whole * 1000 ? thousandths - whole * 1000 : whole * 1000 - thousandths;
    if (apart < 36) return Format("%llu km/h", static_cast<unsigned long long>(whole));
    const auto hundredthsOfKmh = static_cast<unsigned long long>((thousandths + 5) / 10);
    return Format("%llu.%02llu km/h", hundredthsOfKmh / 100, hundredthsOfKmh % 100);
}

}  // namespace kestro
