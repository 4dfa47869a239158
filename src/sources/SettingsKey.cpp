#include "sources/SettingsKey.h"

#include "platform/AsciiCase.h"

namespace kestro {

namespace {

// Blanks and control characters count as white space, as in the usual ini readers.
bool Blank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string Trim(const std::string& text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && Blank(text[first])) ++first;
    while (last > first && Blank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

// The quoted key at the start of the line and where its "=" is.
std::optional<std::pair<std::string, std::size_t>> QuotedKey(const std::string& line) {
    std::string key;
    std::size_t at = 1;
    for (; at < line.size(); ++at) {
        if (line[at] != '"') {
            key += line[at];
        } else if (at + 1 < line.size() && line[at + 1] == '"') {
            key += '"';
            ++at;
        } else {
            break;
        }
    }
    if (at >= line.size()) return std::nullopt;
    std::size_t equals = at + 1;
    while (equals < line.size() && Blank(line[equals])) ++equals;
    if (equals >= line.size() || line[equals] != '=') return std::nullopt;
    return std::make_pair(key, equals);
}

}  // namespace

std::optional<TSettingsLine> SplitSettingsLine(const std::string& line) {
    if (!line.empty() && line.front() == '"')
        if (const auto quoted = QuotedKey(line))
            return TSettingsLine{quoted->first, Trim(line.substr(quoted->second + 1)), true};
    const auto equals = line.find('=');
    if (equals == std::string::npos) return std::nullopt;
    return TSettingsLine{Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)), false};
}

bool IsCreditKey(const std::string& key) {
    return SameIgnoringAsciiCase(key, "source") || SameIgnoringAsciiCase(key, "copyright");
}

std::string SettingsKeyText(const std::string& key) {
    const bool plain = !key.empty() && !Blank(key.front()) && !Blank(key.back()) && key.front() != ';' &&
                       key.front() != '[' && key.front() != '"' && key.find('=') == std::string::npos &&
                       !IsCreditKey(key);
    if (plain) return key;
    std::string quoted = "\"";
    for (char c : key) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

}  // namespace kestro
