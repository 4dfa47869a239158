#include "xml/XmlNameTable.h"

namespace kestro {

TXmlNameTable::TXmlNameTable(int bucketCount)
    : Buckets_(bucketCount > 0 ? static_cast<std::size_t>(bucketCount) : 1),
      TextName(TXmlNameTable::Intern("#text")),
      CDATASectionName(TXmlNameTable::Intern("#cdata-section")),
      CommentName(TXmlNameTable::Intern("#comment")),
      DocumentName(TXmlNameTable::Intern("#document")),
      XmlName(TXmlNameTable::Intern("xml")),
      EncodingName(TXmlNameTable::Intern("encoding")) {}

const std::string& TXmlNameTable::EmptyName() {
    static const std::string empty;
    return empty;
}

TXmlNameId TXmlNameTable::Intern(std::string_view name) {
    if (name.empty()) return nullptr;
    std::uint32_t hash = Hash(name);
    TBucket& bucket = BucketOf(hash);
    for (std::size_t i = 0; i < bucket.Hashes.size(); ++i)
        if (bucket.Hashes[i] == hash && *bucket.Names[i] == name) return bucket.Names[i].get();
    auto stored = std::make_unique<const std::string>(name);
    bucket.Hashes.push_back(hash);
    try {
        bucket.Names.push_back(std::move(stored));
    } catch (...) {
        bucket.Hashes.pop_back();  // keep the two arrays parallel
        throw;
    }
    return bucket.Names.back().get();
}

TXmlNameId TXmlNameTable::Find(std::string_view name) const {
    if (name.empty()) return nullptr;
    std::uint32_t hash = Hash(name);
    const TBucket& bucket = Buckets_[hash % Buckets_.size()];
    for (std::size_t i = 0; i < bucket.Hashes.size(); ++i)
        if (bucket.Hashes[i] == hash && *bucket.Names[i] == name) return bucket.Names[i].get();
    return nullptr;
}

TXmlNameId TXmlNameTable::FindByHash(std::uint32_t hash) {
    const TBucket& bucket = BucketOf(hash);
    for (std::size_t i = 0; i < bucket.Hashes.size(); ++i)
        if (bucket.Hashes[i] == hash) return bucket.Names[i].get();
    return nullptr;
}

}  // namespace kestro
