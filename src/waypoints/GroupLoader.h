#pragma once
// The one owner of a group's points while its files are read: it calls a
// format reader for each file, makes a point of each waypoint the reader
// hands over (the waypoint rules), stores it, and keeps the group's box and
// icons, and the lines, warnings and notes the points bring about, until
// the points read before them are stored.
//
// Threads: a loader is made, used and finished by one thread, the one that
// reads the group. While LoadFile runs, a store thread of its own inserts
// the encoded points into the store and touches nothing else. Finish hands
// everything the area tree needs on as one value, which from then on
// belongs to whichever thread builds the tree.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "gpi/PoiWpt.h"
#include "pipeline/GroupOutput.h"
#include "pipeline/Threading.h"
#include "pipeline/WaitingText.h"
#include "platform/Bytes.h"
#include "sources/AlertDefaults.h"
#include "store/SQLiteDatabase.h"
#include "store/SQLiteTransaction.h"
#include "waypoints/IconFiles.h"
#include "waypoints/LinkPath.h"
#include "waypoints/LinkedImages.h"
#include "waypoints/SoundLookup.h"
#include "waypoints/Translations.h"
#include "waypoints/WaypointFormat.h"

namespace kestro {

class TStoreWorker;

// Numbers a category that a file names (a KML folder, or the file itself)
// the first time the file names it: prints its "Category:" line into
// `output` and returns its number. `name` is UTF-8.
using TCategoryNamer = std::function<std::uint16_t(const std::string& name, TGroupOutput& output)>;

// What does not change while a group is read.
struct TGroupLoaderSettings {
    // Codes of the languages of the texts, in order; empty: "EN" alone.
    std::vector<std::string> Languages;
    // Linked files outside this folder (canonical; empty: no such check) are
    // named in a note.
    std::filesystem::path SourceFolder;
    // Bitmap numbers are 16 bits and 0xFFFF means none: one icon more is an
    // error (EFormatLimit), not a number shared with another icon.
    std::size_t BitmapLimit = NoIndex;
    // The icon files read so far, shared by the groups of a run.
    std::shared_ptr<TIconFiles> Icons = std::make_shared<TIconFiles>();
    // Photos other than JPEGs of the right size become JPEGs ("photosize";
    // the longer side in pixels, 0: as they are).
    std::uint32_t PhotoMaxSide = 0;
    // Whether the points are stored on a thread of their own.
    TThreading Threading = BuildThreading();
};

// A group's points once read, as the area tree takes them.
struct TLoadedPoints {
    std::unique_ptr<TSQLiteDatabase> Store;  // every point written, committed
    // The box of the points written and of those at 0, 0 (90, 180, -90,
    // -180 when there are none).
    double MinLat = 90;
    double MinLon = 180;
    double MaxLat = -90;
    double MaxLon = -180;
    Bytes Bitmaps;                         // the icon records, in number order
    std::vector<std::string> BitmapFiles;  // their files; the position is the number
    Bytes MediaRecords;                    // the sounds the alerts play, in number order
    std::uint64_t StoredBytes = 0;         // the point records stored, together
};

class TGroupLoader {
public:
    // Lines, warnings and notes go to output, which must outlive the
    // loader; the loader owns the store and keeps one transaction open on
    // it until Finish.
    TGroupLoader(TGroupOutput& output, std::unique_ptr<TSQLiteDatabase> store, TGroupLoaderSettings settings);
    ~TGroupLoader();
    TGroupLoader(const TGroupLoader&) = delete;
    TGroupLoader& operator=(const TGroupLoader&) = delete;

    // The points of the files read next belong to category `number`
    // (NoIndex: none) and have these alert defaults.
    void StartCategory(std::uint16_t number, const TAlertDefaults& alerts);
    // The points of the files read next belong to the categories the files
    // name by their folders: a point in no folder to `fileCategory`, a point
    // in a folder to the folder's ("Outer / Inner"); `namer` numbers each
    // name the first time a file names it. They have these alert defaults.
    void StartFolderCategories(const std::string& fileCategory, const TAlertDefaults& alerts, TCategoryNamer namer);
    // Reads one file with `format`, storing its points on another thread
    // while the reading goes on; returns the entries the file holds. An
    // error of the reader or the store is raised once what was read before
    // it is stored and shown.
    std::int32_t LoadFile(const std::string& path, const TWaypointFormat& format);
    // The same with the reader of the file's format (WaypointFormatFor).
    std::int32_t LoadFile(const std::string& path);
    // Commits the store and hands the points on; the loader is spent.
    TLoadedPoints Finish();

private:
    // Makes a point of a waypoint's fields: the "@" speed suffix, the alert
    // defaults, icon and images from its links, and the store, or a
    // "Skipped:" line when it lies off the globe.
    void StoreWaypoint(TWaypointFields& waypoint);
    // Where warnings about the file being read go, in reading order.
    TGroupOutput& Output() { return text_.Output(); }
    // GpiPoi within MaxPointRecord; EFormatLimit names the waypoint and file.
    Bytes EncodePoint(const TPoiWpt& point) const;
    // The category of a waypoint of the file being read.
    std::uint16_t CategoryOf(const TWaypointFields& waypoint);
    void ReadIcon(const TWaypointFields& waypoint, const std::vector<TResolvedLink>& links, TPoiWpt& point);
    // The icon record of a picture; `content` null: the file at `icon`.
    void AddIcon(const std::string& icon, const Bytes* content, TPoiWpt& point);
    void ReadImages(const std::vector<TResolvedLink>& links, TPoiWpt& point);
    void AddPhoto(const std::string& path, TPoiWpt& point);
    void ReadAlertTexts(const TWaypointFields& waypoint, TPoiWpt& point);
    void NoteIfOutside(const std::string& path);
    void ApplyTranslations(const std::vector<TLocalized>& found, TPoiWpt& point);

    // Everything here is touched by the reading thread only; the store
    // thread sees nothing but the store and the items handed to worker_.
    const TGroupLoaderSettings settings_;
    TLoadedPoints points_;                             // Store is the store thread's during LoadFile
    std::optional<TSQLiteTransaction> transaction_;   // on points_.Store, until Finish
    std::int32_t categoryIndex_ = NoIndex;
    TCategoryNamer namer_;              // set: categories by the files' folders, as StartFolderCategories says
    std::string fileCategory_;          // then the category of points in no folder
    std::unordered_map<std::string, std::uint16_t> folderCategories_;  // of the file being read, by name
    std::int32_t alertSpeed_ = -1;
    std::int32_t alertDistance_ = -1;
    std::string fileName_;  // the file being read
    // The largest point record stored (the store's limit, set by LoadFile).
    std::uint64_t maxPointRecord_ = UINT64_MAX;
    // What the points being read bring about, lines, warnings and notes,
    // waits here until the points read before are stored.
    TWaitingText text_;
    TStoreWorker* worker_ = nullptr;  // during LoadFile
    std::unordered_map<std::string, std::uint16_t> bitmapNumbers_;  // BitmapFiles by path
    std::unordered_map<std::string, bool> outside_;  // by path as linked
    TMissingTranslations missing_;                   // of the file being read, in points written
    TPoiTranslations spareTranslations_;            // ApplyTranslations' lists, kept for their capacity
    TLinkPaths linkPaths_;                          // of the file being read
    TIconLookup iconLookup_;
    std::string iconPath_;  // the icon file of the point being made, whether or not it was used
    TPhotoPreparer photos_;
    TGroupSounds sounds_;                            // the group's media records and the alerts' sounds
};

}  // namespace kestro
