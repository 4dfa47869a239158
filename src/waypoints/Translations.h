#pragma once
// Texts of a waypoint in further languages, whichever reader found them
// (the GPX reader's extension elements, a CSV list's "name:EN" columns); the
// name, comment and description read as such are the first language's.
#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "gpi/PoiWpt.h"

namespace kestro {

// Per language code: how many texts lacked a translation into it.
using TMissingTranslations = std::map<std::string, std::size_t>;

// One text of a waypoint in a further language, as a reader found it.
struct TTranslatedText {
    std::string Language;  // as written
    std::string Field;     // "name", "cmt", "desc", "city", "country", "state" or "street"
    Bytes Text;
};

// Starts one translation per code after the first (point.Language becomes
// the first) and fills it from `texts` (codes match in any letter case; a
// name is cut at its first "@"). `unused` is told the code of every text
// whose language is none of the further ones.
void ApplyTranslations(const std::vector<TTranslatedText>& texts, const std::vector<std::string>& languages,
                       TPoiWpt& point, const std::function<void(const std::string& code)>& unused);

// A short description that became the comment takes its translations along,
// where a translation has no comment of its own.
void MoveDescriptionsToComments(TPoiWpt& point);

// Whether a field name of TTranslatedText is one a translation has.
bool IsTranslatedField(const std::string& field);

// Every text the first language has and a translation lacks repeats the
// first language's, and is counted under that translation's code.
void CompleteTranslations(TPoiWpt& point, TMissingTranslations& missing);

// "3 texts without a translation into EN, 1 into DE".
std::string MissingTranslationText(const TMissingTranslations& missing, const char* singular, const char* plural);

}  // namespace kestro
