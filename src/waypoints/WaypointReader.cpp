#include "waypoints/WaypointReader.h"

#include <exception>

#include "diag/Exceptions.h"
#include "gpi/Bitmap.h"
#include "gpi/GpiRecordType.h"
#include "gpi/GpiUtil.h"
#include "gpi/PoiRecord.h"
#include "pipeline/ProgressLine.h"
#include "pipeline/StoreWorker.h"
#include "platform/AsciiCase.h"
#include "platform/FolderListing.h"
#include "platform/PathName.h"
#include "platform/TerminalText.h"
#include "platform/TextConversion.h"
#include "sources/NumberText.h"
#include "store/GpiDB.h"
#include "store/SQLiteDatabase.h"
#include "waypoints/LinkPath.h"
#include "sources/SpeedSuffix.h"
#include "waypoints/WarningText.h"
#include "xml/XmlCodePage.h"

namespace kestro {
namespace {

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

std::string AsUtf8(const std::string& text) { return CodePageToUtf8(text, XmlCodePage); }

}  // namespace

// The reader's own output keeps everything for the store thread to show; the
// terminal's progress line is drawn by the reading itself.
TWaypointReader::TWaypointReader(TGroupOutput& output) : text_(output) {}
TWaypointReader::~TWaypointReader() = default;

void TWaypointReader::ReadFile(const std::string& path, const std::function<void(TProgressLine*)>& read) {
    Count = 0;
    FileName = path;
    const TProgressFile progress(text_.Shown().Progress(), path);
    // Asked before the store's thread starts: a record the store cannot
    // hold is refused here, with the waypoint's name, not lost there.
    MaxPointRecord = PointRecordLimit(*Store);
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
        read(progress.Line());
    } catch (const EStoreStopped&) {
        // the store's own error follows from Finish
    } catch (...) {
        readError = std::current_exception();
    }
    worker_ = nullptr;
    Output().FinishFile(path);
    if (!missing_.empty())
        Output().Note(FileName, "translations",
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

void TWaypointReader::StoreWaypoint(TWaypointFields& waypoint) {
    if (worker_ == nullptr) throw Exception("A waypoint was handed over outside the reading of a file.");
    TPoiWpt point = std::move(waypoint.Point);
    point.AlertSpeed = AlertSpeed;
    point.AlertDistance = AlertDistance;
    const bool encodable = Encodable(point.Lat, point.Lon);

    ApplyTranslations(waypoint, point);
    if (const auto at = SpeedSuffixAt(point.Name); at != std::string::npos) {
        const std::string suffix = point.Name.substr(at + 1);
        const auto speed = StrToInt32(suffix);
        if (speed && *speed >= 0) {
            point.AlertSpeed = *speed;
        } else {
            Output().Warning(FileName, "speed", "speed \"" + CutForWarning(AsUtf8(suffix)) + "\" after \"@\" in name \"" +
                                                    CutForWarning(AsUtf8(point.Name)) + "\" not used: not a whole number of km/h, 0 or more");
        }
        point.Name.resize(at);
    }
    ReadIcon(waypoint.Links, point);
    point.Category = static_cast<std::uint16_t>(CategoryIndex & 0xFFFF);

    if (point.Comment.empty() && !point.Description.empty() && point.Description.size() < 256 &&
        (point.Description.find('<') == std::string::npos || point.Description.find('>') == std::string::npos)) {
        point.Comment = std::move(point.Description);
        point.Description.clear();
        MoveDescriptionsToComments(point);
    }
    ReadImages(waypoint.Links, point);
    ReadAlertTexts(waypoint, point);
    TMissingTranslations missing;
    CompleteTranslations(point, missing);

    // The console shows text as UTF-8, like the file names around it.
    if (!waypoint.CoordinateProblem.empty()) {
        Output().Warning(FileName, "coordinates",
                         "waypoint \"" + AsUtf8(point.Name) + "\" not written: " + AsUtf8(waypoint.CoordinateProblem));
        Output().NotWritten(FileName, TNotWritten::NoUsableCoordinates);
        return;
    }
    if (!encodable) {
        const std::string where = waypoint.Line != 0 ? " (line " + std::to_string(waypoint.Line) + ")" : "";
        Output().Lines() << "  Skipped: " << TerminalText(FileName + where + ": " + AsUtf8(point.Name)) << '\n';
        Output().NotWritten(FileName, TNotWritten::OutsideTheMap);
        return;
    }
    if (point.Lat == 0 && point.Lon == 0) {
        Output().NotWritten(FileName, TNotWritten::NoUsableCoordinates);
        return;
    }
    // Only points written stretch the group's box: an area bounds what it holds.
    if (point.Lat < MinLat) MinLat = point.Lat;
    if (point.Lat > MaxLat) MaxLat = point.Lat;
    if (point.Lon < MinLon) MinLon = point.Lon;
    if (point.Lon > MaxLon) MaxLon = point.Lon;
    // Only texts that are written need a translation.
    for (const auto& [code, count] : missing) missing_[code] += count;
    Output().CountWritten();
    if (AlertClamped(point)) Output().Lines() << "  Clamped: " << TerminalText(FileName + ": " + AsUtf8(point.Name)) << '\n';
    TStoreItem item{EncodePoint(point), HasAlert(point), static_cast<float>(point.Lat), static_cast<float>(point.Lon)};
    StoredBytes += item.Record.size();
    text_.PointAdded();
    if (!worker_->Add(std::move(item))) throw EStoreStopped();
    text_.ShowStored(worker_->Stored());
}

void TWaypointReader::ReadAlertTexts(const TWaypointFields& waypoint, TPoiWpt& point) {
    if (waypoint.Speed) {
        const auto speed = StrToInt32(*waypoint.Speed);
        if (speed && *speed >= 0) {
            point.AlertSpeed = *speed;
        } else if (!waypoint.Speed->empty()) {
            Output().Warning(FileName, "speed",
                            "speed \"" + CutForWarning(AsUtf8(*waypoint.Speed)) + "\" not used: not a whole number of km/h, 0 or more");
        }
    }
    if (waypoint.Proximity) {
        const auto distance = StrToInt32(*waypoint.Proximity);
        if (distance && *distance >= 0) {
            point.AlertDistance = *distance;
        } else {
            Output().Warning(FileName, "proximity",
                            "proximity \"" + CutForWarning(AsUtf8(*waypoint.Proximity)) + "\" not used: not a whole number of metres, 0 or more");
        }
    }
}

Bytes TWaypointReader::EncodePoint(const TPoiWpt& point) const {
    try {
        return GpiPoi(point, MaxPointRecord);
    } catch (const EFormatLimit& error) {
        throw EFormatLimit(Format("Waypoint \"%s\" in \"%s\": %s", CutForWarning(AsUtf8(point.Name)).c_str(),
                                  FileName.c_str(), error.what()));
    }
}

void TWaypointReader::ReadIcon(const std::vector<std::string>& links, TPoiWpt& point) {
    point.Bitmap = NoIndex;
    const std::string icon = FindLinkedFile(links, ".bmp");
    if (const auto known = bitmapNumbers_.find(icon); known != bitmapNumbers_.end()) {
        point.Bitmap = known->second;
        NoteIfOutside(icon);
        return;
    }
    const std::size_t number = BitmapFiles.size();
    // The record's own number field is 16 bits, like the point's reference.
    std::string refusal;
    const Bytes body = GpiBitmap(icon, static_cast<std::uint16_t>(number), refusal);
    if (!refusal.empty()) {
        const std::string shown = CutForWarning(icon);
        Output().Warning(FileName, "icon " + shown, "icon " + shown + " not used: " + refusal);
    }
    if (body.empty()) return;
    if (number >= BitmapLimit)
        throw EFormatLimit(Format("Icon \"%s\" would be icon number %zu; a group can have at most %zu icons",
                                  icon.c_str(), number + 1, BitmapLimit));
    Output().Lines() << "  Icon: " << TerminalText(icon) << '\n';
    Bitmaps += GpiRecord(GpiTypeBitmap, body);
    BitmapFiles.push_back(icon);
    bitmapNumbers_.emplace(icon, static_cast<std::uint16_t>(number));
    point.Bitmap = static_cast<std::uint16_t>(number);
    NoteIfOutside(icon);
}

void TWaypointReader::ApplyTranslations(const TWaypointFields& waypoint, TPoiWpt& point) {
    kestro::ApplyTranslations(waypoint.Translations, Languages, point, [&](const std::string& code) {
        const char* why = Languages.empty()                                  ? "kestro.ini sets no \"languages\""
                          : SameIgnoringAsciiCase(code, Languages.front()) ? "the first language's texts are name, comment and description"
                                                                           : "not among the \"languages\" of kestro.ini";
        Output().Warning(FileName, "language " + code, "texts in language \"" + AsUtf8(code) + "\" not used: " + why);
    });
}

void TWaypointReader::NoteIfOutside(const std::string& path) {
    if (SourceFolder.empty()) return;
    auto known = Outside_.find(path);
    if (known == Outside_.end()) {
        std::error_code error;
        const auto real = std::filesystem::canonical(PathFromUtf8(path), error);
        known = Outside_.emplace(path, !error && !LiesInside(real, SourceFolder)).first;
    }
    if (known->second) Output().OutsideLink(FileName, path);
}

void TWaypointReader::ReadImages(const std::vector<std::string>& links, TPoiWpt& point) {
    point.Images.clear();
    for (const auto& link : links) {
        const std::string href = LinkToPath(link, FileName);
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
            const std::string shown = CutForWarning(href);
            Output().Warning(FileName, "link " + shown, "link " + shown + " not used: no such file or folder");
        }
    }
}

std::string TWaypointReader::FindLinkedFile(const std::vector<std::string>& links, const std::string& extension) {
    const std::string base = BaseName(FileName);
    for (const auto& link : links) {
        const std::string href = LinkToPath(link, FileName);
        if (FileExists(href)) {
            if (LowerExtension(href) == extension) return href;
        } else if (FolderExists(href)) {
            const std::string candidate = href + "/" + base + extension;
            if (FileExists(candidate)) return candidate;
        }
    }
    return ChangeExtension(FileName, extension);
}

}  // namespace kestro
