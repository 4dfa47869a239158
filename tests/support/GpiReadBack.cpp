#include "support/GpiReadBack.h"

#include <gtest/gtest.h>

#include "gpi/FileFrame.h"
#include "gpi/GpiRecordType.h"
#include "gpi/GpiUtil.h"
#include "support/TestSupport.h"

namespace kestro::test {

TReadBack ReadGroupMain(const Bytes& groupMain) {
    TReadBack read;
    read.Content = GpiHeaderRecord("t.gpi", 0) + GpiCodePageRecord(1252) +
                   GpiRecord(GpiTypeGroup, GpiLangString("g") + groupMain) + GpiEndRecord();
    read.File = ParseGpi(read.Content);
    for (const auto& problem : read.File.Problems) ADD_FAILURE() << "@" << problem.Offset << ": " << problem.Text;
    EXPECT_EQ(read.File.Groups.size(), 1u);
    return read;
}

TReadBack ReadPointRecord(const Bytes& point) {
    const Bytes areaMain = Hex("00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 01 00 00");
    return ReadGroupMain(GpiRecord(GpiTypeArea, areaMain, point));
}

Bytes RecordAt(const Bytes& content, std::size_t offset) {
    auto le = [&](std::size_t at, int size) {
        std::size_t value = 0;
        for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(content.at(at + i));
        return value;
    };
    const std::size_t head = (le(offset + 2, 2) & 8) != 0 ? 12 : 8;
    return content.substr(offset, head + le(offset + 4, 4));
}

}  // namespace kestro::test
