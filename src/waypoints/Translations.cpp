#include "waypoints/Translations.h"

#include <algorithm>
#include <array>
#include <utility>

#include "gpi/PoiFields.h"
#include "platform/AsciiCase.h"
#include "sources/SpeedSuffix.h"

namespace kestro {

namespace {

// The list of a place with an entry per further language, the codes taken
// from the name's, which every point of a run with translations has.
TGpiText& Completed(TPoiWpt& point, TLocalized place) {
    TGpiText& texts = point.Translations[place];
    const TGpiText& names = point.Translations[TLocalized::Name];
    if (texts.empty() && place != TLocalized::Name) {
        texts.reserve(names.size());
        for (const auto& name : names) texts.push_back({name.Language, Bytes()});
    }
    return texts;
}

}  // namespace

void AddTranslation(TWaypointFields& waypoint, TLocalized place, const std::string& code, Bytes text) {
    waypoint.Point.Translations[place].push_back({code, std::move(text)});
    waypoint.TranslationOrder.push_back(place);
}

bool HasTranslation(const TPoiWpt& point, TLocalized place, const std::string& code) {
    for (const auto& entry : point.Translations[place])
        if (SameIgnoringAsciiCase(entry.Language, code)) return true;
    return false;
}

void ApplyTranslations(const std::vector<std::string>& languages, const std::vector<TLocalized>& found, TPoiWpt& point,
                       TPoiTranslations& spare, const std::function<void(const std::string& code)>& unused) {
    if (!languages.empty()) point.Language = languages.front();
    const std::size_t further = languages.size() > 1 ? languages.size() - 1 : 0;
    // The texts as found wait in `spare`, whose lists keep their capacity
    // from point to point; the point's own lists are refilled in place.
    for (const auto& field : LocalizedFields) {
        TGpiText& texts = point.Translations[field.Place];
        TGpiText& given = spare[field.Place];
        given.clear();
        // The name is written in every language; other texts only where one has a text.
        if (texts.empty() && (further == 0 || field.Place != TLocalized::Name)) continue;
        for (auto& text : texts) given.push_back(std::move(text));
        texts.clear();
        if (further == 0) continue;
        texts.reserve(further);
        for (std::size_t i = 1; i < languages.size(); ++i) texts.push_back({languages[i], Bytes()});
    }
    auto apply = [&](TLocalized place, TGpiTextEntry& text) {
        TGpiTextEntry* entry = nullptr;
        for (auto& candidate : point.Translations[place])
            if (SameIgnoringAsciiCase(candidate.Language, text.Language)) entry = &candidate;
        if (entry == nullptr) return unused(text.Language);
        // The speed after "@" is read from the first language's name only.
        if (place == TLocalized::Name) text.Text.resize(std::min(text.Text.size(), SpeedSuffixAt(text.Text)));
        entry->Text = std::move(text.Text);
    };
    std::array<std::size_t, LocalizedCount> next{};
    for (const TLocalized place : found) {
        std::size_t& at = next[static_cast<std::size_t>(place)];
        if (at < spare[place].size()) apply(place, spare[place][at++]);
    }
    for (const auto& field : LocalizedFields)
        for (std::size_t at = next[static_cast<std::size_t>(field.Place)]; at < spare[field.Place].size(); ++at)
            apply(field.Place, spare[field.Place][at]);
}

void MoveDescriptionsToComments(TPoiWpt& point) {
    TGpiText& descriptions = point.Translations[TLocalized::Description];
    if (descriptions.empty()) return;
    TGpiText& comments = Completed(point, TLocalized::Comment);
    for (std::size_t i = 0; i < comments.size() && i < descriptions.size(); ++i) {
        if (!comments[i].Text.empty()) continue;
        comments[i].Text = std::move(descriptions[i].Text);
        descriptions[i].Text.clear();
    }
}

void CompleteTranslations(TPoiWpt& point, TMissingTranslations& missing) {
    if (point.Translations[TLocalized::Name].empty()) return;  // one language
    for (const auto& field : LocalizedFields) {
        const Bytes& first = point.*field.First;
        if (first.empty()) continue;
        for (auto& entry : Completed(point, field.Place)) {
            if (!entry.Text.empty()) continue;
            entry.Text = first;
            ++missing[entry.Language];
        }
    }
}

std::string MissingTranslationText(const TMissingTranslations& missing, const char* singular, const char* plural) {
    std::string text;
    for (const auto& [code, count] : missing) {
        if (text.empty())
            text = std::to_string(count) + " " + (count == 1 ? singular : plural) + " without a translation into " + code;
        else
            text += ", " + std::to_string(count) + " into " + code;
    }
    return text;
}

}  // namespace kestro
