#pragma once
// Helpers for the binary XML tests: documents written byte by byte the way
// the format's tables write them.
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

#include "XmlTestSupport.h"
#include "xml/XmlNameTable.h"

namespace kestro::test {

// A count: one byte up to 127, two bytes up to 32511, else 0xFF and 4 bytes.
inline Bytes BinCount(std::uint32_t value) {
    if (value <= 127) return Bytes(1, static_cast<char>(value));
    if (value <= 32511) return {static_cast<char>(0x80 | value >> 8), static_cast<char>(value & 0xFF)};
    return {'\xFF', static_cast<char>(value & 0xFF), static_cast<char>(value >> 8 & 0xFF),
            static_cast<char>(value >> 16 & 0xFF), static_cast<char>(value >> 24)};
}

// The name key of a name: the count of its hash.
inline Bytes BinKey(std::string_view name) { return BinCount(TXmlNameTable::Hash(name)); }

// A UTF-8 string: its length and its bytes.
inline Bytes BinUtf8(std::string_view text) { return BinCount(static_cast<std::uint32_t>(text.size())) + Bytes(text); }

// The signature followed by the given bytes (options first).
inline Bytes BinDocument(const Bytes& afterSignature) { return Bytes(BinXmlSignature) + afterSignature; }

// UTF-8 options, a name table of the given names, then the document body.
inline Bytes BinDocument(std::initializer_list<std::string_view> names, const Bytes& body) {
    Bytes bytes = Hex("00 00 00 00") + BinCount(static_cast<std::uint32_t>(names.size()));
    for (std::string_view name : names) bytes += BinUtf8(name);
    return BinDocument(bytes + body);
}

// The message of the library's error when the bytes are loaded, "" when they load.
template <class Load>
std::string LoadMessage(Load load) {
    try {
        load();
    } catch (const Exception& error) {
        return error.what();
    }
    return "";
}

inline std::string BinaryLoadError(const Bytes& bytes) {
    return LoadMessage([&] { CreateXmlDocument()->LoadBinaryXml(bytes); });
}

inline std::string StreamLoadError(const Bytes& bytes) {
    return LoadMessage([&] {
        std::istringstream stream(bytes);
        CreateXmlDocument()->LoadFromStream(stream);
    });
}

}  // namespace kestro::test
