#include "waypoints/Translations.h"

#include <string_view>

#include "gpi/PoiFields.h"
#include "platform/AsciiCase.h"
#include "sources/SpeedSuffix.h"

namespace kestro {

namespace {

using TField = Bytes TPoiTranslation::*;

struct TTranslatedElement {
    std::string_view Name;  // after the prefix
    TField Field;
};

// The texts of the point itself; the address fields' come from their table.
constexpr TTranslatedElement TranslatedElements[] = {
    {"name", &TPoiTranslation::Name},
    {"cmt", &TPoiTranslation::Comment},
    {"desc", &TPoiTranslation::Description},
};

// Every translated field with its element name: the point's texts, then the address's.
template <class TVisit>
void ForEachTranslatedField(TVisit visit) {
    for (const auto& element : TranslatedElements) visit(element.Name, element.Field);
    for (const auto& field : AddressFields)
        if (field.TranslationName != nullptr) visit(std::string_view(field.TranslationName), field.Translated);
}

TField FieldOf(std::string_view elementName) {
    TField found = nullptr;
    ForEachTranslatedField([&](std::string_view name, TField field) {
        if (found == nullptr && name == elementName) found = field;
    });
    return found;
}

// The first language's text of a field.
const Bytes& FirstText(const TPoiWpt& point, TField field) {
    if (field == &TPoiTranslation::Name) return point.Name;
    if (field == &TPoiTranslation::Comment) return point.Comment;
    if (field == &TPoiTranslation::Description) return point.Description;
    if (field == &TPoiTranslation::City) return point.City;
    if (field == &TPoiTranslation::Country) return point.Country;
    if (field == &TPoiTranslation::State) return point.State;
    return point.Street;
}

}  // namespace

bool IsTranslatedField(const std::string& field) { return FieldOf(field) != nullptr; }

void ApplyTranslations(const std::vector<TTranslatedText>& texts, const std::vector<std::string>& languages,
                       TPoiWpt& point, const std::function<void(const std::string& code)>& unused) {
    if (!languages.empty()) point.Language = languages.front();
    for (std::size_t i = 1; i < languages.size(); ++i) {
        point.Translations.emplace_back();
        point.Translations.back().Language = languages[i];
    }
    for (const auto& text : texts) {
        const TField field = FieldOf(text.Field);
        if (field == nullptr) continue;
        TPoiTranslation* translation = nullptr;
        for (auto& candidate : point.Translations)
            if (SameIgnoringAsciiCase(candidate.Language, text.Language)) translation = &candidate;
        if (translation == nullptr) {
            unused(text.Language);
            continue;
        }
        // The speed after "@" is read from the first language's name only.
        translation->*field = field == &TPoiTranslation::Name ? text.Text.substr(0, SpeedSuffixAt(text.Text)) : text.Text;
    }
}

void MoveDescriptionsToComments(TPoiWpt& point) {
    for (auto& translation : point.Translations) {
        if (!translation.Comment.empty()) continue;
        translation.Comment = std::move(translation.Description);
        translation.Description.clear();
    }
}

void CompleteTranslations(TPoiWpt& point, TMissingTranslations& missing) {
    for (auto& translation : point.Translations) {
        ForEachTranslatedField([&](std::string_view, TField field) {
            const Bytes& first = FirstText(point, field);
            Bytes& text = translation.*field;
            if (!text.empty() || first.empty()) return;
            text = first;
            ++missing[translation.Language];
        });
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
