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

// Key and value of a trimmed line, nothing for a line without "=". A line
// starting with a quote whose closing quote is followed by "=" has a quoted
// key; any other line splits at its first "=".
std::optional<std::pair<std::string, std::string>> SplitSettingsLine(const std::string& line);

// The key as written into a settings file: quoted where it would not read
// back as it is, plain otherwise.
std::string SettingsKeyText(const std::string& key);

}  // namespace kestro
