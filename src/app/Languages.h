#pragma once
// The languages of the output texts: the codes of the "languages" setting
// and the names of groups and categories in every language but the first,
// from the settings sections named after the codes.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "diag/Exceptions.h"

namespace kestro {

class TSettingsFile;

KESTRO_EXCEPTION(ESettingsError);  // a setting that cannot be used

struct TLanguages {
    // Two-letter codes in the order of their entries; empty without the
    // setting (one "EN" entry, as always).
    std::vector<std::string> Codes;
    // Per code (the first's names stand for names on disk): folder or file name as on disk (a category
    // as "folder/category") → the name in that language, both UTF-8.
    std::map<std::string, std::map<std::string, std::string>> Names;

    // The name of `key` in `code`; nothing when the settings give none.
    std::optional<std::string> NameIn(const std::string& code, const std::string& key) const;
};

// The first language's name: the name on disk, unless the first language's
// section (EN without "languages") gives one that the disk could not hold.
std::string FirstLanguageName(const TLanguages& languages, const std::string& onDisk, const std::string& key);

// The codes of a "languages" value ("RU,EN"; blanks around a code are
// allowed). ESettingsError, naming `where`, for an empty list, a code that
// is not two ASCII letters, or a code given twice (in any letter case).
std::vector<std::string> ParseLanguageCodes(const std::string& value, const std::string& where);

// The "languages" setting of the section "kestro" and the name sections of
// its codes.
TLanguages ReadLanguages(const TSettingsFile& settings, const std::string& where);

}  // namespace kestro
