#pragma once
// Keys of settings lines. A key may be quoted ("a=b" = Nice name, a quote
// inside doubled), so that names holding "=", starting with ";", "[" or a
// quote, or with blanks at either end, can be keys too.
#include <cstddef>
#include <optional>
#include <string>
#include <utility>

namespace kestro {

// Bytes of the largest settings file read: 4 MiB, far above what any folder
// needs (3,000 names in two languages take some 250 KB), yet an end for a
// file that reads forever.
constexpr std::size_t SettingsFileLimit = 4 * 1024 * 1024;

struct TSettingsLine {
    std::string Key;
    std::string Value;
    bool QuotedKey = false;
};

// Key and value of a trimmed line, nothing for a line without "=". A line
// starting with a quote whose closing quote is followed by "=" has a quoted
// key; any other line splits at its first "=".
std::optional<TSettingsLine> SplitSettingsLine(const std::string& line);

// "source" and "copyright" in any letter case. Written plain, they are the
// file's credits in "kestro" and in the language sections, so a group or
// category of that name is keyed quoted there.
bool IsCreditKey(const std::string& key);

// The key as written into a settings file: quoted where it would not read
// back as it is (or would read as a credit), plain otherwise.
std::string SettingsKeyText(const std::string& key);

}  // namespace kestro
