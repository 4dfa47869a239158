#pragma once
// Base64 for binary element text: decoding by the XML rules (encoding is
// platform/Base64.h).
#include <string>
#include <string_view>

namespace kestro {

// Decodes Base64 text. Characters below "!" are ignored; "=" ends the data;
// 3 characters or fewer give no bytes. Any other character outside the
// alphabet raises the library's error.
std::string DecodeXmlBase64(std::string_view text);

}  // namespace kestro
