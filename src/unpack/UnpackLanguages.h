#pragma once
// The languages of a GPI file as the converter's settings give them back:
// the codes of "languages" and each text split by those codes.
#include <string>
#include <vector>

#include "unpack/UnpackTally.h"
#include "gpi/FileLanguages.h"
#include "gpi/GpiReader.h"

namespace kestro {

// A text per code (the "EN" entry, else the first, when `languages` is
// empty). Whatever the converter would not rebuild the same (entries in
// another order, in other languages, twice, missing or empty) is counted.
std::vector<Bytes> TextsByLanguage(const TGpiText& text, const std::vector<Bytes>& languages, TUnpackTally& tally);

// The settings lines of the languages: "languages=RU,EN" and a section per
// further code with the names of groups and categories ("key = name").
struct TUnpackNames {
    std::string Key;                  // the folder or file name as written, a category as "group/category"
    std::vector<std::string> Names;   // UTF-8, one per further language
};
std::string LanguageSettings(const std::vector<Bytes>& languages, const std::vector<TUnpackNames>& names);

// Whether key = name survives the settings file's syntax (trimmed values,
// lines); any key but an empty one or one with a line break can be quoted.
bool SettingsCanHold(const std::string& key, const std::string& name);

// The name on disk of a key: a category's after "group/".
std::string NameOnDisk(const std::string& key);

// The codes "languages=" can list: a code equal to an earlier one but for
// letter case is dropped, as the converter refuses such a list.
std::vector<Bytes> SettingsLanguages(const std::vector<Bytes>& codes);

}  // namespace kestro
