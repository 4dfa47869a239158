#include "platform/NumberFormat.h"

#include <cmath>

// Both libraries are used from their headers alone, so every build gets them
// without a compiled library.
#define FMT_HEADER_ONLY
#include <fast_float/fast_float.h>
#include <fmt/format.h>

namespace kestro {

namespace {

// The shortest round-trip digits of a number and the power of ten of the
// first one: 1234.5 is "12345" and 3.
struct TDecimalDigits {
    std::string Digits;
    int Exponent = 0;
};

// From fmt's shortest text, in plain ("1234.5", "0.001") or exponent
// ("1.2345e+20") notation; the digits are the same in both.
TDecimalDigits DigitsOf(std::string_view text) {
    TDecimalDigits out;
    const std::size_t e = text.find('e');
    const std::string_view mantissa = text.substr(0, e);
    int pointAt = static_cast<int>(mantissa.size());
    int firstNonZero = -1;
    for (std::size_t i = 0; i < mantissa.size(); ++i) {
        const char c = mantissa[i];
        if (c == '.') {
            pointAt = static_cast<int>(i);
            continue;
        }
        if (firstNonZero < 0 && c == '0') continue;
        if (firstNonZero < 0) firstNonZero = static_cast<int>(i);
        out.Digits += c;
    }
    while (out.Digits.size() > 1 && out.Digits.back() == '0') out.Digits.pop_back();
    if (out.Digits.empty()) return TDecimalDigits{"0", 0};
    // The position of the first digit relative to the point.
    out.Exponent = firstNonZero < pointAt ? pointAt - firstNonZero - 1 : pointAt - firstNonZero;
    if (e != std::string_view::npos) out.Exponent += std::stoi(std::string(text.substr(e + 1)));
    return out;
}

template <class TFloat>
std::string ShortestText(TFloat value) {
    const bool negative = std::signbit(value);
    if (std::isnan(value)) return negative ? "-nan" : "nan";
    if (std::isinf(value)) return negative ? "-inf" : "inf";
    const TFloat magnitude = std::fabs(value);
    const TDecimalDigits decimal = DigitsOf(fmt::format("{}", magnitude));
    const int count = static_cast<int>(decimal.Digits.size());
    const int exponent = decimal.Exponent;
    const int exponentDigits = std::abs(exponent) >= 100 ? 3 : 2;
    const int scientificLength = count + (count > 1 ? 1 : 0) + 2 + exponentDigits;
    int plainLength;
    if (exponent < 0) plainLength = count + 1 - exponent;  // "0." and the zeros after the point
    else if (exponent + 1 >= count) plainLength = exponent + 1;
    else plainLength = count + 1;
    std::string out = negative ? "-" : "";
    if (plainLength <= scientificLength) {
        if (exponent < 0) {
            out += "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + decimal.Digits;
        } else if (exponent + 1 >= count) {
            // A whole number: its exact digits, the nearest text of that length.
            out += fmt::format("{:.0f}", magnitude);
        } else {
            out += decimal.Digits.substr(0, static_cast<std::size_t>(exponent) + 1) + "." +
                   decimal.Digits.substr(static_cast<std::size_t>(exponent) + 1);
        }
        return out;
    }
    out += decimal.Digits.substr(0, 1);
    if (count > 1) out += "." + decimal.Digits.substr(1);
    out += fmt::format("e{}{:0{}}", exponent < 0 ? '-' : '+', std::abs(exponent), exponentDigits);
    return out;
}

}  // namespace

std::string ShortestNumberText(double value) { return ShortestText(value); }
std::string ShortestNumberText(float value) { return ShortestText(value); }

std::optional<double> DecimalValue(std::string_view text) {
    const char* const end = text.data() + text.size();
    double value = 0;
    const auto result = fast_float::from_chars(text.data(), end, value, fast_float::chars_format::general);
    if (result.ec != std::errc() || result.ptr != end || text.empty()) return std::nullopt;
    // Only digits, "." and "-" before any exponent: no "inf" or "nan".
    bool nonZero = false;
    for (const char c : text) {
        if (c == 'e' || c == 'E') break;
        if ((c < '0' || c > '9') && c != '.' && c != '-') return std::nullopt;
        nonZero = nonZero || (c >= '1' && c <= '9');
    }
    if (std::isinf(value) || (value == 0 && nonZero)) return std::nullopt;
    return value;
}

}  // namespace kestro
