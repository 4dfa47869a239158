#include "gpi/FileLanguages.h"

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
        for (auto child = area->Areas.rbegin(); child != area->Areas.rend(); ++child) areas.push_back(&*child);
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

}  // namespace kestro
