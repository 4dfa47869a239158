#include "app/Credits.h"

#include <optional>

#include "app/SettingsFile.h"
#include "platform/TextConversion.h"

namespace kestro {


namespace {

// One localized text: empty when no language has the key.
TGpiText CreditText(const TSettingsFile& settings, const std::vector<std::string>& codes, const char* key) {
    std::optional<std::string> first = settings.ReadCredit("kestro", key);
    if (!first && codes.size() > 1) first = settings.ReadCredit(codes.front(), key);
    TGpiText text;
    bool any = first.has_value();
    for (std::size_t i = 0; i < codes.size(); ++i) {
        std::optional<std::string> value = i == 0 ? first : settings.ReadCredit(codes[i], key);
        any = any || value.has_value();
        text.push_back({codes[i], value.value_or(first.value_or(std::string()))});
    }
    return any ? text : TGpiText{};
}

}  // namespace

TCredits ReadCredits(const TSettingsFile& settings, const TLanguages& languages) {
    const std::vector<std::string> codes = languages.Codes.empty() ? std::vector<std::string>{"EN"} : languages.Codes;
    TCredits credits;
    credits.Source = CreditText(settings, codes, "source");
    credits.Copyright = CreditText(settings, codes, "copyright");
    // The record holds both texts: one key alone gives the other empty.
    if (credits.Source.empty() != credits.Copyright.empty()) {
        TGpiText& missing = credits.Source.empty() ? credits.Source : credits.Copyright;
        for (const auto& code : codes) missing.push_back({code, Bytes()});
    }
    return credits;
}

TCredits CreditsInCodePage(const TCredits& credits, std::int32_t codePage) {
    TCredits converted = credits;
    for (TGpiText* text : {&converted.Source, &converted.Copyright})
        for (auto& entry : *text) entry.Text = Utf8ToCodePage(entry.Text, codePage);
    return converted;
}

}  // namespace kestro
