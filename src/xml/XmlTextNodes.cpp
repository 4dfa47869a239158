#include "xml/XmlTextNodes.h"

#include "xml/XmlChars.h"

namespace kestro {

void AppendEscapedXmlText(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            default: out += c;
        }
    }
}

void AppendEscapedXmlAttrValue(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
}

void TXmlCDATASection::WriteStart(std::string& out) {
    // A "]]>" inside is split over two sections so the text reads back whole.
    std::string_view rest = Text;
    out += "<![CDATA[";
    for (std::size_t end; (end = rest.find("]]>")) != std::string_view::npos; rest.remove_prefix(end + 2)) {
        out += rest.substr(0, end + 2);
        out += "]]><![CDATA[";
    }
    out += rest;
    out += "]]>";
}

void TXmlComment::WriteStart(std::string& out) {
    out += "<!--";
    out += Text;
    out += "-->";
}

TXmlNode* TXmlProcessingInstruction::NewShallowCopy(TXmlNameTable& table) {
    return new TXmlProcessingInstruction(&table, table.Intern(NameTable->NameOf(Target)), Data);
}

void TXmlProcessingInstruction::WriteStart(std::string& out) {
    out += "<?";
    out += NameTable->NameOf(Target);
    if (Target == NameTable->XmlName) {
        WriteAttributes(out);
    } else if (!Data.empty()) {
        // Only a name character would run on into the target.
        if (IsXmlNameChar(Data[0])) out += ' ';
        out += Data;
    }
    out += "?>";
}

}  // namespace kestro
