#pragma once
// The node base class of the library and the attribute record.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "xml/XmlInterfaces.h"
#include "xml/XmlNameTable.h"

namespace kestro {

class TXmlNodeList;

struct TXmlAttrData {
    TXmlNameId Name = nullptr;
    TXmlVariant Value;
};

// Capacity after growing a full array of node list items or attributes: by 4
// entries while it holds fewer than 9, by 16 up to 64, then by a quarter.
inline std::int32_t GrownXmlCapacity(std::int32_t capacity) {
    return capacity + (capacity < 9 ? 4 : capacity <= 64 ? 16 : capacity / 4);
}

class TXmlNode : public TXmlBase, public virtual IXmlNode {
public:
    TXmlNode(TXmlNodeType kind, TXmlNameTable* nameTable);
    ~TXmlNode() override;

    // Type of the exact class: node kinds set it, any other class leaves Unknown.
    const TXmlNodeType Kind;
    // The node whose child list holds this one; a plain pointer, null at the top.
    TXmlNode* Parent = nullptr;
    TXmlPtr<TXmlNameTable> NameTable;
    std::int32_t AttrCount = 0;
    std::int32_t AttrCapacity = 0;
    std::unique_ptr<TXmlAttrData[]> Attrs;
    // Created on first use; nodes without children usually have none.
    TXmlPtr<TXmlNodeList> ChildList;

    // The child list, created on first use.
    virtual TXmlNodeList& GetChildList();
    // Renames elements; other kinds have no name of their own.
    virtual void SetNodeNameId(TXmlNameId) {}
    // A new node of the same kind with this node's own fields (no attributes,
    // no children), its names interned in the given table.
    virtual TXmlNode* NewShallowCopy(TXmlNameTable& table) = 0;
    // The XML text before and after the node's children.
    virtual void WriteStart(std::string& out) = 0;
    virtual void WriteEnd(std::string& /*out*/) {}

    bool HasChildren() const;
    TXmlAttrData* FindAttr(TXmlNameId name);
    void SetAttr(TXmlNameId name, TXmlVariant value);
    // Adds an attribute without looking for one of that name.
    void AppendAttr(TXmlNameId name, TXmlVariant value);
    // The first child that is an element of that name, or null.
    TXmlNode* FindChildElement(std::string_view name);
    TXmlNode* FindChildElementById(TXmlNameId name);
    // This table's identity of a name that may come from another table, so
    // that a node never keeps a name that its own table does not hold.
    TXmlNameId OwnNameId(TXmlNameId name);
    // Appends a new element; raises when the name is empty.
    TXmlNode* AppendNewElement(TXmlNameId name);
    // The attribute, raising "Attribute "%s" not assigned" when missing.
    TXmlAttrData& RequireAttrData(TXmlNameId name);
    // The text and CDATA children, trimmed unless white space is preserved,
    // non-empty ones joined by one blank.
    std::string ChildrenText();
    // PreserveWhiteSpace of the nearest document at or above this node, else
    // the library default.
    bool PreservesWhiteSpace();
    // The attributes as XML text, each preceded by a blank.
    void WriteAttributes(std::string& out);

    TXmlPtr<IXmlNameTable> GetNameTable() override;
    const std::string& GetNodeName() override;
    TXmlNodeType GetNodeType() override { return Kind; }
    TXmlVarType GetDataType() override;
    TXmlVariant GetNodeValue() override;
    void SetNodeValue(const TXmlVariant& value) override;
    std::string GetXml() override;
    TXmlPtr<IXmlNode> CloneNode(bool deep) override;
    TXmlPtr<IXmlNode> GetParentNode() override;
    TXmlPtr<IXmlDocument> GetOwnerDocument() override;
    TXmlPtr<IXmlNodeList> GetChildNodes() override;
    TXmlPtr<IXmlNode> AppendChild(const TXmlPtr<IXmlNode>& child) override;
    TXmlPtr<IXmlNode> InsertBefore(const TXmlPtr<IXmlNode>& child, const TXmlPtr<IXmlNode>& before) override;
    TXmlPtr<IXmlNode> ReplaceChild(const TXmlPtr<IXmlNode>& newChild, const TXmlPtr<IXmlNode>& oldChild) override;
    TXmlPtr<IXmlNode> RemoveChild(const TXmlPtr<IXmlNode>& child) override;
    void ExchangeChildren(const TXmlPtr<IXmlNode>& child1, const TXmlPtr<IXmlNode>& child2) override;
    TXmlPtr<IXmlElement> AppendElementById(TXmlNameId name) override;
    TXmlPtr<IXmlElement> AppendElement(std::string_view name) override;
    TXmlPtr<IXmlText> AppendText(const TXmlVariant& value) override;
    TXmlPtr<IXmlCDATASection> AppendCDATA(std::string_view text) override;
    TXmlPtr<IXmlComment> AppendComment(std::string_view text) override;
    TXmlPtr<IXmlProcessingInstruction> AppendProcessingInstructionById(TXmlNameId target,
                                                                       std::string_view data) override;
    TXmlPtr<IXmlProcessingInstruction> AppendProcessingInstruction(std::string_view target,
                                                                   std::string_view data) override;
    std::string GetChildText(std::string_view name, std::string_view defaultText) override;
    std::string GetChildTextById(TXmlNameId name, std::string_view defaultText) override;
    void SetChildText(std::string_view name, std::string_view text) override;
    void SetChildTextById(TXmlNameId name, std::string_view text) override;
    TXmlPtr<IXmlNode> RequireChildById(TXmlNameId name) override;
    TXmlPtr<IXmlNode> RequireChild(std::string_view name) override;
    TXmlPtr<IXmlNode> EnsureChildById(TXmlNameId name) override;
    TXmlPtr<IXmlNode> EnsureChild(std::string_view name) override;
    void RemoveAllChildren() override;
    TXmlPtr<IXmlNodeList> SelectElements(std::string_view path) override;
    TXmlPtr<IXmlNode> SelectElement(std::string_view path) override;
    std::string GetFullPath() override;
    TXmlPtr<IXmlNode> FindElement(std::string_view elementName, std::string_view attrName,
                                  const TXmlVariant& value) override;
    std::int32_t GetAttrCount() override { return AttrCount; }
    TXmlNameId GetAttrNameId(std::int32_t index) override;
    const std::string& GetAttrName(std::int32_t index) override;
    void RemoveAttr(std::string_view name) override;
    void RemoveAttrById(TXmlNameId name) override;
    void RemoveAllAttributes() override;
    bool AttrExistsById(TXmlNameId name) override;
    bool AttrExists(std::string_view name) override;
    TXmlVarType GetAttrTypeById(TXmlNameId name) override;
    TXmlVarType GetAttrType(std::string_view name) override;
    TXmlVariant GetVarAttrById(TXmlNameId name, const TXmlVariant& defaultValue) override;
    TXmlVariant GetVarAttr(std::string_view name, const TXmlVariant& defaultValue) override;
    void SetVarAttrById(TXmlNameId name, const TXmlVariant& value) override;
    void SetVarAttr(std::string_view name, const TXmlVariant& value) override;
    std::string RequireAttrById(TXmlNameId name) override;
    std::string RequireAttr(std::string_view name) override;
    std::string GetAttrById(TXmlNameId name, std::string_view defaultText) override;
    std::string GetAttr(std::string_view name, std::string_view defaultText) override;
    void SetAttrById(TXmlNameId name, std::string_view text) override;
    void SetAttr(std::string_view name, std::string_view text) override;
    std::string GetBytesAttrById(TXmlNameId name, std::string_view defaultBytes) override;
    std::string GetBytesAttr(std::string_view name, std::string_view defaultBytes) override;
    bool GetBoolAttrById(TXmlNameId name, bool defaultValue) override;
    bool GetBoolAttr(std::string_view name, bool defaultValue) override;
    void SetBoolAttrById(TXmlNameId name, bool value) override;
    void SetBoolAttr(std::string_view name, bool value) override;
    std::int32_t GetIntAttrById(TXmlNameId name, std::int32_t defaultValue) override;
    std::int32_t GetIntAttr(std::string_view name, std::int32_t defaultValue) override;
    void SetIntAttrById(TXmlNameId name, std::int32_t value) override;
    void SetIntAttr(std::string_view name, std::int32_t value) override;
    TXmlDateTime GetDateTimeAttrById(TXmlNameId name, TXmlDateTime defaultValue) override;
    TXmlDateTime GetDateTimeAttr(std::string_view name, TXmlDateTime defaultValue) override;
    void SetDateTimeAttrById(TXmlNameId name, TXmlDateTime value) override;
    void SetDateTimeAttr(std::string_view name, TXmlDateTime value) override;
    double GetFloatAttrById(TXmlNameId name, double defaultValue) override;
    double GetFloatAttr(std::string_view name, double defaultValue) override;
    void SetFloatAttrById(TXmlNameId name, double value) override;
    void SetFloatAttr(std::string_view name, double value) override;
    std::uint32_t GetHexAttr(std::string_view name, std::uint32_t defaultValue) override;
    std::uint32_t GetHexAttrById(TXmlNameId name, std::uint32_t defaultValue) override;
    void SetHexAttr(std::string_view name, std::uint32_t value, int digits) override;
    void SetHexAttrById(TXmlNameId name, std::uint32_t value, int digits) override;
    int GetEnumAttr(std::string_view name, const TXmlEnumValues& values, int defaultValue) override;
    int GetEnumAttrById(TXmlNameId name, const TXmlEnumValues& values, int defaultValue) override;
    int RequireEnumAttr(std::string_view name, const TXmlEnumValues& values) override;
    int RequireEnumAttrById(TXmlNameId name, const TXmlEnumValues& values) override;
    TXmlVariant GetValue(std::string_view name) override;
    void SetValue(std::string_view name, const TXmlVariant& value) override;
    TXmlPtr<IXmlElement> AsElement() override { return nullptr; }
    TXmlPtr<IXmlText> AsText() override { return nullptr; }
    TXmlPtr<IXmlCDATASection> AsCDATASection() override { return nullptr; }
    TXmlPtr<IXmlComment> AsComment() override { return nullptr; }
    TXmlPtr<IXmlProcessingInstruction> AsProcessingInstruction() override { return nullptr; }
};

// The library's object behind a node interface.
inline TXmlNode* XmlNodeOf(IXmlNode* node) {
    return node ? static_cast<TXmlNode*>(node->GetObject()) : nullptr;
}

// A copy of the node (with its attributes and, when deep, all descendants)
// whose names are interned in the given table. Works without recursion.
TXmlPtr<TXmlNode> CloneXmlTree(TXmlNode& node, TXmlNameTable& table, bool deep);

// The node and its descendants as XML text in XmlCodePage; "xml"
// declarations name that code page. Works without recursion. Raises when
// the tree holds what the text reader could not read back (names that are
// no XML names, "-->" in a comment, ...).
void WriteXmlTree(TXmlNode& node, std::string& out);

}  // namespace kestro
