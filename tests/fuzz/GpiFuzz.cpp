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

void RequireWhole(const TGpiRecords& records) {
    std::size_t given = 0, last = 0;
    for (const auto& record : records) {
        if (given > 0 && record.Offset <= last) __builtin_trap();  // in file order, each once
        last = record.Offset;
        ++given;
    }
    if (given != records.size()) __builtin_trap();
}

void RequireWhole(const TGpiArea& area) {
    RequireWhole(area.Records);
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
    RequireWhole(file.Order);
    RequireWhole(file.Records);
    RequireWhole(file.Header.Records);
    if (file.PoiHeader) RequireWhole(file.PoiHeader->Records);
    for (const auto& group : file.Groups) {
        RequireWhole(group.MainRecords);
        RequireWhole(group.Records);
        RequireWhole(group.Extra);
        for (const auto& category : group.Categories) RequireWhole(category.Records);
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
