#include "xml/XmlCodePages.h"

#include "xml/XmlValueConvert.h"

namespace kestro {


std::uint16_t FindXmlCodePage(std::string_view encodingName) {
    for (const auto& entry : XmlCodePages)
        if (SameXmlTextIgnoringCase(entry.Name, encodingName)) return entry.CodePage;
    return 0;
}

std::string CodePageIconvName(std::uint16_t codePage) {
    switch (codePage) {
        case 0: return "CP1252";
        case 65001: return "UTF-8";
        case 20127: return "ASCII";
        case 20866: return "KOI8-R";
        case 21866: return "KOI8-U";
        case 28603: return "ISO-8859-13";
        case 28605: return "ISO-8859-15";
        case 54936: return "GB18030";
        case 51932: return "EUC-JP";
        case 51949: return "EUC-KR";
        case 1361: return "JOHAB";
        case 10000: return "MACINTOSH";
        case 874: return "CP874";
        default: break;
    }
    if (codePage >= 28591 && codePage <= 28599) return "ISO-8859-" + std::to_string(codePage - 28590);
    return "CP" + std::to_string(codePage);
}

}  // namespace kestro
