#include "xml/XmlNode.h"

#include "xml/UKestroXML.h"
#include "xml/XmlChars.h"
#include "xml/XmlDocument.h"
#include "xml/XmlError.h"
#include "xml/XmlNodeList.h"
#include "xml/XmlTextNodes.h"

namespace kestro {

bool DefaultPreserveWhiteSpace = false;

namespace {
const char* const UnsupportedPath = "This feature is not supported by KestroXML";
}  // namespace

TXmlNode::TXmlNode(TXmlNodeType kind, TXmlNameTable* nameTable) : Kind(kind), NameTable(nameTable) {}

TXmlNode::~TXmlNode() {
    // Children that outlive this node (held elsewhere) must not point back to it.
    if (!ChildList) return;
    if (ChildList->Owner == this) ChildList->Owner = nullptr;
    for (auto& item : ChildList->Items)
        if (item->Parent == this) item->Parent = nullptr;
}

TXmlNodeList& TXmlNode::GetChildList() {
    if (!ChildList) ChildList = TXmlPtr<TXmlNodeList>(new TXmlNodeList(this));
    return *ChildList;
}

bool TXmlNode::HasChildren() const { return ChildList && !ChildList->Items.empty(); }

TXmlAttrData* TXmlNode::FindAttr(TXmlNameId name) {
    if (!name) return nullptr;
    for (std::int32_t i = 0; i < AttrCount; ++i)
        if (Attrs[i].Name == name) return &Attrs[i];
    return nullptr;
}

void TXmlNode::SetAttr(TXmlNameId name, TXmlVariant value) {
    if (TXmlAttrData* existing = FindAttr(name)) {
        existing->Value = std::move(value);
        return;
    }
    AppendAttr(name, std::move(value));
}

void TXmlNode::AppendAttr(TXmlNameId name, TXmlVariant value) {
    if (AttrCount == AttrCapacity) {
        if (AttrCapacity > INT32_MAX / 2) RaiseXmlError("Too many attributes");
        std::int32_t capacity = GrownXmlCapacity(AttrCapacity);
        auto grown = std::make_unique<TXmlAttrData[]>(static_cast<std::size_t>(capacity));
        for (std::int32_t i = 0; i < AttrCount; ++i) grown[i] = std::move(Attrs[i]);
        Attrs = std::move(grown);
        AttrCapacity = capacity;
    }
    Attrs[AttrCount].Name = name;
    Attrs[AttrCount].Value = std::move(value);
    ++AttrCount;
}

TXmlNameId TXmlNode::GetAttrNameId(std::int32_t index) {
    return index >= 0 && index < AttrCount ? Attrs[index].Name : nullptr;
}

void TXmlNode::RemoveAllAttributes() {
    // The storage is given back too: emptied waypoint elements stay in the
    // tree for the rest of the file, and are never given attributes again.
    Attrs.reset();
    AttrCount = 0;
    AttrCapacity = 0;
}

bool TXmlNode::AttrExists(std::string_view name) { return FindAttr(NameTable->Find(name)) != nullptr; }

void TXmlNode::SetVarAttr(std::string_view name, const TXmlVariant& value) {
    TXmlNameId id = NameTable->Intern(name);
    if (!id) RaiseXmlError("Attribute name expected");
    SetAttr(id, value);
}

TXmlNode* TXmlNode::FindChildElement(std::string_view name) {
    TXmlNameId id = NameTable->Find(name);
    if (!id || !ChildList) return nullptr;
    for (auto& item : ChildList->Items)
        if (item->Kind == TXmlNodeType::Element && item->GetNodeNameId() == id) return item.Get();
    return nullptr;
}

bool TXmlNode::PreservesWhiteSpace() {
    for (TXmlNode* node = this; node; node = node->Parent)
        if (node->Kind == TXmlNodeType::Document) return static_cast<TXmlDocument*>(node)->PreserveWhiteSpace;
    return DefaultPreserveWhiteSpace;
}

std::string TXmlNode::ChildrenText() {
    std::string text;
    if (!ChildList) return text;
    bool preserve = PreservesWhiteSpace();
    for (auto& item : ChildList->Items) {
        if (item->Kind != TXmlNodeType::Text && item->Kind != TXmlNodeType::CDATASection) continue;
        std::string piece = item->GetText();
        std::string_view part = preserve ? std::string_view(piece) : TrimXmlBlanks(piece);
        if (part.empty()) continue;
        if (text.empty()) {
            // Mostly the one text there is: taken, not copied.
            if (part.size() == piece.size()) text = std::move(piece);
            else text.assign(part);
            continue;
        }
        text += ' ';
        text += part;
    }
    return text;
}

TXmlPtr<IXmlNameTable> TXmlNode::GetNameTable() { return TXmlPtr<IXmlNameTable>(NameTable.Get()); }

const std::string& TXmlNode::GetNodeName() { return NameTable->NameOf(GetNodeNameId()); }

TXmlVarType TXmlNode::GetDataType() { return GetNodeValue().Type(); }

TXmlVariant TXmlNode::GetNodeValue() { return TXmlVariant(GetText()); }

void TXmlNode::SetNodeValue(const TXmlVariant& value) { SetText(value.AsText()); }

std::string TXmlNode::GetXml() {
    std::string out;
    WriteXmlTree(*this, out);
    return out;
}

TXmlPtr<IXmlNode> TXmlNode::CloneNode(bool deep) {
    return TXmlPtr<IXmlNode>(CloneXmlTree(*this, *NameTable, deep).Get());
}

TXmlPtr<IXmlNode> TXmlNode::GetParentNode() { return TXmlPtr<IXmlNode>(Parent); }

TXmlPtr<IXmlDocument> TXmlNode::GetOwnerDocument() {
    for (TXmlNode* node = Parent; node; node = node->Parent)
        if (node->Kind == TXmlNodeType::Document) return TXmlPtr<IXmlDocument>(static_cast<TXmlDocument*>(node));
    return nullptr;
}

TXmlPtr<IXmlNodeList> TXmlNode::GetChildNodes() { return TXmlPtr<IXmlNodeList>(&GetChildList()); }

TXmlPtr<IXmlNode> TXmlNode::AppendChild(const TXmlPtr<IXmlNode>& child) {
    if (!child) RaiseXmlError("Node expected");
    return TXmlPtr<IXmlNode>(GetChildList().Add(XmlNodeOf(child.Get())));
}

void TXmlNode::RemoveAllChildren() {
    if (!ChildList) return;
    ChildList->Clear();
    // An emptied list that nobody else holds is dropped, so emptied elements
    // keep nothing behind; it is made again on first use.
    if (ChildList->RefCount() == 1) {
        ChildList->Owner = nullptr;
        ChildList.Reset();
    }
}

TXmlPtr<IXmlNode> TXmlNode::SelectElement(std::string_view path) {
    TXmlNode* node = this;
    for (;;) {
        if (IsPlainXmlName(path)) return TXmlPtr<IXmlNode>(node->FindChildElement(path));
        std::size_t split = path.find('\\');
        if (split == std::string_view::npos || !IsPlainXmlName(path.substr(0, split)))
            RaiseXmlError(UnsupportedPath);
        node = node->FindChildElement(path.substr(0, split));
        if (!node) return nullptr;
        path.remove_prefix(split + 1);
    }
}

TXmlPtr<IXmlNodeList> TXmlNode::SelectElements(std::string_view path) {
    TXmlNode* node = this;
    for (;;) {
        if (IsPlainXmlName(path)) {
            TXmlPtr<TXmlNodeList> list(new TXmlNodeList(nullptr));
            TXmlNameId id = NameTable->Find(path);
            if (id && node->ChildList)
                for (auto& item : node->ChildList->Items)
                    if (item->Kind == TXmlNodeType::Element && item->GetNodeNameId() == id)
                        list->AddSelected(item.Get());
            return TXmlPtr<IXmlNodeList>(list.Get());
        }
        std::size_t split = path.find('\\');
        if (split == std::string_view::npos || !IsPlainXmlName(path.substr(0, split)))
            RaiseXmlError(UnsupportedPath);
        node = node->FindChildElement(path.substr(0, split));
        if (!node) return nullptr;
        path.remove_prefix(split + 1);
    }
}

TXmlVariant TXmlNode::GetValue(std::string_view name) {
    if (name.empty()) return GetNodeValue();
    if (name[0] == '@') {
        TXmlAttrData* attr = FindAttr(NameTable->Find(name.substr(1)));
        return attr ? attr->Value : TXmlVariant("");
    }
    TXmlPtr<IXmlNode> found = SelectElement(name);
    return found ? found->GetNodeValue() : TXmlVariant("");
}

void TXmlNode::WriteAttributes(std::string& out) {
    for (std::int32_t i = 0; i < AttrCount; ++i) {
        out += ' ';
        out += NameTable->NameOf(Attrs[i].Name);
        out += "=\"";
        AppendEscapedXmlAttrValue(out, Attrs[i].Value.AsText());
        out += '"';
    }
}

}  // namespace kestro
