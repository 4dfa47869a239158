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
    // The first child that is an element of that name, or null.
    TXmlNode* FindChildElement(std::string_view name);
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
    void RemoveAllChildren() override;
    TXmlPtr<IXmlNodeList> SelectElements(std::string_view path) override;
    TXmlPtr<IXmlNode> SelectElement(std::string_view path) override;
    std::int32_t GetAttrCount() override { return AttrCount; }
    TXmlNameId GetAttrNameId(std::int32_t index) override;
    void RemoveAllAttributes() override;
    bool AttrExists(std::string_view name) override;
    void SetVarAttr(std::string_view name, const TXmlVariant& value) override;
    TXmlVariant GetValue(std::string_view name) override;
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

// The node and its descendants as XML text. Works without recursion.
void WriteXmlTree(TXmlNode& node, std::string& out);

}  // namespace kestro
