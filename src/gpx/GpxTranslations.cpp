#include "gpx/GpxTranslations.h"

#include <string_view>

#include "gpi/PoiFields.h"
#include "sources/TranslationElements.h"
#include "waypoints/Translations.h"

namespace kestro {

void ReadTranslationElements(IXmlNode& node, TWaypointFields& waypoint) {
    auto extensions = node.SelectElement("extensions");
    if (!extensions) return;
    const std::string_view prefix = TranslationPrefix;
    auto children = extensions->GetChildNodes();
    for (std::int32_t i = 0; i < children->GetCount(); ++i) {
        auto child = children->GetItem(i);
        if (child->GetNodeType() != TXmlNodeType::Element) continue;
        const std::string_view name = child->GetNodeName();
        if (name.substr(0, prefix.size()) != prefix) continue;
        const auto place = LocalizedFieldNamed(name.substr(prefix.size()));
        if (!place) continue;
        std::string code = child->GetValue("@lang").AsText();
        // As of two CSV columns of one text and language.
        if (HasTranslation(waypoint.Point, *place, code)) continue;
        AddTranslation(waypoint, *place, code, child->GetText());
    }
}

}  // namespace kestro
