#include "app/Languages.h"

#include "app/SettingsFile.h"
#include "platform/AsciiCase.h"

namespace kestro {

namespace {

bool AsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::string TrimBlanks(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::optional<std::string> TLanguages::NameIn(const std::string& code, const std::string& key) const {
    const auto language = Names.find(code);
    if (language == Names.end()) return std::nullopt;
    const auto name = language->second.find(key);
    if (name == language->second.end()) return std::nullopt;
    return name->second;
}

std::string FirstLanguageName(const TLanguages& languages, const std::string& onDisk, const std::string& key) {
    const auto given = languages.NameIn(languages.Codes.empty() ? "EN" : languages.Codes.front(), key);
    return given && !given->empty() ? *given : onDisk;
}

std::vector<std::string> ParseLanguageCodes(const std::string& value, const std::string& where) {
    auto refuse = [&](const std::string& why) {
        throw ESettingsError(Format("Setting \"languages=%s\" in %s cannot be used: %s", value.c_str(), where.c_str(),
                                    why.c_str()));
    };
    std::vector<std::string> codes;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = value.find(',', start);
        const std::string code = TrimBlanks(value.substr(start, comma == std::string::npos ? comma : comma - start));
        if (code.size() != 2 || !AsciiLetter(code[0]) || !AsciiLetter(code[1]))
            refuse("\"" + code + "\" is no language code of two ASCII letters");
        for (const auto& before : codes)
            if (SameIgnoringAsciiCase(before, code)) refuse("\"" + code + "\" is listed twice");
        codes.push_back(code);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return codes;
}

TLanguages ReadLanguages(const TSettingsFile& settings, const std::string& where) {
    TLanguages languages;
    const auto value = settings.ReadString("kestro", "languages");
    if (value) languages.Codes = ParseLanguageCodes(*value, where);
    // The first language's section names what a name on disk cannot hold.
    const std::vector<std::string> sections = value ? languages.Codes : std::vector<std::string>{"EN"};
    for (const auto& code : sections) {
        auto& names = languages.Names[code];
        // Keys are names on disk: they compare exactly, and the first one wins.
        for (const auto& [key, name] : settings.NameEntries(code)) names.emplace(key, name);
    }
    return languages;
}

}  // namespace kestro
