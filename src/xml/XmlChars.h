#pragma once
// Character classes of XML names. Letters are ASCII letters and every byte
// from 0x80 up, so names in any 8-bit code page or in UTF-8 are accepted;
// digits are the ASCII digits.
#include <array>
#include <cstdint>
#include <string_view>

namespace kestro {

namespace xmlchars {
inline constexpr std::uint8_t NameStart = 1;  // letter or "_"
inline constexpr std::uint8_t NameChar = 2;   // letter, digit, "-", ".", ":" or "_"

constexpr std::array<std::uint8_t, 256> MakeClasses() {
    std::array<std::uint8_t, 256> classes{};
    for (int c = 0; c < 256; ++c) {
        bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0x80;
        bool digit = c >= '0' && c <= '9';
        if (letter || c == '_') classes[c] |= NameStart;
        if (letter || digit || c == '-' || c == '.' || c == ':' || c == '_') classes[c] |= NameChar;
    }
    return classes;
}
inline constexpr std::array<std::uint8_t, 256> Classes = MakeClasses();
}  // namespace xmlchars

inline bool IsXmlNameStart(char c) { return xmlchars::Classes[static_cast<unsigned char>(c)] & xmlchars::NameStart; }
inline bool IsXmlNameChar(char c) { return xmlchars::Classes[static_cast<unsigned char>(c)] & xmlchars::NameChar; }
inline bool IsXmlBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

// A name as the reader reads it: not empty, a name-start character followed
// by name characters.
inline bool IsPlainXmlName(std::string_view text) {
    if (text.empty() || !IsXmlNameStart(text[0])) return false;
    for (char c : text.substr(1))
        if (!IsXmlNameChar(c)) return false;
    return true;
}

// The text without characters 0-32 at either end.
inline std::string_view TrimXmlBlanks(std::string_view text) {
    while (!text.empty() && IsXmlBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsXmlBlank(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace kestro
