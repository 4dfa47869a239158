#pragma once
// The 80-bit extended arithmetic that semicircles and alert values were first
// computed in, done in integers so that every build gives the same bytes
// (WebAssembly's long double is a 128-bit IEEE number, ARM64's often a double).
#include <cstdint>

namespace kestro {

// Significand × 2^Exponent, the significand's top bit set unless the value is
// 0; every operation rounds to 64 significant bits, to nearest, ties to even.
// Invalid stands for a NaN or an infinity taken in.
struct TExtendedReal {
    bool Negative = false;
    bool Invalid = false;
    std::uint64_t Significand = 0;
    int Exponent = 0;
};

// Exact: every double and every 64-bit integer has a 64-bit significand.
TExtendedReal ExtendedOf(double value);
TExtendedReal ExtendedOf(std::int64_t value);
// numerator / denominator rounded once, as a constant such as 5.0L / 18.0L is.
TExtendedReal ExtendedQuotient(std::int64_t numerator, std::int64_t denominator);

TExtendedReal ExtendedProduct(const TExtendedReal& a, const TExtendedReal& b);
// divisor must not be 0.
TExtendedReal ExtendedQuotient(const TExtendedReal& dividend, const TExtendedReal& divisor);

// Rounded to the nearest double, ties to even (for values in the normal range
// of doubles, as all values here are).
double DoubleOf(const TExtendedReal& value);
// Cut toward zero; anything outside the 64-bit range, or invalid, gives the
// processor's "integer indefinite" 0x8000000000000000.
std::int64_t TruncatedInt64(const TExtendedReal& value);

}  // namespace kestro
