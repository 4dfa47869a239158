#pragma once
// Reads the waypoints of one group's GPX files into the group's point store.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "gpi/PoiWpt.h"
#include "gpx/Translations.h"
#include "pipeline/GroupOutput.h"
#include "pipeline/WaitingText.h"
#include "platform/Bytes.h"
#include "xml/UKestroXML.h"

namespace kestro {

class TSQLiteDatabase;
class TStoreWorker;

class TGpxParser {
public:
    // Lines, warnings and notes go to output, which must outlive the parser;
    // what a point brings about is shown once the points read before it are
    // stored.
    explicit TGpxParser(TGroupOutput& output);
    ~TGpxParser();
    TGpxParser(const TGpxParser&) = delete;
    TGpxParser& operator=(const TGpxParser&) = delete;

    // Reads one GPX file: every finished "wpt" is encoded, stored and emptied
    // while the file is still being read; each finished element outside one
    // leaves the tree, so the tree holds little more than the open elements,
    // however long the file. `watch`, when given, sees each element end after
    // the reader has handled it.
    void LoadFile(const std::string& path, const TXmlElementHandler& watch = {});
    // The icon of a waypoint: the first linked ".bmp" file, the file named
    // after the GPX file in the first linked folder that has one, or the BMP
    // beside the GPX file (whether or not it exists).
    std::string FindLinkedFile(IXmlNode& node, const std::string& extension);

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
    // Linked files outside this folder (canonical; empty: no such check) are
    // named in a note.
    std::filesystem::path SourceFolder;

private:
    // The element-end handler LoadFile installs.
    TXmlElementHandler ElementHandler();
    // Reads or empties a finished element; false when it lies inside a
    // "wpt", whose reading still needs it.
    bool ElementEnded(IXmlNode& node);
    void ReadLoadedTree(IXmlNode& document);
    void ReadWaypoint(IXmlNode& node);
    void ReadIcon(IXmlNode& node, TPoiWpt& point);
    void ReadImages(IXmlNode& node, TPoiWpt& point);
    void ReadExtensions(IXmlNode& node, TPoiWpt& point);
    void ReadTranslations(IXmlNode& node, TPoiWpt& point);
    void NoteIfOutside(const std::string& path);

    // Everything here is touched by the reading thread only; the store
    // thread sees nothing but the items handed to worker_.
    // What the points being read bring about, lines, warnings and notes,
    // waits here until the points read before are stored.
    TWaitingText text_;
    TStoreWorker* worker_ = nullptr;  // during LoadFile
    std::unordered_map<std::string, std::uint16_t> bitmapNumbers_;  // BitmapFiles by path
    std::unordered_map<std::string, bool> Outside_;  // by path as linked
    TMissingTranslations missing_;  // of the file being loaded
};

}  // namespace kestro
