#include "xml/XmlBase64.h"

#include <array>
#include <cstdint>

#include "diag/Exceptions.h"
#include "platform/Base64.h"
#include "xml/XmlError.h"

namespace kestro {

namespace {

constexpr std::array<std::int8_t, 256> MakeDigits() {
    std::array<std::int8_t, 256> digits{};
    for (auto& digit : digits) digit = -1;
    for (std::size_t i = 0; i < Base64Alphabet.size(); ++i) digits[static_cast<unsigned char>(Base64Alphabet[i])] = static_cast<std::int8_t>(i);
    return digits;
}
constexpr std::array<std::int8_t, 256> Digits = MakeDigits();

}  // namespace

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
