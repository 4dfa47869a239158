#include "report/HtmlText.h"

#include "diag/Exceptions.h"
#include "gpi/TextDecoder.h"
#include "platform/TextConversion.h"

namespace kestro {

std::string PrintableText(const std::u32string& text) {
    std::string out;
    for (char32_t c : text) {
        if (IsUndecodedByte(c)) out += Format("\\x%02X", static_cast<unsigned>(c - UndecodedByteBase));
        else if (c == '\n' || c == '\t') out += static_cast<char>(c);
        else if (c == '\r') continue;  // a CR LF line break shows as one break
        else if (c < 0x20 || c == 0x7F) out += Format("\\x%02X", static_cast<unsigned>(c));
        else if ((c >= 0x80 && c < 0xA0) || c == 0xFFFE || c == 0xFFFF) out += Format("\\u%04X", static_cast<unsigned>(c));
        else if (c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) AppendUtf8(out, 0xFFFD);
        else AppendUtf8(out, c);
    }
    return out;
}

std::string EscapeHtml(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (char c : utf8) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string ScriptJsonString(std::string_view utf8) {
    std::string out = "\"";
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c == '"') out += "\\\"";
        else if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '\t') out += "\\t";
        else if (c < 0x20 || c == '<' || c == '>' || c == '&') out += Format("\\u%04X", c);
        else if (c == 0xE2 && i + 2 < utf8.size() && utf8[i + 1] == '\x80' && (utf8[i + 2] == '\xA8' || utf8[i + 2] == '\xA9')) {
            out += utf8[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
            i += 2;
        } else out += static_cast<char>(c);
    }
    return out + "\"";
}

}  // namespace kestro
