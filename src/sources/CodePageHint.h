#pragma once
// The code page that holds a script, for the hint of a warning about text
// that became "?".
#include <cstdint>
#include <string>

namespace kestro {

// The Windows code page of the script `character` belongs to (1251 for
// Cyrillic, 1250 for Central European letters, ...); 0 when no 8-bit code
// page holds it.
std::int32_t CodePageOfScript(char32_t character);

// "N characters not in code page P became "?": set codepage=65001 in
// kestro.ini (or codepage=C, the code page of that script)".
std::string ReplacedCharactersText(std::int64_t count, char32_t first, std::int32_t codePage);

}  // namespace kestro
