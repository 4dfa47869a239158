#include "sources/CodePageHint.h"

#include <initializer_list>

namespace kestro {
namespace {

struct TScript {
    char32_t From;
    char32_t To;
    std::int32_t CodePage;
};

// Letters of Latin Extended-A that only the Turkish and Baltic pages hold;
// the rest of the block is Central European.
constexpr char32_t TurkishLetters[] = {0x011E, 0x011F, 0x0130, 0x0131, 0x015E, 0x015F};
constexpr char32_t BalticLetters[] = {0x0100, 0x0101, 0x0112, 0x0113, 0x0116, 0x0117, 0x0122, 0x0123, 0x012A, 0x012B,
                                      0x012E, 0x012F, 0x0136, 0x0137, 0x013B, 0x013C, 0x0145, 0x0146, 0x014C, 0x014D,
                                      0x0156, 0x0157, 0x016A, 0x016B, 0x0172, 0x0173};

template <std::size_t N>
bool Among(char32_t c, const char32_t (&letters)[N]) {
    for (const char32_t letter : letters)
        if (letter == c) return true;
    return false;
}

}  // namespace

std::int32_t CodePageOfScript(char32_t c) {
    if (c >= 0x0100 && c <= 0x017F) return Among(c, TurkishLetters) ? 1254 : Among(c, BalticLetters) ? 1257 : 1250;
    for (const TScript& script : std::initializer_list<TScript>{{0x0370, 0x03FF, 1253},
                                                                {0x0400, 0x052F, 1251},
                                                                {0x0590, 0x05FF, 1255},
                                                                {0x0600, 0x06FF, 1256},
                                                                {0x0E00, 0x0E7F, 874},
                                                                {0x1EA0, 0x1EF9, 1258},
                                                                {0x3040, 0x30FF, 932},
                                                                {0x4E00, 0x9FFF, 936},
                                                                {0xAC00, 0xD7AF, 949}})
        if (c >= script.From && c <= script.To) return script.CodePage;
    return 0;
}

std::string ReplacedCharactersText(std::int64_t count, char32_t first, std::int32_t codePage) {
    std::string text = std::to_string(count) + (count == 1 ? " character" : " characters") + " not in code page " +
                       std::to_string(codePage) + " became \"?\": set codepage=65001 in kestro.ini";
    if (const std::int32_t script = CodePageOfScript(first); script != 0 && script != codePage)
        text += " (or codepage=" + std::to_string(script) + ", the code page of that script)";
    return text;
}

}  // namespace kestro
