#pragma once
// Conversion of input text into the working code page: bytes of the source
// encoding become 16-bit units, and the units become bytes of the working
// code page, "?" for what it cannot hold (never a look-alike substitute).
// Tables are built once per code page from glibc's iconv.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kestro {

// The library's own UTF-8 decoder. Decodes whole sequences from bytes into
// units until the input or the output room runs out; returns the number of
// bytes consumed, so a sequence whose bytes are all continuation bytes but
// too few is left over (the caller makes it one "?" at the end of input).
// A lead byte followed by fewer continuation bytes than it announces gives,
// with those that did follow, one "?", and decoding goes on at the byte that
// is no continuation. Overlong forms are accepted; a byte that can start no
// sequence, and a 4-byte value beyond U+10FFFF or in the surrogate range,
// gives "?".
// With stopAtAscii, decoding also stops before a byte below 0x80 that would
// start a sequence, so ASCII runs can be copied without conversion.
std::size_t DecodeXmlUtf8(const unsigned char* bytes, std::size_t count, char16_t* units, std::size_t room,
                          std::size_t& unitCount, bool stopAtAscii = false);

// Bytes of an 8-bit code page to 16-bit units; a byte the code page leaves
// undefined becomes U+FFFD.
class TXmlDecoder {
public:
    // Raises when iconv does not know the code page.
    static const TXmlDecoder& For(std::uint16_t codePage);
    void Decode(const unsigned char* bytes, std::size_t count, char16_t* units) const {
        for (std::size_t i = 0; i < count; ++i) units[i] = Units_[bytes[i]];
    }

private:
    std::array<char16_t, 256> Units_{};
    friend struct TXmlTranscoderCache;
};

// 16-bit units to bytes of one code page.
// The characters this thread's conversions into a code page could not hold
// and wrote as "?": a reader clears it before a file and tells the count after.
struct TXmlReplaced {
    std::int64_t Count = 0;
    char32_t First = 0;  // the first of them, to name its script
};
TXmlReplaced& XmlReplacedCharacters();

class TXmlEncoder {
public:
    // No unit takes more bytes than this in any code page; buffers are sized by it.
    static constexpr std::size_t MaxBytesPerUnit = 4;

    // Raises when iconv does not know the code page.
    static const TXmlEncoder& For(std::uint16_t codePage);
    TXmlEncoder();
    ~TXmlEncoder();

    // Writes the units' bytes to out (room for MaxBytesPerUnit per unit) and
    // returns their number. A surrogate pair is one character; a lone
    // surrogate gives "?".
    std::size_t Encode(const char16_t* units, std::size_t count, char* out) const;
    // Whether ASCII characters are their own single bytes in this code page.
    bool AsciiSafe() const { return AsciiSafe_; }

private:
    struct TCell {
        char Bytes[MaxBytesPerUnit];
        std::uint8_t Length;  // 0: not yet known
    };
    using TPage = std::array<TCell, 256>;

    std::size_t EncodeCodePoint(std::uint32_t codePoint, char* out) const;
    std::size_t Replacement(char* out) const;
    void Convert(std::uint32_t codePoint, TCell& cell) const;

    std::uint16_t CodePage_ = 0;
    bool Utf8_ = false;
    bool AsciiSafe_ = false;          // ASCII characters keep their bytes
    std::string Question_ = "?";      // "?" in this code page
    std::vector<std::int16_t> Single_;  // single-byte code pages: byte of each BMP unit, -1 if none
    // Multi-byte code pages: cells of the BMP, converted page by page on first use.
    mutable std::vector<std::unique_ptr<TPage>> Pages_;
    struct TConverter;
    std::unique_ptr<TConverter> Iconv_;
    friend struct TXmlTranscoderCache;
};

}  // namespace kestro
