#include "platform/Base64.h"

#include <algorithm>
#include <cstdint>

namespace kestro {

std::string EncodeBase64(std::string_view bytes, int lineLength) {
    std::string plain;
    plain.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::size_t count = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t group = 0;
        for (std::size_t k = 0; k < 3; ++k)
            group = group << 8 | (k < count ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        for (std::size_t k = 0; k < 4; ++k)
            plain += k <= count ? Base64Alphabet[group >> (18 - 6 * k) & 0x3F] : '=';
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

}  // namespace kestro
