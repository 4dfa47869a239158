#include "dump/TextDecoder.h"

#include <iconv.h>

#include <array>
#include <cerrno>

#include "diag/Exceptions.h"
#include "gpi/TextConversion.h"

namespace kestro {

namespace {
const iconv_t NoConverter = reinterpret_cast<iconv_t>(-1);
}

std::string IconvCodePageName(std::uint16_t codePage) { return CodePageEncodingName(codePage); }

TTextDecoder::TTextDecoder(std::uint16_t codePage)
    : converter_(iconv_open("UTF-32LE", IconvCodePageName(codePage).c_str())) {}

TTextDecoder::~TTextDecoder() {
    if (converter_ != NoConverter) iconv_close(static_cast<iconv_t>(converter_));
}

bool TTextDecoder::Converts() const { return converter_ != NoConverter; }

std::u32string TTextDecoder::Decode(const Bytes& text) {
    std::u32string out;
    if (!Converts()) {
        for (unsigned char c : text) out.push_back(c < 0x80 ? c : UndecodedByteBase + c);
        return out;
    }
    const auto cd = static_cast<iconv_t>(converter_);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    Bytes input = text;  // iconv wants a mutable input pointer
    char* in = input.data();
    std::size_t inLeft = input.size();
    std::array<char, 1024> buffer;
    auto collect = [&](const char* end) {
        for (const char* p = buffer.data(); p + 4 <= end; p += 4) {
            char32_t c = 0;
            for (int i = 3; i >= 0; --i) c = (c << 8) | static_cast<unsigned char>(p[i]);
            out.push_back(c);
        }
    };
    while (inLeft > 0) {
        char* outPtr = buffer.data();
        std::size_t outLeft = buffer.size();
        const std::size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        const int error = errno;
        collect(outPtr);
        if (result == static_cast<std::size_t>(-1) && error != E2BIG) {
            // An invalid or incomplete sequence: keep its first byte and go on after it.
            out.push_back(UndecodedByteBase + static_cast<unsigned char>(*in));
            ++in;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    char* outPtr = buffer.data();
    std::size_t outLeft = buffer.size();
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    collect(outPtr);
    return out;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | ((c >> 18) & 0x07));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
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
