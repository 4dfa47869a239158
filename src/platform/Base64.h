#pragma once
// Base64 with "=" padding, as XML binary text and data URIs carry it.
#include <string>
#include <string_view>

namespace kestro {

inline constexpr std::string_view Base64Alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The bytes in Base64; CR LF after every lineLength characters (not after
// the last) when lineLength is above 0.
std::string EncodeBase64(std::string_view bytes, int lineLength = 0);

}  // namespace kestro
