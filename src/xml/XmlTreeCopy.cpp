#include <utility>
#include <vector>

#include "xml/XmlNode.h"
#include "xml/XmlNodeList.h"

namespace kestro {

namespace {
void CopyAttributes(TXmlNode& from, TXmlNode& to, TXmlNameTable& table) {
    bool sameTable = from.NameTable.Get() == &table;
    for (std::int32_t i = 0; i < from.AttrCount; ++i) {
        TXmlNameId name = sameTable ? from.Attrs[i].Name : table.Intern(from.NameTable->NameOf(from.Attrs[i].Name));
        to.SetAttr(name, from.Attrs[i].Value);
    }
}
}  // namespace

TXmlPtr<TXmlNode> CloneXmlTree(TXmlNode& node, TXmlNameTable& table, bool deep) {
    TXmlPtr<TXmlNode> root(node.NewShallowCopy(table));
    CopyAttributes(node, *root, table);
    if (!deep) return root;
    // Pairs of (original, copy) whose children are still to be copied.
    std::vector<std::pair<TXmlNode*, TXmlNode*>> pending{{&node, root.Get()}};
    while (!pending.empty()) {
        auto [from, to] = pending.back();
        pending.pop_back();
        if (!from->ChildList) continue;
        for (auto& child : from->ChildList->Items) {
            TXmlNode* copy = child->NewShallowCopy(table);
            to->GetChildList().AddNew(copy);
            CopyAttributes(*child, *copy, table);
            pending.emplace_back(child.Get(), copy);
        }
    }
    return root;
}

}  // namespace kestro
