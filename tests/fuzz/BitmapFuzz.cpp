// GpiBitmap on arbitrary file contents: a refused file gives no record, an
// accepted one a bitmap record that a GPI file can carry cleanly.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "gpi/Bitmap.h"
#include "gpi/FileFrame.h"
#include "gpi/GpiUtil.h"
#include "gpi/PoiRecord.h"

namespace {

using namespace kestro;

// One group with one point that shows bitmap 0.
Bytes FileWithBitmap(const Bytes& bitmapBody) {
    TPoiWpt point;
    point.Lat = 47.5;
    point.Lon = 8.25;
    point.Name = "P";
    point.Bitmap = 0;
    const std::int32_t lat = DegToSemicircles(point.Lat);
    const std::int32_t lon = DegToSemicircles(point.Lon);
    const Bytes areaMain = GpiDword(static_cast<std::uint32_t>(lat)) + GpiDword(static_cast<std::uint32_t>(lon)) +
                           GpiDword(static_cast<std::uint32_t>(lat)) + GpiDword(static_cast<std::uint32_t>(lon)) +
                           Bytes("\0\0\0\0\x01\0\0", 7);
    const Bytes group = GpiRecord(9, GpiLangString("G") + GpiRecord(8, areaMain, GpiPoi(point)), GpiRecord(5, bitmapBody));
    return GpiHeaderRecord("f.gpi", 0) + GpiCodePageRecord(1252) + group + GpiEndRecord();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto path = fuzz::WorkFolder() / "icon.bmp";
    fuzz::WriteFile(path, fuzz::Input(data, size));
    // A readable regular file never raises, whatever it holds.
    const Bytes body = GpiBitmap(path, 0);
    if (!body.empty()) fuzz::RequireCleanGpi(FileWithBitmap(body));
    return 0;
}
