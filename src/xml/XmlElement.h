#pragma once
#include <memory>

#include "xml/XmlNode.h"

namespace kestro {

class TXmlElement : public TXmlNode, public IXmlElement {
public:
    TXmlElement(TXmlNameTable* nameTable, TXmlNameId name)
        : TXmlNode(TXmlNodeType::Element, nameTable), Name(name) {}

    TXmlNameId Name;
    // The element's own value, used while it has no children; the text
    // reader never sets it. Absent until set.
    std::unique_ptr<TXmlVariant> OwnValue;

    void SetNodeNameId(TXmlNameId name) override { Name = name; }
    TXmlNode* NewShallowCopy(TXmlNameTable& table) override;
    void WriteStart(std::string& out) override;
    void WriteEnd(std::string& out) override;

    TXmlNameId GetNodeNameId() override { return Name; }
    std::string GetText() override;
    void SetText(std::string_view text) override;
    TXmlVariant GetNodeValue() override;
    void SetNodeValue(const TXmlVariant& value) override;
    TXmlPtr<IXmlElement> AsElement() override { return TXmlPtr<IXmlElement>(this); }

    // Removes the own value and the text and CDATA children.
    void RemoveTextChildren();
    void SetCDATAText(std::string_view text) override;
    void SetBinaryText(std::string_view bytes, int lineLength) override;
    std::string GetBinaryText() override;
};

}  // namespace kestro
