#pragma once
// Program resources: named byte blobs compiled into the program, found by
// type and name (compared exactly). IXmlDocument::LoadFromResource reads
// them. The program registers none of its own.
//
//     static const TXmlResource Defaults("XML", "DEFAULTS", "<settings maxregion='200'/>");
#include <string_view>

namespace kestro {

// Registers a blob for as long as the object lives; a later registration of
// the same type and name hides an earlier one. The bytes are not copied:
// they must outlive the object (string literals and static arrays do).
class TXmlResource {
public:
    TXmlResource(std::string_view type, std::string_view name, std::string_view bytes);
    ~TXmlResource();
    TXmlResource(const TXmlResource&) = delete;
    TXmlResource& operator=(const TXmlResource&) = delete;

    const std::string_view Type;
    const std::string_view Name;
    const std::string_view Bytes;
};

// The registered resource, or nullptr when there is none.
const TXmlResource* FindXmlResource(std::string_view type, std::string_view name);

}  // namespace kestro
