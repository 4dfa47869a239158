#include "gpx/GpxTranslations.h"

#include <string_view>

#include "sources/TranslationElements.h"

namespace kestro {

std::vector<TTranslatedText> ReadTranslationElements(IXmlNode& waypoint) {
    std::vector<TTranslatedText> texts;
    auto extensions = waypoint.SelectElement("extensions");
    if (!extensions) return texts;
    const std::string_view prefix = TranslationPrefix;
    auto children = extensions->GetChildNodes();
    for (std::int32_t i = 0; i < children->GetCount(); ++i) {
        auto child = children->GetItem(i);
        if (child->GetNodeType() != TXmlNodeType::Element) continue;
        const std::string_view name = child->GetNodeName();
        if (name.substr(0, prefix.size()) != prefix || !IsTranslatedField(std::string(name.substr(prefix.size())))) continue;
        texts.push_back({child->GetValue("@lang").AsText(), std::string(name.substr(prefix.size())), child->GetText()});
    }
    return texts;
}

}  // namespace kestro
