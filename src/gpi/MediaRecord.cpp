#include "gpi/MediaRecord.h"

#include "gpi/GpiRecordType.h"
#include "gpi/GpiUtil.h"

namespace kestro {

Bytes GpiMediaRecord(std::uint16_t number, TSoundFormat format, const std::vector<TMediaClip>& clips) {
    std::uint64_t total = 0;
    for (const auto& clip : clips) total += 6 + clip.Data.size();
    const Bytes main = GpiWord(number) + static_cast<char>(format);
    Bytes extra;
    extra.reserve(4 + total);
    extra += GpiDword(RecordLength(total));
    for (const auto& clip : clips) {
        Bytes language = clip.Language.substr(0, 2);
        language.resize(2, ' ');
        extra += language;
        extra += GpiDword(static_cast<std::uint32_t>(clip.Data.size()));
        extra += clip.Data;
    }
    return GpiRecord(GpiTypeMedia, main, extra);
}

}  // namespace kestro
