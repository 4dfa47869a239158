#include "xml/XmlNodeList.h"

#include "diag/Exceptions.h"
#include "xml/XmlError.h"

namespace kestro {

TXmlNodeList::~TXmlNodeList() {
    if (!Owner) return;
    for (auto& item : Items)
        if (item->Parent == Owner) item->Parent = nullptr;
}

void TXmlNodeList::CheckIndex(std::int32_t index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= Items.size())
        RaiseXmlError(Format("Failed to get list item: Index %d out of range", index));
}

TXmlPtr<IXmlNode> TXmlNodeList::GetItem(std::int32_t index) {
    CheckIndex(index);
    return TXmlPtr<IXmlNode>(Items[static_cast<std::size_t>(index)].Get());
}

void TXmlNodeList::ExchangeItems(std::int32_t index1, std::int32_t index2) {
    CheckIndex(index1);
    CheckIndex(index2);
    Items[static_cast<std::size_t>(index1)].Swap(Items[static_cast<std::size_t>(index2)]);
}

std::string TXmlNodeList::GetXml() {
    std::string out;
    for (auto& item : Items) WriteXmlTree(*item, out);
    return out;
}

void TXmlNodeList::MakeRoom() {
    if (Items.size() < Items.capacity()) return;
    if (Items.size() >= static_cast<std::size_t>(INT32_MAX)) RaiseXmlError("Too many nodes in one list");
    auto capacity = static_cast<std::int32_t>(Items.capacity());
    std::int64_t grown = capacity > INT32_MAX - INT32_MAX / 4 ? INT32_MAX : GrownXmlCapacity(capacity);
    Items.reserve(static_cast<std::size_t>(grown));
}

TXmlNode* TXmlNodeList::Add(TXmlNode* node) { return Insert(Items.size(), node); }

TXmlNode* TXmlNodeList::Insert(std::size_t index, TXmlNode* node) {
    TXmlPtr<TXmlNode> added(node);
    if (Owner) {
        bool copy = (node->Parent && node->Parent != Owner) || node->NameTable != Owner->NameTable;
        // Adding a node under itself would make a cycle that is never freed;
        // only the owner itself or a node with children can be an ancestor.
        if (!copy && (node == Owner || node->HasChildren()))
            for (TXmlNode* up = Owner; up && !copy; up = up->Parent) copy = up == node;
        if (copy) {
            added = CloneXmlTree(*node, *Owner->NameTable, true);
        } else if (node->Parent == Owner) {
            // A child of this list moves; holding it twice would leave a
            // second entry behind once it is removed.
            std::ptrdiff_t current = IndexOf(node);
            if (current >= 0) {
                auto from = static_cast<std::size_t>(current);
                Items.erase(Items.begin() + current);
                if (from < index) --index;
            }
        }
    }
    MakeRoom();
    if (Owner) added->Parent = Owner;
    Items.insert(Items.begin() + static_cast<std::ptrdiff_t>(index), added);
    return added.Get();
}

std::ptrdiff_t TXmlNodeList::IndexOf(const TXmlNode* node) const {
    for (std::size_t i = 0; i < Items.size(); ++i)
        if (Items[i].Get() == node) return static_cast<std::ptrdiff_t>(i);
    return -1;
}

TXmlPtr<TXmlNode> TXmlNodeList::RemoveAt(std::size_t index) {
    TXmlPtr<TXmlNode> removed = std::move(Items[index]);
    Items.erase(Items.begin() + static_cast<std::ptrdiff_t>(index));
    if (Owner && removed->Parent == Owner) removed->Parent = nullptr;
    return removed;
}

void TXmlNodeList::AddNew(TXmlNode* node) {
    TXmlPtr<TXmlNode> added(node);
    MakeRoom();
    node->Parent = Owner;
    Items.push_back(std::move(added));
}

void TXmlNodeList::AddSelected(TXmlNode* node) {
    TXmlPtr<TXmlNode> added(node);
    MakeRoom();
    Items.push_back(std::move(added));
}

void TXmlNodeList::Clear() {
    std::vector<TXmlPtr<TXmlNode>> removed;
    removed.swap(Items);
    for (auto& item : removed)
        if (Owner && item->Parent == Owner) item->Parent = nullptr;
}

}  // namespace kestro
