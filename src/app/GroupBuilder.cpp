#include "app/GroupBuilder.h"

#include <filesystem>
#include <map>
#include <optional>

#include "app/AreaTree.h"
#include "diag/Exceptions.h"
#include "gpi/GpiRecordType.h"
#include "gpi/GpiUtil.h"
#include "gpi/RecordInPlace.h"
#include "sources/AlertDefaults.h"
#include "waypoints/GroupLoader.h"
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


void LoadCountingFile(TGroupLoader& loader, const std::string& path, bool& anyWaypoint, TGroupOutput& output) {
    output.Lines() << "  File: " << TerminalText(path) << '\n';
    std::int32_t entries = 0;
    // The report names the file in its first line: under -q no "File:" line precedes it.
    try {
        entries = loader.LoadFile(path);
    } catch (Exception& error) {
        error.NameFile(path);
        throw;
    }
    output.Lines() << "    " << entries << " POIs\n";
    if (entries > 0) anyWaypoint = true;
}

// Category numbers are 16 bits and 0xFFFF means "none": more files would
// share numbers and leave points pointing at the wrong category.
void RequireCategoryNumbers(const std::string& groupName, const std::vector<TFolderEntry>& entries,
                            const TSourceFormats& formats) {
    std::size_t files = 0;
    for (const auto& entry : entries) files += IsCategoryFile(entry, formats) ? 1 : 0;
    if (files > static_cast<std::size_t>(NoIndex))
        throw Exception(Format("Group \"%s\" holds %zu category files; a group can have at most %d categories",
                               groupName.c_str(), files, NoIndex));
}

std::uint64_t FileBytes(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(PathFromUtf8(path), error);
    return error ? 0 : size;
}

std::uint64_t CategoryFileBytes(const std::string& folder, const std::vector<TFolderEntry>& entries,
                                const TSourceFormats& formats) {
    std::uint64_t total = 0;
    for (const auto& entry : entries)
        if (IsCategoryFile(entry, formats)) total += FileBytes(folder + entry.Name);
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
// output code page: the name on disk is the first language's (unless its own
// section gives one the disk could not hold), the settings give the others under the key (a category as "group/category"). Names the
// settings lack repeat the first language's and are counted per language.
TGpiText LocalizedName(const TRunSettings& settings, const std::string& onDisk, const std::string& key,
                       TMissingTranslations& missing) {
    const TLanguages& languages = settings.Languages;
    const std::string first = FirstLanguageName(languages, onDisk, key);
    if (languages.Codes.empty()) return {{"EN", Utf8ToCodePage(first, settings.CodePage)}};
    TGpiText name;
    for (const auto& code : languages.Codes) {
        std::optional<std::string> text;
        if (name.empty()) {
            text = first;
        } else {
            text = languages.NameIn(code, key);
            if (!text || text->empty()) {
                ++missing[code];
                text = onDisk;
            }
        }
        name.push_back({code, Utf8ToCodePage(*text, settings.CodePage)});
    }
    return name;
}

// ... and a warning for characters of the first language's name the code page lacks.
TGpiText LocalizedName(const TRunSettings& settings, const std::string& onDisk, const std::string& key,
                       TMissingTranslations& missing, TGroupOutput& output, const std::string& path) {
    TGpiText name = LocalizedName(settings, onDisk, key, missing);
    char32_t first = 0;
    // The first language's name as the settings or the disk give it: a further language's is the settings' own text.
    const std::int64_t replaced =
        ReplacedIn(FirstLanguageName(settings.Languages, onDisk, key), name.front().Text, settings.CodePage, first);
    TellReplacedCharacters(output, path, replaced, first, settings.CodePage, true);
    return name;
}

void NoteMissingNames(const std::string& path, const TMissingTranslations& missing, TGroupOutput& output) {
    if (missing.empty()) return;
    output.TranslationNote(path, TTranslationNotes::TKind::Names,
                           MissingTranslationText(missing, "name", "names") + " in kestro.ini; the name on disk stands in",
                           missing);
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

void BuildGroup(const TRunSettings& settings, const std::string& path, TGroupOutput& output,
                const TGroupFinisher& finish) {
    auto group = std::make_unique<TLoadedGroup>();
    group->MaxRegion = settings.MaxRegion;
    // Anything but a folder is a loose file, so a file that cannot be opened
    // (a dangling link) is reported as the file it is.
    const bool looseFile = !FolderExists(path);
    std::string folder = path;
    while (!looseFile && !folder.empty() && PathSeparators.find(folder.back()) != std::string_view::npos) folder.pop_back();
    group->DisplayName = looseFile ? BaseName(path) : FileNameWithoutFolder(folder);
    TMissingTranslations missingNames;
    group->Name = LocalizedName(settings, group->DisplayName, group->DisplayName, missingNames, output, path);
    output.Lines() << "Group: " << TerminalText(group->DisplayName) << '\n';
    std::vector<TFolderEntry> entries;
    if (!looseFile) {
        entries = ListFolder(path);
        RequireCategoryNumbers(group->DisplayName, entries, settings.SourceFormats());
    }

    TGroupLoaderSettings loading;
    loading.Icons = settings.Icons;
    loading.Languages = settings.Languages.Codes;
    loading.SourceFolder = SourceFolderOf(path);
    loading.PhotoMaxSide = settings.PhotoSize;
    loading.Threading = settings.Threading;
    TGroupLoader loader(output,
                        CreatePoiStore(looseFile ? FileBytes(path) : CategoryFileBytes(path, entries, settings.SourceFormats())),
                        std::move(loading));
    bool anyWaypoint = false;
    // A category takes the next number, whether a file or a folder inside one names it.
    std::string namingFile;
    const auto addCategory = [&](const std::string& name, TGroupOutput& lines) {
        if (group->CategoryNames.size() >= NoIndex)
            throw Exception(Format("Group \"%s\" holds more than %d categories; a group can have at most %d categories",
                                   group->DisplayName.c_str(), NoIndex, NoIndex));
        lines.Lines() << "  Category: " << TerminalText(name) << '\n';
        group->CategoryNames.push_back(
            LocalizedName(settings, name, group->DisplayName + "/" + name, missingNames, lines, namingFile));
        return static_cast<std::uint16_t>(group->CategoryNames.size() - 1);
    };
    try {
        if (looseFile && IsKmlFileName(path)) {
            namingFile = path;
            loader.StartFolderCategories(BaseName(path), TAlertDefaults{}, addCategory);
            LoadCountingFile(loader, path, anyWaypoint, output);
        } else if (looseFile) {
            loader.StartCategory(NoIndex, TAlertDefaults{});
            LoadCountingFile(loader, path, anyWaypoint, output);
        } else {
            for (const auto& entry : entries) {
                if (!IsCategoryFile(entry, settings.SourceFormats())) continue;
                namingFile = path + entry.Name;
                // A KML file's folders are categories of their own.
                if (IsKmlFileName(entry.Name)) {
                    loader.StartFolderCategories(BaseName(entry.Name), AlertDefaultsFromFileName(entry.Name), addCategory);
                } else {
                    loader.StartCategory(addCategory(BaseName(entry.Name), output), AlertDefaultsFromFileName(entry.Name));
                }
                LoadCountingFile(loader, path + entry.Name, anyWaypoint, output);
            }
        }
    } catch (const EFormatLimit& error) {
        RaiseForGroup(*group, error);
    }
    group->Points = loader.Finish();
    NoteMissingNames(path, missingNames, output);
    if (anyWaypoint) finish(std::move(group));
}

Bytes FinishGroup(TLoadedGroup& group, TGroupOutput& output) {
    TLoadedPoints& points = group.Points;
    try {
        const Bytes extra = CategoryRecords(group.CategoryNames) + points.Bitmaps + points.MediaRecords;
        // The root area holds every point of the group: it is built right
        // into the group record, never copied whole. The room reserved is
        // what the points and their areas take, so the record is never moved
        // while it grows; what stays unused is never touched.
        Bytes record;
        record.reserve(points.StoredBytes + points.StoredBytes / 4 + 65536);
        TRecordInPlace wrapper(record, GpiTypeGroup, !extra.empty());
        record += GpiLangString(group.Name);
        TAreaStatistics statistics;
        std::uint8_t alert = 0;
        {
            TSQLiteTransaction writing(*points.Store);
            output.Lines() << "  Optimalization...\n";
            AppendArea(*points.Store, group.MaxRegion, statistics, 0, alert, points.MinLat, points.MinLon, points.MaxLat,
                       points.MaxLon, record);
            writing.Commit();
        }
        points.Store.reset();  // its pages are no use any more
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

TGroupTail ReadGroup(const TRunSettings& settings, const std::string& path, TGroupOutput& output) {
    std::shared_ptr<TLoadedGroup> loaded;
    BuildGroup(settings, path, output, [&](std::unique_ptr<TLoadedGroup> group) { loaded = std::move(group); });
    if (!loaded) return {};
    return [loaded](TGroupOutput& treeOutput) { return FinishGroup(*loaded, treeOutput); };
}

}  // namespace kestro
