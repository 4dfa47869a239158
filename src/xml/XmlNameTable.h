#pragma once
// The name table shared by all nodes of a document: every element, attribute
// and instruction name is interned once and then compared by identity.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xml/XmlInterfaces.h"

namespace kestro {

class TXmlNameTable : public TXmlBase, public IXmlNameTable {
    struct TBucket {
        std::vector<std::unique_ptr<const std::string>> Names;
        std::vector<std::uint32_t> Hashes;
    };
    // Declared before the predefined names, which are interned into it.
    std::vector<TBucket> Buckets_;

public:
    explicit TXmlNameTable(int bucketCount);

    TXmlNameId Intern(std::string_view name) override;
    const std::string& NameOf(TXmlNameId id) override { return id ? *id : EmptyName(); }
    TXmlNameId FindByHash(std::uint32_t hash) override;
    // The identity of a name already interned, or null; adds nothing.
    TXmlNameId Find(std::string_view name) const;

    static std::uint32_t Hash(std::string_view name) noexcept {
        std::uint32_t h = 0;
        for (unsigned char c : name) h = h + ((h << 6) ^ c);
        return h;
    }
    static const std::string& EmptyName();

    // The six predefined names, interned at creation in this order.
    TXmlNameId const TextName;
    TXmlNameId const CDATASectionName;
    TXmlNameId const CommentName;
    TXmlNameId const DocumentName;
    TXmlNameId const XmlName;
    TXmlNameId const EncodingName;

private:
    TBucket& BucketOf(std::uint32_t hash) { return Buckets_[hash % Buckets_.size()]; }
};

}  // namespace kestro
