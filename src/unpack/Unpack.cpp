#include "unpack/Unpack.h"

#include <filesystem>

#include "diag/Exceptions.h"
#include "gpi/TextDecoder.h"
#include "platform/AsciiCase.h"
#include "platform/FolderListing.h"
#include "platform/TerminalText.h"
#include "platform/TextConversion.h"
#include "platform/PathName.h"
#include "sources/AreaRules.h"
#include "gpi/CopyrightRecord.h"
#include "sources/SettingsKey.h"
#include "unpack/ConvertBackCommand.h"
#include "unpack/UnpackCredits.h"
#include "unpack/UnpackFolder.h"
#include "unpack/UnpackGroup.h"
#include "unpack/UnpackNames.h"
#include "unpack/UnpackOriginalNames.h"
#include "unpack/UnpackTally.h"
#include "unpack/UnpackTree.h"

namespace kestro {

namespace {

constexpr std::size_t ListedAlerts = 10;

// A name for the summary: quotes escaped, and control bytes as on every line.
std::string Quoted(const std::string& name) {
    std::string out;
    for (char c : name) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return "\"" + TerminalText(out) + "\"";
}

// Records outside the groups, and header values, that kestro writes otherwise.
// credits: what the copyright record gives back; its header records are kestro's own.
void CountFileLevel(const TGpiFile& file, const TUnpackCredits& credits, TUnpackTally& tally) {
    CountRecords(file.Records, "in the file", tally);
    if (!credits.HeaderAsWritten) CountRecords(file.Header.Records, "in the header", tally);
    if (file.PoiHeader) CountRecords(file.PoiHeader->Records, "in the POI header", tally);
    tally.Add("faults in the file (see kestro-dump --check)", file.Problems.size());
    tally.Add("records in a head form kestro writes otherwise (a main length it needs not)", file.NeedlessMainLengths);
    if (!CodePageAvailable(file.CodePage())) tally.Add("code pages kestro cannot convert into");
    const bool credited = file.PoiHeader && file.PoiHeader->Copyright;
    if (file.Header.Signature != "GRMREC00" || file.Header.Reserved != 0 ||
        (file.PoiHeader && (file.PoiHeader->Version != "00" || file.PoiHeader->Flags != (credited ? PoiHeaderCreditFlags : 0))))
        tally.Add("header values other than kestro writes (version, flags)");
}

// kestro visits the group folders, then the loose files, each in listing order.
bool InKestroOrder(const std::vector<std::pair<bool, std::string>>& entries) {
    for (std::size_t i = 1; i < entries.size(); ++i) {
        const auto& [folderBefore, before] = entries[i - 1];
        const auto& [folder, name] = entries[i];
        if (folderBefore != folder ? folder : NameLess(name, before)) return false;
    }
    return true;
}

void PrintSummary(const TUnpackRun& run, const TNameAllotter& rootNames, bool maxRegionFound, TUnpackTally& tally,
                  std::ostream& out) {
    out << "Written: " << Plural(run.Groups, "group", "groups") << ", " << Plural(run.Categories, "category", "categories")
        << ", " << Plural(run.Points, "point", "points") << ", " << Plural(run.Icons, "icon", "icons") << ", "
        << Plural(run.Photos, "photo", "photos") << ".\n";
    if (!maxRegionFound) tally.Add("area trees kestro does not build (kestro.ini keeps the default maxregion)");
    std::vector<TRenamedEntry> renamed = rootNames.Renamed();
    renamed.insert(renamed.end(), run.RenamedInGroups.begin(), run.RenamedInGroups.end());
    if (!renamed.empty()) {
        out << "Names written differently:\n";
        for (const auto& r : renamed) out << "  " << Quoted(r.Original) << " as " << Quoted(r.Written) << '\n';
    }
    if (tally.Empty()) return;
    out << "Not carried:\n";
    for (const auto& [kind, count] : tally.Counts()) out << "  " << count << " " << kind << '\n';
    const auto& alertPoints = tally.AlertPoints();
    for (std::size_t i = 0; i < alertPoints.size() && i < ListedAlerts; ++i) out << "    alert of " << Quoted(alertPoints[i]) << '\n';
    if (alertPoints.size() > ListedAlerts) out << "    and " << alertPoints.size() - ListedAlerts << " more\n";
}

}  // namespace

std::string RebuiltFileName(const std::string& fileName) {
    const std::filesystem::path path = PathFromUtf8(fileName);
    const std::string extension = Utf8FromPath(path.extension());
    const bool gpi = extension.size() == 4 && SameIgnoringAsciiCase(extension, ".gpi");
    return Utf8FromPath(gpi ? path.stem() : path.filename()) + ".rebuilt.gpi";
}

int UnpackGpi(const TGpiFile& file, const std::string& fileName, const std::string& dir, std::ostream& out) {
    TUnpackFolder folder(dir);
    TTextDecoder decoder(file.CodePage());
    TUnpackTally tally;
    TNameAllotter rootNames;
    rootNames.Reserve("kestro.ini");
    rootNames.Reserve(UnpackMediaFolder);
    TUnpackRun run{folder, decoder, tally, rootNames, {}, {}, {}};
    run.Languages = SettingsLanguages(FileLanguages(file));
    const TUnpackCredits credits = UnpackCredits(file, run.Languages, decoder, tally);
    CountFileLevel(file, credits, tally);
    for (std::size_t g = 0; g < file.Groups.size(); ++g) out << TerminalText(UnpackGroup(file.Groups[g], g, run)) << '\n';

    if (!InKestroOrder(run.GroupEntries)) tally.Add("files whose groups kestro writes in another order (folders, then loose files, by name)");
    const auto maxRegion = MaxRegionFor(run.Trees);
    std::vector<TRenamedEntry> renamed = rootNames.Renamed();
    renamed.insert(renamed.end(), run.RenamedInGroups.begin(), run.RenamedInGroups.end());
    const std::string originalNames = OriginalNameSettings(run.Languages, renamed, tally);
    const std::string kestroSection = Format("[kestro]\nmaxregion=%d\ncodepage=%u\n", maxRegion.value_or(DefaultMaxRegion),
                                             static_cast<unsigned>(file.CodePage())) + credits.KestroKeys;
    std::string settings = kestroSection + LanguageSettings(run.Languages, run.Names) + originalNames + credits.Sections;
    if (settings.size() > SettingsFileLimit) {
        // The converter would refuse the file: the names stay in their first language.
        settings = kestroSection + LanguageSettings(run.Languages, {}) + originalNames + credits.Sections;
        tally.Add("names in a further language (kestro.ini would grow past its limit)", run.Names.size());
    }
    folder.WriteFile({"kestro.ini"}, settings);
    PrintSummary(run, rootNames, maxRegion.has_value(), tally, out);
    // A new name, so that converting back never replaces the original.
    out << "Convert it back from inside the folder: " << ConvertBackCommand(fileName, dir) << '\n';
    if (!tally.Empty()) out << "The original file holds more than the rebuilt one will (see \"Not carried\"); keep it.\n";
    return tally.Empty() ? 0 : 1;
}

}  // namespace kestro
