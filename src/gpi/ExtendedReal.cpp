#include "gpi/ExtendedReal.h"

#include <bit>
#include <cmath>
#include <limits>

namespace kestro {

namespace {

using TWide = unsigned __int128;

int BitLength(TWide value) {
    const auto high = static_cast<std::uint64_t>(value >> 64);
    if (high != 0) return 128 - std::countl_zero(high);
    return 64 - std::countl_zero(static_cast<std::uint64_t>(value));
}

// magnitude × 2^exponent, plus something below magnitude's last bit when
// sticky, rounded to 64 significant bits. magnitude must be wider than 64 bits
// when sticky is set, so that the lost part is known.
TExtendedReal Rounded(bool negative, TWide magnitude, int exponent, bool sticky) {
    TExtendedReal out;
    out.Negative = negative;
    if (magnitude == 0) return out;
    const int length = BitLength(magnitude);
    if (length <= 64) {
        out.Significand = static_cast<std::uint64_t>(magnitude) << (64 - length);
        out.Exponent = exponent - (64 - length);
        return out;
    }
    const int shift = length - 64;
    auto kept = static_cast<std::uint64_t>(magnitude >> shift);
    const TWide lost = magnitude & ((TWide{1} << shift) - 1);
    const TWide half = TWide{1} << (shift - 1);
    const bool up = lost > half || (lost == half && (sticky || (kept & 1) != 0));
    int outExponent = exponent + shift;
    if (up && ++kept == 0) {  // 0xFFFF...FF rounded up to the next power of two
        kept = std::uint64_t{1} << 63;
        ++outExponent;
    }
    out.Significand = kept;
    out.Exponent = outExponent;
    return out;
}

TExtendedReal InvalidValue() {
    TExtendedReal out;
    out.Invalid = true;
    return out;
}

}  // namespace

TExtendedReal ExtendedOf(double value) {
    if (!std::isfinite(value)) return InvalidValue();
    int exponent = 0;
    const double fraction = std::frexp(std::fabs(value), &exponent);  // in [0.5, 1), or 0
    // 53 bits at most, so the scaled fraction is a whole number below 2^64.
    const auto significand = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
    return Rounded(std::signbit(value), significand, exponent - 64, false);
}

TExtendedReal ExtendedOf(std::int64_t value) {
    // The magnitude in unsigned arithmetic, so the smallest value has one too.
    const std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    return Rounded(value < 0, magnitude, 0, false);
}

TExtendedReal ExtendedQuotient(std::int64_t numerator, std::int64_t denominator) {
    return ExtendedQuotient(ExtendedOf(numerator), ExtendedOf(denominator));
}

TExtendedReal ExtendedProduct(const TExtendedReal& a, const TExtendedReal& b) {
    if (a.Invalid || b.Invalid) return InvalidValue();
    const TWide product = TWide{a.Significand} * b.Significand;
    return Rounded(a.Negative != b.Negative, product, a.Exponent + b.Exponent, false);
}

TExtendedReal ExtendedQuotient(const TExtendedReal& dividend, const TExtendedReal& divisor) {
    if (dividend.Invalid || divisor.Invalid || divisor.Significand == 0) return InvalidValue();
    const bool negative = dividend.Negative != divisor.Negative;
    if (dividend.Significand == 0) return Rounded(negative, 0, 0, false);
    // Long division in two 64-bit steps: the quotient of dividend × 2^127 has
    // 127 or 128 bits, and the remainder says whether anything is left below.
    const TWide first = TWide{dividend.Significand} << 63;
    const TWide high = first / divisor.Significand;
    const TWide remainder = first % divisor.Significand;
    const TWide second = remainder << 64;
    const TWide low = second / divisor.Significand;
    const bool sticky = second % divisor.Significand != 0;
    const TWide quotient = (high << 64) | low;
    return Rounded(negative, quotient, dividend.Exponent - divisor.Exponent - 127, sticky);
}

double DoubleOf(const TExtendedReal& value) {
    if (value.Invalid) return std::numeric_limits<double>::quiet_NaN();
    if (value.Significand == 0) return value.Negative ? -0.0 : 0.0;
    // The 64-bit significand rounded to 53 bits, to nearest, ties to even.
    std::uint64_t kept = value.Significand >> 11;
    const std::uint64_t lost = value.Significand & 0x7FF;
    int exponent = value.Exponent + 11;
    if (lost > 0x400 || (lost == 0x400 && (kept & 1) != 0)) {
        if (++kept == std::uint64_t{1} << 53) {
            kept >>= 1;
            ++exponent;
        }
    }
    const double magnitude = std::ldexp(static_cast<double>(kept), exponent);
    return value.Negative ? -magnitude : magnitude;
}

std::int64_t TruncatedInt64(const TExtendedReal& value) {
    constexpr std::int64_t Indefinite = std::numeric_limits<std::int64_t>::min();
    if (value.Invalid) return Indefinite;
    if (value.Significand == 0 || value.Exponent <= -64) return 0;
    // From 2^63 on nothing fits (and -2^63 itself has the indefinite's bits).
    if (value.Exponent >= 0) return Indefinite;
    const auto magnitude = static_cast<std::int64_t>(value.Significand >> -value.Exponent);
    return value.Negative ? -magnitude : magnitude;
}

}  // namespace kestro
