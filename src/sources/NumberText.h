#pragma once
// Number texts of GPX files: coordinates, "@" speed suffixes and proximity
// distances.
#include <cstdint>
#include <optional>
#include <string_view>

namespace kestro {

// A decimal number with "." as separator: optional blanks around it, an
// optional sign, digits with an optional fraction, an optional exponent.
// Anything else (empty text, "nan", "inf", hexadecimal, overflow) reads as 0.
double DotStrToFloat(std::string_view text);
// The same number, or none when the text is no such number.
std::optional<double> ReadDotNumber(std::string_view text);

// An integer as the run-time library reads it: leading blanks, an optional
// sign, decimal digits, or hexadecimal digits after "$", "x", "X", "0x" or
// "0X"; the whole text must be used. Empty when invalid or when the value does
// not fit in 32 bits.
std::optional<std::int32_t> StrToInt32(std::string_view text);

}  // namespace kestro
