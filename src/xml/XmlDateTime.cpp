#include "xml/XmlDateTime.h"

#include <cstdint>

#include "xml/XmlChars.h"

namespace kestro {

namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Days from 1970-01-01 of a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day) {
    year -= month <= 2 ? 1 : 0;
    std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    std::int64_t yearOfEra = year - era * 400;
    std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// One field of one or more digits; at most 9 so it cannot overflow.
bool ReadField(std::string_view& text, int& value) {
    std::size_t length = 0;
    value = 0;
    while (length < text.size() && text[length] >= '0' && text[length] <= '9') {
        if (length == 9) return false;
        value = value * 10 + (text[length] - '0');
        ++length;
    }
    text.remove_prefix(length);
    return length > 0;
}

bool ReadSeparator(std::string_view& text, char separator) {
    if (text.empty() || text.front() != separator) return false;
    text.remove_prefix(1);
    return true;
}

}  // namespace

std::optional<TXmlDateTime> EncodeXmlDateTime(int year, int month, int day, int hour, int minute, int second) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
        hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return std::nullopt;
    // 1899-12-30 is day 0, 1970-01-01 day 25569.
    auto days = static_cast<double>(DaysFromCivil(year, month, day) + 25569);
    double time = (hour * 3600 + minute * 60 + second) / 86400.0;
    // Before day 0 the fraction still counts forward from midnight.
    return days < 0 ? days - time : days + time;
}

std::optional<TXmlDateTime> ParseXmlDateTime(std::string_view text) {
    text = TrimXmlBlanks(text);
    int year, month, day, hour, minute, second;
    if (!ReadField(text, year) || !ReadSeparator(text, '-') || !ReadField(text, month) ||
        !ReadSeparator(text, '-') || !ReadField(text, day) || !ReadSeparator(text, 'T') ||
        !ReadField(text, hour) || !ReadSeparator(text, ':') || !ReadField(text, minute) ||
        !ReadSeparator(text, ':') || !ReadField(text, second) || !text.empty())
        return std::nullopt;
    return EncodeXmlDateTime(year, month, day, hour, minute, second);
}

}  // namespace kestro
