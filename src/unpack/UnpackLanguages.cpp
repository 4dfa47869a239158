#include "unpack/UnpackLanguages.h"

#include <algorithm>

#include "platform/AsciiCase.h"
#include "sources/SettingsKey.h"

namespace kestro {

namespace {

bool Blank(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

std::vector<Bytes> TextsByLanguage(const TGpiText& text, const std::vector<Bytes>& languages, TUnpackTally& tally) {
    if (languages.empty()) {
        if (text.empty()) return {Bytes()};
        if (text.size() > 1) tally.Add("texts in a second language", text.size() - 1);
        for (const auto& entry : text)
            if (entry.Language == "EN") return {entry.Text};
        tally.Add("texts in another language than EN (written as EN)");
        return {text.front().Text};
    }
    std::vector<Bytes> texts(languages.size());
    if (text.empty()) return texts;
    std::vector<bool> found(languages.size(), false);
    std::size_t next = 0;  // where the converter writes the next entry
    bool reordered = false;
    for (const auto& entry : text) {
        const auto at = std::find(languages.begin(), languages.end(), entry.Language);
        if (at == languages.end()) {
            const bool otherCase = std::any_of(languages.begin(), languages.end(), [&](const Bytes& code) {
                return SameIgnoringAsciiCase(code, entry.Language);
            });
            tally.Add(otherCase ? "texts in a language code given before in another letter case"
                                : "texts in a language that is no code of two letters");
            continue;
        }
        const auto index = static_cast<std::size_t>(at - languages.begin());
        if (found[index]) {
            tally.Add("texts given twice in one language");
            continue;
        }
        found[index] = true;
        texts[index] = entry.Text;
        if (index < next) reordered = true;
        next = index + 1;
    }
    if (reordered) tally.Add("texts whose languages come in another order (written in the file's order)");
    // The converter writes every language, repeating the first language's
    // text where another has none.
    for (std::size_t i = 1; i < languages.size(); ++i)
        if ((!found[i] || texts[i].empty()) && !texts[0].empty())
            tally.Add("texts missing in a language or empty there (the first language's text stands in)");
    if (!found[0]) tally.Add("texts missing in the first language");
    return texts;
}

std::vector<Bytes> SettingsLanguages(const std::vector<Bytes>& codes) {
    std::vector<Bytes> kept;
    for (const auto& code : codes)
        if (std::none_of(kept.begin(), kept.end(), [&](const Bytes& before) { return SameIgnoringAsciiCase(before, code); }))
            kept.push_back(code);
    return kept;
}

bool SettingsCanHold(const std::string& key, const std::string& name) {
    if (key.empty() || name.empty() || Blank(name.front()) || Blank(name.back())) return false;
    for (const std::string* text : {&key, &name})
        if (text->find_first_of("\r\n") != std::string::npos) return false;
    return true;
}

std::string NameOnDisk(const std::string& key) { return key.substr(key.rfind('/') + 1); }

std::string LanguageSettings(const std::vector<Bytes>& languages, const std::vector<TUnpackNames>& names) {
    if (languages.empty()) return std::string();
    std::string out = "languages=";
    for (std::size_t i = 0; i < languages.size(); ++i) out += (i == 0 ? "" : ",") + languages[i];
    out += '\n';
    for (std::size_t i = 1; i < languages.size(); ++i) {
        out += "\n[" + languages[i] + "]\n";
        for (const auto& entry : names)
            // A name equal to the one on disk is what the converter takes anyway.
            if (i - 1 < entry.Names.size() && entry.Names[i - 1] != NameOnDisk(entry.Key) &&
                SettingsCanHold(entry.Key, entry.Names[i - 1]))
                out += SettingsKeyText(entry.Key) + " = " + entry.Names[i - 1] + '\n';
    }
    return out;
}

}  // namespace kestro
