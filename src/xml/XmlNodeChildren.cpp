// The child operations of the node interface: inserting, replacing and
// removing children, the append helpers, child texts, paths and SetValue.
#include <vector>

#include "diag/Exceptions.h"
#include "xml/XmlChars.h"
#include "xml/XmlElement.h"
#include "xml/XmlError.h"
#include "xml/XmlNodeList.h"
#include "xml/XmlTextNodes.h"
#include "xml/XmlValueConvert.h"

namespace kestro {

namespace {

TXmlNode* RequireNode(const TXmlPtr<IXmlNode>& node) {
    if (!node) RaiseXmlError("Node expected");
    return XmlNodeOf(node.Get());
}

// The index of a child in the node's child list; raises when it is none.
std::size_t ChildIndex(TXmlNode& parent, const TXmlPtr<IXmlNode>& child) {
    TXmlNode* node = RequireNode(child);
    std::ptrdiff_t index = parent.ChildList && node->Parent == &parent ? parent.ChildList->IndexOf(node) : -1;
    if (index < 0) RaiseXmlError("The node is not a child of this node");
    return static_cast<std::size_t>(index);
}

// The steps of a path as SelectElement reads it: plain names joined by "\".
std::vector<std::string_view> PathSteps(std::string_view path) {
    std::vector<std::string_view> steps;
    for (;;) {
        std::size_t split = path.find('\\');
        std::string_view step = path.substr(0, split);
        if (!IsPlainXmlName(step)) RaiseXmlError("This feature is not supported by KestroXML");
        steps.push_back(step);
        if (split == std::string_view::npos) return steps;
        path.remove_prefix(split + 1);
    }
}

}  // namespace

TXmlNode* TXmlNode::FindChildElementById(TXmlNameId name) {
    if (!name || !ChildList) return nullptr;
    for (auto& item : ChildList->Items)
        if (item->Kind == TXmlNodeType::Element && item->GetNodeNameId() == name) return item.Get();
    return nullptr;
}

TXmlNameId TXmlNode::OwnNameId(TXmlNameId name) { return name ? NameTable->Intern(*name) : nullptr; }

TXmlNode* TXmlNode::AppendNewElement(TXmlNameId name) {
    name = OwnNameId(name);
    if (!name) RaiseXmlError("Element name expected");
    TXmlPtr<TXmlNode> element(new TXmlElement(NameTable.Get(), name));
    GetChildList().AddNew(element.Get());
    return element.Get();
}

TXmlPtr<IXmlNode> TXmlNode::InsertBefore(const TXmlPtr<IXmlNode>& child, const TXmlPtr<IXmlNode>& before) {
    TXmlNode* node = RequireNode(child);
    if (!before) return AppendChild(child);
    std::size_t index = ChildIndex(*this, before);
    return TXmlPtr<IXmlNode>(ChildList->Insert(index, node));
}

TXmlPtr<IXmlNode> TXmlNode::ReplaceChild(const TXmlPtr<IXmlNode>& newChild, const TXmlPtr<IXmlNode>& oldChild) {
    TXmlNode* node = RequireNode(newChild);
    std::size_t index = ChildIndex(*this, oldChild);
    TXmlPtr<TXmlNode> old(XmlNodeOf(oldChild.Get()));
    if (node == old.Get()) return oldChild;
    // The new node goes in first, so a failure leaves the old one in place.
    ChildList->Insert(index, node);
    ChildList->RemoveAt(static_cast<std::size_t>(ChildList->IndexOf(old.Get())));
    return oldChild;
}

TXmlPtr<IXmlNode> TXmlNode::RemoveChild(const TXmlPtr<IXmlNode>& child) {
    std::size_t index = ChildIndex(*this, child);
    ChildList->RemoveAt(index);
    return child;
}

void TXmlNode::ExchangeChildren(const TXmlPtr<IXmlNode>& child1, const TXmlPtr<IXmlNode>& child2) {
    std::size_t index1 = ChildIndex(*this, child1);
    std::size_t index2 = ChildIndex(*this, child2);
    ChildList->Items[index1].Swap(ChildList->Items[index2]);
}

TXmlPtr<IXmlElement> TXmlNode::AppendElementById(TXmlNameId name) {
    return static_cast<TXmlElement*>(AppendNewElement(name))->AsElement();
}

TXmlPtr<IXmlElement> TXmlNode::AppendElement(std::string_view name) {
    return static_cast<TXmlElement*>(AppendNewElement(NameTable->Intern(name)))->AsElement();
}

TXmlPtr<IXmlText> TXmlNode::AppendText(const TXmlVariant& value) {
    TXmlPtr<TXmlText> text(new TXmlText(NameTable.Get(), value));
    GetChildList().AddNew(text.Get());
    return TXmlPtr<IXmlText>(text.Get());
}

TXmlPtr<IXmlCDATASection> TXmlNode::AppendCDATA(std::string_view text) {
    TXmlPtr<TXmlCDATASection> section(new TXmlCDATASection(NameTable.Get(), text));
    GetChildList().AddNew(section.Get());
    return TXmlPtr<IXmlCDATASection>(section.Get());
}

TXmlPtr<IXmlComment> TXmlNode::AppendComment(std::string_view text) {
    TXmlPtr<TXmlComment> comment(new TXmlComment(NameTable.Get(), text));
    GetChildList().AddNew(comment.Get());
    return TXmlPtr<IXmlComment>(comment.Get());
}

TXmlPtr<IXmlProcessingInstruction> TXmlNode::AppendProcessingInstructionById(TXmlNameId target,
                                                                             std::string_view data) {
    target = OwnNameId(target);
    if (!target) RaiseXmlError("Processing instruction target expected");
    TXmlPtr<TXmlProcessingInstruction> instruction(new TXmlProcessingInstruction(NameTable.Get(), target, data));
    GetChildList().AddNew(instruction.Get());
    return TXmlPtr<IXmlProcessingInstruction>(instruction.Get());
}

TXmlPtr<IXmlProcessingInstruction> TXmlNode::AppendProcessingInstruction(std::string_view target,
                                                                         std::string_view data) {
    return AppendProcessingInstructionById(NameTable->Intern(target), data);
}

std::string TXmlNode::GetChildText(std::string_view name, std::string_view defaultText) {
    return GetChildTextById(NameTable->Find(name), defaultText);
}

std::string TXmlNode::GetChildTextById(TXmlNameId name, std::string_view defaultText) {
    TXmlNode* child = FindChildElementById(name);
    return child ? child->GetText() : std::string(defaultText);
}

void TXmlNode::SetChildText(std::string_view name, std::string_view text) {
    SetChildTextById(NameTable->Intern(name), text);
}

void TXmlNode::SetChildTextById(TXmlNameId name, std::string_view text) {
    TXmlNode* child = FindChildElementById(name);
    if (!child) child = AppendNewElement(name);
    child->SetText(text);
}

TXmlPtr<IXmlNode> TXmlNode::RequireChildById(TXmlNameId name) {
    TXmlNode* child = FindChildElementById(name);
    if (!child) RaiseXmlError(Format("Error: Child node \"%s\" not found", NameTable->NameOf(name).c_str()));
    return TXmlPtr<IXmlNode>(child);
}

TXmlPtr<IXmlNode> TXmlNode::RequireChild(std::string_view name) {
    TXmlNode* child = FindChildElement(name);
    if (!child) RaiseXmlError(Format("Error: Child node \"%s\" not found", std::string(name).c_str()));
    return TXmlPtr<IXmlNode>(child);
}

TXmlPtr<IXmlNode> TXmlNode::EnsureChildById(TXmlNameId name) {
    TXmlNode* child = FindChildElementById(name);
    return TXmlPtr<IXmlNode>(child ? child : AppendNewElement(name));
}

TXmlPtr<IXmlNode> TXmlNode::EnsureChild(std::string_view name) { return EnsureChildById(NameTable->Intern(name)); }

std::string TXmlNode::GetFullPath() {
    std::vector<const std::string*> names;
    for (TXmlNode* node = this; node && node->Kind != TXmlNodeType::Document; node = node->Parent)
        names.push_back(&node->GetNodeName());
    std::string path;
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        if (!path.empty()) path += '\\';
        path += **name;
    }
    return path;
}

TXmlPtr<IXmlNode> TXmlNode::FindElement(std::string_view elementName, std::string_view attrName,
                                        const TXmlVariant& value) {
    TXmlNameId element = NameTable->Find(elementName);
    TXmlNameId attribute = NameTable->Find(attrName);
    if (!element || !attribute || !ChildList) return nullptr;
    for (auto& item : ChildList->Items) {
        if (item->Kind != TXmlNodeType::Element || item->GetNodeNameId() != element) continue;
        TXmlAttrData* attr = item->FindAttr(attribute);
        if (attr && XmlValuesEqual(attr->Value, value).value_or(false)) return TXmlPtr<IXmlNode>(item.Get());
    }
    return nullptr;
}

void TXmlNode::SetValue(std::string_view name, const TXmlVariant& value) {
    if (name.empty()) return SetNodeValue(value);
    if (name[0] == '@') return SetVarAttr(name.substr(1), value);
    // The whole path is checked before any element is appended.
    TXmlNode* node = this;
    for (std::string_view step : PathSteps(name)) {
        TXmlNameId id = NameTable->Intern(step);
        TXmlNode* child = node->FindChildElementById(id);
        node = child ? child : node->AppendNewElement(id);
    }
    node->SetNodeValue(value);
}

}  // namespace kestro
