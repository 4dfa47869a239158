#include <gtest/gtest.h>

#include "gpi/GpiUtil.h"
#include "support/TestSupport.h"

namespace kestro {
using test::Hex;
using test::ToHex;

TEST(GpiEncoders, StringsAndEnvelopes) {
    EXPECT_EQ(GpiString(""), Hex("00 00"));
    EXPECT_EQ(GpiString("abc"), Hex("03 00 61 62 63"));
    EXPECT_EQ(GpiString(Bytes("a\0b", 3)), Hex("03 00 61 00 62"));
    EXPECT_EQ(GpiLangString(""), Hex("04 00 00 00 45 4E 00 00"));
    EXPECT_EQ(GpiLangString("abc"), Hex("07 00 00 00 45 4E 03 00 61 62 63"));
    EXPECT_EQ(GpiRecord(7, "12345"), Hex("07 00 00 00 05 00 00 00") + "12345");
    EXPECT_EQ(GpiRecord(9, "abc", "0123456789"), Hex("09 00 08 00 0D 00 00 00 03 00 00 00") + "abc0123456789");
    EXPECT_EQ(GpiRecord(0xFFFF, "", ""), Hex("FF FF 00 00 00 00 00 00"));
    EXPECT_EQ(GpiWord(0x12345), Hex("45 23"));
    EXPECT_EQ(GpiDword(static_cast<std::uint32_t>(-2)), Hex("FE FF FF FF"));
}

TEST(GpiEncoders, LocalizedTextOfSeveralLanguages) {
    // 32-bit length of all entries, then per entry its code, 16-bit length and text.
    EXPECT_EQ(ToHex(GpiLangString(TGpiText{{"RU", "ab"}, {"EN", "xyz"}})),
              ToHex(Hex("0D 00 00 00 52 55 02 00 61 62 45 4E 03 00 78 79 7A")));
    EXPECT_EQ(ToHex(GpiLangString(TGpiText{{"DE", ""}, {"EN", ""}, {"FR", "c"}})),
              ToHex(Hex("0D 00 00 00 44 45 00 00 45 4E 00 00 46 52 01 00 63")));
    EXPECT_EQ(GpiLangString(TGpiText{{"EN", "abc"}}), GpiLangString("abc"));
    // Each entry is cut as a single one is, and the total follows.
    const Bytes cut = GpiLangString(TGpiText{{"RU", Bytes(70000, 'r')}, {"EN", "e"}});
    EXPECT_EQ(ToHex(cut.substr(0, 8)), ToHex(Hex("04 00 01 00 52 55 FB FF")));
    EXPECT_EQ(cut.size(), 4u + 4 + 65531 + 4 + 1);
}

TEST(GpiEncoders, DegToSemicirclesReferenceValues) {
    struct Case { double degrees; std::int32_t semicircles; };
    for (auto c : std::initializer_list<Case>{{1.0, 11930464}, {-1.0, -11930464}, {22.5, 268435455},
                                              {45.0, 536870911}, {90.0, 1073741823}, {-90.0, -1073741823},
                                              {135.0, 1610612736}, {180.0, 2147483647}, {-180.0, -2147483647},
                                              {50.0, 596523235}, {14.0, 167026505}, {-0.00000005, 0}}) {
        EXPECT_EQ(DegToSemicircles(c.degrees), c.semicircles) << c.degrees;
    }
}

TEST(GpiEncoders, DegToSemicirclesOutOfRangeIsDeterministic) {
    EXPECT_EQ(DegToSemicircles(1e300), 0);
    EXPECT_EQ(DegToSemicircles(-1e300), 0);
    EXPECT_EQ(DegToSemicircles(std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(DegToSemicircles(std::numeric_limits<double>::quiet_NaN()), 0);
}

}  // namespace kestro
