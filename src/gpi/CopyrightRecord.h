#pragma once
// The data source and copyright of a file: a copyright record (type 17) in
// the extra part of the POI header record, shown in the device's list of
// loaded files.
#include <cstdint>

#include "gpi/LangText.h"
#include "platform/Bytes.h"

namespace kestro {

// The POI header's flags word in files that carry the copyright record.
constexpr std::uint16_t PoiHeaderCreditFlags = 0x0011;

struct TCredits {
    TGpiText Source;     // per language; empty: no credits
    TGpiText Copyright;
    bool Empty() const { return Source.empty() && Copyright.empty(); }
};

// 14 00 00 00, four zero bytes, the source and the copyright as localized
// texts, and the four bytes other writers end it with.
Bytes GpiCopyrightRecord(const TCredits& credits);

// The record (type 15) that files with credits carry in the header
// record's extra part: 11 27 01 00 00. Readers that find the POI header at a
// fixed place (GPSBabel) step over the head of a POI header with an extra
// part only after it, and refuse the whole file without it.
Bytes GpiHeaderExtensionRecord();

// The POI header record (type 1): "POI", "00", the low 16 bits of the code
// page, then the flags word: 0 and no extra part without credits, else
// PoiHeaderCreditFlags and the copyright record as its extra part.
Bytes GpiPoiHeaderRecord(std::int32_t codePage, const TCredits& credits);

}  // namespace kestro
