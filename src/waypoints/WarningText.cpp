#include "waypoints/WarningText.h"

#include <cstdio>

namespace kestro {

namespace {

constexpr std::string_view Ellipsis = "\xE2\x80\xA6";

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Length of the valid UTF-8 sequence at the start of text, 0 if none.
std::size_t SequenceLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3
                               : lead >= 0xF0 && lead < 0xF5                 ? 4
                                                                             : 0;
    if (length == 0 || length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i)
        if (!IsContinuation(text[i])) return 0;
    // No overlong forms, surrogates, or code points past U+10FFFF.
    const auto second = static_cast<unsigned char>(text.size() > 1 ? text[1] : 0);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) || (lead == 0xF0 && second < 0x90) ||
        (lead == 0xF4 && second > 0x8F))
        return 0;
    return length;
}

}  // namespace

std::string CutForWarning(std::string_view text) {
    if (text.size() <= QuotedTextLimit) return std::string(text);
    std::size_t end = QuotedTextLimit;
    // Back to the start of a sequence, at most the three bytes a sequence continues over.
    for (std::size_t back = 0; back < 3 && end > 0 && IsContinuation(text[end]); ++back) --end;
    return std::string(text.substr(0, end)).append(Ellipsis);
}

std::string FileStartForWarning(std::string_view bytes) {
    const std::size_t lineEnd = bytes.find_first_of("\r\n");
    const std::string_view line = bytes.substr(0, lineEnd);
    std::string shown;
    std::size_t at = 0;
    while (at < line.size() && at < FileStartLimit) {
        const std::size_t length = SequenceLength(line.substr(at));
        const auto byte = static_cast<unsigned char>(line[at]);
        if (length == 0 || byte < 0x20 || byte == 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
            ++at;
        } else {
            shown.append(line.substr(at, length));
            at += length;
        }
    }
    if (at < line.size()) shown += Ellipsis;
    return shown;
}

}  // namespace kestro
