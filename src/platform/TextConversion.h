#pragma once
// File and folder names are UTF-8 here; the GPI file holds its 8-bit text
// in the output code page, so names are converted on their way in.
#include <cstdint>
#include <string>

#include "platform/Bytes.h"
#include "platform/CodePages.h"

namespace kestro {

// Whether text can be converted into this code page at all.
bool CodePageAvailable(std::int32_t codePage);

// UTF-8 text in the code page; a character the code page cannot hold, or a
// byte that is no valid UTF-8, becomes "?". Text for 65001 stays as it is.
// EConvertError when the code page is not available.
Bytes Utf8ToCodePage(const std::string& text, std::int32_t codePage);

// Text in the code page as UTF-8, for file-system calls with paths read
// from documents; a byte the code page does not define becomes "?".
std::string CodePageToUtf8(const Bytes& text, std::int32_t codePage);

// Appends the UTF-8 form of a code point (up to U+10FFFF; surrogates as
// they are, 3 bytes each).
void AppendUtf8(std::string& out, char32_t codePoint);

}  // namespace kestro
