#pragma once
#include "xml/XmlNode.h"

namespace kestro {

class TXmlByteInput;

class TXmlDocument : public TXmlNode, public IXmlDocument {
public:
    explicit TXmlDocument(TXmlNameTable* nameTable);

    bool PreserveWhiteSpace;
    TXmlElementHandler OnElementEnd;
    TXmlElementHandler OnElementBegin;
    TXmlReadHandler OnFileRead;

    TXmlNode* NewShallowCopy(TXmlNameTable& table) override;
    void WriteStart(std::string& /*out*/) override {}

    TXmlNameId GetNodeNameId() override { return NameTable->DocumentName; }
    std::string GetText() override { return ChildrenText(); }
    // Replaces the children with one text node.
    void SetText(std::string_view text) override;

    TXmlPtr<IXmlElement> GetDocumentElement() override;
    std::string GetBinaryXml() override;
    bool GetPreserveWhiteSpace() override { return PreserveWhiteSpace; }
    void SetPreserveWhiteSpace(bool preserve) override { PreserveWhiteSpace = preserve; }
    TXmlElementHandler GetOnElementEnd() override { return OnElementEnd; }
    void SetOnElementEnd(TXmlElementHandler handler) override { OnElementEnd = std::move(handler); }
    TXmlElementHandler GetOnElementBegin() override { return OnElementBegin; }
    void SetOnElementBegin(TXmlElementHandler handler) override { OnElementBegin = std::move(handler); }
    void SetOnFileRead(TXmlReadHandler handler) override { OnFileRead = std::move(handler); }
    TXmlPtr<IXmlElement> NewDocumentById(std::string_view version, std::string_view encoding,
                                         TXmlNameId rootName) override;
    TXmlPtr<IXmlElement> NewDocument(std::string_view version, std::string_view encoding,
                                     std::string_view rootName) override;
    TXmlPtr<IXmlElement> CreateElementById(TXmlNameId name) override;
    TXmlPtr<IXmlElement> CreateElement(std::string_view name) override;
    TXmlPtr<IXmlText> CreateText(const TXmlVariant& value) override;
    TXmlPtr<IXmlCDATASection> CreateCDATASection(std::string_view text) override;
    TXmlPtr<IXmlComment> CreateComment(std::string_view text) override;
    TXmlPtr<IXmlProcessingInstruction> CreateProcessingInstruction(std::string_view target,
                                                                   std::string_view data) override;
    TXmlPtr<IXmlProcessingInstruction> CreateProcessingInstructionById(TXmlNameId target,
                                                                       std::string_view data) override;
    void LoadXML(std::string_view text) override;
    void LoadBinaryXml(std::string_view data) override;
    void LoadFromStream(std::istream& stream) override;
    void LoadFromFile(const std::string& fileName) override;
    void LoadFromResource(std::string_view resourceType, std::string_view resourceName) override;
    void SaveToStream(std::ostream& stream) override;
    void SaveToFile(const std::string& fileName) override;
    // The whole text with its encoding declaration, as saved.
    std::string GetXml() override;
    void SaveBinaryToStream(std::ostream& stream) override;
    void SaveBinaryToFile(const std::string& fileName) override;

private:
    // Reads text from the input; the byte-order mark is looked at only for
    // streams and files.
    void LoadText(TXmlByteInput& input, bool inspectMark);
    // Reads binary XML from the input, positioned at its signature.
    void LoadBinary(TXmlByteInput& input);
    // Starting a load removes what the document held.
    void Clear();
};

}  // namespace kestro
