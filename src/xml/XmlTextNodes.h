#pragma once
// The leaf node kinds: text, CDATA sections, comments, processing instructions.
#include <string>

#include "xml/XmlNode.h"

namespace kestro {

// Appends text with "&", "<" and ">" written as references.
void AppendEscapedXmlText(std::string& out, std::string_view text);
// The same for a value in double quotes, with '"' as a reference too.
void AppendEscapedXmlAttrValue(std::string& out, std::string_view text);

class TXmlCharacterData : public TXmlNode {
public:
    TXmlCharacterData(TXmlNodeType kind, TXmlNameTable* nameTable, std::string_view text)
        : TXmlNode(kind, nameTable), Text(text) {}

    std::string Text;

    std::string GetText() override { return Text; }
    void SetText(std::string_view text) override { Text = text; }
};

class TXmlCDATASection : public TXmlCharacterData, public IXmlCDATASection {
public:
    TXmlCDATASection(TXmlNameTable* nameTable, std::string_view text)
        : TXmlCharacterData(TXmlNodeType::CDATASection, nameTable, text) {}

    TXmlNode* NewShallowCopy(TXmlNameTable& table) override { return new TXmlCDATASection(&table, Text); }
    void WriteStart(std::string& out) override;
    TXmlNameId GetNodeNameId() override { return NameTable->CDATASectionName; }
    TXmlPtr<IXmlCDATASection> AsCDATASection() override { return TXmlPtr<IXmlCDATASection>(this); }
};

class TXmlComment : public TXmlCharacterData, public IXmlComment {
public:
    TXmlComment(TXmlNameTable* nameTable, std::string_view text)
        : TXmlCharacterData(TXmlNodeType::Comment, nameTable, text) {}

    TXmlNode* NewShallowCopy(TXmlNameTable& table) override { return new TXmlComment(&table, Text); }
    void WriteStart(std::string& out) override;
    TXmlNameId GetNodeNameId() override { return NameTable->CommentName; }
    TXmlPtr<IXmlComment> AsComment() override { return TXmlPtr<IXmlComment>(this); }
};

class TXmlText : public TXmlNode, public IXmlText {
public:
    TXmlText(TXmlNameTable* nameTable, TXmlVariant value)
        : TXmlNode(TXmlNodeType::Text, nameTable), Value(std::move(value)) {}

    TXmlVariant Value;

    TXmlNode* NewShallowCopy(TXmlNameTable& table) override { return new TXmlText(&table, Value); }
    void WriteStart(std::string& out) override { AppendEscapedXmlText(out, Value.AsText()); }
    TXmlNameId GetNodeNameId() override { return NameTable->TextName; }
    std::string GetText() override { return Value.AsText(); }
    void SetText(std::string_view text) override { Value = TXmlVariant(text); }
    TXmlVariant GetNodeValue() override { return Value; }
    void SetNodeValue(const TXmlVariant& value) override { Value = value; }
    TXmlPtr<IXmlText> AsText() override { return TXmlPtr<IXmlText>(this); }
};

class TXmlProcessingInstruction : public TXmlNode, public IXmlProcessingInstruction {
public:
    TXmlProcessingInstruction(TXmlNameTable* nameTable, TXmlNameId target, std::string_view data)
        : TXmlNode(TXmlNodeType::ProcessingInstruction, nameTable), Target(target), Data(data) {}

    TXmlNameId Target;
    std::string Data;

    TXmlNode* NewShallowCopy(TXmlNameTable& table) override;
    void WriteStart(std::string& out) override;
    TXmlNameId GetNodeNameId() override { return Target; }
    std::string GetText() override { return Data; }
    void SetText(std::string_view text) override { Data = text; }
    TXmlPtr<IXmlProcessingInstruction> AsProcessingInstruction() override {
        return TXmlPtr<IXmlProcessingInstruction>(this);
    }
};

}  // namespace kestro
