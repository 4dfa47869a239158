#include "platform/CodePages.h"

#include "platform/AsciiCase.h"

namespace kestro {

std::uint16_t FindXmlCodePage(std::string_view encodingName) {
    for (const auto& entry : XmlCodePages)
        if (SameIgnoringAsciiCase(entry.Name, encodingName)) return entry.CodePage;
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
