#include "app/GroupBuilder.h"

#include <filesystem>
#include <iostream>

#include "app/AlertFromFileName.h"
#include "app/AreaTree.h"
#include "app/RunState.h"
#include "diag/Exceptions.h"
#include "gpi/FolderListing.h"
#include "gpi/GpiUtil.h"
#include "gpi/RecordInPlace.h"
#include "gpi/TextConversion.h"
#include "gpx/GpxParser.h"
#include "gpx/LinkPath.h"
#include "store/GpiDB.h"
#include "store/SQLiteDatabase.h"

namespace kestro {
namespace {

constexpr std::int32_t NoIndex = 0xFFFF;
constexpr std::uint16_t GroupRecordType = 9;

void LoadCountingFile(TGpxParser& reader, const std::string& path, bool& anyWaypoint) {
    std::cout << "  File: " << path << '\n';
    reader.LoadFile(path);
    std::cout << "    " << reader.Count << " POIs\n";
    if (reader.Count > 0) anyWaypoint = true;
}

// Category numbers are 16 bits and 0xFFFF means "none": more files would
// share numbers and leave points pointing at the wrong category.
void RequireCategoryNumbers(const std::string& groupName, const std::vector<TFolderEntry>& entries) {
    std::size_t files = 0;
    for (const auto& entry : entries) files += !entry.IsFolder && IsGpxFileName(entry.Name) ? 1 : 0;
    if (files > static_cast<std::size_t>(NoIndex))
        throw Exception(Format("Group \"%s\" holds %zu GPX files; a group can have at most %d categories",
                               groupName.c_str(), files, NoIndex));
}

std::uint64_t FileBytes(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? 0 : size;
}

std::uint64_t GpxBytes(const std::string& folder, const std::vector<TFolderEntry>& entries) {
    std::uint64_t total = 0;
    for (const auto& entry : entries)
        if (!entry.IsFolder && IsGpxFileName(entry.Name)) total += FileBytes(folder + entry.Name);
    return total;
}

Bytes CategoryRecords(const std::vector<std::string>& categories) {
    Bytes records;
    for (std::size_t i = 0; i < categories.size(); ++i)
        records += GpiRecord(7, GpiWord(static_cast<std::uint32_t>(i)) + GpiLangString(categories[i]));
    return records;
}

}  // namespace

Bytes BuildGroup(const std::string& path) {
    const bool looseFile = !FolderExists(path);
    std::string folder = path;
    while (!looseFile && !folder.empty() && folder.back() == '/') folder.pop_back();
    const std::string displayName = looseFile ? BaseName(path) : folder.substr(folder.find_last_of('/') + 1);
    const Bytes groupName = Utf8ToCodePage(displayName, CodePage);
    std::cout << "Group: " << displayName << '\n';
    std::vector<TFolderEntry> entries;
    if (!looseFile) {
        entries = ListFolder(path);
        RequireCategoryNumbers(displayName, entries);
    }

    TGpxParser reader;
    reader.Store = CreatePoiStore(looseFile ? FileBytes(path) : GpxBytes(path, entries));
    reader.MinLat = 90;
    reader.MinLon = 180;
    reader.MaxLat = -90;
    reader.MaxLon = -180;
    reader.Bitmaps.clear();
    reader.Store->StartTransaction();

    bool anyWaypoint = false;
    std::vector<std::string> categoryNames;  // in the output code page
    // Anything but a folder is a loose file, so a file that cannot be opened
    // (a dangling link) is reported as the file it is.
    try {
        if (looseFile) {
            reader.CategoryIndex = NoIndex;
            reader.BitmapIndex = NoIndex;
            reader.AlertSpeed = -1;
            reader.AlertDistance = -1;
            LoadCountingFile(reader, path, anyWaypoint);
        } else {
            for (const auto& entry : entries) {
                if (entry.IsFolder || !IsGpxFileName(entry.Name)) continue;
                const std::string categoryName = BaseName(entry.Name);
                std::cout << "  Category: " << categoryName << '\n';
                reader.Categories.push_back(categoryName);
                categoryNames.push_back(Utf8ToCodePage(categoryName, CodePage));
                reader.CategoryIndex = static_cast<std::int32_t>(reader.Categories.size() - 1);
                reader.BitmapIndex = NoIndex;
                AlertFromFileName(entry.Name, reader);
                LoadCountingFile(reader, path + entry.Name, anyWaypoint);
            }
        }
        reader.Store->CommitTransaction();
        if (!anyWaypoint) return Bytes();

        reader.Store->StartTransaction();
        std::cout << "  Optimalization...\n";
        const Bytes extra = CategoryRecords(categoryNames) + reader.Bitmaps;
        // The root area holds every point of the group: it is built right
        // into the group record, never copied whole.
        Bytes group;
        // Room for the points and the areas around them, so the record is
        // never moved while it grows; what stays unused is never touched.
        group.reserve(reader.StoredBytes + reader.StoredBytes / 4 + 65536);
        TRecordInPlace record(group, GroupRecordType, !extra.empty());
        group += GpiLangString(groupName);
        TAreaStatistics statistics;
        std::uint8_t alert = 0;
        AppendArea(*reader.Store, statistics, 0, alert, reader.MinLat, reader.MinLon, reader.MaxLat, reader.MaxLon,
                   group);
        reader.Store->CommitTransaction();
        reader.Store.reset();  // its pages are no use any more
        if (alert) std::cout << "    Alerts: ON\n";
        std::cout << "    Regions: " << statistics.Regions << " MaxSize: " << statistics.MaxSize
                  << " MaxDeep: " << statistics.MaxDeep << '\n';
        record.EndMain();
        group += extra;
        record.Finish();
        return group;
    } catch (const EFormatLimit& error) {
        throw EFormatLimit(Format("Group \"%s\": %s", displayName.c_str(), error.what()));
    }
}

}  // namespace kestro
