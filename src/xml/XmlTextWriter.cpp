#include "xml/XmlTextWriter.h"

#include "diag/Exceptions.h"
#include "platform/TextConversion.h"
#include "xml/XmlChars.h"
#include "xml/XmlCodePage.h"
#include "xml/XmlError.h"
#include "xml/XmlNode.h"
#include "xml/XmlNodeList.h"
#include "xml/XmlTextNodes.h"

namespace kestro {

namespace {

void CheckName(const std::string& name) {
    if (!IsPlainXmlName(name)) RaiseXmlError(Format("Invalid name \"%s\" cannot be written as XML", name.c_str()));
}

void CheckAttributeNames(TXmlNode& node) {
    for (std::int32_t i = 0; i < node.AttrCount; ++i) CheckName(node.NameTable->NameOf(node.Attrs[i].Name));
}

void CheckNoAttributesOrChildren(TXmlNode& node) {
    if (node.AttrCount > 0 || node.HasChildren())
        RaiseXmlError(Format("A %s node with attributes or children cannot be written as XML",
                             node.GetNodeName().c_str()));
}

// Refuses what the text reader could not read back as it stands.
void CheckWritable(TXmlNode& node, bool top) {
    switch (node.Kind) {
        case TXmlNodeType::Element:
            CheckName(node.GetNodeName());
            CheckAttributeNames(node);
            break;
        case TXmlNodeType::Text:
        case TXmlNodeType::CDATASection: CheckNoAttributesOrChildren(node); break;
        case TXmlNodeType::Comment:
            CheckNoAttributesOrChildren(node);
            if (node.GetText().find("-->") != std::string::npos)
                RaiseXmlError("A comment holding \"-->\" cannot be written as XML");
            break;
        case TXmlNodeType::ProcessingInstruction:
            CheckName(node.GetNodeName());
            if (node.HasChildren()) CheckNoAttributesOrChildren(node);
            if (node.GetNodeNameId() == node.NameTable->XmlName) {
                // The declaration's settings are its attributes.
                if (!node.GetText().empty())
                    RaiseXmlError("The data of an XML declaration cannot be written as XML");
                CheckAttributeNames(node);
            } else {
                if (node.AttrCount > 0) CheckNoAttributesOrChildren(node);
                if (node.GetText().find("?>") != std::string::npos)
                    RaiseXmlError("A processing instruction holding \"?>\" cannot be written as XML");
            }
            break;
        case TXmlNodeType::Document:
            if (!top) RaiseXmlError("A document inside a tree cannot be written as XML");
            if (node.AttrCount > 0) RaiseXmlError("A document with attributes cannot be written as XML");
            break;
        default: break;
    }
}

// The "xml" declaration of a document, naming the encoding of the output.
// A missing encoding goes after the version, where XML wants it.
void WriteDeclaration(TXmlNode& declaration, std::string_view encoding, std::string& out) {
    std::uint16_t codePage = FindXmlCodePage(encoding);
    TXmlNameId version = declaration.NameTable->Find("version");
    bool pending = declaration.FindAttr(declaration.NameTable->EncodingName) == nullptr;
    auto writeAttr = [&out](std::string_view name, std::string_view value) {
        out += ' ';
        out += name;
        out += "=\"";
        AppendEscapedXmlAttrValue(out, value);
        out += '"';
    };
    out += "<?xml";
    if (pending && !declaration.FindAttr(version)) {
        writeAttr("encoding", encoding);
        pending = false;
    }
    for (std::int32_t i = 0; i < declaration.AttrCount; ++i) {
        const TXmlAttrData& attr = declaration.Attrs[i];
        std::string value = attr.Value.AsText();
        // A name the document gives for the same code page is kept as written.
        if (attr.Name == declaration.NameTable->EncodingName && FindXmlCodePage(value) != codePage)
            value = encoding;
        writeAttr(*attr.Name, value);
        if (pending && attr.Name == version) {
            writeAttr("encoding", encoding);
            pending = false;
        }
    }
    out += "?>";
}

// Text of a code page that no encoding name declares, as UTF-8; "?" for
// bytes that are no character of it.
std::string ConvertToUtf8(std::string_view text, std::uint16_t codePage) {
    if (!CodePageAvailable(codePage))
        RaiseXmlError(Format("Code page %u is not supported by KestroXML", static_cast<unsigned>(codePage)));
    return CodePageToUtf8(std::string(text), codePage);
}

bool IsDeclaration(TXmlNode& node) {
    return node.Kind == TXmlNodeType::ProcessingInstruction && node.GetNodeNameId() == node.NameTable->XmlName;
}

// The reader honours an "xml" declaration wherever it stands, so every one
// names the encoding of the output; an empty encoding leaves them as they are.
void WriteNodeStart(TXmlNode& node, std::string_view encoding, std::string& out) {
    if (!encoding.empty() && IsDeclaration(node)) {
        WriteDeclaration(node, encoding, out);
    } else {
        node.WriteStart(out);
    }
}

void WriteTree(TXmlNode& node, std::string_view encoding, std::string& out) {
    struct TFrame {
        TXmlNode* Node;
        std::size_t NextChild;
    };
    CheckWritable(node, true);
    std::vector<TFrame> open{{&node, 0}};
    WriteNodeStart(node, encoding, out);
    while (!open.empty()) {
        TXmlNode* current = open.back().Node;
        std::size_t next = open.back().NextChild;
        if (current->ChildList && next < current->ChildList->Items.size()) {
            ++open.back().NextChild;
            TXmlNode* child = current->ChildList->Items[next].Get();
            CheckWritable(*child, false);
            WriteNodeStart(*child, encoding, out);
            open.push_back({child, 0});
        } else {
            current->WriteEnd(out);
            open.pop_back();
        }
    }
}

}  // namespace

void WriteXmlTree(TXmlNode& node, std::string& out) { WriteTree(node, XmlEncodingName(XmlCodePage), out); }

std::string_view XmlEncodingName(std::uint16_t codePage) {
    if (codePage == 0) codePage = 1252;
    for (const auto& entry : XmlCodePages)
        if (entry.CodePage == codePage) return entry.Name;
    return {};
}

std::string WriteXmlDocument(TXmlNode& document) {
    CheckWritable(document, true);
    std::string_view encoding = XmlEncodingName(XmlCodePage);
    bool toUtf8 = encoding.empty();
    if (toUtf8) encoding = "UTF-8";
    std::string out;
    bool declared = false;
    if (document.ChildList) {
        for (auto& child : document.ChildList->Items) {
            declared = declared || IsDeclaration(*child);
            WriteTree(*child, encoding, out);
        }
    }
    if (!declared) out.insert(0, "<?xml version=\"1.0\" encoding=\"" + std::string(encoding) + "\"?>");
    return toUtf8 ? ConvertToUtf8(out, XmlCodePage) : out;
}

}  // namespace kestro
