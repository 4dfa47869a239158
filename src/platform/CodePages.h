#pragma once
// Code pages: the encoding names documents may declare, and the conversion
// library's name for each Windows code page number.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestro {

inline constexpr std::uint16_t Utf8CodePage = 65001;

struct TCodePageName {
    std::string_view Name;
    std::uint16_t CodePage;
};

// Encoding names an XML declaration may give, searched in this order, names
// compared without regard to ASCII letter case.
inline constexpr std::array<TCodePageName, 23> XmlCodePages{{
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

// Other names of the same encodings, as the IANA character set registry and
// common tools write them, and US-ASCII, which is a subset of UTF-8. Looked
// up after XmlCodePages, which alone names the encodings in written files.
struct TCodePageAliases {
    std::uint16_t CodePage;
    std::array<std::string_view, 11> Names;  // empty names fill the rest
};
extern const std::array<TCodePageAliases, 24> XmlEncodingAliases;

// The code page of a declared encoding name (XmlCodePages, then
// XmlEncodingAliases, ASCII letter case ignored), or 0 when it is unknown.
std::uint16_t FindXmlCodePage(std::string_view encodingName);

// The conversion library's name for a Windows code page number ("CP1252",
// "ISO-8859-2", "KOI8-R", "UTF-8"); "CP<number>" for numbers it has no
// other name for.
std::string CodePageEncodingName(std::int32_t codePage);

}  // namespace kestro
