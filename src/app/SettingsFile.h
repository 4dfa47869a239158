#pragma once
// An ini file read whole into memory. Lines are trimmed; empty lines and
// lines beginning with ";" are skipped; "[name]" opens a section; within a
// section "key = value" sets a key; lines before the first section are
// ignored. Section and key names match without regard to ASCII case. A key
// may be quoted (see SplitSettingsLine).
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "sources/SettingsKey.h"

namespace kestro {

class TSettingsFile {
public:
    explicit TSettingsFile(const std::string& text);

    // The first value of the key in the first section that has it.
    std::optional<std::string> ReadString(const std::string& section, const std::string& key) const;
    // The value as an integer, or `fallback` when missing or not an integer.
    std::int32_t ReadInteger(const std::string& section, const std::string& key, std::int32_t fallback) const;
    // As ReadString, for a key written plain only: a credit (see IsCreditKey).
    std::optional<std::string> ReadCredit(const std::string& section, const std::string& key) const;
    // Every key and value of the sections of that name, in file order, keys as written.
    std::vector<std::pair<std::string, std::string>> Entries(const std::string& section) const;
    // As Entries, without the credits: the names of groups and categories.
    std::vector<std::pair<std::string, std::string>> NameEntries(const std::string& section) const;

private:
    struct TEntry {
        std::string Section;
        std::string Key;
        std::string Value;
        bool QuotedKey = false;
    };
    std::vector<TEntry> entries_;
};

// A settings integer: decimal with an optional sign, or hexadecimal after
// "0x", "0X" or "$" (up to 32 bits, read as a signed value). Nothing for any
// other text or a value that does not fit in 32 bits.
std::optional<std::int32_t> ParseSettingsInteger(const std::string& text);


// The text of a settings file; nothing when the file does not exist.
// EFOpenError / EReadError when it exists but cannot be read, or holds
// more than SettingsFileLimit bytes.
std::optional<std::string> ReadSettingsText(const std::string& path);

}  // namespace kestro
