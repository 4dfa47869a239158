#pragma once
// The reading of one group's files, whatever their format: each file's
// waypoints become point records in the group's store (on a second thread),
// with the group's box, icons and the progress and warning lines they bring
// about. The GPX and CSV readers hand it the fields of each waypoint.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "gpi/PoiWpt.h"
#include "pipeline/GroupOutput.h"
#include "pipeline/WaitingText.h"
#include "platform/Bytes.h"
#include "waypoints/LinkedImages.h"
#include "waypoints/WaypointFields.h"

namespace kestro {

class TSQLiteDatabase;
class TStoreWorker;
class TProgressLine;

class TWaypointReader {
public:
    // Lines, warnings and notes go to output, which must outlive the reader;
    // what a point brings about is shown once the points read before it are
    // stored.
    explicit TWaypointReader(TGroupOutput& output);
    virtual ~TWaypointReader();
    TWaypointReader(const TWaypointReader&) = delete;
    TWaypointReader& operator=(const TWaypointReader&) = delete;

    // Reads one file with `read`, which hands each waypoint to
    // StoreWaypoint: Count starts at 0, FileName is path, and the points are
    // stored on another thread while `read` goes on. `read` gets the
    // terminal's progress line, or null.
    void ReadFile(const std::string& path, const std::function<void(TProgressLine*)>& read);
    // Makes a point of a waypoint's fields (Count is the caller's): the "@"
    // speed suffix, the alert defaults, icon and images from its links, and
    // the store, or a "Skipped:" line when it lies off the globe. Only
    // inside ReadFile.
    void StoreWaypoint(TWaypointFields& waypoint);
    // The icon of a waypoint: the first linked ".bmp" file, the file named
    // after the read file in the first linked folder that has one, or the
    // BMP beside the read file (whether or not it exists).
    std::string FindLinkedFile(const std::vector<std::string>& links, const std::string& extension);
    // Where warnings about the file being read go, in reading order.
    TGroupOutput& Output() { return text_.Output(); }

    std::unique_ptr<TSQLiteDatabase> Store;
    double MinLat = 0;
    double MinLon = 0;
    double MaxLat = 0;
    double MaxLon = 0;
    std::int32_t Count = 0;
    std::int32_t CategoryIndex = 0;
    std::int32_t BitmapIndex = 0;
    std::int32_t AlertSpeed = 0;
    std::int32_t AlertDistance = 0;
    std::vector<std::string> Categories;
    // Codes of the languages of the texts, in order; empty: "EN" alone.
    std::vector<std::string> Languages;
    std::vector<std::string> BitmapFiles;  // file-system paths; the position is the bitmap number
    // Bitmap numbers are 16 bits and 0xFFFF means none: one icon more is an
    // error (EFormatLimit), not a number shared with another icon.
    std::size_t BitmapLimit = NoIndex;
    Bytes Bitmaps;
    std::string FileName;
    std::uint64_t StoredBytes = 0;  // point records stored so far, over all files
    // The largest point record stored (the store's limit, set by ReadFile).
    std::uint64_t MaxPointRecord = UINT64_MAX;
    // Linked files outside this folder (canonical; empty: no such check) are
    // named in a note.
    std::filesystem::path SourceFolder;
    // Photos other than JPEGs of the right size become JPEGs here ("photosize").
    TPhotoPreparer Photos;

private:
    // GpiPoi within MaxPointRecord; EFormatLimit names the waypoint and file.
    Bytes EncodePoint(const TPoiWpt& point) const;
    void ReadIcon(const std::vector<std::string>& links, TPoiWpt& point);
    void ReadImages(const std::vector<std::string>& links, TPoiWpt& point);
    void AddPhoto(const std::string& path, TPoiWpt& point);
    void ReadAlertTexts(const TWaypointFields& waypoint, TPoiWpt& point);
    void NoteIfOutside(const std::string& path);
    void ApplyTranslations(const TWaypointFields& waypoint, TPoiWpt& point);

    // Everything here is touched by the reading thread only; the store
    // thread sees nothing but the items handed to worker_.
    // What the points being read bring about, lines, warnings and notes,
    // waits here until the points read before are stored.
    TWaitingText text_;
    TStoreWorker* worker_ = nullptr;  // during ReadFile
    std::unordered_map<std::string, std::uint16_t> bitmapNumbers_;  // BitmapFiles by path
    std::unordered_map<std::string, bool> Outside_;  // by path as linked
    TMissingTranslations missing_;                   // of the file being read, in points written
    TIconLookup iconLookup_;
    std::string iconPath_;  // the icon file of the point being made, whether or not it was used
};

}  // namespace kestro
