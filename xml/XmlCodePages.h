#pragma once
// Encoding names accepted in an XML declaration, and the code page numbers
// the library converts between.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestro {

inline constexpr std::uint16_t Utf8CodePage = 65001;

struct TXmlCodePageName {
    std::string_view Name;
    std::uint16_t CodePage;
};

// Searched in this order, names compared without regard to letter case.
inline constexpr std::array<TXmlCodePageName, 23> XmlCodePages{{
    {"UTF-8", 65001},
    {"WINDOWS-1250", 1250}, {"WINDOWS-1251", 1251}, {"WINDOWS-1252", 1252},
    {"WINDOWS-1253", 1253}, {"WINDOWS-1254", 1254}, {"WINDOWS-1255", 1255},
    {"WINDOWS-1256", 1256}, {"WINDOWS-1257", 1257}, {"WINDOWS-1258", 1258},
    {"ISO-8859-1", 28591}, {"ISO-8859-2", 28592}, {"ISO-8859-3", 28593},
    {"ISO-8859-4", 28594}, {"ISO-8859-5", 28595}, {"ISO-8859-6", 28596},
    {"ISO-8859-7", 28597}, {"ISO-8859-8", 28598}, {"ISO-8859-9", 28599},
    {"ISO-8859-13", 28603},
    {"ISO-8859-15", 28605},
    {"KOI8-R", 20866},
    {"KOI8-U", 21866},
}};

// The code page of an encoding name, or 0 when the name is not in the table.
std::uint16_t FindXmlCodePage(std::string_view encodingName);

// The iconv name of a code page number; 0 (the system code page) is 1252.
std::string CodePageIconvName(std::uint16_t codePage);

}  // namespace kestro
