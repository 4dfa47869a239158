#pragma once
// A list of nodes: an element's or document's child list (with an owner), or
// a selection made by SelectElements (without one).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "xml/XmlNode.h"

namespace kestro {

class TXmlNodeList : public TXmlBase, public IXmlNodeList {
public:
    explicit TXmlNodeList(TXmlNode* owner) : Owner(owner) {}
    ~TXmlNodeList() override;

    // A plain pointer; null for selections and once the owner is gone.
    TXmlNode* Owner;
    std::vector<TXmlPtr<TXmlNode>> Items;

    std::int32_t GetCount() override { return static_cast<std::int32_t>(Items.size()); }
    TXmlPtr<IXmlNode> GetItem(std::int32_t index) override;
    void ExchangeItems(std::int32_t index1, std::int32_t index2) override;
    std::string GetXml() override;

    // Adds the node to a child list. A node that has another parent, belongs
    // to another name table, or is the owner or one of its ancestors is
    // deep-copied and the copy is added; returns what was added.
    TXmlNode* Add(TXmlNode* node);
    // As Add, placed before the item at index (the end at the count). A node
    // already in this list is moved, never held twice.
    TXmlNode* Insert(std::size_t index, TXmlNode* node);
    // The index of the node in this list, or -1.
    std::ptrdiff_t IndexOf(const TXmlNode* node) const;
    // Takes the item out; it loses its parent link.
    TXmlPtr<TXmlNode> RemoveAt(std::size_t index);
    // Adds a node known to have no parent and the owner's name table, as the
    // reader's fresh nodes do.
    void AddNew(TXmlNode* node);
    // Adds a node to a selection; its parent stays as it is.
    void AddSelected(TXmlNode* node);
    // Children lose their parent link and are released; the storage is freed.
    void Clear();

private:
    void MakeRoom();
    void CheckIndex(std::int32_t index) const;
};

}  // namespace kestro
