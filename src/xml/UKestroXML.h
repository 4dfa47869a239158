#pragma once
// The XML library: a reference-counted node tree reached through interfaces,
// its text reader with conversion into one working code page, and path
// lookup of child elements. Errors are raised as kestro::Exception.
//
//     auto doc = CreateXmlDocument();
//     doc->SetOnElementEnd([&](IXmlNodeList*, const TXmlPtr<IXmlNode>& node) {
//         if (node->GetNodeName() != "wpt") return;
//         std::string lat = node->GetValue("@lat").AsText();
//         auto address = node->SelectElement("extensions\\gpxx:WaypointExtension\\gpxx:Address");
//         node->RemoveAllChildren();
//         node->RemoveAllAttributes();
//     });
//     doc->LoadFromFile(path);
#include <string_view>

#include "xml/XmlCodePage.h"
#include "xml/XmlInterfaces.h"

namespace kestro {

// Initial PreserveWhiteSpace of new documents (and the choice for nodes that
// belong to no document).
extern bool DefaultPreserveWhiteSpace;

// The first 14 bytes of a document in the library's binary XML form.
inline constexpr std::string_view BinXmlSignature = "< binary-xml >";

// Buckets of a new document's name table.
inline constexpr int DefaultNameTableBuckets = 499;

// Elements may nest this deep; deeper input is refused with an error.
inline constexpr int MaxXmlNestingDepth = 1024;

// A new document: with the given name table (else a new one of 499 buckets);
// when a root name is given, NewDocument(version, encoding, rootName) is
// applied. All arguments empty gives an empty document.
TXmlPtr<IXmlDocument> CreateXmlDocument(std::string_view rootName = {}, std::string_view version = {},
                                        std::string_view encoding = {},
                                        const TXmlPtr<IXmlNameTable>& nameTable = nullptr);

// A new, empty name table holding the six predefined names.
TXmlPtr<IXmlNameTable> CreateXmlNameTable(int bucketCount = DefaultNameTableBuckets);

}  // namespace kestro
