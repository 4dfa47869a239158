// The unpacker's inverse of the semicircles against the processor's own
// 80-bit long double, where the build has it.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>

#include "gpi/GpiUtil.h"
#include "unpack/UnpackValues.h"

namespace kestro {
namespace {

double X87Middle(std::int32_t semicircles) {
    const long double factor = 2147483648.0L / 180.0L;
    const long double half = semicircles < 0 ? -0.5L : 0.5L;
    return static_cast<double>((static_cast<long double>(semicircles) + half) / factor);
}

TEST(SemicircleMiddle, AsTheProcessorComputesIt) {
    if (std::numeric_limits<long double>::digits != 64) GTEST_SKIP() << "long double is not the 80-bit extended format here";
    std::size_t compared = 0;
    auto compare = [&](std::int64_t semicircles) {
        const auto value = static_cast<std::int32_t>(semicircles);
        ASSERT_EQ(SemicircleMiddle(value), X87Middle(value)) << value;
        ++compared;
    };
    for (std::int64_t n = -(1 << 20); n <= (1 << 20); ++n) compare(n);
    for (std::int64_t n = INT32_MIN; n <= INT32_MAX; n += 2039) compare(n);
    for (std::int64_t n : {std::int64_t{INT32_MIN}, std::int64_t{INT32_MIN} + 1, std::int64_t{INT32_MAX},
                           std::int64_t{INT32_MAX} - 1, std::int64_t{1} << 30, -(std::int64_t{1} << 30)})
        compare(n);
    std::mt19937 random(3);
    for (int i = 0; i < 1'000'000; ++i) compare(static_cast<std::int32_t>(random()));
    EXPECT_GT(compared, 5'000'000u);
}

TEST(SemicircleMiddle, TruncatesBackToItsSemicircles) {
    for (std::int32_t semicircles : {0, 1, -1, 1 << 30, -(1 << 30), INT32_MAX, INT32_MIN + 1, 123456789})
        EXPECT_EQ(DegToSemicircles(SemicircleMiddle(semicircles)), semicircles) << semicircles;
    EXPECT_GT(SemicircleMiddle(0), 0);
    EXPECT_LT(SemicircleMiddle(-1), 0);
}

}  // namespace
}  // namespace kestro
