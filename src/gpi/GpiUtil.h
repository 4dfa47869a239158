#pragma once
// Field encoders and the record envelope of the GPI format. All integers are
// little-endian; texts are copied as they stand, never zero-terminated.
#include <cstdint>
#include <cstdio>

#include "gpi/ExtendedReal.h"
#include "gpi/LangText.h"
#include "platform/Bytes.h"

namespace kestro {

Bytes GpiWord(std::uint32_t value);   // low 16 bits
Bytes GpiDword(std::uint32_t value);
// Texts longer than the 16-bit length field allows (65535 bytes, 65531 for the
// localized string) are cut to fit, in UTF-8 output (working code page 65001) at a
// character boundary.
Bytes GpiString(const Bytes& text);
Bytes GpiLangString(const Bytes& text);  // one entry, "EN"
// Every entry in order, each a two-byte language code (longer codes are cut,
// shorter ones padded with blanks), its 16-bit length and its text, after the
// 32-bit length of all entries together.
Bytes GpiLangString(const TGpiText& entries);
// The same encoders appending to out, for records built in place.
void AppendGpiWord(Bytes& out, std::uint32_t value);
void AppendGpiDword(Bytes& out, std::uint32_t value);
void AppendGpiString(Bytes& out, const Bytes& text);
// One entry of a localized string (code, length, text); the caller writes
// the 32-bit length of all entries in front.
void AppendGpiLangEntry(Bytes& out, const Bytes& language, const Bytes& text);
// Raises EFormatLimit when the record would not fit its 32-bit length.
Bytes GpiRecord(std::uint16_t type, const Bytes& main, const Bytes& extra = Bytes());
// The most bytes a record's main and extra parts may hold together.
constexpr std::uint64_t MaxRecordData = 0xFFFFFFFF;
// The 32-bit length field for size bytes; EFormatLimit beyond MaxRecordData,
// where the field would wrap and every record after it be misread.
std::uint32_t RecordLength(std::uint64_t size);
// 2^31 / 180 in extended precision; a degree is that many semicircles.
const TExtendedReal& SemicirclesPerDegree();
std::int32_t DegToSemicircles(double degrees);

}  // namespace kestro
