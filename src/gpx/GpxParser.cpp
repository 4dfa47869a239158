#include "gpx/GpxParser.h"

#include <algorithm>
#include <vector>

#include "gpi/PoiFields.h"
#include "gpx/GpxTranslations.h"
#include "platform/FileRead.h"
#include "sources/NumberText.h"
#include "waypoints/WarningText.h"
#include "xml/XmlCodePage.h"
#include "xml/XmlTranscoder.h"

namespace kestro {
namespace {

// A phone app's export may hold a track alone: said, not passed over.
constexpr const char* NoWaypointsText = "no waypoints (\"wpt\") in it; tracks and routes are not converted";

std::string TextOf(IXmlNode& node, std::string_view name) { return node.GetValue(name).AsText(); }

// TextOf a child element, without the value's copy on the way.
std::string ChildText(IXmlNode& node, std::string_view name) {
    const auto child = node.SelectElement(name);
    return child ? child->GetText() : std::string();
}

// Whether an element lies inside a "wpt", whose handler still has to read it.
bool InsideWaypoint(IXmlNode& node) {
    for (auto parent = node.GetParentNode(); parent; parent = parent->GetParentNode())
        if (parent->GetNodeName() == "wpt") return true;
    return false;
}

std::vector<std::string> LinksOf(IXmlNode& node) {
    std::vector<std::string> links;
    auto elements = node.SelectElements("link");
    // GetAttr reads the value in place: a huge link is not copied once more on the way.
    for (std::int32_t i = 0; i < elements->GetCount(); ++i) links.push_back(elements->GetItem(i)->GetAttr("href"));
    return links;
}

void ReadExtensions(IXmlNode& node, TWaypointFields& waypoint) {
    // A path follows the first element of each name, so the extension
    // element found once is the one each of its parts would be found in.
    auto extension = node.SelectElement("extensions\\gpxx:WaypointExtension");
    if (!extension) return;
    if (auto proximity = extension->SelectElement("gpxx:Proximity")) waypoint.Proximity = proximity->GetText();
    TPoiWpt& point = waypoint.Point;
    if (auto address = extension->SelectElement("gpxx:Address")) {
        for (const auto& field : AddressFields)
            if (field.GpxName != nullptr && field.Point != nullptr) point.*field.Point = ChildText(*address, field.GpxName);
    }
    auto phones = extension->SelectElements("gpxx:PhoneNumber");
    if (!phones) return;
    for (std::int32_t i = 0; i < phones->GetCount(); ++i) {
        auto phone = phones->GetItem(i);
        // Without a Category the number is the main phone number, as other tools write it.
        const std::string category = phone->AttrExists("Category") ? TextOf(*phone, "@Category") : "Phone";
        const auto field = std::find_if(ContactFields.begin(), ContactFields.end(),
                                        [&](const TContactField& f) { return f.GpxName == category; });
        if (field != ContactFields.end()) point.*field->Point = phone->GetText();
    }
}

}  // namespace

TWaypointFields WaypointFieldsOf(IXmlNode& node) {
    TWaypointFields waypoint;
    const std::string lat = TextOf(node, "@lat");
    const std::string lon = TextOf(node, "@lon");
    waypoint.Point.Lat = DotStrToFloat(lat);
    waypoint.Point.Lon = DotStrToFloat(lon);
    for (const auto& [name, text] : {std::pair{"latitude", &lat}, {"longitude", &lon}}) {
        if (!waypoint.CoordinateProblem.empty() || ReadDotNumber(*text)) continue;
        waypoint.CoordinateProblem = text->empty() ? std::string(name) + " missing"
                                                   : std::string(name) + " \"" + *text + "\" is no number";
    }
    waypoint.Point.Name = ChildText(node, "name");
    waypoint.Point.Comment = ChildText(node, "cmt");
    waypoint.Point.Description = ChildText(node, "desc");
    ReadTranslationElements(node, waypoint);
    waypoint.Links = LinksOf(node);
    ReadExtensions(node, waypoint);
    return waypoint;
}

std::int32_t ReadGpxWaypoints(const std::string& path, const TWaypointTaker& take, const TReadProgress& progress,
                              IFileFindings& findings) {
    return TGpxParser(take, progress, findings).LoadFile(path);
}

TGpxParser::TGpxParser(TWaypointTaker take, TReadProgress progress, IFileFindings& findings)
    : take_(std::move(take)), progress_(std::move(progress)), findings_(findings) {}

std::int32_t TGpxParser::LoadFile(const std::string& path) {
    count_ = 0;
    auto document = CreateXmlDocument();
    bool notified = false;
    const TXmlElementHandler handler = ElementHandler();
    document->SetOnElementEnd([&notified, &handler](IXmlNodeList* list, const TXmlPtr<IXmlNode>& node) {
        notified = true;
        handler(list, node);
    });
    if (progress_) document->SetOnFileRead([this](std::uint64_t bytesRead) { progress_(bytesRead, count_); });
    XmlReplacedCharacters() = {};
    document->LoadFromFile(path);
    const TXmlReplaced replaced = XmlReplacedCharacters();
    findings_.ReplacedCharacters(replaced.Count, replaced.First);
    // A file in the library's binary form is loaded whole without element
    // notifications; its waypoints would be lost unless read afterwards.
    if (!notified) ReadLoadedTree(*document);
    // Some other file named ".gpx" (a list of points, a text) loads
    // without error and gives nothing: it is told, not passed over.
    if (!notified && !document->GetDocumentElement()) TellNotGpx(path);
    else if (count_ == 0) findings_.Note("no waypoints", NoWaypointsText);
    return count_;
}

void TGpxParser::TellNotGpx(const std::string& path) {
    // The first line at most is shown, and one more byte tells that it goes on.
    const Bytes start = TInputFile(path, TInputOptions{.FullPath = false}).ReadAt(0, FileStartLimit + 1);
    findings_.NotOfTheFormat(FileStartForWarning(start));
}

TXmlElementHandler TGpxParser::ElementHandler() {
    return [this](IXmlNodeList*, const TXmlPtr<IXmlNode>& node) {
        // Nothing outside a waypoint is looked at again once it has ended, so
        // the parent's finished children leave the tree: otherwise millions of
        // emptied track points of one segment would stay until it ends.
        if (!ElementEnded(*node)) return;
        if (auto parent = node->GetParentNode()) parent->RemoveAllChildren();
    };
}

bool TGpxParser::ElementEnded(IXmlNode& node) {
    const bool waypoint = node.GetNodeName() == "wpt";
    if (waypoint) ReadWaypoint(node);
    if (InsideWaypoint(node)) return false;
    if (!waypoint) {
        // Routes, tracks and everything else are not read.
        node.RemoveAllChildren();
        node.RemoveAllAttributes();
    }
    return true;
}

void TGpxParser::ReadLoadedTree(IXmlNode& document) {
    // Every element after all of its children, as a text file reports them;
    // an explicit stack, since a file may nest deeper than the call stack allows.
    struct TFrame {
        TXmlPtr<IXmlNode> Element;  // null for the document
        TXmlPtr<IXmlNodeList> Children;
        std::int32_t Next = 0;
    };
    std::vector<TFrame> stack;
    stack.push_back({TXmlPtr<IXmlNode>(), document.GetChildNodes(), 0});
    while (!stack.empty()) {
        TFrame& top = stack.back();
        if (top.Next < top.Children->GetCount()) {
            auto child = top.Children->GetItem(top.Next++);
            if (child->GetNodeType() == TXmlNodeType::Element) {
                auto children = child->GetChildNodes();
                stack.push_back({std::move(child), std::move(children), 0});
            }
            continue;
        }
        const TXmlPtr<IXmlNode> element = std::move(top.Element);
        stack.pop_back();
        if (element) ElementEnded(*element);
    }
}

void TGpxParser::ReadWaypoint(IXmlNode& node) {
    ++count_;
    TWaypointFields waypoint = WaypointFieldsOf(node);
    take_(waypoint);
    node.RemoveAllChildren();
    node.RemoveAllAttributes();
}

}  // namespace kestro
