#include "kml/KmlParser.h"

#include <optional>
#include <utility>
#include <vector>

#include "xml/XmlTranscoder.h"

namespace kestro {
namespace {

// The text of node's first element child of this local name.
std::string ChildText(IXmlNode& node, std::string_view name) {
    const auto children = node.GetChildNodes();
    for (std::int32_t i = 0; i < children->GetCount(); ++i) {
        auto child = children->GetItem(i);
        if (child->GetNodeType() == TXmlNodeType::Element && LocalName(child->GetNodeName()) == name) return child->GetText();
    }
    return {};
}

TXmlPtr<IXmlNode> ChildElement(IXmlNode& node, std::string_view name) {
    const auto children = node.GetChildNodes();
    for (std::int32_t i = 0; i < children->GetCount(); ++i) {
        auto child = children->GetItem(i);
        if (child->GetNodeType() == TXmlNodeType::Element && LocalName(child->GetNodeName()) == name) return child;
    }
    return {};
}

std::string Trimmed(std::string text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") + 1 - first);
}

// A Style's IconStyle/Icon/href.
std::string IconHref(IXmlNode& style) {
    const auto iconStyle = ChildElement(style, "IconStyle");
    if (!iconStyle) return {};
    const auto icon = ChildElement(*iconStyle, "Icon");
    return icon ? Trimmed(ChildText(*icon, "href")) : std::string();
}

// Elements read whole when the element around them ends.
bool InsideReadElement(IXmlNode& node) {
    for (auto parent = node.GetParentNode(); parent; parent = parent->GetParentNode()) {
        const std::string_view name = LocalName(parent->GetNodeName());
        if (name == "Placemark" || name == "Style" || name == "StyleMap") return true;
    }
    return false;
}

// The folders a placemark lies in, outermost first, as "Outer / Inner";
// folders without a name add nothing.
std::string FolderPath(IXmlNode& placemark) {
    std::vector<std::string> names;
    for (auto parent = placemark.GetParentNode(); parent; parent = parent->GetParentNode()) {
        if (parent->GetNodeType() != TXmlNodeType::Element || LocalName(parent->GetNodeName()) != "Folder") continue;
        std::string name = Trimmed(ChildText(*parent, "name"));
        if (!name.empty()) names.push_back(std::move(name));
    }
    std::string path;
    for (auto name = names.rbegin(); name != names.rend(); ++name) path += (path.empty() ? "" : " / ") + *name;
    return path;
}

void Drop(const TXmlPtr<IXmlNode>& node) {
    if (auto parent = node->GetParentNode()) parent->RemoveChild(node);
}

}  // namespace

TKmlParser::TKmlParser(TWaypointTaker take, IFileFindings& findings, TKmlIconSource icons, std::size_t heldLimit)
    : take_(std::move(take)), findings_(findings), icons_(std::move(icons)), heldLimit_(heldLimit) {}

std::int32_t TKmlParser::Read(const std::function<void(IXmlDocument&)>& load, const TReadProgress& progress) {
    auto document = CreateXmlDocument();
    document->SetOnElementEnd([this](IXmlNodeList*, const TXmlPtr<IXmlNode>& node) { ElementEnded(node); });
    if (progress) document->SetOnFileRead([this, &progress](std::uint64_t bytesRead) { progress(bytesRead, count_); });
    XmlReplacedCharacters() = {};
    try {
        load(*document);
    } catch (...) {
        // What was read before the error is not lost; an error of taking it
        // follows from the store, as the first one does.
        try {
            TakeHeld();
        } catch (...) {
        }
        throw;
    }
    TakeHeld();
    const TXmlReplaced replaced = XmlReplacedCharacters();
    findings_.ReplacedCharacters(replaced.Count, replaced.First);
    return count_;
}

void TKmlParser::TellNotes() {
    const std::string notConverted = notPoints_.Text();
    if (!notConverted.empty()) findings_.Note("not points", notConverted + " not converted: only points are");
    if (!webIcons_.empty())
        findings_.Note("web icons", std::to_string(webIcons_.size()) + (webIcons_.size() == 1 ? " icon" : " icons") +
                                        " on the web not fetched; the category's icon beside the file stands in where there is one");
    if (unknownStyles_ > 0)
        findings_.Note("styles", std::to_string(unknownStyles_) +
                                     (unknownStyles_ == 1 ? " placemark names a style" : " placemarks name a style") +
                                     " not defined in the file; no icon taken from it");
    if (notHeld_ > 0)
        findings_.Note("styles held", std::to_string(notHeld_) +
                                          (notHeld_ == 1 ? " placemark names a style" : " placemarks name a style") +
                                          " not defined before it, past the " + std::to_string(heldLimit_) +
                                          " points held for styles defined further on; no icon taken from it");
}

void TKmlParser::ElementEnded(const TXmlPtr<IXmlNode>& node) {
    ++elements_;
    const std::string_view name = LocalName(node->GetNodeName());
    if (name == "Placemark") {
        ReadPlacemark(*node);
        return Drop(node);
    }
    if (InsideReadElement(*node)) return;
    if (name == "Style") {
        ReadStyle(*node);
        return Drop(node);
    }
    if (name == "StyleMap") {
        ReadStyleMap(*node);
        return Drop(node);
    }
    if (name == "name") {
        // A folder's name names the category of the placemarks that follow it.
        const auto parent = node->GetParentNode();
        const std::string_view around = parent ? LocalName(parent->GetNodeName()) : std::string_view();
        if (around == "Folder" || around == "Document") return;
    }
    if (name == "GroundOverlay" || name == "ScreenOverlay" || name == "PhotoOverlay") ++notPoints_.Overlays;
    if (name == "NetworkLink") ++notPoints_.NetworkLinks;
    Drop(node);
}

void TKmlParser::ReadPlacemark(IXmlNode& placemark) {
    const std::vector<std::string> points = PlacemarkPoints(placemark, notPoints_);
    if (points.empty()) return;
    TWaypointFields fields = PlacemarkFields(placemark);
    fields.Folder = FolderPath(placemark);
    std::string heldUrl;
    if (const auto inlineStyle = ChildElement(placemark, "Style"); inlineStyle && !IconHref(*inlineStyle).empty()) {
        GiveIcon(IconHref(*inlineStyle), fields);
    } else if (const std::string url = Trimmed(ChildText(placemark, "styleUrl")); !url.empty()) {
        if (const auto href = StyleIcon(url)) GiveIcon(*href, fields);
        else if (url.front() != '#') ++unknownStyles_;
        else if (heldPoints_ + points.size() > heldLimit_) ++notHeld_;
        else heldUrl = url;  // hand-written files may define it further on
    }
    if (!heldUrl.empty()) {
        held_.push_back({heldUrl, {}});
        heldPoints_ += points.size();
    }
    for (std::size_t i = 0; i < points.size(); ++i) {
        ++count_;
        // Each point of a MultiGeometry is a waypoint of the same texts.
        TWaypointFields waypoint = i + 1 < points.size() ? fields : std::move(fields);
        ReadKmlCoordinates(points[i], waypoint);
        if (heldUrl.empty()) take_(waypoint);
        else held_.back().Waypoints.push_back(std::move(waypoint));
    }
}

void TKmlParser::TakeHeld() {
    std::vector<THeld> held = std::move(held_);
    held_.clear();
    heldPoints_ = 0;
    for (auto& placemark : held) {
        const auto href = StyleIcon(placemark.StyleUrl);
        if (!href) ++unknownStyles_;
        for (auto& waypoint : placemark.Waypoints) {
            if (href) GiveIcon(*href, waypoint);
            take_(waypoint);
        }
    }
}

void TKmlParser::ReadStyle(IXmlNode& style) {
    const std::string id = style.GetAttr("id");
    if (!id.empty()) styles_[id] = IconHref(style);
}

void TKmlParser::ReadStyleMap(IXmlNode& map) {
    const std::string id = map.GetAttr("id");
    if (id.empty()) return;
    const auto children = map.GetChildNodes();
    for (std::int32_t i = 0; i < children->GetCount(); ++i) {
        auto pair = children->GetItem(i);
        if (pair->GetNodeType() != TXmlNodeType::Element || LocalName(pair->GetNodeName()) != "Pair") continue;
        if (Trimmed(ChildText(*pair, "key")) != "normal") continue;
        if (const auto inlineStyle = ChildElement(*pair, "Style")) mapIcons_[id] = IconHref(*inlineStyle);
        else styleMaps_[id] = Trimmed(ChildText(*pair, "styleUrl"));
        return;
    }
}

std::optional<std::string> TKmlParser::StyleIcon(const std::string& url, int depth) const {
    // Only styles of this document are known: "#id".
    if (url.empty() || url.front() != '#' || depth > 1) return std::nullopt;
    const std::string id = url.substr(1);
    if (const auto icon = mapIcons_.find(id); icon != mapIcons_.end()) return icon->second;
    if (const auto map = styleMaps_.find(id); map != styleMaps_.end()) return StyleIcon(map->second, depth + 1);
    if (const auto style = styles_.find(id); style != styles_.end()) return style->second;
    return std::nullopt;
}

void TKmlParser::GiveIcon(const std::string& href, TWaypointFields& waypoint) {
    if (href.empty()) return;
    if (href.find("://") != std::string::npos) {
        // Not fetched: the companion icon beside the file stands in.
        webIcons_.insert(href);
        return;
    }
    icons_(href, waypoint);
}

}  // namespace kestro
