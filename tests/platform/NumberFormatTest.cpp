// Number texts against the standard library's to_chars and from_chars, where
// the build's library has them for floating point: the same text and the
// same value for every number.
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "platform/NumberFormat.h"

namespace kestro {
namespace {

template <class TFloat>
std::string StandardText(TFloat value) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::optional<double> StandardValue(const std::string& text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

// Doubles where the notation or the digits change: powers of ten and their
// neighbours, whole numbers around 2^53, the ends of the range.
std::vector<double> EdgeDoubles() {
    std::vector<double> out;
    auto around = [&](double value) {
        for (int step = 0; step < 3; ++step) value = std::nextafter(value, -INFINITY);
        for (int step = 0; step < 7; ++step, value = std::nextafter(value, INFINITY)) out.push_back(value);
    };
    for (int exponent = -324; exponent <= 308; ++exponent) {
        const double power = std::pow(10.0, exponent);
        for (double digits : {1.0, 1.5, 9.5, 1.2345678901234567, 9.999999999999998}) around(digits * power);
    }
    for (int bits = 0; bits <= 70; ++bits) around(std::ldexp(1.0, bits));
    for (double value : {0.0, -0.0, 5e-324, 2.2250738585072014e-308, 1.7976931348623157e308, 0.1, 0.3, 1.0 / 3,
                         123456789012345680000.0, 1e21, 1e22, 1e23, 9007199254740993.0, 180.0, -90.0})
        around(value);
    return out;
}

TEST(NumberFormat, ShortestTextsAsTheStandardLibraryWritesThem) {
    std::size_t compared = 0;
    for (double value : EdgeDoubles()) {
        ASSERT_EQ(ShortestNumberText(value), StandardText(value)) << std::hexfloat << value;
        ASSERT_EQ(ShortestNumberText(static_cast<float>(value)), StandardText(static_cast<float>(value)))
            << std::hexfloat << value;
        compared += 2;
    }
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> degrees(-180.0, 180.0);
    for (int i = 0; i < 300'000; ++i) {
        // Any bit pattern (every magnitude), and coordinates as files have them.
        const double any = std::bit_cast<double>(random());
        ASSERT_EQ(ShortestNumberText(any), StandardText(any)) << std::hexfloat << any;
        const auto single = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
        ASSERT_EQ(ShortestNumberText(single), StandardText(single)) << std::hexfloat << single;
        const double coordinate = degrees(random);
        ASSERT_EQ(ShortestNumberText(coordinate), StandardText(coordinate)) << std::hexfloat << coordinate;
        const double rounded = std::round(coordinate * 1e7) / 1e7;
        ASSERT_EQ(ShortestNumberText(rounded), StandardText(rounded)) << std::hexfloat << rounded;
        const auto whole = static_cast<double>(random() >> (random() % 64));
        ASSERT_EQ(ShortestNumberText(whole), StandardText(whole)) << std::hexfloat << whole;
        compared += 5;
    }
    EXPECT_GT(compared, 1'500'000u);
    EXPECT_EQ(ShortestNumberText(1e22), "1e+22");
    EXPECT_EQ(ShortestNumberText(123456789012345680000.0), "123456789012345683968");
    EXPECT_EQ(ShortestNumberText(-0.0), "-0");
    EXPECT_EQ(ShortestNumberText(5e-324), "5e-324");
    EXPECT_EQ(ShortestNumberText(0.1f), "0.1");
    EXPECT_EQ(ShortestNumberText(-INFINITY), "-inf");
    EXPECT_EQ(ShortestNumberText(std::numeric_limits<double>::quiet_NaN()), "nan");
}

TEST(NumberFormat, ValuesAsTheStandardLibraryReadsThem) {
    std::vector<std::string> texts{"0", "-0", "0.0", ".5", "5.", "-.5", "00012.5000", "1e5", "1E-5", "1e+300",
                                   "1e308", "1.7976931348623157e308", "1.7976931348623159e308", "1e309", "-1e309",
                                   "5e-324", "2.4703282292062328e-324", "2.4703282292062327e-324", "2e-324",
                                   "1e-400", "0e999999", "0.000e-999999", "9007199254740993", "9007199254740993.0001",
                                   // Exactly halfway between 1 and the next double, and a hair beyond.
                                   "1.00000000000000011102230246251565404236316680908203125",
                                   "1.000000000000000111022302462515654042363166809082031250000001",
                                   "123456789012345678901234567890", "1.", "e5", "1e", "1e+", "", "-", "+1", "1 ",
                                   "inf", "nan", "0x10", "1,5", "--1"};
    std::mt19937_64 random(9);
    for (int i = 0; i < 300'000; ++i) {
        const double any = std::bit_cast<double>(random());
        char text[64];
        std::snprintf(text, sizeof text, "%.*g", static_cast<int>(random() % 20) + 1, any);
        texts.push_back(text);
        std::snprintf(text, sizeof text, "%.*f", static_cast<int>(random() % 12), std::ldexp(any, -1000) * 1e6);
        texts.push_back(text);
        // Long runs of digits that reach the libraries' slow, exact path.
        std::string digits = std::to_string(random()) + std::to_string(random()) + "." + std::to_string(random());
        digits += "e" + std::to_string(static_cast<int>(random() % 700) - 350);
        texts.push_back(digits);
    }
    for (const std::string& text : texts) {
        const auto expected = StandardValue(text);
        const auto value = DecimalValue(text);
        ASSERT_EQ(value.has_value(), expected.has_value()) << '"' << text << '"';
        if (expected) {
            ASSERT_EQ(*value, *expected) << '"' << text << '"';
            ASSERT_EQ(std::signbit(*value), std::signbit(*expected)) << '"' << text << '"';
        }
    }
    EXPECT_GT(texts.size(), 900'000u);
    EXPECT_EQ(DecimalValue("1.00000000000000011102230246251565404236316680908203125"), 1.0);  // ties to even
    EXPECT_FALSE(DecimalValue("2e-324"));  // would round to 0
    EXPECT_FALSE(DecimalValue("1e309"));
    EXPECT_EQ(DecimalValue("0e999999"), 0.0);
    EXPECT_FALSE(DecimalValue("nan"));
}

}  // namespace
}  // namespace kestro
