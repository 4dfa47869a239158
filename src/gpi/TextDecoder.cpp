#include "gpi/TextDecoder.h"

#include "diag/Exceptions.h"
#include "platform/CodePages.h"
#include "platform/Iconv.h"

namespace kestro {

TTextDecoder::TTextDecoder(std::uint16_t codePage)
    : converter_(std::make_unique<TIconv>("UTF-32LE", CodePageEncodingName(codePage))) {}

TTextDecoder::~TTextDecoder() = default;

bool TTextDecoder::Converts() const { return converter_->Valid(); }

std::u32string TTextDecoder::Decode(const Bytes& text) {
    std::u32string out;
    if (!Converts()) {
        for (unsigned char c : text) out.push_back(c < 0x80 ? c : UndecodedByteBase + c);
        return out;
    }
    // An invalid or incomplete sequence keeps its first byte, as a code
    // point of its own, and decoding goes on after it.
    const std::string utf32 = converter_->Convert(text, [](const char* at, std::size_t, std::string& units) {
        const char32_t marker = UndecodedByteBase + static_cast<unsigned char>(*at);
        for (int i = 0; i < 4; ++i) units += static_cast<char>((marker >> (8 * i)) & 0xFF);
        return std::size_t{1};
    });
    for (std::size_t p = 0; p + 4 <= utf32.size(); p += 4) {
        char32_t c = 0;
        for (int i = 3; i >= 0; --i) c = (c << 8) | static_cast<unsigned char>(utf32[p + static_cast<std::size_t>(i)]);
        out.push_back(c);
    }
    return out;
}

std::string QuoteForOutline(const std::u32string& text) {
    std::string out = "\"";
    for (char32_t c : text) {
        if (IsUndecodedByte(c)) out += Format("\\x%02X", static_cast<unsigned>(c - UndecodedByteBase));
        else if (c == '"') out += "\\\"";
        else if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '\t') out += "\\t";
        else if (c < 0x20 || c == 0x7F) out += Format("\\x%02X", static_cast<unsigned>(c));
        else if (c >= 0x80 && c < 0xA0) out += Format("\\u%04X", static_cast<unsigned>(c));
        else AppendUtf8(out, c);
    }
    return out + "\"";
}

}  // namespace kestro
