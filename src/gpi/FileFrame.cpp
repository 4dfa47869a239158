#include "gpi/FileFrame.h"

#include <chrono>

#include "xml/XmlCodePage.h"
#include "gpi/GpiRecordType.h"
#include "gpi/GpiUtil.h"

namespace kestro {

std::uint32_t GetTickCount() {
    const auto elapsed = std::chrono::steady_clock::now().time_since_epoch();
    const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(milliseconds));
}

Bytes GpiHeaderRecord(const Bytes& fileName, std::uint32_t timeStamp, const Bytes& extra) {
    const Bytes main =
        Bytes("GRMREC00") + GpiDword(timeStamp) + GpiWord(0) + GpiWord(static_cast<std::uint32_t>(fileName.size())) + fileName;
    return GpiRecord(GpiTypeHeader, main, extra);
}

Bytes GpiCodePageRecord(std::int32_t codePage) { return GpiPoiHeaderRecord(codePage, TCredits{}); }

Bytes GpiEndRecord() { return GpiRecord(GpiTypeEnd, Bytes(), Bytes()); }

void WriteHeader(TOutputFile& stream, const Bytes& fileName, const TCredits& credits) {
    GpiWriteBytes(stream, GpiHeaderRecord(fileName, GetTickCount(), credits.Empty() ? Bytes() : GpiHeaderExtensionRecord()));
    GpiWriteBytes(stream, GpiPoiHeaderRecord(XmlCodePage, credits));
}

void GpiWriteBytes(TOutputFile& stream, const Bytes& bytes) {
    if (!bytes.empty()) stream.Write(bytes);
}

void WriteEndRecord(TOutputFile& stream) { GpiWriteBytes(stream, GpiEndRecord()); }

}  // namespace kestro
