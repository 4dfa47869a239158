#pragma once
// Date-times of the XML library: days since 1899-12-30, the fraction being
// the time of day, written as "YYYY-MM-DDThh:mm:ss".
#include <optional>
#include <string_view>

#include "xml/XmlInterfaces.h"

namespace kestro {

// The date-time of a calendar date and time of day; nullopt when a field is
// out of range (years 1 to 9999).
std::optional<TXmlDateTime> EncodeXmlDateTime(int year, int month, int day, int hour, int minute, int second);

// Reads "YYYY-MM-DDThh:mm:ss" (each field one or more digits, blanks around
// the whole allowed); nullopt for any other text.
std::optional<TXmlDateTime> ParseXmlDateTime(std::string_view text);

}  // namespace kestro
