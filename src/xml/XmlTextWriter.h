#pragma once
// The text writer: node trees as XML text that the text reader reads back
// into the same tree.
#include <cstdint>
#include <string>
#include <string_view>

namespace kestro {

class TXmlNode;

// The encoding name that declares text of the code page (0 is 1252), or ""
// when the reader accepts no name for it.
std::string_view XmlEncodingName(std::uint16_t codePage);

// The whole document as text. Its bytes are those of XmlCodePage, or UTF-8
// when no encoding name stands for that code page; the "xml" declaration
// names that encoding, and one is written first when the document has none.
std::string WriteXmlDocument(TXmlNode& document);

}  // namespace kestro
