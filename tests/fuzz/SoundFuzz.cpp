// SoundFormatOf on arbitrary file contents: a refused file gives no media
// record, an accepted one a media record that an alert plays in a file that
// checks clean.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "gpi/FileFrame.h"
#include "gpi/GpiUtil.h"
#include "gpi/MediaRecord.h"
#include "gpi/PoiRecord.h"
#include "gpi/SoundFile.h"

namespace {

using namespace kestro;

// One group with one point whose alert plays media 1.
Bytes FileWithSound(TSoundFormat format, const Bytes& sound) {
    TPoiWpt point;
    point.Lat = 47.5;
    point.Lon = 8.25;
    point.Name = "P";
    point.AlertDistance = 500;
    point.Sound = 1;
    const std::int32_t lat = DegToSemicircles(point.Lat);
    const std::int32_t lon = DegToSemicircles(point.Lon);
    const Bytes areaMain = GpiDword(static_cast<std::uint32_t>(lat)) + GpiDword(static_cast<std::uint32_t>(lon)) +
                           GpiDword(static_cast<std::uint32_t>(lat)) + GpiDword(static_cast<std::uint32_t>(lon)) +
                           Bytes("\0\0\0\0\x01\0\x01", 7);
    const Bytes group = GpiRecord(9, GpiLangString("G") + GpiRecord(8, areaMain, GpiPoi(point)),
                                  GpiMediaRecord(1, format, {{"EN", sound}}));
    return GpiHeaderRecord("f.gpi", 0) + GpiCodePageRecord(1252) + group + GpiEndRecord();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Bytes content(fuzz::Input(data, size));
    std::string refusal;
    const auto format = SoundFormatOf(content, refusal);
    if (format) {
        if (!refusal.empty()) __builtin_trap();  // an accepted file has no reason to refuse it
        fuzz::RequireCleanGpi(FileWithSound(*format, content));
    } else if (refusal.empty()) {
        __builtin_trap();  // every refusal says why
    }
    return 0;
}
