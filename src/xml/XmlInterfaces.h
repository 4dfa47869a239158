#pragma once
// The interfaces through which callers reach an XML document. Operations are
// declared in their interface slot order.
//
// An operation of the name form takes a name as text; its identity form
// (ending in "ById") takes a name interned in the node's own name table.
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "xml/XmlBase.h"
#include "xml/XmlVariant.h"

namespace kestro {

// A name interned in a document's name table. Names are compared by identity,
// so every name comparison of the library is exact and case-sensitive.
using TXmlNameId = const std::string*;

// A date and time as days since 1899-12-30; the fraction is the time of day.
using TXmlDateTime = double;

// The allowed texts of an enumerated attribute, in the order of their indexes.
using TXmlEnumValues = std::vector<std::string_view>;

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
// Called with the number of bytes read so far; see IXmlDocument::SetOnFileRead.
using TXmlReadHandler = std::function<void(std::uint64_t bytesRead)>;

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
    // The node and its descendants as XML text in XmlCodePage; a document
    // gives its whole text with an encoding declaration.
    virtual std::string GetXml() = 0;
    // A copy without a parent: with its attributes, and with copies of all
    // descendants when deep.
    virtual TXmlPtr<IXmlNode> CloneNode(bool deep) = 0;
    virtual TXmlPtr<IXmlNode> GetParentNode() = 0;
    // The nearest ancestor that is a document, or null.
    virtual TXmlPtr<IXmlDocument> GetOwnerDocument() = 0;
    // The child list, created on first use.
    virtual TXmlPtr<IXmlNodeList> GetChildNodes() = 0;
    // Appends the node, or a deep copy of it when it belongs to another parent
    // or another name table (or would contain itself); returns what was added.
    // A child of this node is moved to the end.
    virtual TXmlPtr<IXmlNode> AppendChild(const TXmlPtr<IXmlNode>& child) = 0;
    // As AppendChild, but placed before the child "before" (at the end when
    // it is null). A child of this node is moved.
    virtual TXmlPtr<IXmlNode> InsertBefore(const TXmlPtr<IXmlNode>& child, const TXmlPtr<IXmlNode>& before) = 0;
    // Puts the new node (or its copy) in the place of the old child, which
    // loses its parent and is returned.
    virtual TXmlPtr<IXmlNode> ReplaceChild(const TXmlPtr<IXmlNode>& newChild, const TXmlPtr<IXmlNode>& oldChild) = 0;
    // Takes the child out of the list; it loses its parent and is returned.
    virtual TXmlPtr<IXmlNode> RemoveChild(const TXmlPtr<IXmlNode>& child) = 0;
    // Swaps the places of two children.
    virtual void ExchangeChildren(const TXmlPtr<IXmlNode>& child1, const TXmlPtr<IXmlNode>& child2) = 0;
    // New nodes appended as the last child.
    virtual TXmlPtr<IXmlElement> AppendElementById(TXmlNameId name) = 0;
    virtual TXmlPtr<IXmlElement> AppendElement(std::string_view name) = 0;
    virtual TXmlPtr<IXmlText> AppendText(const TXmlVariant& value) = 0;
    virtual TXmlPtr<IXmlCDATASection> AppendCDATA(std::string_view text) = 0;
    virtual TXmlPtr<IXmlComment> AppendComment(std::string_view text) = 0;
    virtual TXmlPtr<IXmlProcessingInstruction> AppendProcessingInstructionById(TXmlNameId target,
                                                                               std::string_view data) = 0;
    virtual TXmlPtr<IXmlProcessingInstruction> AppendProcessingInstruction(std::string_view target,
                                                                           std::string_view data) = 0;
    // The text of the first child element of that name, else the default.
    virtual std::string GetChildText(std::string_view name, std::string_view defaultText = {}) = 0;
    virtual std::string GetChildTextById(TXmlNameId name, std::string_view defaultText = {}) = 0;
    // Finds or appends the child element and sets its text.
    virtual void SetChildText(std::string_view name, std::string_view text) = 0;
    virtual void SetChildTextById(TXmlNameId name, std::string_view text) = 0;
    // The first child element of that name; raises "Error: Child node "%s"
    // not found" when there is none.
    virtual TXmlPtr<IXmlNode> RequireChildById(TXmlNameId name) = 0;
    virtual TXmlPtr<IXmlNode> RequireChild(std::string_view name) = 0;
    // The first child element of that name, appended when there is none.
    virtual TXmlPtr<IXmlNode> EnsureChildById(TXmlNameId name) = 0;
    virtual TXmlPtr<IXmlNode> EnsureChild(std::string_view name) = 0;
    // Children lose their parent link and are released.
    virtual void RemoveAllChildren() = 0;
    // Every child element of that name, in document order; an empty list when
    // none matches. A path "a\b" looks up "b" below the first "a": null when
    // there is no "a".
    virtual TXmlPtr<IXmlNodeList> SelectElements(std::string_view path) = 0;
    // The first child element of that name, following the first match at each
    // step of a path "a\b\c"; null when none. Names are matched exactly.
    virtual TXmlPtr<IXmlNode> SelectElement(std::string_view path) = 0;
    // The names from the topmost element below the document down to this
    // node, joined by "\".
    virtual std::string GetFullPath() = 0;
    // The first child element of that name whose attribute equals the value;
    // values that cannot be compared with it are skipped.
    virtual TXmlPtr<IXmlNode> FindElement(std::string_view elementName, std::string_view attrName,
                                          const TXmlVariant& value) = 0;
    virtual std::int32_t GetAttrCount() = 0;
    // Null, or "", for an index outside 0..count-1.
    virtual TXmlNameId GetAttrNameId(std::int32_t index) = 0;
    virtual const std::string& GetAttrName(std::int32_t index) = 0;
    // The others keep their order; a missing attribute is no error.
    virtual void RemoveAttr(std::string_view name) = 0;
    virtual void RemoveAttrById(TXmlNameId name) = 0;
    // The count becomes 0 and the attribute storage is freed.
    virtual void RemoveAllAttributes() = 0;
    virtual bool AttrExistsById(TXmlNameId name) = 0;
    virtual bool AttrExists(std::string_view name) = 0;
    // The type of the value; String when the attribute is missing.
    virtual TXmlVarType GetAttrTypeById(TXmlNameId name) = 0;
    virtual TXmlVarType GetAttrType(std::string_view name) = 0;
    virtual TXmlVariant GetVarAttrById(TXmlNameId name, const TXmlVariant& defaultValue = {}) = 0;
    virtual TXmlVariant GetVarAttr(std::string_view name, const TXmlVariant& defaultValue = {}) = 0;
    // Sets or replaces the attribute (attributes keep the order of first setting).
    virtual void SetVarAttrById(TXmlNameId name, const TXmlVariant& value) = 0;
    virtual void SetVarAttr(std::string_view name, const TXmlVariant& value) = 0;
    // The value as text; raises "Attribute "%s" not assigned" when missing.
    virtual std::string RequireAttrById(TXmlNameId name) = 0;
    virtual std::string RequireAttr(std::string_view name) = 0;
    // The value as text, else the default.
    virtual std::string GetAttrById(TXmlNameId name, std::string_view defaultText = {}) = 0;
    virtual std::string GetAttr(std::string_view name, std::string_view defaultText = {}) = 0;
    virtual void SetAttrById(TXmlNameId name, std::string_view text) = 0;
    virtual void SetAttr(std::string_view name, std::string_view text) = 0;
    // Typed reads give the default when the attribute is missing and raise
    // when its value cannot be converted; typed writes keep the type.
    virtual std::string GetBytesAttrById(TXmlNameId name, std::string_view defaultBytes = {}) = 0;
    virtual std::string GetBytesAttr(std::string_view name, std::string_view defaultBytes = {}) = 0;
    // Text: "true"/"false" in any letter case, or a number (not 0: true).
    virtual bool GetBoolAttrById(TXmlNameId name, bool defaultValue = false) = 0;
    virtual bool GetBoolAttr(std::string_view name, bool defaultValue = false) = 0;
    // Stored as a boolean, whose text is "1" or "0".
    virtual void SetBoolAttrById(TXmlNameId name, bool value) = 0;
    virtual void SetBoolAttr(std::string_view name, bool value) = 0;
    // Text: a decimal number; a fraction is rounded to the nearest (ties to
    // even); the value must fit in 32 bits.
    virtual std::int32_t GetIntAttrById(TXmlNameId name, std::int32_t defaultValue = 0) = 0;
    virtual std::int32_t GetIntAttr(std::string_view name, std::int32_t defaultValue = 0) = 0;
    virtual void SetIntAttrById(TXmlNameId name, std::int32_t value) = 0;
    virtual void SetIntAttr(std::string_view name, std::int32_t value) = 0;
    // Text: "YYYY-MM-DDThh:mm:ss"; other values are taken as days.
    virtual TXmlDateTime GetDateTimeAttrById(TXmlNameId name, TXmlDateTime defaultValue = 0) = 0;
    virtual TXmlDateTime GetDateTimeAttr(std::string_view name, TXmlDateTime defaultValue = 0) = 0;
    virtual void SetDateTimeAttrById(TXmlNameId name, TXmlDateTime value) = 0;
    virtual void SetDateTimeAttr(std::string_view name, TXmlDateTime value) = 0;
    // Text: a decimal number with "." and an optional exponent, or "INF",
    // "+INF", "-INF", "NAN" in any letter case; else raises "'%s' is not a
    // valid floating point value".
    virtual double GetFloatAttrById(TXmlNameId name, double defaultValue = 0) = 0;
    virtual double GetFloatAttr(std::string_view name, double defaultValue = 0) = 0;
    virtual void SetFloatAttrById(TXmlNameId name, double value) = 0;
    virtual void SetFloatAttr(std::string_view name, double value) = 0;
    // The value's text read as a hexadecimal number of at most 32 bits.
    virtual std::uint32_t GetHexAttr(std::string_view name, std::uint32_t defaultValue = 0) = 0;
    virtual std::uint32_t GetHexAttrById(TXmlNameId name, std::uint32_t defaultValue = 0) = 0;
    // Stored as upper-case hexadecimal text of at least that many digits.
    virtual void SetHexAttr(std::string_view name, std::uint32_t value, int digits = 0) = 0;
    virtual void SetHexAttrById(TXmlNameId name, std::uint32_t value, int digits = 0) = 0;
    // The index of the value among the allowed texts (compared without letter
    // case), the default when the attribute is missing; a value not in the
    // list raises a message that lists the allowed texts one per line.
    virtual int GetEnumAttr(std::string_view name, const TXmlEnumValues& values, int defaultValue = 0) = 0;
    virtual int GetEnumAttrById(TXmlNameId name, const TXmlEnumValues& values, int defaultValue = 0) = 0;
    // As GetEnumAttr; raises "Attribute "%s" not found" when missing.
    virtual int RequireEnumAttr(std::string_view name, const TXmlEnumValues& values) = 0;
    virtual int RequireEnumAttrById(TXmlNameId name, const TXmlEnumValues& values) = 0;
    // "": the node's own value; "@name": that attribute (the empty text when
    // missing); otherwise a path for SelectElement and that element's value
    // (the empty text when not found).
    virtual TXmlVariant GetValue(std::string_view name) = 0;
    // Mirrors GetValue: "" sets the node's value, "@name" the attribute, a
    // path the value of the element found there, appending the elements of
    // the path that are missing.
    virtual void SetValue(std::string_view name, const TXmlVariant& value) = 0;
    virtual TXmlPtr<IXmlElement> AsElement() = 0;
    virtual TXmlPtr<IXmlText> AsText() = 0;
    virtual TXmlPtr<IXmlCDATASection> AsCDATASection() = 0;
    virtual TXmlPtr<IXmlComment> AsComment() = 0;
    virtual TXmlPtr<IXmlProcessingInstruction> AsProcessingInstruction() = 0;
};

class IXmlElement : public virtual IXmlNode {
public:
    // Replaces the text and CDATA children with CDATA sections holding the
    // text; every "]]>" is split after its first "]" over two sections.
    virtual void SetCDATAText(std::string_view text) = 0;
    // Replaces the text and CDATA children with one text node holding the
    // bytes in Base64, with CR LF after every lineLength characters when
    // lineLength is above 0.
    virtual void SetBinaryText(std::string_view bytes, int lineLength) = 0;
    // The element's text decoded from Base64; characters below "!" are
    // ignored, and 3 characters or fewer give no bytes.
    virtual std::string GetBinaryText() = 0;
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
    // Called by LoadFromFile after each block read from the file (64 KiB), so
    // a caller can show how far a long file has come at no cost per element.
    virtual void SetOnFileRead(TXmlReadHandler handler) = 0;
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
    // Loads a resource compiled into the program (XmlResources.h) as
    // LoadFromStream does; a missing or empty one leaves the document unchanged.
    virtual void LoadFromResource(std::string_view resourceType, std::string_view resourceName) = 0;
    // Write GetXml's text: XmlCodePage with a matching encoding declaration.
    virtual void SaveToStream(std::ostream& stream) = 0;
    // Creates or replaces the file (EFCreateError, EWriteError).
    virtual void SaveToFile(const std::string& fileName) = 0;
    // The document in binary XML form; a tree the form cannot hold exactly
    // raises instead of being written changed.
    virtual void SaveBinaryToStream(std::ostream& stream) = 0;
    // Creates or replaces the file (EFCreateError, EWriteError on failure).
    virtual void SaveBinaryToFile(const std::string& fileName) = 0;
};

}  // namespace kestro
