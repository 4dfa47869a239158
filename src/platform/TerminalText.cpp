#include "platform/TerminalText.h"

#include <cstdio>

namespace kestro {

namespace {

// The length of the well-formed UTF-8 sequence at the start of text, 0 when
// there is none.
std::size_t Utf8SequenceLength(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3, low = lead == 0xE0 ? 0xA0 : 0x80, high = lead == 0xED ? 0x9F : 0xBF;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4, low = lead == 0xF0 ? 0x90 : 0x80, high = lead == 0xF4 ? 0x8F : 0xBF;
    else return 0;
    if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if ((byte(i) & 0xC0) != 0x80) return 0;
    return length;
}

void AppendEscape(std::string& out, const char* format, unsigned value) {
    char escape[8];
    std::snprintf(escape, sizeof escape, format, value);
    out += escape;
}

}  // namespace

std::string TerminalText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F) {
            AppendEscape(out, "\\x%02X", byte);
            ++i;
            continue;
        }
        if (byte < 0x80) {
            out += text[i++];
            continue;
        }
        const std::size_t length = Utf8SequenceLength(text.substr(i));
        if (length == 2 && byte == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
            AppendEscape(out, "\\u%04X", static_cast<unsigned char>(text[i + 1]));
        } else if (length > 0) {
            out.append(text.substr(i, length));
        } else if (byte < 0xA0) {
            AppendEscape(out, "\\x%02X", byte);  // a C1 control in 8-bit terminals
        } else {
            out += text[i];
        }
        i += length > 0 ? length : 1;
    }
    return out;
}

}  // namespace kestro
