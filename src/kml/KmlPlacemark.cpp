#include "kml/KmlPlacemark.h"

#include <utility>

#include "csv/CsvColumns.h"
#include "sources/NumberText.h"
#include "waypoints/Translations.h"

namespace kestro {
namespace {

// Calls `each` for every element child of node.
template <typename Each>
void ForEachElement(IXmlNode& node, Each each) {
    const auto children = node.GetChildNodes();
    for (std::int32_t i = 0; i < children->GetCount(); ++i) {
        auto child = children->GetItem(i);
        if (child->GetNodeType() == TXmlNodeType::Element) each(*child);
    }
}

void FillIfEmpty(Bytes& field, const std::string& text) {
    if (field.empty()) field = text;
}

// One ExtendedData value, by the column names CSV lists use; what the
// placemark's own elements gave is kept.
void ApplyExtendedValue(const std::string& name, const std::string& text, TWaypointFields& waypoint) {
    if (const auto translated = CsvTranslatedColumn(name)) {
        AddTranslation(waypoint, translated->Place, translated->Language, text);
        return;
    }
    const auto field = CsvColumnField(name);
    if (!field || text.empty()) return;
    TPoiWpt& point = waypoint.Point;
    switch (*field) {
        case TCsvField::Latitude:
        case TCsvField::Longitude: break;  // the geometry places the point
        case TCsvField::Name: FillIfEmpty(point.Name, text); break;
        case TCsvField::Comment: FillIfEmpty(point.Comment, text); break;
        case TCsvField::Description: FillIfEmpty(point.Description, text); break;
        case TCsvField::Street: FillIfEmpty(point.Street, text); break;
        case TCsvField::City: FillIfEmpty(point.City, text); break;
        case TCsvField::State: FillIfEmpty(point.State, text); break;
        case TCsvField::Country: FillIfEmpty(point.Country, text); break;
        case TCsvField::PostalCode: FillIfEmpty(point.PostalCode, text); break;
        case TCsvField::Phone: FillIfEmpty(point.Phone, text); break;
        case TCsvField::Fax: FillIfEmpty(point.Fax, text); break;
        case TCsvField::Email: FillIfEmpty(point.Email, text); break;
        case TCsvField::Url: FillIfEmpty(point.Url, text); break;
        case TCsvField::Proximity:
            if (!waypoint.Proximity) waypoint.Proximity = text;
            break;
        case TCsvField::Speed:
            if (!waypoint.Speed) waypoint.Speed = text;
            break;
        case TCsvField::Link: waypoint.Links.push_back(text); break;
    }
}

// Map services write <Data name="..."><value>; GDAL writes <SchemaData><SimpleData name="...">.
void ReadExtendedData(IXmlNode& extended, TWaypointFields& waypoint) {
    ForEachElement(extended, [&](IXmlNode& item) {
        const std::string_view kind = LocalName(item.GetNodeName());
        if (kind == "Data") {
            std::string value;
            ForEachElement(item, [&](IXmlNode& part) {
                if (LocalName(part.GetNodeName()) == "value") value = part.GetText();
            });
            ApplyExtendedValue(item.GetAttr("name"), value, waypoint);
        } else if (kind == "SchemaData") {
            ForEachElement(item, [&](IXmlNode& simple) {
                if (LocalName(simple.GetNodeName()) == "SimpleData")
                    ApplyExtendedValue(simple.GetAttr("name"), simple.GetText(), waypoint);
            });
        }
    });
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") + 1 - first);
}

}  // namespace

std::string_view LocalName(const std::string& name) {
    const auto colon = name.rfind(':');
    return colon == std::string::npos ? std::string_view(name) : std::string_view(name).substr(colon + 1);
}

std::string TKmlNotPoints::Text() const {
    const std::pair<std::int64_t, std::pair<const char*, const char*>> kinds[] = {
        {Lines, {"line", "lines"}},
        {Polygons, {"polygon", "polygons"}},
        {Models, {"model", "models"}},
        {Overlays, {"overlay", "overlays"}},
        {NetworkLinks, {"network link", "network links"}},
        {Unplaced, {"placemark without a place", "placemarks without a place"}},
    };
    std::vector<std::string> parts;
    for (const auto& [count, names] : kinds)
        if (count > 0) parts.push_back(std::to_string(count) + " " + (count == 1 ? names.first : names.second));
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) text += i + 1 == parts.size() ? " and " : ", ";
        text += parts[i];
    }
    return text;
}

TWaypointFields PlacemarkFields(IXmlNode& placemark) {
    TWaypointFields waypoint;
    TPoiWpt& point = waypoint.Point;
    IXmlNode* extended = nullptr;
    ForEachElement(placemark, [&](IXmlNode& child) {
        const std::string_view name = LocalName(child.GetNodeName());
        if (name == "name") point.Name = child.GetText();
        else if (name == "description") point.Description = child.GetText();
        else if (name == "address") point.Street = child.GetText();
        else if (name == "phoneNumber") point.Phone = child.GetText();
        else if (name == "ExtendedData") extended = &child;
    });
    // Read after the placemark's own elements, which win over its values.
    if (extended) ReadExtendedData(*extended, waypoint);
    return waypoint;
}

std::vector<std::string> PlacemarkPoints(IXmlNode& placemark, TKmlNotPoints& notPoints) {
    std::vector<std::string> points;
    bool geometry = false;
    // A MultiGeometry may nest others: an explicit stack, as a hostile file
    // may nest deeper than the call stack allows.
    std::vector<TXmlPtr<IXmlNode>> pending;
    const auto children = placemark.GetChildNodes();
    for (std::int32_t i = children->GetCount(); i-- > 0;) pending.push_back(children->GetItem(i));
    while (!pending.empty()) {
        const TXmlPtr<IXmlNode> node = std::move(pending.back());
        pending.pop_back();
        if (node->GetNodeType() != TXmlNodeType::Element) continue;
        const std::string_view name = LocalName(node->GetNodeName());
        if (name == "Point") {
            geometry = true;
            std::string coordinates;
            ForEachElement(*node, [&](IXmlNode& part) {
                if (LocalName(part.GetNodeName()) == "coordinates") coordinates = part.GetText();
            });
            points.push_back(std::move(coordinates));
        } else if (name == "MultiGeometry") {
            geometry = true;
            const auto inner = node->GetChildNodes();
            for (std::int32_t i = inner->GetCount(); i-- > 0;) pending.push_back(inner->GetItem(i));
        } else if (name == "LineString" || name == "LinearRing" || name == "Track" || name == "MultiTrack") {
            geometry = true;
            ++notPoints.Lines;
        } else if (name == "Polygon") {
            geometry = true;
            ++notPoints.Polygons;
        } else if (name == "Model") {
            geometry = true;
            ++notPoints.Models;
        }
    }
    if (!geometry) ++notPoints.Unplaced;
    return points;
}

void ReadKmlCoordinates(const std::string& text, TWaypointFields& waypoint) {
    // A point has one "lon,lat[,alt]" tuple; blanks around it, and around
    // its commas as some writers put them, are passed over.
    std::string joined;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool blank = text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n';
        if (blank && ((!joined.empty() && joined.back() == ',') || text.find_first_not_of(" \t\r\n", i) == text.find(',', i)))
            continue;
        joined += text[i];
    }
    joined = Trimmed(joined);
    const std::string tuple = joined.substr(0, joined.find_first_of(" \t\r\n"));
    const auto comma = tuple.find(',');
    const std::string lon = Trimmed(tuple.substr(0, comma));
    std::string lat;
    if (comma != std::string::npos) lat = Trimmed(tuple.substr(comma + 1, tuple.find(',', comma + 1) - comma - 1));
    waypoint.Point.Lat = DotStrToFloat(lat);
    waypoint.Point.Lon = DotStrToFloat(lon);
    for (const auto& [name, value] : {std::pair{"longitude", &lon}, {"latitude", &lat}}) {
        if (!waypoint.CoordinateProblem.empty() || ReadDotNumber(*value)) continue;
        waypoint.CoordinateProblem = value->empty() ? std::string(name) + " missing"
                                                    : std::string(name) + " \"" + *value + "\" is no number";
    }
}

}  // namespace kestro
