#pragma once
// Base64 for binary element text.
#include <string>
#include <string_view>

namespace kestro {

// The bytes in Base64 with "=" padding; CR LF after every lineLength
// characters (not after the last) when lineLength is above 0.
std::string EncodeXmlBase64(std::string_view bytes, int lineLength);

// Decodes Base64 text. Characters below "!" are ignored; "=" ends the data;
// 3 characters or fewer give no bytes. Any other character outside the
// alphabet raises the library's error.
std::string DecodeXmlBase64(std::string_view text);

}  // namespace kestro
