#pragma once
// The interfaces through which callers reach an XML document. Operations are
// declared in their interface slot order; the remaining convenience
// operations of the node interface (child and typed-attribute helpers) take
// their places between these when they are built.
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

#include "xml/XmlBase.h"
#include "xml/XmlVariant.h"

namespace kestro {

// A name interned in a document's name table. Names are compared by identity,
// so every name comparison of the library is exact and case-sensitive.
using TXmlNameId = const std::string*;

enum class TXmlNodeType : int {
    Unknown = 0,
    Element = 1,
    Text = 2,
    CDATASection = 3,
    ProcessingInstruction = 4,
    Comment = 5,
    Document = 6,
};

class IXmlNode;
class IXmlElement;
class IXmlText;
class IXmlCDATASection;
class IXmlComment;
class IXmlProcessingInstruction;
class IXmlDocument;
class IXmlNodeList;

// Called with the child list that has just received the element and the
// element itself; see IXmlDocument::SetOnElementEnd.
using TXmlElementHandler = std::function<void(IXmlNodeList* sender, const TXmlPtr<IXmlNode>& element)>;

class IXmlNameTable : public virtual IXmlBase {
public:
    // The identity of a name, added when new; an empty name has none (null).
    virtual TXmlNameId Intern(std::string_view name) = 0;
    // The text of an identity; "" for null.
    virtual const std::string& NameOf(TXmlNameId id) = 0;
    // The first name of the hash's bucket with that hash, or null.
    virtual TXmlNameId FindByHash(std::uint32_t hash) = 0;
};

class IXmlNodeList : public virtual IXmlBase {
public:
    virtual std::int32_t GetCount() = 0;
    // Raises "Failed to get list item: Index %d out of range" outside 0..count-1.
    virtual TXmlPtr<IXmlNode> GetItem(std::int32_t index) = 0;
    virtual void ExchangeItems(std::int32_t index1, std::int32_t index2) = 0;
    // The XML text of all items joined.
    virtual std::string GetXml() = 0;
};

class IXmlNode : public virtual IXmlBase {
public:
    virtual TXmlPtr<IXmlNameTable> GetNameTable() = 0;
    // Element: its name; processing instruction: its target; other kinds:
    // "#text", "#cdata-section", "#comment", "#document".
    virtual const std::string& GetNodeName() = 0;
    virtual TXmlNameId GetNodeNameId() = 0;
    virtual TXmlNodeType GetNodeType() = 0;
    // Element and document: the text and CDATA children, non-empty ones joined
    // by one blank (each trimmed of characters 0-32 unless white space is
    // preserved); an element without children gives its own value as text.
    virtual std::string GetText() = 0;
    // Element: removes all children and keeps the text as its own value.
    virtual void SetText(std::string_view text) = 0;
    virtual TXmlVarType GetDataType() = 0;
    virtual TXmlVariant GetNodeValue() = 0;
    virtual void SetNodeValue(const TXmlVariant& value) = 0;
    virtual std::string GetXml() = 0;
    virtual TXmlPtr<IXmlNode> CloneNode(bool deep) = 0;
    virtual TXmlPtr<IXmlNode> GetParentNode() = 0;
    // The nearest ancestor that is a document, or null.
    virtual TXmlPtr<IXmlDocument> GetOwnerDocument() = 0;
    // The child list, created on first use.
    virtual TXmlPtr<IXmlNodeList> GetChildNodes() = 0;
    // Appends the node, or a deep copy of it when it belongs to another parent
    // or another name table (or would contain itself); returns what was added.
    virtual TXmlPtr<IXmlNode> AppendChild(const TXmlPtr<IXmlNode>& child) = 0;
    // Children lose their parent link and are released.
    virtual void RemoveAllChildren() = 0;
    // Every child element of that name, in document order; an empty list when
    // none matches. A path "a\b" looks up "b" below the first "a": null when
    // there is no "a".
    virtual TXmlPtr<IXmlNodeList> SelectElements(std::string_view path) = 0;
    // The first child element of that name, following the first match at each
    // step of a path "a\b\c"; null when none. Names are matched exactly.
    virtual TXmlPtr<IXmlNode> SelectElement(std::string_view path) = 0;
    virtual std::int32_t GetAttrCount() = 0;
    virtual TXmlNameId GetAttrNameId(std::int32_t index) = 0;
    // The count becomes 0 and the attribute storage is freed.
    virtual void RemoveAllAttributes() = 0;
    virtual bool AttrExists(std::string_view name) = 0;
    // Sets or replaces the attribute (attributes keep the order of first setting).
    virtual void SetVarAttr(std::string_view name, const TXmlVariant& value) = 0;
    // "": the node's own value; "@name": that attribute (the empty text when
    // missing); otherwise a path for SelectElement and that element's value
    // (the empty text when not found).
    virtual TXmlVariant GetValue(std::string_view name) = 0;
    virtual TXmlPtr<IXmlElement> AsElement() = 0;
    virtual TXmlPtr<IXmlText> AsText() = 0;
    virtual TXmlPtr<IXmlCDATASection> AsCDATASection() = 0;
    virtual TXmlPtr<IXmlComment> AsComment() = 0;
    virtual TXmlPtr<IXmlProcessingInstruction> AsProcessingInstruction() = 0;
};

class IXmlElement : public virtual IXmlNode {
    // The element text forms (CDATA and Base64 text) are added here.
};

// The other node kinds offer exactly the node operations.
class IXmlText : public virtual IXmlNode {};
class IXmlCDATASection : public virtual IXmlNode {};
class IXmlComment : public virtual IXmlNode {};
class IXmlProcessingInstruction : public virtual IXmlNode {};

class IXmlDocument : public virtual IXmlNode {
public:
    // The first child element, or null.
    virtual TXmlPtr<IXmlElement> GetDocumentElement() = 0;
    // The document in the library's binary XML form (UTF-8 strings).
    virtual std::string GetBinaryXml() = 0;
    virtual bool GetPreserveWhiteSpace() = 0;
    virtual void SetPreserveWhiteSpace(bool preserve) = 0;
    virtual TXmlElementHandler GetOnElementEnd() = 0;
    // Called by the text reader right after each element was read completely
    // (after its end tag, or after "/>"), while the input is still being read.
    // The handler may read and empty the element; it stays in its parent.
    virtual void SetOnElementEnd(TXmlElementHandler handler) = 0;
    virtual TXmlElementHandler GetOnElementBegin() = 0;
    // Called after an element's start tag and attributes were read.
    virtual void SetOnElementBegin(TXmlElementHandler handler) = 0;
    virtual TXmlPtr<IXmlElement> NewDocumentById(std::string_view version, std::string_view encoding,
                                                 TXmlNameId rootName) = 0;
    // Replaces all children with an "xml" declaration (version default "1.0",
    // encoding default "UTF-8") and a root element; returns the root.
    virtual TXmlPtr<IXmlElement> NewDocument(std::string_view version, std::string_view encoding,
                                             std::string_view rootName) = 0;
    // Nodes of this document's name table that belong to no parent yet.
    virtual TXmlPtr<IXmlElement> CreateElementById(TXmlNameId name) = 0;
    virtual TXmlPtr<IXmlElement> CreateElement(std::string_view name) = 0;
    virtual TXmlPtr<IXmlText> CreateText(const TXmlVariant& value) = 0;
    virtual TXmlPtr<IXmlCDATASection> CreateCDATASection(std::string_view text) = 0;
    virtual TXmlPtr<IXmlComment> CreateComment(std::string_view text) = 0;
    virtual TXmlPtr<IXmlProcessingInstruction> CreateProcessingInstruction(std::string_view target,
                                                                           std::string_view data) = 0;
    virtual TXmlPtr<IXmlProcessingInstruction> CreateProcessingInstructionById(TXmlNameId target,
                                                                               std::string_view data) = 0;
    // Loading first removes the document's children and attributes. Text is
    // converted into XmlCodePage as it is read; errors raise Exception with
    // the reader's messages, and nodes read before an error stay. Input of
    // more than 14 bytes that begins with BinXmlSignature is read as binary
    // XML instead, and no handler is called for it.
    virtual void LoadXML(std::string_view text) = 0;
    // Reads binary XML held in a string; its first 14 bytes are taken for the
    // signature without being tested. No handlers are called.
    virtual void LoadBinaryXml(std::string_view data) = 0;
    virtual void LoadFromStream(std::istream& stream) = 0;
    // Opens the file (EFOpenError when it cannot be opened), reads it with
    // LoadFromStream and closes it on every path.
    virtual void LoadFromFile(const std::string& fileName) = 0;
    // The document in binary XML form; a tree the form cannot hold exactly
    // raises instead of being written changed.
    virtual void SaveBinaryToStream(std::ostream& stream) = 0;
    // Creates or replaces the file (EFCreateError, EWriteError on failure).
    virtual void SaveBinaryToFile(const std::string& fileName) = 0;
};

}  // namespace kestro
