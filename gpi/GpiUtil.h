#pragma once
// Field encoders and the record envelope of the GPI format. All integers are
// little-endian; texts are copied as they stand, never zero-terminated.
#include <cstdint>
#include <cstdio>

#include "platform/Bytes.h"

namespace kestro {

Bytes GpiWord(std::uint32_t value);   // low 16 bits
Bytes GpiDword(std::uint32_t value);
// Texts longer than the 16-bit length field allows (65535 bytes, 65531 for the
// localized string) are cut to fit, in UTF-8 output (CodePage 65001) at a
// character boundary.
Bytes GpiString(const Bytes& text);
Bytes GpiLangString(const Bytes& text);
Bytes GpiRecord(std::uint16_t type, const Bytes& main, const Bytes& extra = Bytes());
std::int32_t DegToSemicircles(double degrees);

}  // namespace kestro
