#pragma once
// Numbers as decimal text and back, independent of any locale, the same on
// every build (some standard libraries have no floating-point to_chars).
#include <optional>
#include <string>
#include <string_view>

namespace kestro {

// The shortest text that reads back as the same number: plain notation or
// "1e+22", whichever is shorter (plain on a tie), large whole numbers with all
// their digits ("123456789012345683968"), "-0" for negative zero; "inf",
// "-inf", "nan" and "-nan" for the others.
std::string ShortestNumberText(double value);
std::string ShortestNumberText(float value);

// The whole text as a decimal number, correctly rounded: an optional "-",
// digits with an optional "." (at least one digit), an optional exponent.
// Nothing for any other text, and for a value beyond the doubles' range or a
// non-zero one that would round to 0.
std::optional<double> DecimalValue(std::string_view text);

}  // namespace kestro
