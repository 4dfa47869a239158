#include "waypoints/ReplacedText.h"

#include <algorithm>

#include "pipeline/GroupOutput.h"
#include "platform/TextConversion.h"
#include "sources/CodePageHint.h"

namespace kestro {

void TellReplacedCharacters(TGroupOutput& output, const std::string& file, std::int64_t count, char32_t first,
                            std::int32_t codePage, bool inName) {
    if (count <= 0) return;
    if (inName) output.Warning(file, "code page name", "its name as shown: " + ReplacedCharactersText(count, first, codePage));
    else output.Warning(file, "code page", ReplacedCharactersText(count, first, codePage));
    if (TNotWritten* record = output.NotWrittenRecord()) record->RecordReplaced(file, count);
}

std::int64_t ReplacedIn(const std::string& utf8, const std::string& converted, std::int32_t codePage, char32_t& first) {
    // A character the code page lacks is one "?" more than the text held.
    const auto count = std::count(converted.begin(), converted.end(), '?') - std::count(utf8.begin(), utf8.end(), '?');
    if (count <= 0) return 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        const std::string character = utf8.substr(i, length);
        i += length;
        if (lead < 0x80 || Utf8ToCodePage(character, codePage) != "?") continue;
        char32_t point = length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        for (std::size_t k = 1; k < character.size(); ++k) point = point << 6 | (static_cast<unsigned char>(character[k]) & 0x3F);
        first = point;
        break;
    }
    return count;
}

}  // namespace kestro
