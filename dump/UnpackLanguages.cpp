#include "dump/UnpackLanguages.h"

#include <algorithm>

namespace kestro {

namespace {

bool Nameable(const Bytes& code) {
    auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    return code.size() == 2 && letter(code[0]) && letter(code[1]);
}

template <class F>
void ForEachText(const TGpiFile& file, F&& visit) {
    std::vector<const TGpiArea*> areas;
    for (const auto& group : file.Groups) {
        visit(group.Name);
        for (const auto& category : group.Categories) visit(category.Name);
        if (group.Root) areas.push_back(&*group.Root);
    }
    while (!areas.empty()) {
        const TGpiArea* area = areas.back();
        areas.pop_back();
        for (const auto& child : area->Areas) areas.push_back(&child);
        for (const auto& point : area->Points) {
            visit(point.Name);
            for (const auto& part : point.Parts) {
                if (const auto* comment = std::get_if<TGpiComment>(&part)) visit(comment->Text);
                if (const auto* description = std::get_if<TGpiDescription>(&part)) visit(description->Text);
                if (const auto* address = std::get_if<TGpiAddress>(&part))
                    for (const auto* field : {&address->City, &address->Country, &address->State, &address->Street})
                        if (*field) visit(**field);
            }
        }
    }
}

bool Blank(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

std::vector<Bytes> FileLanguages(const TGpiFile& file) {
    const TGpiText* widest = nullptr;
    std::vector<Bytes> seen;
    bool onlyEnglish = true;
    ForEachText(file, [&](const TGpiText& text) {
        if (widest == nullptr || text.size() > widest->size()) widest = &text;
        for (const auto& entry : text) {
            if (entry.Language != "EN" || text.size() != 1) onlyEnglish = false;
            if (std::find(seen.begin(), seen.end(), entry.Language) == seen.end()) seen.push_back(entry.Language);
        }
    });
    std::vector<Bytes> codes;
    if (onlyEnglish || widest == nullptr) return codes;
    auto add = [&](const Bytes& code) {
        if (Nameable(code) && std::find(codes.begin(), codes.end(), code) == codes.end()) codes.push_back(code);
    };
    for (const auto& entry : *widest) add(entry.Language);
    for (const auto& code : seen) add(code);
    return codes;
}

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
            tally.Add("texts in a language that is no code of two letters");
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

bool SettingsCanHold(const std::string& key, const std::string& name) {
    for (const std::string* text : {&key, &name}) {
        if (text->empty() || Blank(text->front()) || Blank(text->back())) return false;
        for (char c : *text)
            if (c == '\r' || c == '\n') return false;
    }
    return key.find('=') == std::string::npos && key.front() != ';' && key.front() != '[';
}

std::string LanguageSettings(const std::vector<Bytes>& languages, const std::vector<TUnpackNames>& names) {
    if (languages.empty()) return std::string();
    std::string out = "languages=";
    for (std::size_t i = 0; i < languages.size(); ++i) out += (i == 0 ? "" : ",") + languages[i];
    out += '\n';
    for (std::size_t i = 1; i < languages.size(); ++i) {
        out += "\n[" + languages[i] + "]\n";
        for (const auto& entry : names)
            if (i - 1 < entry.Names.size() && SettingsCanHold(entry.Key, entry.Names[i - 1]))
                out += entry.Key + " = " + entry.Names[i - 1] + '\n';
    }
    return out;
}

}  // namespace kestro
