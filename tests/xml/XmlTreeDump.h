#pragma once
// A readable outline of a node tree, for comparing trees in tests: one line
// per node with its kind, name, attributes and text, indented by depth.
#include <string>

#include "xml/UKestroXML.h"

namespace kestro::test {

inline void DumpXmlTree(const TXmlPtr<IXmlNode>& node, std::string& out, int depth = 0) {
    out.append(static_cast<std::size_t>(depth) * 2, ' ');
    switch (node->GetNodeType()) {
        case TXmlNodeType::Element: out += "element " + node->GetNodeName(); break;
        case TXmlNodeType::Text: out += "text '" + node->GetNodeValue().AsText() + "'"; break;
        case TXmlNodeType::CDATASection: out += "cdata '" + node->GetText() + "'"; break;
        case TXmlNodeType::Comment: out += "comment '" + node->GetText() + "'"; break;
        case TXmlNodeType::ProcessingInstruction: out += "pi " + node->GetNodeName() + " '" + node->GetText() + "'"; break;
        case TXmlNodeType::Document: out += "document"; break;
        default: out += "unknown"; break;
    }
    for (int i = 0; i < node->GetAttrCount(); ++i)
        out += " " + node->GetAttrName(i) + "='" + node->GetValue("@" + node->GetAttrName(i)).AsText() + "'";
    out += '\n';
    auto children = node->GetChildNodes();
    for (int i = 0; i < children->GetCount(); ++i) DumpXmlTree(children->GetItem(i), out, depth + 1);
}

template <class T>
std::string DumpXmlTree(const TXmlPtr<T>& node) {
    std::string out;
    DumpXmlTree(TXmlPtr<IXmlNode>(node.Get()), out);
    return out;
}

}  // namespace kestro::test
