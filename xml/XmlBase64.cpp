#include "xml/XmlBase64.h"

#include <array>
#include <cstdint>

#include "diag/Exceptions.h"
#include "xml/XmlError.h"

namespace kestro {

namespace {

constexpr std::string_view Alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<std::int8_t, 256> MakeDigits() {
    std::array<std::int8_t, 256> digits{};
    for (auto& digit : digits) digit = -1;
    for (std::size_t i = 0; i < Alphabet.size(); ++i) digits[static_cast<unsigned char>(Alphabet[i])] = static_cast<std::int8_t>(i);
    return digits;
}
constexpr std::array<std::int8_t, 256> Digits = MakeDigits();

}  // namespace

std::string EncodeXmlBase64(std::string_view bytes, int lineLength) {
    std::string plain;
    plain.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::size_t count = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t group = 0;
        for (std::size_t k = 0; k < 3; ++k)
            group = group << 8 | (k < count ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        for (std::size_t k = 0; k < 4; ++k)
            plain += k <= count ? Alphabet[group >> (18 - 6 * k) & 0x3F] : '=';
    }
    if (lineLength <= 0) return plain;
    auto line = static_cast<std::size_t>(lineLength);
    std::string text;
    text.reserve(plain.size() + plain.size() / line * 2);
    for (std::size_t i = 0; i < plain.size(); i += line) {
        if (i > 0) text += "\r\n";
        text.append(plain, i, line);
    }
    return text;
}

std::string DecodeXmlBase64(std::string_view text) {
    std::string bytes;
    std::size_t significant = 0;
    for (char c : text)
        if (static_cast<unsigned char>(c) >= '!') ++significant;
    if (significant <= 3) return bytes;
    std::uint32_t group = 0;
    int bits = 0;
    for (char c : text) {
        if (static_cast<unsigned char>(c) < '!') continue;
        if (c == '=') break;
        std::int8_t digit = Digits[static_cast<unsigned char>(c)];
        if (digit < 0) RaiseXmlError(Format("Character \"%c\" is not valid in Base64 text", c));
        group = (group << 6 | static_cast<std::uint32_t>(digit)) & 0xFFFFFF;
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes += static_cast<char>(group >> bits & 0xFF);
        }
    }
    return bytes;
}

}  // namespace kestro
