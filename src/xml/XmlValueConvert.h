#pragma once
// Conversions of attribute values for the typed reads of the node
// interface. Text is read by fixed grammars, never by the user's locale;
// what cannot be converted raises the library's error.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/AsciiCase.h"
#include "xml/XmlInterfaces.h"

namespace kestro {

// Text: "true"/"false" in any letter case, or a number (not 0 is true).
bool XmlValueToBool(const TXmlVariant& value);
// Text: a decimal number; fractions are rounded to the nearest, ties to even;
// the result must fit in 32 bits.
std::int32_t XmlValueToInt(const TXmlVariant& value);
// Text: a decimal number with "." and an optional exponent, or "INF",
// "+INF", "-INF", "NAN" in any letter case.
double XmlValueToFloat(const TXmlVariant& value);
// Text: "YYYY-MM-DDThh:mm:ss"; other values are taken as days.
TXmlDateTime XmlValueToDateTime(const TXmlVariant& value);
// The value's text as a hexadecimal number of at most 32 bits.
std::uint32_t XmlValueToHex(const TXmlVariant& value);

// Whether two values are equal: texts by their bytes, numbers by value, a
// text and a number by the text read as a number; nullopt when the text
// cannot be read so (the values cannot be compared).
std::optional<bool> XmlValuesEqual(const TXmlVariant& a, const TXmlVariant& b);

// A decimal number of the attribute grammar (blanks around it allowed), or
// nullopt. Overflow gives an infinity.
std::optional<double> ParseXmlDecimal(std::string_view text);

}  // namespace kestro
