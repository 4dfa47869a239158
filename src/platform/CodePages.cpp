#include "platform/CodePages.h"

#include "platform/AsciiCase.h"

namespace kestro {

const std::array<TCodePageAliases, 24> XmlEncodingAliases{{
    {65001, {"UTF8", "csUTF8"}},
    {65001, {"US-ASCII", "ASCII", "ANSI_X3.4-1968", "ANSI_X3.4-1986", "ISO_646.irv:1991", "ISO646-US", "us",
             "IBM367", "cp367", "csASCII", "iso-ir-6"}},
    {1250, {"cp1250", "x-cp1250", "cswindows1250"}},
    {1251, {"cp1251", "x-cp1251", "cswindows1251"}},
    {1252, {"cp1252", "x-cp1252", "cswindows1252"}},
    {1253, {"cp1253", "x-cp1253", "cswindows1253"}},
    {1254, {"cp1254", "x-cp1254", "cswindows1254"}},
    {1255, {"cp1255", "x-cp1255", "cswindows1255"}},
    {1256, {"cp1256", "x-cp1256", "cswindows1256"}},
    {1257, {"cp1257", "x-cp1257", "cswindows1257"}},
    {1258, {"cp1258", "x-cp1258", "cswindows1258"}},
    {28591, {"ISO_8859-1", "ISO_8859-1:1987", "ISO8859-1", "iso-ir-100", "latin1", "l1", "IBM819", "CP819",
             "csISOLatin1"}},
    {28592, {"ISO_8859-2", "ISO_8859-2:1987", "ISO8859-2", "iso-ir-101", "latin2", "l2", "csISOLatin2"}},
    {28593, {"ISO_8859-3", "ISO_8859-3:1988", "ISO8859-3", "iso-ir-109", "latin3", "l3", "csISOLatin3"}},
    {28594, {"ISO_8859-4", "ISO_8859-4:1988", "ISO8859-4", "iso-ir-110", "latin4", "l4", "csISOLatin4"}},
    {28595, {"ISO_8859-5", "ISO_8859-5:1988", "ISO8859-5", "iso-ir-144", "cyrillic", "csISOLatinCyrillic"}},
    {28596, {"ISO_8859-6", "ISO_8859-6:1987", "ISO8859-6", "iso-ir-127", "ECMA-114", "ASMO-708", "arabic",
             "csISOLatinArabic"}},
    {28597, {"ISO_8859-7", "ISO_8859-7:1987", "ISO8859-7", "iso-ir-126", "ELOT_928", "ECMA-118", "greek", "greek8",
             "csISOLatinGreek"}},
    {28598, {"ISO_8859-8", "ISO_8859-8:1988", "ISO8859-8", "iso-ir-138", "hebrew", "csISOLatinHebrew"}},
    {28599, {"ISO_8859-9", "ISO_8859-9:1989", "ISO8859-9", "iso-ir-148", "latin5", "l5", "csISOLatin5"}},
    {28603, {"ISO8859-13", "csISO885913", "latin7", "l7"}},
    {28605, {"ISO_8859-15", "ISO8859-15", "Latin-9", "latin9", "csISO885915"}},
    {20866, {"csKOI8R"}},
    {21866, {"csKOI8U"}},
}};

std::uint16_t FindXmlCodePage(std::string_view encodingName) {
    for (const auto& entry : XmlCodePages)
        if (SameIgnoringAsciiCase(entry.Name, encodingName)) return entry.CodePage;
    for (const auto& entry : XmlEncodingAliases)
        for (const std::string_view name : entry.Names)
            if (!name.empty() && SameIgnoringAsciiCase(name, encodingName)) return entry.CodePage;
    return 0;
}

std::string CodePageEncodingName(std::int32_t codePage) {
    switch (codePage) {
        case Utf8CodePage: return "UTF-8";
        case 20127: return "ASCII";
        case 20866: return "KOI8-R";
        case 21866: return "KOI8-U";
        case 54936: return "GB18030";
        case 51932: return "EUC-JP";
        case 51949: return "EUC-KR";
        case 10000: return "MACINTOSH";
        default: break;
    }
    if (codePage >= 28591 && codePage <= 28605) return "ISO-8859-" + std::to_string(codePage - 28590);
    return "CP" + std::to_string(codePage);
}

}  // namespace kestro
