#pragma once
// Constants of the library's binary XML form, shared by its reader and writer.
//
// Layout: the 14-byte signature, 4 bytes of options, the name table (a count
// and that many strings), then the document's node body. A node body is a
// count of attributes (name key, value), a count of children and their
// records. Names are referred to by the 32-bit hash of the name table.
#include <cstdint>

namespace kestro {

// Options bit 0: strings of the name table, CDATA sections, comments and
// instruction data are UTF-16; clear: UTF-8.
inline constexpr std::uint32_t BinXmlWideStrings = 1;

// The type byte that starts each node record.
enum class TBinXmlRecord : std::uint8_t {
    Element = 1,
    Text = 2,
    CDATASection = 3,
    ProcessingInstruction = 4,
    Comment = 5,
};

// A count takes one byte up to this value ...
inline constexpr std::uint32_t BinXmlCountOneByteMax = 127;
// ... two bytes up to this one (first byte 0x80-0xFE), else 0xFF and 4 bytes.
inline constexpr std::uint32_t BinXmlCountTwoByteMax = 32511;
inline constexpr std::uint8_t BinXmlCountLongForm = 0xFF;

// The smallest encodings, used to refuse counts that the remaining input
// cannot hold before anything is allocated for them: a node record is at
// least a type byte and one count, an attribute a name key and a type code.
inline constexpr std::uint64_t BinXmlMinRecordSize = 2;
inline constexpr std::uint64_t BinXmlMinAttributeSize = 2;

}  // namespace kestro
