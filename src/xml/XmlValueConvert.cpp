#include "xml/XmlValueConvert.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "diag/Exceptions.h"
#include "xml/XmlChars.h"
#include "xml/XmlDateTime.h"
#include "xml/XmlError.h"

namespace kestro {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsIntegerType(TXmlVarType type) {
    switch (type) {
        case TXmlVarType::SmallInt:
        case TXmlVarType::Integer:
        case TXmlVarType::ShortInt:
        case TXmlVarType::Byte:
        case TXmlVarType::Word:
        case TXmlVarType::LongWord:
        case TXmlVarType::Int64: return true;
        default: return false;
    }
}

bool IsTextType(TXmlVarType type) {
    return type == TXmlVarType::String || type == TXmlVarType::OleStr || type == TXmlVarType::ByteArray;
}

bool IsNothing(TXmlVarType type) { return type == TXmlVarType::Empty || type == TXmlVarType::Null; }

// The number held by a value that is neither text nor nothing.
double NumberOf(const TXmlVariant& value) {
    switch (value.Type()) {
        case TXmlVarType::Single:
        case TXmlVarType::Double:
        case TXmlVarType::Date: return value.FloatValue();
        case TXmlVarType::Currency: return static_cast<double>(value.IntValue()) / 10000.0;
        case TXmlVarType::Boolean: return value.BoolValue() ? 1.0 : 0.0;
        default: return static_cast<double>(value.IntValue());
    }
}

[[noreturn]] void RaiseNotValid(const std::string& text, const char* what) {
    RaiseXmlError(Format("'%s' is not a valid %s", text.c_str(), what));
}

// The four texts of the infinities and NaN, or a decimal number.
std::optional<double> ParseXmlFloat(std::string_view text) {
    std::string_view trimmed = TrimXmlBlanks(text);
    if (SameIgnoringAsciiCase(trimmed, "INF") || SameIgnoringAsciiCase(trimmed, "+INF"))
        return std::numeric_limits<double>::infinity();
    if (SameIgnoringAsciiCase(trimmed, "-INF")) return -std::numeric_limits<double>::infinity();
    if (SameIgnoringAsciiCase(trimmed, "NAN")) return std::numeric_limits<double>::quiet_NaN();
    return ParseXmlDecimal(text);
}

std::int32_t RoundToInt32(double number, const TXmlVariant& value) {
    // Checked before the conversion: a value out of range must not reach it.
    double rounded = std::isfinite(number) ? std::nearbyint(number) : 0.0;
    if (!std::isfinite(number) || rounded < -2147483648.0 || rounded > 2147483647.0)
        RaiseNotValid(value.AsText(), "integer value");
    return static_cast<std::int32_t>(rounded);
}

}  // namespace

std::optional<double> ParseXmlDecimal(std::string_view text) {
    text = TrimXmlBlanks(text);
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        std::size_t exponentDigits = 0;
        while (i < text.size() && IsDigit(text[i])) ++i, ++exponentDigits;
        if (exponentDigits == 0) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;
    // The grammar is checked above, so strtod sees nothing it would read
    // differently (no hexadecimal, no "nan"); the program keeps the "C" locale.
    std::string copy(text);
    return std::strtod(copy.c_str(), nullptr);
}

bool XmlValueToBool(const TXmlVariant& value) {
    if (IsNothing(value.Type())) return false;
    if (!IsTextType(value.Type())) return NumberOf(value) != 0;
    std::string text = value.AsText();
    std::string_view trimmed = TrimXmlBlanks(text);
    if (SameIgnoringAsciiCase(trimmed, "true")) return true;
    if (SameIgnoringAsciiCase(trimmed, "false")) return false;
    std::optional<double> number = ParseXmlDecimal(text);
    if (!number) RaiseNotValid(text, "boolean value");
    return *number != 0;
}

std::int32_t XmlValueToInt(const TXmlVariant& value) {
    TXmlVarType type = value.Type();
    if (IsNothing(type)) return 0;
    if (IsIntegerType(type)) {
        if (value.IntValue() < INT32_MIN || value.IntValue() > INT32_MAX) RaiseNotValid(value.AsText(), "integer value");
        return static_cast<std::int32_t>(value.IntValue());
    }
    if (!IsTextType(type)) return RoundToInt32(NumberOf(value), value);
    std::string text = value.AsText();
    std::string_view digits = TrimXmlBlanks(text);
    bool negative = !digits.empty() && digits[0] == '-';
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) digits.remove_prefix(1);
    if (!digits.empty() && digits.size() <= 10 && std::all_of(digits.begin(), digits.end(), IsDigit)) {
        std::int64_t number = 0;
        for (char c : digits) number = number * 10 + (c - '0');
        if (negative) number = -number;
        if (number < INT32_MIN || number > INT32_MAX) RaiseNotValid(text, "integer value");
        return static_cast<std::int32_t>(number);
    }
    std::optional<double> number = ParseXmlDecimal(text);
    if (!number) RaiseNotValid(text, "integer value");
    return RoundToInt32(*number, value);
}

double XmlValueToFloat(const TXmlVariant& value) {
    if (IsNothing(value.Type())) return 0;
    if (!IsTextType(value.Type())) return NumberOf(value);
    std::string text = value.AsText();
    std::optional<double> number = ParseXmlFloat(text);
    if (!number) RaiseNotValid(text, "floating point value");
    return *number;
}

TXmlDateTime XmlValueToDateTime(const TXmlVariant& value) {
    if (IsNothing(value.Type())) return 0;
    if (!IsTextType(value.Type())) return NumberOf(value);
    std::string text = value.AsText();
    std::optional<TXmlDateTime> dateTime = ParseXmlDateTime(text);
    if (!dateTime) RaiseNotValid(text, "date and time");
    return *dateTime;
}

std::uint32_t XmlValueToHex(const TXmlVariant& value) {
    std::string text = value.AsText();
    std::string_view digits = TrimXmlBlanks(text);
    if (digits.empty()) RaiseNotValid(text, "hexadecimal value");
    std::uint64_t number = 0;
    for (char c : digits) {
        int digit = IsDigit(c) ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) RaiseNotValid(text, "hexadecimal value");
        number = number * 16 + static_cast<std::uint64_t>(digit);
        if (number > UINT32_MAX) RaiseNotValid(text, "hexadecimal value");
    }
    return static_cast<std::uint32_t>(number);
}

std::optional<bool> XmlValuesEqual(const TXmlVariant& a, const TXmlVariant& b) {
    TXmlVarType typeA = a.Type();
    TXmlVarType typeB = b.Type();
    if (typeA == TXmlVarType::Null || typeB == TXmlVarType::Null) return typeA == typeB;
    if (IsTextType(typeA) && IsTextType(typeB)) return a.AsText() == b.AsText();
    if (IsIntegerType(typeA) && IsIntegerType(typeB)) return a.IntValue() == b.IntValue();
    if (typeA == TXmlVarType::Empty && typeB == TXmlVarType::Empty) return true;
    // Empty counts as "" against a text and as 0 against a number.
    if (typeA == TXmlVarType::Empty) return IsTextType(typeB) ? b.AsText().empty() : NumberOf(b) == 0;
    if (typeB == TXmlVarType::Empty) return IsTextType(typeA) ? a.AsText().empty() : NumberOf(a) == 0;
    if (!IsTextType(typeA) && !IsTextType(typeB)) return NumberOf(a) == NumberOf(b);
    const TXmlVariant& text = IsTextType(typeA) ? a : b;
    const TXmlVariant& number = IsTextType(typeA) ? b : a;
    std::string textValue = text.AsText();
    std::optional<double> read;
    if (number.Type() == TXmlVarType::Date) read = ParseXmlDateTime(textValue);
    if (!read) read = ParseXmlFloat(textValue);
    if (!read) return std::nullopt;
    return *read == NumberOf(number);
}

}  // namespace kestro
