#include <gtest/gtest.h>

#include <cmath>

#include "sources/NumberText.h"

namespace kestro {

TEST(DotStrToFloat, ReadsExactlyItsGrammar) {
    struct Case { const char* text; double value; };
    for (auto c : std::initializer_list<Case>{
             {"48.5", 48.5}, {"-12.25", -12.25}, {"+3", 3}, {"  7.5  ", 7.5}, {"1e2", 100}, {"1.5E-1", 0.15},
             {".5", 0.5}, {"5.", 5}, {"0", 0}, {"-0.00000005", -0.00000005},
             // everything outside the grammar reads as 0
             {"", 0}, {" ", 0}, {"48,5", 0}, {"nan", 0}, {"NaN", 0}, {"inf", 0}, {"-Infinity", 0}, {"0x10", 0},
             {"1e", 0}, {"1e+", 0}, {"e5", 0}, {".", 0}, {"1.2.3", 0}, {"12abc", 0}, {"1 2", 0}, {"--1", 0},
             {"\t5", 0}, {"1'000", 0},
             // overflow gives 0, not infinity
             {"1e400", 0}, {"-1e400", 0}}) {
        EXPECT_EQ(DotStrToFloat(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(DotStrToFloat, KeepsHugeFiniteValues) {
    EXPECT_EQ(DotStrToFloat("1e300"), 1e300);
    EXPECT_EQ(DotStrToFloat("-1e300"), -1e300);
}

TEST(StrToInt32, RunTimeLibraryGrammar) {
    struct Case { const char* text; std::optional<std::int32_t> value; };
    for (auto c : std::initializer_list<Case>{
             {"60", 60}, {"0", 0}, {"-5", -5}, {"+7", 7}, {"  300", 300}, {"$10", 16}, {"x1F", 31}, {"X1f", 31},
             {"0x10", 16}, {"0X10", 16}, {"-$10", -16}, {"2147483647", 2147483647},
             {"-2147483648", std::numeric_limits<std::int32_t>::min()}, {"$FFFFFFFF", -1},
             // invalid: not the whole text, empty, fractions, too large
             {"", std::nullopt}, {" ", std::nullopt}, {"300.0", std::nullopt}, {"250.5", std::nullopt},
             {"50@60", std::nullopt}, {"300 ", std::nullopt}, {"$", std::nullopt}, {"0x", std::nullopt},
             {"2147483648", std::nullopt}, {"-2147483649", std::nullopt}, {"$100000000", std::nullopt},
             {"99999999999999999999", std::nullopt}, {"1e3", std::nullopt}, {"--1", std::nullopt}}) {
        EXPECT_EQ(StrToInt32(c.text), c.value) << '"' << c.text << '"';
    }
}

}  // namespace kestro
