#include "gpx/GpxParser.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include "diag/Exceptions.h"
#include "gpi/Bitmap.h"
#include "gpi/GpiRecordType.h"
#include "gpi/GpiUtil.h"
#include "gpi/PoiFields.h"
#include "gpi/PoiRecord.h"
#include "gpx/LinkPath.h"
#include "pipeline/GroupOutput.h"
#include "pipeline/StoreWorker.h"
#include "platform/AsciiCase.h"
#include "platform/FolderListing.h"
#include "platform/PathName.h"
#include "platform/TextConversion.h"
#include "sources/NumberText.h"
#include "store/GpiDB.h"
#include "store/SQLiteDatabase.h"

namespace kestro {
namespace {


std::string TextOf(IXmlNode& node, std::string_view name) { return node.GetValue(name).AsText(); }

void AppendLine(std::string& lines, const std::string& line) {
    if (!lines.empty()) lines += "\r\n";
    lines += line;
}

bool IsJpeg(const std::string& path) {
    const std::string extension = LowerExtension(path);
    return extension == ".jpg" || extension == ".jpeg";
}

// Positions outside these ranges wrap around in the 32-bit semicircle fields.
bool Encodable(double lat, double lon) { return lat >= -90 && lat <= 90 && lon >= -180 && lon <= 180; }

// Raised when the store has failed, to stop reading.
struct EStoreStopped {};

// Web addresses are links of another kind, not files that went missing.
bool IsWebAddress(const std::string& href) { return href.find("://") != std::string::npos; }

// Whether path lies inside folder (both canonical), compared name by name.
bool LiesInside(const std::filesystem::path& path, const std::filesystem::path& folder) {
    auto inner = path.begin();
    for (auto outer = folder.begin(); outer != folder.end(); ++outer, ++inner) {
        if (outer->empty()) continue;  // the empty last name of a folder path ending in "/"
        if (inner == path.end() || *inner != *outer) return false;
    }
    return true;
}

// Whether an element lies inside a "wpt", whose handler still has to read it.
bool InsideWaypoint(IXmlNode& node) {
    for (auto parent = node.GetParentNode(); parent; parent = parent->GetParentNode())
        if (parent->GetNodeName() == "wpt") return true;
    return false;
}

}  // namespace

// The reader's own output keeps everything for the store thread to show; the
// terminal's progress line is drawn by the reading itself.
TGpxParser::TGpxParser(TGroupOutput& output) : text_(output) {}
TGpxParser::~TGpxParser() = default;

void TGpxParser::LoadFile(const std::string& path, const TXmlElementHandler& watch) {
    auto document = CreateXmlDocument();
    Count = 0;
    bool notified = false;
    const TXmlElementHandler handler = ElementHandler();
    document->SetOnElementEnd([&notified, &handler, &watch](IXmlNodeList* list, const TXmlPtr<IXmlNode>& node) {
        notified = true;
        handler(list, node);
        if (watch) watch(list, node);
    });
    FileName = path;
    const TProgressFile progress(text_.Shown().Progress(), path);
    if (progress.Line() != nullptr)
        document->SetOnFileRead([this, line = progress.Line()](std::uint64_t bytesRead) { line->Update(bytesRead, Count); });
    // The file is read and encoded on this thread while the store takes the
    // points on another.
    TStoreWorker worker([&store = *Store](TStoreItem& item) {
        InsertPoi(store, std::move(item.Record), item.Alert, item.X, item.Y);
    });
    worker_ = &worker;
    text_.StartFile();
    missing_.clear();
    std::exception_ptr readError;
    try {
        document->LoadFromFile(path);
        // A file in the library's binary form is loaded whole without element
        // notifications; its waypoints would be lost unless read afterwards.
        if (!notified) ReadLoadedTree(*document);
    } catch (const EStoreStopped&) {
        // the store's own error follows from Finish
    } catch (...) {
        readError = std::current_exception();
    }
    worker_ = nullptr;
    if (!missing_.empty())
        text_.Output().Note(FileName, "translations",
                            MissingTranslationText(missing_, "text", "texts") + "; the first language's text stands in");
    // What was read before an error is stored and shown before it, as when
    // every point is stored the moment it is read; an error of the store
    // comes first, since it met an earlier point, and nothing read after
    // that point shows.
    std::exception_ptr storeError;
    try {
        worker.Finish();
    } catch (...) {
        storeError = std::current_exception();
    }
    text_.EndFile(worker.Stored());
    if (storeError) std::rethrow_exception(storeError);
    if (readError) std::rethrow_exception(readError);
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
    ++Count;
    TPoiWpt point;
    point.AlertSpeed = AlertSpeed;
    point.AlertDistance = AlertDistance;
    point.Lat = DotStrToFloat(TextOf(node, "@lat"));
    point.Lon = DotStrToFloat(TextOf(node, "@lon"));
    const bool encodable = Encodable(point.Lat, point.Lon);
    if (encodable) {
        if (point.Lat < MinLat) MinLat = point.Lat;
        if (point.Lat > MaxLat) MaxLat = point.Lat;
        if (point.Lon < MinLon) MinLon = point.Lon;
        if (point.Lon > MaxLon) MaxLon = point.Lon;
    }

    point.Name = TextOf(node, "name");
    if (const auto at = point.Name.find('@'); at != std::string::npos) {
        const std::string suffix = point.Name.substr(at + 1);
        const auto speed = StrToInt32(suffix);
        if (speed && *speed >= 0) {
            point.AlertSpeed = *speed;
        } else if (!suffix.empty()) {
            text_.Output().Warning(FileName, "speed", "speed \"" + CodePageToUtf8(suffix, XmlCodePage) + "\" after \"@\" in name \"" +
                                                   CodePageToUtf8(point.Name, XmlCodePage) + "\" not used: not a whole number of km/h, 0 or more");
        }
        point.Name.resize(at);
    }
    point.Comment = TextOf(node, "cmt");
    point.Description = TextOf(node, "desc");
    ReadTranslations(node, point);
    ReadIcon(node, point);
    point.Category = static_cast<std::uint16_t>(CategoryIndex & 0xFFFF);

    if (point.Comment.empty() && !point.Description.empty() && point.Description.size() < 256 &&
        (point.Description.find('<') == std::string::npos || point.Description.find('>') == std::string::npos)) {
        point.Comment = std::move(point.Description);
        point.Description.clear();
        MoveDescriptionsToComments(point);
    }
    ReadImages(node, point);
    ReadExtensions(node, point);
    TMissingTranslations missing;
    CompleteTranslations(point, missing);

    // The console shows text as UTF-8, like the file names around it.
    if (!encodable) {
        text_.Output().Lines() << "  Skipped: " << FileName << ": " << CodePageToUtf8(point.Name, XmlCodePage) << '\n';
    } else if (point.Lat != 0 || point.Lon != 0) {
        // Only texts that are written need a translation.
        for (const auto& [code, count] : missing) missing_[code] += count;
        if (AlertClamped(point))
            text_.Output().Lines() << "  Clamped: " << FileName << ": " << CodePageToUtf8(point.Name, XmlCodePage) << '\n';
        TStoreItem item{GpiPoi(point), HasAlert(point), static_cast<float>(point.Lat), static_cast<float>(point.Lon)};
        StoredBytes += item.Record.size();
        text_.PointAdded();
        if (!worker_->Add(std::move(item))) throw EStoreStopped();
        text_.ShowStored(worker_->Stored());
    }
    node.RemoveAllChildren();
    node.RemoveAllAttributes();
}

void TGpxParser::ReadIcon(IXmlNode& node, TPoiWpt& point) {
    point.Bitmap = NoIndex;
    const std::string icon = FindLinkedFile(node, ".bmp");
    if (const auto known = bitmapNumbers_.find(icon); known != bitmapNumbers_.end()) {
        point.Bitmap = known->second;
        NoteIfOutside(icon);
        return;
    }
    const std::size_t number = BitmapFiles.size();
    // The record's own number field is 16 bits, like the point's reference.
    std::string refusal;
    const Bytes body = GpiBitmap(icon, static_cast<std::uint16_t>(number), refusal);
    if (!refusal.empty()) text_.Output().Warning(FileName, "icon " + icon, "icon " + icon + " not used: " + refusal);
    if (body.empty()) return;
    if (number >= BitmapLimit)
        throw EFormatLimit(Format("Icon \"%s\" would be icon number %zu; a group can have at most %zu icons",
                                  icon.c_str(), number + 1, BitmapLimit));
    text_.Output().Lines() << "  Icon: " << icon << '\n';
    Bitmaps += GpiRecord(GpiTypeBitmap, body);
    BitmapFiles.push_back(icon);
    bitmapNumbers_.emplace(icon, static_cast<std::uint16_t>(number));
    point.Bitmap = static_cast<std::uint16_t>(number);
    NoteIfOutside(icon);
}

void TGpxParser::NoteIfOutside(const std::string& path) {
    if (SourceFolder.empty()) return;
    auto known = Outside_.find(path);
    if (known == Outside_.end()) {
        std::error_code error;
        const auto real = std::filesystem::canonical(path, error);
        known = Outside_.emplace(path, !error && !LiesInside(real, SourceFolder)).first;
    }
    if (known->second) text_.Output().OutsideLink(FileName, path);
}

void TGpxParser::ReadImages(IXmlNode& node, TPoiWpt& point) {
    point.Images.clear();
    auto links = node.SelectElements("link");
    for (std::int32_t i = 0; i < links->GetCount(); ++i) {
        const std::string href = LinkToPath(TextOf(*links->GetItem(i), "@href"));
        if (FileExists(href)) {
            if (IsJpeg(href)) {
                AppendLine(point.Images, href);
                NoteIfOutside(href);
            }
        } else if (FolderExists(href)) {
            for (const auto& entry : ListFolder(href)) {
                if (entry.IsFolder || !IsJpeg(entry.Name)) continue;
                AppendLine(point.Images, href + "/" + entry.Name);
                NoteIfOutside(href + "/" + entry.Name);
            }
        } else if (!href.empty() && !IsWebAddress(href)) {
            text_.Output().Warning(FileName, "link " + href, "link " + href + " not used: no such file or folder");
        }
    }
}

std::string TGpxParser::FindLinkedFile(IXmlNode& node, const std::string& extension) {
    const std::string base = BaseName(FileName);
    auto links = node.SelectElements("link");
    for (std::int32_t i = 0; i < links->GetCount(); ++i) {
        const std::string href = LinkToPath(TextOf(*links->GetItem(i), "@href"));
        if (FileExists(href)) {
            if (LowerExtension(href) == extension) return href;
        } else if (FolderExists(href)) {
            const std::string candidate = href + "/" + base + extension;
            if (FileExists(candidate)) return candidate;
        }
    }
    return ChangeExtension(FileName, extension);
}

void TGpxParser::ReadTranslations(IXmlNode& node, TPoiWpt& point) {
    ApplyTranslations(ReadTranslationElements(node), Languages, point, [&](const std::string& code) {
        const char* why = Languages.empty()                                  ? "kestro.ini sets no \"languages\""
                          : SameIgnoringAsciiCase(code, Languages.front()) ? "the first language's texts are name, cmt and desc"
                                                                           : "not among the \"languages\" of kestro.ini";
        text_.Output().Warning(FileName, "language " + code,
                               "texts in language \"" + CodePageToUtf8(code, XmlCodePage) + "\" not used: " + why);
    });
}

void TGpxParser::ReadExtensions(IXmlNode& node, TPoiWpt& point) {
    if (auto proximity = node.SelectElement("extensions\\gpxx:WaypointExtension\\gpxx:Proximity")) {
        const std::string text = proximity->GetText();
        const auto distance = StrToInt32(text);
        if (distance && *distance >= 0) {
            point.AlertDistance = *distance;
        } else {
            text_.Output().Warning(FileName, "proximity",
                            "proximity \"" + CodePageToUtf8(text, XmlCodePage) + "\" not used: not a whole number of metres, 0 or more");
        }
    }
    if (auto address = node.SelectElement("extensions\\gpxx:WaypointExtension\\gpxx:Address")) {
        for (const auto& field : AddressFields)
            if (field.GpxName != nullptr && field.Point != nullptr) point.*field.Point = TextOf(*address, field.GpxName);
    }
    auto phones = node.SelectElements("extensions\\gpxx:WaypointExtension\\gpxx:PhoneNumber");
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

}  // namespace kestro
