#include <gtest/gtest.h>

#include <sys/stat.h>

#include "diag/Exceptions.h"
#include "xml/XmlCodePage.h"
#include "gpi/FileFrame.h"
#include "gpi/GpiUtil.h"
#include "support/TestSupport.h"

namespace kestro {
namespace {
using test::Hex;
using test::ReadFile;
using test::TempDir;
using test::ToHex;
using test::WriteFile;

class CodePageScope {
public:
    explicit CodePageScope(std::int32_t codePage) : saved_(XmlCodePage) { XmlCodePage = static_cast<std::uint16_t>(codePage); }
    ~CodePageScope() { XmlCodePage = saved_; }

private:
    std::uint16_t saved_;
};

TEST(FileFrame, HeaderRecordsForOutGpiInCodePage1252) {
    const Bytes header = GpiHeaderRecord("out.gpi", 0x12345678);
    EXPECT_EQ(ToHex(header), ToHex(Hex("00 00 00 00 17 00 00 00") + "GRMREC00" + Hex("78 56 34 12 00 00 07 00") + "out.gpi"));
    EXPECT_EQ(ToHex(GpiCodePageRecord(1252)), "01 00 00 00 0C 00 00 00 50 4F 49 00 00 00 30 30 E4 04 00 00");
}

TEST(FileFrame, CodePageRecordCarriesTheLow16Bits) {
    struct Case { std::int32_t codePage; const char* bytes; };
    for (auto c : std::initializer_list<Case>{{1252, "E4 04"}, {65001, "E9 FD"}, {1251, "E3 04"}, {0x1004E4, "E4 04"}, {-1, "FF FF"}})
        EXPECT_EQ(ToHex(GpiCodePageRecord(c.codePage)), ToHex(Hex("01 00 00 00 0C 00 00 00 50 4F 49 00 00 00 30 30") + Hex(c.bytes) + Hex("00 00")))
            << c.codePage;
}

TEST(FileFrame, HeaderOfEmptyAndNonAsciiNames) {
    EXPECT_EQ(ToHex(GpiHeaderRecord("", 0)), ToHex(Hex("00 00 00 00 10 00 00 00") + "GRMREC00" + Hex("00 00 00 00 00 00 00 00")));
    EXPECT_EQ(ToHex(GpiHeaderRecord("caf\xE9.gpi", 1)),
              ToHex(Hex("00 00 00 00 18 00 00 00") + "GRMREC00" + Hex("01 00 00 00 00 00 08 00") + "caf\xE9.gpi"));
}

TEST(FileFrame, EndRecord) { EXPECT_EQ(ToHex(GpiEndRecord()), "FF FF 00 00 00 00 00 00"); }

TEST(FileFrame, WrittenFrameIsHeaderHeaderEnd) {
    TempDir folder;
    const CodePageScope codePage(1252);
    {
        TOutputFile output((folder / "out.gpi").string());
        WriteHeader(output, "out.gpi");
        WriteEndRecord(output);
        output.Close();
    }
    Bytes written = ReadFile(folder / "out.gpi");
    ASSERT_EQ(written.size(), 24u + 7u + 20u + 8u);
    written.replace(16, 4, Hex("00 00 00 00"));  // the time stamp
    EXPECT_EQ(ToHex(written), ToHex(GpiHeaderRecord("out.gpi", 0) + GpiCodePageRecord(1252) + GpiEndRecord()));
}

TEST(FileFrame, TickCountMovesForward) {
    const std::uint32_t first = GetTickCount();
    const std::uint32_t second = GetTickCount();
    EXPECT_LE(static_cast<std::uint32_t>(second - first), 1000u);
}

}  // namespace
}  // namespace kestro
