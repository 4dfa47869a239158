#pragma once
// The records that frame a GPI file: two header records at the start, the
// end record at the end.
#include <cstdint>

#include "gpi/CopyrightRecord.h"
#include "platform/Bytes.h"
#include "platform/OutputFile.h"

namespace kestro {

// A 32-bit millisecond counter from a monotonic clock.
std::uint32_t GetTickCount();

// Header record (type 0): "GRMREC00", the time stamp, the file name, and
// the records of its extra part, if any.
Bytes GpiHeaderRecord(const Bytes& fileName, std::uint32_t timeStamp, const Bytes& extra = Bytes());
// Second header record (type 1): "POI", "00" and the low 16 bits of the code page.
Bytes GpiCodePageRecord(std::int32_t codePage);
// End record (type 0xFFFF, no parts).
Bytes GpiEndRecord();

// Writes both header records, each with its own write; the file name is
// already in the output code page, the code page is the working one (XmlCodePage).
// Credits, when given, go into the second.
void WriteHeader(TOutputFile& stream, const Bytes& fileName, const TCredits& credits = {});
void WriteEndRecord(TOutputFile& stream);

// Writes the whole byte string; nothing for an empty one.
void GpiWriteBytes(TOutputFile& stream, const Bytes& bytes);

}  // namespace kestro
