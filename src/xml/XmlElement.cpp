#include "xml/XmlElement.h"

#include "xml/XmlNodeList.h"
#include "xml/XmlTextNodes.h"

namespace kestro {

TXmlNode* TXmlElement::NewShallowCopy(TXmlNameTable& table) {
    auto* copy = new TXmlElement(&table, table.Intern(NameTable->NameOf(Name)));
    if (OwnValue) copy->OwnValue = std::make_unique<TXmlVariant>(*OwnValue);
    return copy;
}

void TXmlElement::WriteStart(std::string& out) {
    out += '<';
    out += NameTable->NameOf(Name);
    WriteAttributes(out);
    if (HasChildren()) {
        out += '>';
    } else if (OwnValue && !OwnValue->AsText().empty()) {
        out += '>';
        AppendEscapedXmlText(out, OwnValue->AsText());
        out += "</";
        out += NameTable->NameOf(Name);
        out += '>';
    } else {
        out += "/>";
    }
}

void TXmlElement::WriteEnd(std::string& out) {
    if (!HasChildren()) return;
    out += "</";
    out += NameTable->NameOf(Name);
    out += '>';
}

std::string TXmlElement::GetText() {
    if (HasChildren()) return ChildrenText();
    return OwnValue ? OwnValue->AsText() : std::string();
}

void TXmlElement::SetText(std::string_view text) {
    RemoveAllChildren();
    OwnValue = std::make_unique<TXmlVariant>(text);
}

TXmlVariant TXmlElement::GetNodeValue() {
    if (HasChildren()) return TXmlVariant(ChildrenText());
    return OwnValue ? *OwnValue : TXmlVariant();
}

void TXmlElement::SetNodeValue(const TXmlVariant& value) {
    RemoveAllChildren();
    OwnValue = std::make_unique<TXmlVariant>(value);
}

}  // namespace kestro
