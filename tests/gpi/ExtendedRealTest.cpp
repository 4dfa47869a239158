// The integer arithmetic against the processor's own 80-bit long double: on a
// build where long double is that format the two must agree on every value.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "gpi/ExtendedReal.h"
#include "gpi/GpiUtil.h"
#include "gpi/PoiRecord.h"
#include "gpi/PoiWpt.h"

namespace kestro {
namespace {

constexpr bool HasX87 = std::numeric_limits<long double>::digits == 64;

#define REQUIRE_X87() \
    if (!HasX87) GTEST_SKIP() << "long double is not the 80-bit extended format here"

long double LongDoubleOf(const TExtendedReal& value) {
    const long double magnitude = std::ldexp(static_cast<long double>(value.Significand), value.Exponent);
    return value.Negative ? -magnitude : magnitude;
}

TExtendedReal ExtendedOfParts(bool negative, std::uint64_t significand, int exponent) {
    TExtendedReal value;
    value.Negative = negative;
    value.Significand = significand | std::uint64_t{1} << 63;
    value.Exponent = exponent;
    return value;
}

// Same value and same sign (a zero's sign included).
bool SameLongDouble(long double a, long double b) { return a == b && std::signbit(a) == std::signbit(b); }

// What the processor does for a long double cut to 64 bits.
std::int64_t X87Truncated(long double value) {
    if (!(value > -9223372036854775808.0L && value < 9223372036854775808.0L)) return INT64_MIN;
    return static_cast<std::int64_t>(value);
}

std::int32_t X87Semicircles(double degrees) {
    const long double product = 2147483648.0L / 180.0L * static_cast<long double>(degrees);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(X87Truncated(product))));
}

double X87MetresPerSecond(std::int32_t speed) { return static_cast<double>(speed * (5.0L / 18.0L)); }

Bytes X87AlertMain(std::int32_t speed, std::int32_t distance) {
    auto clamped = [](long double value) { return std::min<std::int64_t>(X87Truncated(value), 0xFFFF); };
    std::int64_t distanceField = distance >= 0 ? std::min<std::int64_t>(distance, 0xFFFF) : 0;
    std::int64_t speedField = 0;
    if (speed >= 0) {
        const double metresPerSecond = X87MetresPerSecond(speed);
        speedField = clamped(100.0L * metresPerSecond);
        if (distance < 0) distanceField = clamped(36.0L * metresPerSecond);
    }
    Bytes main = GpiWord(static_cast<std::uint32_t>(distanceField)) + GpiWord(static_cast<std::uint32_t>(speedField));
    main += Bytes("\x00\x01\x10\x00\x01\x01", 6);
    main += static_cast<char>(speed >= 0 ? 5 : 4);
    main += '\x10';
    return main;
}

// Significands where rounding decides: around the powers of two, halfway
// between neighbours, and a double's last bit.
std::vector<std::uint64_t> EdgeSignificands() {
    std::vector<std::uint64_t> out;
    const std::uint64_t top = std::uint64_t{1} << 63;
    for (std::uint64_t low : {0ull, 1ull, 2ull, 3ull, 0x3FFull, 0x400ull, 0x401ull, 0x7FFull, 0x800ull, 0xBFFull,
                              0xC00ull, 0xC01ull, 0xFFFFFFFFull, 0x100000000ull})
        out.push_back(top | low);
    for (std::uint64_t high : {~0ull, ~0ull - 1, ~0ull - 0x3FF, ~0ull - 0x400, ~0ull - 0x401, ~0ull - 0xC00})
        out.push_back(high);
    out.push_back(top | (top >> 1));
    out.push_back(0xAAAAAAAAAAAAAAAAull);
    out.push_back(0xB504F333F9DE6484ull);  // √2 × 2^63
    return out;
}

TEST(ExtendedReal, ArithmeticAgreesWithTheProcessor) {
    REQUIRE_X87();
    std::mt19937_64 random(20261207);
    std::uniform_int_distribution<int> exponents(-100, 30);
    std::vector<TExtendedReal> values;
    for (std::uint64_t significand : EdgeSignificands())
        for (int exponent : {-64, -63, -62, -40, -1, 0})
            for (bool negative : {false, true}) values.push_back(ExtendedOfParts(negative, significand, exponent));
    for (int i = 0; i < 1500; ++i) values.push_back(ExtendedOfParts(random() & 1, random(), exponents(random)));
    std::size_t compared = 0;
    for (const auto& a : values) {
        const long double x = LongDoubleOf(a);
        ASSERT_EQ(DoubleOf(a), static_cast<double>(x)) << std::hex << a.Significand << " e" << std::dec << a.Exponent;
        ASSERT_EQ(TruncatedInt64(a), X87Truncated(x)) << std::hex << a.Significand << " e" << std::dec << a.Exponent;
        for (const auto& b : values) {
            const long double y = LongDoubleOf(b);
            ASSERT_TRUE(SameLongDouble(LongDoubleOf(ExtendedProduct(a, b)), x * y))
                << std::hex << a.Significand << " × " << b.Significand;
            ASSERT_TRUE(SameLongDouble(LongDoubleOf(ExtendedQuotient(a, b)), x / y))
                << std::hex << a.Significand << " / " << b.Significand;
            compared += 2;
        }
    }
    EXPECT_GT(compared, 4'000'000u);
}

TEST(ExtendedReal, ConversionsAreExact) {
    for (double value : {0.0, -0.0, 1.0, -1.5, 0.1, 180.0, 1e-310, -4.9e-324, 1.7976931348623157e308}) {
        const TExtendedReal extended = ExtendedOf(value);
        EXPECT_EQ(DoubleOf(extended), value);
        EXPECT_EQ(std::signbit(DoubleOf(extended)), std::signbit(value));
    }
    for (std::int64_t value : {std::int64_t{0}, std::int64_t{1}, std::int64_t{-7}, INT64_MAX, INT64_MIN})
        EXPECT_EQ(TruncatedInt64(ExtendedOf(value)), value);
    EXPECT_TRUE(ExtendedOf(std::nan("")).Invalid);
    EXPECT_TRUE(ExtendedOf(-INFINITY).Invalid);
    EXPECT_EQ(TruncatedInt64(ExtendedOf(INFINITY)), INT64_MIN);
    EXPECT_TRUE(std::isnan(DoubleOf(ExtendedProduct(ExtendedOf(2.0), ExtendedOf(NAN)))));
    EXPECT_TRUE(ExtendedQuotient(ExtendedOf(1.0), ExtendedOf(0.0)).Invalid);
    // 2^63 - 1 needs all 64 bits; 2^63 is out of range, below it is not.
    EXPECT_EQ(TruncatedInt64(ExtendedOf(9223372036854775807.0)), INT64_MIN);
    EXPECT_EQ(TruncatedInt64(ExtendedOf(9223372036854774784.0)), 9223372036854774784);
    EXPECT_EQ(TruncatedInt64(ExtendedOf(-0.999)), 0);
    EXPECT_EQ(TruncatedInt64(ExtendedOf(-2.5)), -2);
}

TEST(ExtendedReal, SemicirclesAsTheProcessorComputesThem) {
    REQUIRE_X87();
    // The degrees nearest to every n semicircles of a dense middle and a
    // sparse whole range, and their neighbours two steps either side.
    std::vector<double> degrees;
    auto around = [&](double value) {
        for (int step = 0; step < 2; ++step) value = std::nextafter(value, -INFINITY);
        for (int step = 0; step < 5; ++step, value = std::nextafter(value, INFINITY)) degrees.push_back(value);
    };
    for (std::int64_t n = -(1 << 19); n <= (1 << 19); ++n) around(static_cast<double>(n) * 180.0 / 2147483648.0);
    for (std::int64_t n = -(std::int64_t{1} << 33); n <= std::int64_t{1} << 33; n += 16411)
        around(static_cast<double>(n) * 180.0 / 2147483648.0);
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> anywhere(-180.0, 180.0);
    for (int i = 0; i < 1'000'000; ++i) degrees.push_back(anywhere(random));
    // Any double at all, from subnormals to the largest, NaN and infinities.
    for (int i = 0; i < 1'000'000; ++i) degrees.push_back(std::bit_cast<double>(random()));
    const double limit = 9223372036854775808.0 * 180.0 / 2147483648.0;  // 2^63 semicircles
    for (double edge : std::initializer_list<double>{0.0, -0.0, 90.0, -90.0, 180.0, -180.0, 360.0, 1e300, -1e300, limit, -limit, INFINITY, -INFINITY,
                        NAN, 4.9e-324, 1e-7, -1e-7})
        around(edge);
    for (double value : degrees) ASSERT_EQ(DegToSemicircles(value), X87Semicircles(value)) << std::hexfloat << value;
    EXPECT_GT(degrees.size(), 10'000'000u);

    // 2^31 / 180 rounds down in 64 bits, so the poles and the date line
    // land one semicircle short of 2^30 and 2^31 (no wrap at 180).
    EXPECT_EQ(DegToSemicircles(90.0), (1 << 30) - 1);
    EXPECT_EQ(DegToSemicircles(-90.0), -(1 << 30) + 1);
    EXPECT_EQ(DegToSemicircles(180.0), INT32_MAX);
    EXPECT_EQ(DegToSemicircles(-180.0), -INT32_MAX);
    EXPECT_EQ(DegToSemicircles(-0.0), 0);
    EXPECT_EQ(DegToSemicircles(NAN), 0);
    EXPECT_EQ(DegToSemicircles(-INFINITY), 0);
    EXPECT_EQ(DegToSemicircles(limit), -1);  // just below 2^63 after the rounded-down factor
    EXPECT_EQ(DegToSemicircles(std::nextafter(limit, INFINITY)), 0);
}

TEST(ExtendedReal, AlertSpeedsAsTheProcessorComputesThem) {
    REQUIRE_X87();
    std::size_t compared = 0;
    for (std::int32_t speed = 0; speed < (1 << 22); ++speed, ++compared)
        ASSERT_EQ(AlertMetresPerSecond(speed), X87MetresPerSecond(speed)) << speed;
    std::mt19937 random(11);
    std::uniform_int_distribution<std::int32_t> speeds(0, INT32_MAX);
    for (int i = 0; i < 1'000'000; ++i, ++compared) {
        const std::int32_t speed = speeds(random);
        ASSERT_EQ(AlertMetresPerSecond(speed), X87MetresPerSecond(speed)) << speed;
    }
    for (std::int32_t speed : {INT32_MAX, INT32_MAX - 1, 1 << 30})
        ASSERT_EQ(AlertMetresPerSecond(speed), X87MetresPerSecond(speed)) << speed;
    EXPECT_GT(compared, 5'000'000u);

    // The whole record, where the fields reach their 16-bit bound and beyond.
    for (std::int32_t speed = -1; speed <= 7000; ++speed)
        for (std::int32_t distance : {-1, 0, 1, 65535, 65536, INT32_MAX}) {
            TPoiWpt point;
            point.AlertSpeed = speed;
            point.AlertDistance = distance;
            if (!HasAlert(point)) continue;
            ASSERT_EQ(GpiAlertMain(point), X87AlertMain(speed, distance)) << speed << " km/h, " << distance << " m";
        }
    // 40, 70 and 80 km/h keep their metre short of ten times the speed.
    TPoiWpt point;
    point.AlertSpeed = 40;
    EXPECT_EQ(GpiAlertMain(point).substr(0, 4), Bytes("\x8F\x01\x57\x04", 4));  // 399 m, 1111 hundredths
}

}  // namespace
}  // namespace kestro
