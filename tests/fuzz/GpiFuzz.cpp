// The GPI reader on arbitrary bytes, as kestro-dump meets them: the outline,
// the JSON and the check never fail on a file that starts like a GPI file.
// Every record list gives exactly as many records as the reader counted,
// and the check hands out its problems in offset order, the same ones as
// the kept list.
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <streambuf>

#include "FuzzSupport.h"
#include "diag/Exceptions.h"
#include "dump/JsonPrinter.h"
#include "dump/OutlinePrinter.h"
#include "gpi/GpiCheck.h"
#include "gpi/GpiReader.h"

namespace {

using namespace kestro;

class TNullBuffer : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

// None of the records is one read as something else (`readElsewhere`).
template <class F>
void RequireWhole(const TGpiRecords& records, F&& readElsewhere) {
    std::size_t given = 0, last = 0;
    for (const auto& record : records) {
        if (given > 0 && record.Offset <= last) __builtin_trap();  // in file order, each once
        if (readElsewhere(record)) __builtin_trap();
        last = record.Offset;
        ++given;
    }
    if (given != records.size()) __builtin_trap();
}

void RequireWhole(const TGpiRecords& records) {
    RequireWhole(records, [](const TGpiOther&) { return false; });
}

void RequireWhole(const TGpiArea& area) {
    RequireWhole(area.Records, [](const TGpiOther& r) { return r.Type == GpiTypeArea || r.Type == GpiTypePoint; });
    for (const auto& sub : area.Areas) RequireWhole(sub);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TGpiFile file;
    try {
        file = ParseGpi(Bytes(fuzz::Input(data, size)));
    } catch (const EReadError&) {
        return 0;  // not a GPI file at all
    }
    const std::size_t poiHeaderAt = file.PoiHeader ? file.PoiHeader->Offset : SIZE_MAX;
    RequireWhole(file.Order);
    RequireWhole(file.Records, [&](const TGpiOther& r) {
        return r.Offset == 0 || r.Offset == poiHeaderAt || r.Type == GpiTypeGroup || r.Type == GpiTypeEnd;
    });
    RequireWhole(file.Header.Records);
    if (file.PoiHeader) {
        const std::size_t copyrightAt = file.PoiHeader->Copyright ? file.PoiHeader->Copyright->Offset : SIZE_MAX;
        RequireWhole(file.PoiHeader->Records, [&](const TGpiOther& r) { return r.Offset == copyrightAt; });
    }
    for (const auto& group : file.Groups) {
        const std::size_t rootAt = group.Root ? group.Root->Offset : SIZE_MAX;
        RequireWhole(group.MainRecords, [&](const TGpiOther& r) { return r.Offset == rootAt; });
        RequireWhole(group.Records, [](const TGpiOther& r) {
            return r.Type == GpiTypeCategory || r.Type == GpiTypeBitmap || r.Type == GpiTypeMedia;
        });
        RequireWhole(group.Extra);
        for (const auto& category : group.Categories) {
            const std::size_t iconAt = category.Bitmap ? category.Bitmap->Offset : SIZE_MAX;
            RequireWhole(category.Records, [&](const TGpiOther& r) { return r.Offset == iconAt; });
        }
        if (group.Root) RequireWhole(*group.Root);
    }

    TNullBuffer nothing;
    std::ostream out(&nothing);
    const TDumpOptions options;
    PrintOutline(file, options, out);
    PrintJson(file, options, out);
    const auto kept = CheckGpi(file);
    std::size_t index = 0;
    const std::size_t count = CheckGpi(file, [&](const TGpiProblem& problem) {
        if (index > 0 && problem.Offset < kept[index - 1].Offset) __builtin_trap();
        if (index >= kept.size() || problem.Offset != kept[index].Offset || problem.Text != kept[index].Text) __builtin_trap();
        ++index;
    });
    if (count != kept.size() || index != kept.size()) __builtin_trap();
    return 0;
}
