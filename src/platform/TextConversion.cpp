#include "platform/TextConversion.h"

#include <algorithm>

#include "diag/Exceptions.h"
#include "platform/Iconv.h"

namespace kestro {

namespace {

// Length of the UTF-8 sequence that starts with `lead`; 1 for a byte that
// cannot start one, so that it is replaced on its own.
std::size_t Utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC2) return 2;
    return 1;
}

// One "?" for the rejected sequence at `at`: a whole character when it is
// well formed, else just its first byte.
std::size_t ReplaceUtf8Sequence(const char* at, std::size_t left, std::string& out) {
    out += '?';
    const std::size_t length = Utf8SequenceLength(static_cast<unsigned char>(*at));
    if (length > left) return 1;
    for (std::size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(at[i]) & 0xC0) != 0x80) return 1;
    return length;
}

// A byte the code page leaves undefined has no character to become.
std::size_t ReplaceByte(const char*, std::size_t, std::string& out) {
    out += '?';
    return 1;
}

[[noreturn]] void RaiseUnsupported(std::int32_t codePage) {
    throw EConvertError(Format("Code page %d is not supported by the system's text conversion.", codePage));
}

}  // namespace

bool CodePageAvailable(std::int32_t codePage) {
    if (codePage <= 0) return false;
    return TIconv(CodePageEncodingName(codePage), "UTF-8").Valid();
}

Bytes Utf8ToCodePage(const std::string& text, std::int32_t codePage) {
    if (codePage == Utf8CodePage) return text;
    const TIconv converter(codePage > 0 ? CodePageEncodingName(codePage) : std::string(), "UTF-8");
    if (codePage <= 0 || !converter.Valid()) RaiseUnsupported(codePage);
    return converter.Convert(text, ReplaceUtf8Sequence);
}

std::string CodePageToUtf8(const Bytes& text, std::int32_t codePage) {
    const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (codePage == Utf8CodePage || ascii) return text;
    const TIconv converter("UTF-8", codePage > 0 ? CodePageEncodingName(codePage) : std::string("UTF-8"));
    if (codePage <= 0 || !converter.Valid()) RaiseUnsupported(codePage);
    return converter.Convert(text, ReplaceByte);
}

void AppendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | ((codePoint >> 18) & 0x07));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

}  // namespace kestro
