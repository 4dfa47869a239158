#include "gpx/GpxTranslations.h"

#include <set>
#include <string_view>

#include "sources/TranslationElements.h"

namespace kestro {

std::vector<TTranslatedText> ReadTranslationElements(IXmlNode& waypoint) {
    std::vector<TTranslatedText> texts;
    auto extensions = waypoint.SelectElement("extensions");
    if (!extensions) return texts;
    const std::string_view prefix = TranslationPrefix;
    std::set<std::string> seen;  // field and language code, lower case
    auto children = extensions->GetChildNodes();
    for (std::int32_t i = 0; i < children->GetCount(); ++i) {
        auto child = children->GetItem(i);
        if (child->GetNodeType() != TXmlNodeType::Element) continue;
        const std::string_view name = child->GetNodeName();
        if (name.substr(0, prefix.size()) != prefix || !IsTranslatedField(std::string(name.substr(prefix.size())))) continue;
        TTranslatedText text{child->GetValue("@lang").AsText(), std::string(name.substr(prefix.size())), child->GetText()};
        // Of two elements of one text and language the first counts, as of two CSV columns.
        std::string key = text.Field + ':' + text.Language;
        for (char& c : key) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if (seen.insert(std::move(key)).second) texts.push_back(std::move(text));
    }
    return texts;
}

}  // namespace kestro
