#include "xml/XmlDocument.h"

#include "diag/Exceptions.h"
#include "platform/CodePages.h"
#include "xml/UKestroXML.h"
#include "xml/XmlBinaryReader.h"
#include "xml/XmlBinaryWriter.h"
#include "xml/XmlElement.h"
#include "xml/XmlError.h"
#include "xml/XmlInput.h"
#include "xml/XmlNodeList.h"
#include "xml/XmlParser.h"
#include "xml/XmlSource.h"
#include "xml/XmlTextNodes.h"

namespace kestro {

TXmlDocument::TXmlDocument(TXmlNameTable* nameTable)
    : TXmlNode(TXmlNodeType::Document, nameTable), PreserveWhiteSpace(DefaultPreserveWhiteSpace) {}

TXmlNode* TXmlDocument::NewShallowCopy(TXmlNameTable& table) {
    auto* copy = new TXmlDocument(&table);
    copy->PreserveWhiteSpace = PreserveWhiteSpace;
    return copy;
}

void TXmlDocument::SetText(std::string_view text) {
    RemoveAllChildren();
    if (!text.empty()) GetChildList().AddNew(TXmlPtr<TXmlNode>(new TXmlText(NameTable.Get(), TXmlVariant(text))).Get());
}

TXmlPtr<IXmlElement> TXmlDocument::GetDocumentElement() {
    if (ChildList)
        for (auto& item : ChildList->Items)
            if (item->Kind == TXmlNodeType::Element) return item->AsElement();
    return nullptr;
}

TXmlPtr<IXmlElement> TXmlDocument::NewDocumentById(std::string_view version, std::string_view encoding,
                                                   TXmlNameId rootName) {
    RemoveAllChildren();
    TXmlPtr<TXmlProcessingInstruction> declaration(new TXmlProcessingInstruction(NameTable.Get(), NameTable->XmlName, {}));
    declaration->SetAttr(NameTable->Intern("version"), TXmlVariant(version.empty() ? "1.0" : version));
    declaration->SetAttr(NameTable->EncodingName, TXmlVariant(encoding.empty() ? "UTF-8" : encoding));
    TXmlPtr<TXmlElement> root(new TXmlElement(NameTable.Get(), OwnNameId(rootName)));
    GetChildList().AddNew(declaration.Get());
    GetChildList().AddNew(root.Get());
    return TXmlPtr<IXmlElement>(root.Get());
}

TXmlPtr<IXmlElement> TXmlDocument::NewDocument(std::string_view version, std::string_view encoding,
                                               std::string_view rootName) {
    return NewDocumentById(version, encoding, NameTable->Intern(rootName));
}

TXmlPtr<IXmlElement> TXmlDocument::CreateElementById(TXmlNameId name) {
    return TXmlPtr<IXmlElement>(new TXmlElement(NameTable.Get(), OwnNameId(name)));
}

TXmlPtr<IXmlElement> TXmlDocument::CreateElement(std::string_view name) {
    return CreateElementById(NameTable->Intern(name));
}

TXmlPtr<IXmlText> TXmlDocument::CreateText(const TXmlVariant& value) {
    return TXmlPtr<IXmlText>(new TXmlText(NameTable.Get(), value));
}

TXmlPtr<IXmlCDATASection> TXmlDocument::CreateCDATASection(std::string_view text) {
    return TXmlPtr<IXmlCDATASection>(new TXmlCDATASection(NameTable.Get(), text));
}

TXmlPtr<IXmlComment> TXmlDocument::CreateComment(std::string_view text) {
    return TXmlPtr<IXmlComment>(new TXmlComment(NameTable.Get(), text));
}

TXmlPtr<IXmlProcessingInstruction> TXmlDocument::CreateProcessingInstruction(std::string_view target,
                                                                             std::string_view data) {
    return CreateProcessingInstructionById(NameTable->Intern(target), data);
}

TXmlPtr<IXmlProcessingInstruction> TXmlDocument::CreateProcessingInstructionById(TXmlNameId target,
                                                                                 std::string_view data) {
    return TXmlPtr<IXmlProcessingInstruction>(
        new TXmlProcessingInstruction(NameTable.Get(), OwnNameId(target), data));
}

void TXmlDocument::Clear() {
    RemoveAllChildren();
    RemoveAllAttributes();
}

void TXmlDocument::LoadText(TXmlByteInput& input, bool inspectMark) {
    bool utf8Mark = false;
    if (inspectMark) {
        std::string_view head = input.Peek(5);
        if (head.size() > 4) {
            if (head.substr(0, 4) == std::string_view("\x00\x00\xFE\xFF", 4) ||
                head.substr(0, 4) == std::string_view("\xFF\xFE\x00\x00", 4) || head.substr(0, 2) == "\xFF\xFE" ||
                head.substr(0, 2) == "\xFE\xFF")
                RaiseXmlError("Unicode Encoding is not supported by KestroXML");
            // A UTF-8 mark says UTF-8, with or without a declaration.
            if (head.substr(0, 3) == "\xEF\xBB\xBF") {
                input.Skip(3);
                utf8Mark = true;
            }
        }
    }
    TXmlParseOptions options{OnElementBegin, OnElementEnd, PreserveWhiteSpace};
    TXmlSource source(input);
    if (utf8Mark) source.FixSourceCodePage(Utf8CodePage);
    ParseXmlContent(*this, source, *NameTable, options);
}

void TXmlDocument::LoadBinary(TXmlByteInput& input) {
    input.Skip(BinXmlSignature.size());
    TStmXmlReader reader(input);
    LoadBinaryXmlDocument(*this, reader);
}

void TXmlDocument::LoadBinaryXml(std::string_view data) {
    Clear();
    TStrXmlReader reader(data);
    LoadBinaryXmlDocument(*this, reader);
}

std::string TXmlDocument::GetBinaryXml() { return TBinXmlWriter().Write(*this); }

void TXmlDocument::SaveBinaryToStream(std::ostream& stream) { TBinXmlWriter().WriteToStream(*this, stream); }

void TXmlDocument::SaveBinaryToFile(const std::string& fileName) { TBinXmlWriter().WriteToFile(*this, fileName); }

void TXmlDocument::LoadXML(std::string_view text) {
    TXmlPtr<TXmlDocument> self(this);  // a handler may drop the caller's last reference
    Clear();
    if (text.size() >= 15 && text.substr(0, BinXmlSignature.size()) == BinXmlSignature) {
        TStrXmlReader reader(text);
        return LoadBinaryXmlDocument(*this, reader);
    }
    TXmlMemoryInput input(text);
    LoadText(input, false);
}

void TXmlDocument::LoadFromStream(std::istream& stream) {
    TXmlPtr<TXmlDocument> self(this);  // a handler may drop the caller's last reference
    Clear();
    TXmlStreamInput input(stream);
    std::string_view head = input.Peek(BinXmlSignature.size() + 1);
    if (head.size() > BinXmlSignature.size() && head.substr(0, BinXmlSignature.size()) == BinXmlSignature)
        return LoadBinary(input);
    LoadText(input, true);
}

void TXmlDocument::LoadFromFile(const std::string& fileName) {
    TXmlPtr<TXmlDocument> self(this);  // a handler may drop the caller's last reference
    Clear();
    TXmlFileInput input(fileName);
    input.SetOnRead(OnFileRead);
    std::string_view head = input.Peek(BinXmlSignature.size() + 1);
    if (head.size() > BinXmlSignature.size() && head.substr(0, BinXmlSignature.size()) == BinXmlSignature)
        return LoadBinary(input);
    LoadText(input, true);
}

TXmlPtr<IXmlDocument> CreateXmlDocument(std::string_view rootName, std::string_view version,
                                        std::string_view encoding, const TXmlPtr<IXmlNameTable>& nameTable) {
    TXmlPtr<TXmlNameTable> table(nameTable ? static_cast<TXmlNameTable*>(nameTable->GetObject())
                                           : new TXmlNameTable(DefaultNameTableBuckets));
    TXmlPtr<TXmlDocument> document(new TXmlDocument(table.Get()));
    if (!rootName.empty()) document->NewDocument(version, encoding, rootName);
    return TXmlPtr<IXmlDocument>(document.Get());
}

TXmlPtr<IXmlNameTable> CreateXmlNameTable(int bucketCount) {
    return TXmlPtr<IXmlNameTable>(new TXmlNameTable(bucketCount));
}

}  // namespace kestro
