#include "gpi/GpiUtil.h"

#include <cmath>

namespace kestro {

static_assert(sizeof(long double) >= 10 && __LDBL_MANT_DIG__ == 64,
              "semicircles and alert values need the 64-bit significand of x87 extended precision");

Bytes GpiWord(std::uint32_t value) {
    Bytes out(2, '\0');
    out[0] = static_cast<char>(value & 0xFF);
    out[1] = static_cast<char>((value >> 8) & 0xFF);
    return out;
}

Bytes GpiDword(std::uint32_t value) {
    Bytes out(4, '\0');
    for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

Bytes GpiString(const Bytes& text) { return GpiWord(static_cast<std::uint32_t>(text.size())) + text; }

Bytes GpiLangString(const Bytes& text) {
    return GpiWord(static_cast<std::uint32_t>(text.size() + 4)) + GpiWord(0) + "EN" +
           GpiWord(static_cast<std::uint32_t>(text.size())) + text;
}

Bytes GpiRecord(std::uint16_t type, const Bytes& main, const Bytes& extra) {
    Bytes out = GpiWord(type);
    out += GpiWord(extra.empty() ? 0 : 8);
    out += GpiDword(static_cast<std::uint32_t>(main.size() + extra.size()));
    if (!extra.empty()) out += GpiDword(static_cast<std::uint32_t>(main.size()));
    out += main;
    out += extra;
    return out;
}

std::int32_t DegToSemicircles(double degrees) {
    const long double factor = 2147483648.0L / 180.0L;
    const long double product = factor * static_cast<long double>(degrees);
    // x87 truncation of anything out of 64-bit range (or NaN) gives the
    // "integer indefinite" 0x8000000000000000, whose low 32 bits are 0.
    if (!(product > -9223372036854775808.0L && product < 9223372036854775808.0L)) return 0;
    const auto whole = static_cast<std::int64_t>(product);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(whole)));
}

}  // namespace kestro
