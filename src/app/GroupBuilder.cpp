#include "app/GroupBuilder.h"

#include <filesystem>
#include <map>
#include <optional>

#include "app/AlertFromFileName.h"
#include "app/AreaTree.h"
#include "app/RunState.h"
#include "csv/CsvReader.h"
#include "diag/Exceptions.h"
#include "gpi/GpiRecordType.h"
#include "gpi/GpiUtil.h"
#include "gpi/RecordInPlace.h"
#include "gpx/GpxParser.h"
#include "waypoints/ReplacedText.h"
#include "waypoints/Translations.h"
#include "platform/FolderListing.h"
#include "platform/PathName.h"
#include "platform/TerminalText.h"
#include "platform/TextConversion.h"
#include "sources/GroupSources.h"
#include "store/GpiDB.h"
#include "store/SQLiteDatabase.h"
#include "store/SQLiteTransaction.h"

namespace kestro {
namespace {


void LoadCountingFile(TGpxParser& reader, const std::string& path, bool& anyWaypoint, TGroupOutput& output) {
    output.Lines() << "  File: " << TerminalText(path) << '\n';
    // The report names the file in its first line: under -q no "File:" line precedes it.
    try {
        if (IsCsvFileName(path)) LoadCsvFile(reader, path);
        else reader.LoadFile(path);
    } catch (Exception& error) {
        error.NameFile(path);
        throw;
    }
    output.Lines() << "    " << reader.Count << " POIs\n";
    if (reader.Count > 0) anyWaypoint = true;
}

// Category numbers are 16 bits and 0xFFFF means "none": more files would
// share numbers and leave points pointing at the wrong category.
void RequireCategoryNumbers(const std::string& groupName, const std::vector<TFolderEntry>& entries) {
    std::size_t files = 0;
    for (const auto& entry : entries) files += IsCategoryFile(entry, ReadCsvFiles) ? 1 : 0;
    if (files > static_cast<std::size_t>(NoIndex))
        throw Exception(Format("Group \"%s\" holds %zu category files; a group can have at most %d categories",
                               groupName.c_str(), files, NoIndex));
}

std::uint64_t FileBytes(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(PathFromUtf8(path), error);
    return error ? 0 : size;
}

std::uint64_t GpxBytes(const std::string& folder, const std::vector<TFolderEntry>& entries) {
    std::uint64_t total = 0;
    for (const auto& entry : entries)
        if (IsCategoryFile(entry, ReadCsvFiles)) total += FileBytes(folder + entry.Name);
    return total;
}

// The source folder: the one that holds the group's folder or loose file.
std::filesystem::path SourceFolderOf(const std::string& groupPath) {
    std::string path = groupPath;
    while (path.size() > 1 && PathSeparators.find(path.back()) != std::string_view::npos) path.pop_back();
    std::filesystem::path folder = PathFromUtf8(path).parent_path();
    if (folder.empty()) folder = ".";
    std::error_code error;
    const auto real = std::filesystem::canonical(folder, error);
    return error ? std::filesystem::path() : real;
}

// A group or category name in every language of the run, converted into the
// output code page: the name on disk is the first language's, the settings
// give the others under the key (a category as "group/category"). Names the
// settings lack repeat the first language's and are counted per language.
TGpiText LocalizedName(const std::string& onDisk, const std::string& key, TMissingTranslations& missing) {
    if (Languages.Codes.size() <= 1) {
        const std::string only = Languages.Codes.empty() ? "EN" : Languages.Codes.front();
        const auto renamed = Languages.NameIn(only, key);
        return {{only, Utf8ToCodePage(renamed && !renamed->empty() ? *renamed : onDisk, CodePage)}};
    }
    TGpiText name;
    for (const auto& code : Languages.Codes) {
        std::optional<std::string> text;
        if (name.empty()) {
            text = onDisk;
        } else {
            text = Languages.NameIn(code, key);
            if (!text || text->empty()) {
                ++missing[code];
                text = onDisk;
            }
        }
        name.push_back({code, Utf8ToCodePage(*text, CodePage)});
    }
    return name;
}

// ... and a warning for characters of the name on disk the code page lacks.
TGpiText LocalizedName(const std::string& onDisk, const std::string& key, TMissingTranslations& missing,
                       TGroupOutput& output, const std::string& path) {
    TGpiText name = LocalizedName(onDisk, key, missing);
    char32_t first = 0;
    // The name on disk, the first language's: a translation is the settings' own text.
    const std::int64_t replaced = ReplacedIn(onDisk, name.front().Text, CodePage, first);
    TellReplacedCharacters(output, path, replaced, first, CodePage, true);
    return name;
}

void NoteMissingNames(const std::string& path, const TMissingTranslations& missing, TGroupOutput& output) {
    if (missing.empty()) return;
    output.Note(path, "names", MissingTranslationText(missing, "name", "names") + " in kestro.ini; the name on disk stands in");
}

Bytes CategoryRecords(const std::vector<TGpiText>& categories) {
    Bytes records;
    for (std::size_t i = 0; i < categories.size(); ++i)
        records += GpiRecord(GpiTypeCategory, GpiWord(static_cast<std::uint32_t>(i)) + GpiLangString(categories[i]));
    return records;
}

// The limits of the format are checked deep inside; the report names the group.
[[noreturn]] void RaiseForGroup(const TLoadedGroup& group, const EFormatLimit& error) {
    throw EFormatLimit(Format("Group \"%s\": %s", group.DisplayName.c_str(), error.what()));
}

}  // namespace

void BuildGroup(const std::string& path, TGroupOutput& output, const TGroupFinisher& finish) {
    auto group = std::make_unique<TLoadedGroup>(output);
    // Anything but a folder is a loose file, so a file that cannot be opened
    // (a dangling link) is reported as the file it is.
    const bool looseFile = !FolderExists(path);
    std::string folder = path;
    while (!looseFile && !folder.empty() && PathSeparators.find(folder.back()) != std::string_view::npos) folder.pop_back();
    group->DisplayName = looseFile ? BaseName(path) : FileNameWithoutFolder(folder);
    TMissingTranslations missingNames;
    group->Name = LocalizedName(group->DisplayName, group->DisplayName, missingNames, output, path);
    output.Lines() << "Group: " << TerminalText(group->DisplayName) << '\n';
    std::vector<TFolderEntry> entries;
    if (!looseFile) {
        entries = ListFolder(path);
        RequireCategoryNumbers(group->DisplayName, entries);
    }

    TGpxParser& reader = group->Reader;
    reader.Languages = Languages.Codes;
    reader.SourceFolder = SourceFolderOf(path);
    reader.Store = CreatePoiStore(looseFile ? FileBytes(path) : GpxBytes(path, entries));
    reader.MinLat = 90;
    reader.MinLon = 180;
    reader.MaxLat = -90;
    reader.MaxLon = -180;
    reader.Bitmaps.clear();
    TSQLiteTransaction reading(*reader.Store);
    bool anyWaypoint = false;
    try {
        if (looseFile) {
            reader.CategoryIndex = NoIndex;
            reader.BitmapIndex = NoIndex;
            reader.AlertSpeed = -1;
            reader.AlertDistance = -1;
            LoadCountingFile(reader, path, anyWaypoint, output);
        } else {
            for (const auto& entry : entries) {
                if (!IsCategoryFile(entry, ReadCsvFiles)) continue;
                const std::string categoryName = BaseName(entry.Name);
                output.Lines() << "  Category: " << TerminalText(categoryName) << '\n';
                reader.Categories.push_back(categoryName);
                group->CategoryNames.push_back(
                    LocalizedName(categoryName, group->DisplayName + "/" + categoryName, missingNames, output, path + entry.Name));
                reader.CategoryIndex = static_cast<std::int32_t>(reader.Categories.size() - 1);
                reader.BitmapIndex = NoIndex;
                AlertFromFileName(entry.Name, reader);
                LoadCountingFile(reader, path + entry.Name, anyWaypoint, output);
            }
        }
    } catch (const EFormatLimit& error) {
        RaiseForGroup(*group, error);
    }
    reading.Commit();
    NoteMissingNames(path, missingNames, output);
    if (anyWaypoint) finish(std::move(group));
}

Bytes FinishGroup(TLoadedGroup& group, TGroupOutput& output) {
    TGpxParser& reader = group.Reader;
    try {
        const Bytes extra = CategoryRecords(group.CategoryNames) + reader.Bitmaps;
        // The root area holds every point of the group: it is built right
        // into the group record, never copied whole. The room reserved is
        // what the points and their areas take, so the record is never moved
        // while it grows; what stays unused is never touched.
        Bytes record;
        record.reserve(reader.StoredBytes + reader.StoredBytes / 4 + 65536);
        TRecordInPlace wrapper(record, GpiTypeGroup, !extra.empty());
        record += GpiLangString(group.Name);
        TAreaStatistics statistics;
        std::uint8_t alert = 0;
        {
            TSQLiteTransaction writing(*reader.Store);
            output.Lines() << "  Optimalization...\n";
            AppendArea(*reader.Store, statistics, 0, alert, reader.MinLat, reader.MinLon, reader.MaxLat,
                       reader.MaxLon, record);
            writing.Commit();
        }
        reader.Store.reset();  // its pages are no use any more
        if (alert) output.Lines() << "    Alerts: ON\n";
        output.Lines() << "    Regions: " << statistics.Regions << " MaxSize: " << statistics.MaxSize
                 << " MaxDeep: " << statistics.MaxDeep << '\n';
        wrapper.EndMain();
        record += extra;
        wrapper.Finish();
        return record;
    } catch (const EFormatLimit& error) {
        RaiseForGroup(group, error);
    }
}

TGroupTail ReadGroup(const std::string& path, TGroupOutput& output) {
    std::shared_ptr<TLoadedGroup> loaded;
    BuildGroup(path, output, [&](std::unique_ptr<TLoadedGroup> group) { loaded = std::move(group); });
    if (!loaded) return {};
    return [loaded](TGroupOutput& treeOutput) { return FinishGroup(*loaded, treeOutput); };
}

Bytes BuildGroup(const std::string& path, TGroupOutput& output) {
    Bytes record;
    BuildGroup(path, output, [&](std::unique_ptr<TLoadedGroup> group) { record = FinishGroup(*group, output); });
    return record;
}

}  // namespace kestro
