#include "app/SettingsFile.h"

#include <algorithm>

#include "platform/AsciiCase.h"
#include "diag/Exceptions.h"
#include "platform/FileRead.h"
#include "platform/PathName.h"
#include "sources/SettingsKey.h"

namespace kestro {

namespace {

// Blanks and control characters count as white space, as in the usual ini readers.
std::string Trim(const std::string& text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= ' ') ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ') --last;
    return text.substr(first, last - first);
}

// Lines end with CR LF, LF or CR alone.
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.push_back(line);
            line.clear();
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += text[i];
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

}  // namespace

TSettingsFile::TSettingsFile(const std::string& text) {
    static const std::string byteOrderMark = "\xEF\xBB\xBF";
    const bool marked = text.compare(0, byteOrderMark.size(), byteOrderMark) == 0;
    std::optional<std::string> section;
    for (const auto& rawLine : SplitLines(marked ? text.substr(byteOrderMark.size()) : text)) {
        const std::string line = Trim(rawLine);
        if (line.empty() || line.front() == ';') continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            section = Trim(line.substr(1, line.size() - 2));
            continue;
        }
        const auto entry = SplitSettingsLine(line);
        if (!section || !entry) continue;
        entries_.push_back({*section, entry->Key, entry->Value, entry->QuotedKey});
    }
}

std::optional<std::string> TSettingsFile::ReadString(const std::string& section, const std::string& key) const {
    for (const auto& entry : entries_)
        if (SameIgnoringAsciiCase(entry.Section, section) && SameIgnoringAsciiCase(entry.Key, key)) return entry.Value;
    return std::nullopt;
}

std::optional<std::string> TSettingsFile::ReadCredit(const std::string& section, const std::string& key) const {
    for (const auto& entry : entries_)
        if (!entry.QuotedKey && SameIgnoringAsciiCase(entry.Section, section) && SameIgnoringAsciiCase(entry.Key, key))
            return entry.Value;
    return std::nullopt;
}

std::vector<std::pair<std::string, std::string>> TSettingsFile::Entries(const std::string& section) const {
    std::vector<std::pair<std::string, std::string>> found;
    for (const auto& entry : entries_)
        if (SameIgnoringAsciiCase(entry.Section, section)) found.emplace_back(entry.Key, entry.Value);
    return found;
}

std::vector<std::pair<std::string, std::string>> TSettingsFile::NameEntries(const std::string& section) const {
    std::vector<std::pair<std::string, std::string>> found;
    for (const auto& entry : entries_)
        if (SameIgnoringAsciiCase(entry.Section, section) && (entry.QuotedKey || !IsCreditKey(entry.Key)))
            found.emplace_back(entry.Key, entry.Value);
    return found;
}

std::int32_t TSettingsFile::ReadInteger(const std::string& section, const std::string& key,
                                        std::int32_t fallback) const {
    const auto text = ReadString(section, key);
    if (!text) return fallback;
    return ParseSettingsInteger(*text).value_or(fallback);
}

std::optional<std::int32_t> ParseSettingsInteger(const std::string& text) {
    std::size_t at = 0;
    unsigned base = 10;
    bool negative = false;
    if (text.compare(0, 1, "$") == 0) {
        base = 16;
        at = 1;
    } else if (text.compare(0, 2, "0x") == 0 || text.compare(0, 2, "0X") == 0) {
        base = 16;
        at = 2;
    } else if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        at = 1;
    }
    if (at == text.size()) return std::nullopt;
    const std::uint64_t limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    std::uint64_t value = 0;
    for (; at < text.size(); ++at) {
        const int digit = DigitValue(text[at]);
        if (digit >= static_cast<int>(base)) return std::nullopt;
        value = value * base + static_cast<unsigned>(digit);
        if (value > limit) return std::nullopt;
    }
    if (negative) return static_cast<std::int32_t>(-static_cast<std::int64_t>(value));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::optional<std::string> ReadSettingsText(const std::string& path) {
    // A folder of that name opens and fails as it is read, as ini readers do.
    // No settings file needs more than a few lines: a larger file (or one
    // that never ends) is refused after one byte past the limit.
    auto text = ReadFileIfPresent(path, TInputOptions{.FolderOpens = true}, SettingsFileLimit + 1);
    if (text && text->size() > SettingsFileLimit)
        throw EReadError(Format("Cannot read file \"%s\". A settings file holds at most %zu bytes.",
                                FullFileName(path).c_str(), SettingsFileLimit));
    return text;
}

}  // namespace kestro
