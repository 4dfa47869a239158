#include "app/GroupBuilder.h"

#include <filesystem>

#include "app/AlertFromFileName.h"
#include "app/AreaTree.h"
#include "app/RunState.h"
#include "diag/Exceptions.h"
#include "gpi/GpiRecordType.h"
#include "gpi/GpiUtil.h"
#include "gpx/GpxParser.h"
#include "platform/FolderListing.h"
#include "platform/PathName.h"
#include "platform/TextConversion.h"
#include "store/GpiDB.h"
#include "store/SQLiteDatabase.h"
#include "store/SQLiteTransaction.h"

namespace kestro {
namespace {

constexpr std::int32_t NoIndex = 0xFFFF;

void LoadCountingFile(TGpxParser& reader, const std::string& path, bool& anyWaypoint, TGroupOutput& output) {
    output.Lines() << "  File: " << path << '\n';
    reader.LoadFile(path);
    output.Lines() << "    " << reader.Count << " POIs\n";
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

Bytes CategoryRecords(const std::vector<std::string>& categories) {
    Bytes records;
    for (std::size_t i = 0; i < categories.size(); ++i)
        records += GpiRecord(GpiTypeCategory, GpiWord(static_cast<std::uint32_t>(i)) + GpiLangString(categories[i]));
    return records;
}

// Reads the group's files into the reader's store; whether any held a waypoint.
bool ReadGroupFiles(TGpxParser& reader, const std::string& path, std::vector<std::string>& categoryNames,
                    TGroupOutput& output) {
    bool anyWaypoint = false;
    // Anything but a folder is a loose file, so a file that cannot be opened
    // (a dangling link) is reported as the file it is.
    if (!FolderExists(path)) {
        const std::string displayName = BaseName(path);
        GroupName = Utf8ToCodePage(displayName, CodePage);
        output.Lines() << "Group: " << displayName << '\n';
        reader.CategoryIndex = NoIndex;
        reader.BitmapIndex = NoIndex;
        reader.AlertSpeed = -1;
        reader.AlertDistance = -1;
        LoadCountingFile(reader, path, anyWaypoint, output);
    } else {
        std::string folder = path;
        while (!folder.empty() && folder.back() == '/') folder.pop_back();
        const std::string displayName = folder.substr(folder.find_last_of('/') + 1);
        GroupName = Utf8ToCodePage(displayName, CodePage);
        output.Lines() << "Group: " << displayName << '\n';
        const auto entries = ListFolder(path);
        RequireCategoryNumbers(displayName, entries);
        for (const auto& entry : entries) {
            if (entry.IsFolder || !IsGpxFileName(entry.Name)) continue;
            const std::string categoryName = BaseName(entry.Name);
            output.Lines() << "  Category: " << categoryName << '\n';
            reader.Categories.push_back(categoryName);
            categoryNames.push_back(Utf8ToCodePage(categoryName, CodePage));
            reader.CategoryIndex = static_cast<std::int32_t>(reader.Categories.size() - 1);
            reader.BitmapIndex = NoIndex;
            AlertFromFileName(entry.Name, reader);
            LoadCountingFile(reader, path + entry.Name, anyWaypoint, output);
        }
    }
    return anyWaypoint;
}

// The source folder: the one that holds the group's folder or loose file.
std::filesystem::path SourceFolderOf(const std::string& groupPath) {
    std::string path = groupPath;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty()) folder = ".";
    std::error_code error;
    const auto real = std::filesystem::canonical(folder, error);
    return error ? std::filesystem::path() : real;
}

}  // namespace

Bytes BuildGroup(const std::string& path, TGroupOutput& output) {
    TGpxParser reader(output);
    reader.SourceFolder = SourceFolderOf(path);
    reader.Store = CreatePoiStore();
    reader.MinLat = 90;
    reader.MinLon = 180;
    reader.MaxLat = -90;
    reader.MaxLon = -180;
    reader.Bitmaps.clear();
    std::vector<std::string> categoryNames;  // in the output code page
    bool anyWaypoint = false;
    {
        TSQLiteTransaction reading(*reader.Store);
        anyWaypoint = ReadGroupFiles(reader, path, categoryNames, output);
        reading.Commit();
    }
    if (!anyWaypoint) return Bytes();

    TSQLiteTransaction writing(*reader.Store);
    output.Lines() << "  Optimalization...\n";
    MaxDeep = 0;
    Regions = 0;
    MaxSize = 0;
    std::uint8_t alert = 0;
    Bytes rootArea = BuildArea(*reader.Store, 0, alert, reader.MinLat, reader.MinLon, reader.MaxLat, reader.MaxLon);
    if (alert) output.Lines() << "    Alerts: ON\n";
    output.Lines() << "    Regions: " << Regions << " MaxSize: " << MaxSize << " MaxDeep: " << MaxDeep << '\n';
    // The root area holds every point of the group: keep at most two copies
    // of it alive while the record is assembled.
    Bytes main = GpiLangString(GroupName);
    main += rootArea;
    Bytes().swap(rootArea);
    Bytes group = GpiRecord(GpiTypeGroup, main, CategoryRecords(categoryNames) + reader.Bitmaps);
    writing.Commit();
    return group;
}

}  // namespace kestro
