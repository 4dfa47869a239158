#include "waypoints/GroupLoader.h"

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
#include "sources/CommentRule.h"
#include "sources/NumberText.h"
#include "store/GpiDB.h"
#include "store/SQLiteDatabase.h"
#include "waypoints/ArchivePhotos.h"
#include "waypoints/LinkPath.h"
#include "waypoints/ReplacedText.h"
#include "sources/SpeedSuffix.h"
#include "waypoints/WarningText.h"
#include "waypoints/WaypointFormats.h"
#include "xml/XmlCodePage.h"

namespace kestro {
namespace {

void AppendLine(std::string& lines, const std::string& line) {
    if (!lines.empty()) lines += "\r\n";
    lines += line;
}

std::size_t LineCount(const std::string& lines) {
    std::size_t count = lines.empty() ? 0 : 1;
    for (std::size_t at = lines.find("\r\n"); at != std::string::npos; at = lines.find("\r\n", at + 2)) ++count;
    return count;
}

// Positions outside these ranges wrap around in the 32-bit semicircle fields.
bool Encodable(double lat, double lon) { return lat >= -90 && lat <= 90 && lon >= -180 && lon <= 180; }

// Thrown through the format reader when the store has failed, to stop the
// reading; not an error of its own: the store's follows from Finish.
struct TStoreStopped {};

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


// Findings of the format reader about the file being read, told in
// reading order like the warnings of its points.
class TFileFindings final : public IFileFindings {
public:
    TFileFindings(TGroupOutput& output, const std::string& file) : output_(output), file_(file) {}
    void Warning(const std::string& cause, const std::string& text) override { output_.Warning(file_, cause, text); }
    void UnreadableLines(std::int64_t count) override {
        output_.NotWritten(file_, TNotWritten::UnreadableCsvLines, count);
    }
    void NotOfTheFormat(const std::string& start) override { output_.NotGpx(file_, start); }
    void ReplacedCharacters(std::int64_t count, char32_t first) override {
        TellReplacedCharacters(output_, file_, count, first, XmlCodePage);
    }
    void Note(const std::string& cause, const std::string& text) override { output_.Note(file_, cause, text); }

private:
    TGroupOutput& output_;
    const std::string& file_;
};

}  // namespace

// The loader's own output keeps everything for the store thread to show; the
// terminal's progress line is drawn by the reading itself.
TGroupLoader::TGroupLoader(TGroupOutput& output, std::unique_ptr<TSQLiteDatabase> store, TGroupLoaderSettings settings)
    : settings_(std::move(settings)), text_(output) {
    points_.Store = std::move(store);
    transaction_.emplace(*points_.Store);
    photos_.MaxSide = settings_.PhotoMaxSide;
}

TGroupLoader::~TGroupLoader() = default;

void TGroupLoader::StartCategory(std::uint16_t number, const TAlertDefaults& alerts) {
    categoryIndex_ = number;
    namer_ = nullptr;
    alertSpeed_ = alerts.Speed;
    alertDistance_ = alerts.Distance;
}

void TGroupLoader::StartFolderCategories(const std::string& fileCategory, const TAlertDefaults& alerts,
                                         TCategoryNamer namer) {
    categoryIndex_ = NoIndex;
    namer_ = std::move(namer);
    fileCategory_ = fileCategory;
    alertSpeed_ = alerts.Speed;
    alertDistance_ = alerts.Distance;
}

std::uint16_t TGroupLoader::CategoryOf(const TWaypointFields& waypoint) {
    if (!namer_) return static_cast<std::uint16_t>(categoryIndex_ & 0xFFFF);
    const std::string name = waypoint.Folder.empty() ? fileCategory_ : AsUtf8(waypoint.Folder);
    if (const auto known = folderCategories_.find(name); known != folderCategories_.end()) return known->second;
    const std::uint16_t number = namer_(name, Output());
    folderCategories_.emplace(name, number);
    return number;
}

TLoadedPoints TGroupLoader::Finish() {
    transaction_->Commit();
    transaction_.reset();
    points_.MediaRecords = sounds_.Records();
    return std::move(points_);
}

std::int32_t TGroupLoader::LoadFile(const std::string& path) { return LoadFile(path, WaypointFormatFor(path)); }

std::int32_t TGroupLoader::LoadFile(const std::string& path, const TWaypointFormat& format) {
    fileName_ = path;
    const TProgressFile progress(text_.Shown().Progress(), path);
    TReadProgress onRead;
    if (TProgressLine* line = progress.Line())
        onRead = [line](std::uint64_t bytesRead, std::int32_t entries) { line->Update(bytesRead, entries); };
    // Asked before the store's thread starts: a record the store cannot
    // hold is refused here, with the waypoint's name, not lost there.
    maxPointRecord_ = PointRecordLimit(*points_.Store);
    // The file is read and encoded on this thread while the store takes the
    // points on another.
    TStoreWorker worker([&store = *points_.Store](TStoreItem& item) {
        InsertPoi(store, std::move(item.Record), item.Alert, item.X, item.Y);
    }, settings_.Threading);
    worker_ = &worker;
    text_.StartFile();
    missing_.clear();
    folderCategories_.clear();
    TFileFindings findings(Output(), fileName_);
    std::int32_t entries = 0;
    std::exception_ptr readError;
    try {
        entries = format(path, [this](TWaypointFields& waypoint) { StoreWaypoint(waypoint); }, onRead, findings);
    } catch (const TStoreStopped&) {
        // the store's own error follows from Finish
    } catch (...) {
        readError = std::current_exception();
    }
    worker_ = nullptr;
    Output().FinishFile(path);
    if (!missing_.empty())
        Output().TranslationNote(fileName_, TTranslationNotes::TKind::Texts,
                                 MissingTranslationText(missing_, "text", "texts") + "; the first language's text stands in",
                                 missing_);
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
    return entries;
}

void TGroupLoader::StoreWaypoint(TWaypointFields& waypoint) {
    TPoiWpt point = std::move(waypoint.Point);
    point.AlertSpeed = alertSpeed_;
    point.AlertDistance = alertDistance_;
    const bool encodable = Encodable(point.Lat, point.Lon);

    ApplyTranslations(waypoint.TranslationOrder, point);
    if (const auto at = SpeedSuffixAt(point.Name); at != std::string::npos) {
        const std::string suffix = point.Name.substr(at + 1);
        const auto speed = StrToInt32(suffix);
        if (speed && *speed >= 0) {
            point.AlertSpeed = *speed;
        } else {
            Output().Warning(fileName_, "speed", "speed \"" + CutForWarning(AsUtf8(suffix)) + "\" after \"@\" in name \"" +
                                                    CutForWarning(AsUtf8(point.Name)) + "\" not used: not a whole number of km/h, 0 or more");
        }
        point.Name.resize(at);
    }
    // A new category's line comes before the lines its first point brings.
    point.Category = CategoryOf(waypoint);
    // Icon, photos and sound look at the same links: each is resolved once.
    const std::vector<TResolvedLink>& links = linkPaths_.Resolve(waypoint.Links, fileName_);
    ReadIcon(waypoint, links, point);

    if (DescriptionServesAsComment(point.Comment, point.Description)) {
        point.Comment = std::move(point.Description);
        point.Description.clear();
        MoveDescriptionsToComments(point);
    }
    ReadImages(links, point);
    AddArchivePhotos(waypoint.LinkedContents, photos_.MaxSide, point,
                     [this](const std::string& cause, const std::string& text) { Output().Warning(fileName_, cause, text); });
    ReadAlertTexts(waypoint, point);
    TMissingTranslations missing;
    CompleteTranslations(point, missing);

    // The console shows text as UTF-8, like the file names around it.
    if (!waypoint.CoordinateProblem.empty()) {
        Output().Warning(fileName_, "coordinates",
                         "waypoint \"" + AsUtf8(point.Name) + "\" not written: " + AsUtf8(waypoint.CoordinateProblem));
        Output().NotWritten(fileName_, TNotWritten::NoUsableCoordinates);
        return;
    }
    if (!encodable) {
        const std::string where = waypoint.Line != 0 ? " (line " + std::to_string(waypoint.Line) + ")" : "";
        Output().Lines() << "  Skipped: " << TerminalText(fileName_ + where + ": " + AsUtf8(point.Name)) << '\n';
        Output().NotWritten(fileName_, TNotWritten::OutsideTheMap);
        return;
    }
    if (point.Lat == 0 && point.Lon == 0) {
        Output().NotWritten(fileName_, TNotWritten::NoUsableCoordinates);
        return;
    }
    // Only a point written gives its group a media record (and a warning on a bad sound).
    sounds_.Apply(links, fileName_, settings_.Languages, point, Output());
    // Only points written stretch the group's box: an area bounds what it holds.
    if (point.Lat < points_.MinLat) points_.MinLat = point.Lat;
    if (point.Lat > points_.MaxLat) points_.MaxLat = point.Lat;
    if (point.Lon < points_.MinLon) points_.MinLon = point.Lon;
    if (point.Lon > points_.MaxLon) points_.MaxLon = point.Lon;
    // Only texts that are written need a translation.
    for (const auto& [code, count] : missing) missing_[code] += count;
    Output().CountWritten();
    if (AlertClamped(point)) Output().Lines() << "  Clamped: " << TerminalText(fileName_ + ": " + AsUtf8(point.Name)) << '\n';
    TStoreItem item{EncodePoint(point), HasAlert(point), static_cast<float>(point.Lat), static_cast<float>(point.Lon)};
    points_.StoredBytes += item.Record.size();
    text_.PointAdded();
    if (!worker_->Add(std::move(item))) throw TStoreStopped();
    text_.ShowStored(worker_->Stored());
}

void TGroupLoader::ReadAlertTexts(const TWaypointFields& waypoint, TPoiWpt& point) {
    if (waypoint.Speed) {
        const auto speed = StrToInt32(*waypoint.Speed);
        if (speed && *speed >= 0) {
            point.AlertSpeed = *speed;
        } else if (!waypoint.Speed->empty()) {
            Output().Warning(fileName_, "speed",
                            "speed \"" + CutForWarning(AsUtf8(*waypoint.Speed)) + "\" not used: not a whole number of km/h, 0 or more");
        }
    }
    if (waypoint.Proximity) {
        const auto distance = StrToInt32(*waypoint.Proximity);
        if (distance && *distance >= 0) {
            point.AlertDistance = *distance;
        } else {
            Output().Warning(fileName_, "proximity",
                            "proximity \"" + CutForWarning(AsUtf8(*waypoint.Proximity)) + "\" not used: not a whole number of metres, 0 or more");
        }
    }
}

Bytes TGroupLoader::EncodePoint(const TPoiWpt& point) const {
    try {
        return GpiPoi(point, maxPointRecord_);
    } catch (const EFormatLimit& error) {
        throw EFormatLimit(Format("Waypoint \"%s\" in \"%s\": %s", CutForWarning(AsUtf8(point.Name)).c_str(),
                                  fileName_.c_str(), error.what()));
    }
}

void TGroupLoader::ReadIcon(const TWaypointFields& waypoint, const std::vector<TResolvedLink>& links, TPoiWpt& point) {
    point.Bitmap = NoIndex;
    iconPath_.clear();
    if (waypoint.IconContent) return AddIcon(waypoint.Icon, waypoint.IconContent.get(), point);
    if (!waypoint.Icon.empty()) {
        TResolvedLink icon = linkPaths_.Resolve(waypoint.Icon, fileName_);
        iconPath_ = std::move(icon.Path);
        if (icon.Kind != TPathKind::File && !bitmapNumbers_.contains(iconPath_)) {
            const std::string shown = CutForWarning(iconPath_);
            Output().Warning(fileName_, "icon " + shown, "icon " + shown + " not used: no such file");
            return;
        }
        return AddIcon(iconPath_, nullptr, point);
    }
    iconPath_ = iconLookup_.Find(links, fileName_, linkPaths_);
    AddIcon(iconPath_, nullptr, point);
}

void TGroupLoader::AddIcon(const std::string& icon, const Bytes* content, TPoiWpt& point) {
    if (const auto known = bitmapNumbers_.find(icon); known != bitmapNumbers_.end()) {
        point.Bitmap = known->second;
        if (!content) NoteIfOutside(icon);
        return;
    }
    const std::size_t number = points_.BitmapFiles.size();
    // The record's own number field is 16 bits, like the point's reference.
    std::string refusal, note;
    const Bytes body = content ? GpiBitmapOfContent(*content, icon, static_cast<std::uint16_t>(number), refusal, note)
                               : settings_.Icons->Bitmap(icon, static_cast<std::uint16_t>(number), refusal, note);
    if (!refusal.empty()) {
        const std::string shown = CutForWarning(icon);
        Output().Warning(fileName_, "icon " + shown, "icon " + shown + " not used: " + refusal);
    }
    if (!note.empty()) Output().Note(fileName_, "icon " + icon, "icon " + CutForWarning(icon) + ": " + note);
    if (body.empty()) return;
    if (number >= settings_.BitmapLimit)
        throw EFormatLimit(Format("Icon \"%s\" would be icon number %zu; a group can have at most %zu icons",
                                  icon.c_str(), number + 1, settings_.BitmapLimit));
    Output().Lines() << "  Icon: " << TerminalText(icon) << '\n';
    points_.Bitmaps += GpiRecord(GpiTypeBitmap, body);
    points_.BitmapFiles.push_back(icon);
    bitmapNumbers_.emplace(icon, static_cast<std::uint16_t>(number));
    point.Bitmap = static_cast<std::uint16_t>(number);
    if (!content) NoteIfOutside(icon);
}

void TGroupLoader::ApplyTranslations(const std::vector<TLocalized>& found, TPoiWpt& point) {
    kestro::ApplyTranslations(settings_.Languages, found, point, spareTranslations_, [&](const std::string& code) {
        const char* why = settings_.Languages.empty()                                  ? "kestro.ini sets no \"languages\""
                          : SameIgnoringAsciiCase(code, settings_.Languages.front()) ? "the first language's texts are name, comment and description"
                                                                           : "not among the \"languages\" of kestro.ini";
        Output().Warning(fileName_, "language " + code, "texts in language \"" + AsUtf8(code) + "\" not used: " + why);
    });
}

void TGroupLoader::NoteIfOutside(const std::string& path) {
    if (settings_.SourceFolder.empty()) return;
    auto known = outside_.find(path);
    if (known == outside_.end()) {
        std::error_code error;
        const auto real = std::filesystem::canonical(PathFromUtf8(path), error);
        known = outside_.emplace(path, !error && !LiesInside(real, settings_.SourceFolder)).first;
    }
    if (known->second) Output().OutsideLink(fileName_, path);
}

void TGroupLoader::AddPhoto(const std::string& path, TPoiWpt& point) {
    const TPhotoPreparer::TPrepared& photo = photos_.Prepare(path);
    if (!photo.Refusal.empty()) {
        const std::string shown = CutForWarning(path);
        Output().Warning(fileName_, "photo " + shown, "photo " + shown + " not used: " + photo.Refusal);
        return;
    }
    if (!photo.AsItIs) {
        point.ImageContents.resize(LineCount(point.Images));
        point.ImageContents.push_back(photo.Jpeg);
    }
    AppendLine(point.Images, path);
    NoteIfOutside(path);
}

void TGroupLoader::ReadImages(const std::vector<TResolvedLink>& links, TPoiWpt& point) {
    point.Images.clear();
    point.ImageContents.clear();
    for (const auto& link : links) {
        const std::string& href = link.Path;
        if (link.Kind == TPathKind::File) {
            if (IsPhotoName(href)) AddPhoto(href, point);
        } else if (link.Kind == TPathKind::Folder) {
            for (const auto& entry : linkPaths_.Listing(href)) {
                // The folder's picture named after the list is the icon, not a photo.
                if (entry.IsFolder || !IsPhotoName(entry.Name) || href + "/" + entry.Name == iconPath_) continue;
                AddPhoto(href + "/" + entry.Name, point);
            }
        } else if (!href.empty() && !IsWebAddress(href)) {
            const std::string shown = CutForWarning(href);
            Output().Warning(fileName_, "link " + shown, "link " + shown + " not used: no such file or folder");
        }
    }
}

}  // namespace kestro
