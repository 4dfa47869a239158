#pragma once
// Texts of a GPI file are bytes in the file's code page; the printers show
// them as UTF-8. A byte the code page cannot decode is kept as the code point
// 0xDC00 + byte (a lone surrogate, never a real character), so each printer
// can show it its own way.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Bytes.h"
#include "platform/TextConversion.h"

namespace kestro {

constexpr char32_t UndecodedByteBase = 0xDC00;
inline bool IsUndecodedByte(char32_t c) { return c >= UndecodedByteBase && c <= UndecodedByteBase + 0xFF; }

class TIconv;

class TTextDecoder {
public:
    explicit TTextDecoder(std::uint16_t codePage);
    ~TTextDecoder();
    TTextDecoder(const TTextDecoder&) = delete;
    TTextDecoder& operator=(const TTextDecoder&) = delete;

    // False when iconv has no such code page: then only ASCII bytes decode.
    bool Converts() const;
    std::u32string Decode(const Bytes& text);

private:
    std::unique_ptr<TIconv> converter_;
};

// The text in double quotes with C-style escapes: \" \\ \n \r \t, \xNN for
// other control bytes and for undecoded bytes, \uNNNN for C1 controls.
std::string QuoteForOutline(const std::u32string& text);

}  // namespace kestro
