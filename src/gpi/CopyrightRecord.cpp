#include "gpi/CopyrightRecord.h"

#include "gpi/GpiRecordType.h"
#include "gpi/GpiUtil.h"

namespace kestro {

namespace {
// What the files of other writers end the record with; their meaning is not
// known, and devices show the credits of files that have them.
constexpr char CopyrightTrailer[] = "\x02\x0F\xE2\x07";
}  // namespace

Bytes GpiCopyrightRecord(const TCredits& credits) {
    const Bytes data = GpiWord(0x0014) + GpiWord(0) + GpiDword(0) + GpiLangString(credits.Source) +
                       GpiLangString(credits.Copyright) + Bytes(CopyrightTrailer, 4);
    return GpiRecord(GpiTypeCopyright, data);
}

Bytes GpiHeaderExtensionRecord() { return GpiRecord(GpiTypeHeaderExtension, Bytes("\x11\x27\x01\x00\x00", 5)); }

Bytes GpiPoiHeaderRecord(std::int32_t codePage, const TCredits& credits) {
    const bool credited = !credits.Empty();
    const Bytes main = Bytes("POI") + Bytes(3, '\0') + "00" + GpiWord(static_cast<std::uint32_t>(codePage)) +
                       GpiWord(credited ? PoiHeaderCreditFlags : 0);
    return GpiRecord(GpiTypePoiHeader, main, credited ? GpiCopyrightRecord(credits) : Bytes());
}

}  // namespace kestro
