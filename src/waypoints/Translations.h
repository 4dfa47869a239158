#pragma once
// Texts of a waypoint in further languages, whichever reader found them
// (the GPX reader's extension elements, a CSV list's "name:EN" columns, a
// KML placemark's data): a reader adds each to the point's Translations as
// found; the name, comment and description read as such are the first
// language's.
#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "gpi/PoiWpt.h"
#include "waypoints/WaypointFields.h"

namespace kestro {

// Per language code: how many texts lacked a translation into it.
using TMissingTranslations = std::map<std::string, std::size_t>;

// A text a reader found in language `code` (as written), after those found
// before; of two in one language the later counts (ApplyTranslations).
void AddTranslation(TWaypointFields& waypoint, TLocalized place, const std::string& code, Bytes text);

// Whether the point has a text in `code` (any letter case) at `place`.
bool HasTranslation(const TPoiWpt& point, TLocalized place, const std::string& code);

// Puts the texts the readers found in the run's order: point.Language
// becomes the first code, and every localized text the reader gave one in
// a further language gets an entry per further code (codes match in any
// letter case; a name is cut at its first "@"). `unused` is told the code of
// every text whose language is none of the further ones, in the order the
// texts were found (`found`, as AddTranslation keeps it; texts it does not
// list follow); with fewer than two languages no translation remains.
// `spare` holds the texts meanwhile: lists of the caller's, kept from point
// to point so that their capacity serves again.
void ApplyTranslations(const std::vector<std::string>& languages, const std::vector<TLocalized>& found, TPoiWpt& point,
                       TPoiTranslations& spare, const std::function<void(const std::string& code)>& unused);

// A short description that became the comment takes its translations along,
// where a translation has no comment of its own.
void MoveDescriptionsToComments(TPoiWpt& point);

// Every text the first language has and a translation lacks repeats the
// first language's, and is counted under that translation's code.
void CompleteTranslations(TPoiWpt& point, TMissingTranslations& missing);

// "3 texts without a translation into EN, 1 into DE".
std::string MissingTranslationText(const TMissingTranslations& missing, const char* singular, const char* plural);

}  // namespace kestro
