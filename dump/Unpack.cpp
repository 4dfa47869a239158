#include "dump/Unpack.h"

#include <algorithm>
#include <map>
#include <set>

#include "dump/TextDecoder.h"
#include "dump/UnpackBitmap.h"
#include "dump/UnpackFolder.h"
#include "dump/UnpackGpx.h"
#include "dump/UnpackNames.h"
#include "dump/UnpackOrder.h"
#include "dump/UnpackPoint.h"
#include "dump/UnpackTally.h"
#include "dump/UnpackTree.h"
#include "dump/UnpackValues.h"
#include "gpi/FolderListing.h"
#include "gpi/TextConversion.h"
#include "gpx/NumberText.h"

namespace kestro {

namespace {

const char* const MediaFolder = ".media";  // not a group: its name starts with "."
const char* const NoCategoryName = "no category";

// A name for the summary: control bytes and quotes escaped.
std::string Quoted(const std::string& name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"' || c == '\\') out += std::string("\\") + c;
        else if (static_cast<unsigned char>(c) < 0x20) out += Format("\\x%02X", static_cast<unsigned char>(c));
        else out += c;
    }
    return out + "\"";
}

template <class T>
const T* FindPart(const TGpiPoint& point) {
    for (const auto& part : point.Parts)
        if (const T* found = std::get_if<T>(&part)) return found;
    return nullptr;
}

std::string Plural(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// A name as a file name: UTF-8, bytes the code page does not define as "_".
std::string NameText(const Bytes& text, TTextDecoder& decoder, TUnpackTally& tally) {
    std::string out;
    for (char32_t c : decoder.Decode(text)) {
        if (IsUndecodedByte(c)) tally.Add("names holding bytes the code page does not define");
        AppendUtf8(out, IsUndecodedByte(c) ? U'_' : c);
    }
    return out;
}

void CollectPoints(const TGpiArea& area, std::size_t& leaves, std::vector<std::pair<const TGpiPoint*, std::size_t>>& out,
                   TUnpackTally& tally) {
    const std::size_t leaf = leaves++;
    for (const auto& point : area.Points) out.emplace_back(&point, leaf);
    if (!area.Points.empty() && !area.Areas.empty()) tally.Add("areas holding both points and areas (tree rebuilt)");
    for (const auto& other : area.Records) {
        const char* kind = GpiRecordName(other.Type);
        tally.Add(*kind != '\0' ? Format("%s records inside areas", kind) : Format("records of type %u inside areas", other.Type));
    }
    for (const auto& child : area.Areas) CollectPoints(child, leaves, out, tally);
}

void CountOthers(const std::vector<TGpiOther>& records, const char* where, TUnpackTally& tally) {
    for (const auto& other : records) {
        const char* kind = GpiRecordName(other.Type);
        tally.Add(*kind != '\0' ? Format("%s records %s", kind, where) : Format("records of type %u %s", other.Type, where));
    }
}

struct TSemicircleBox {
    std::int32_t North = INT32_MIN, East = INT32_MIN, South = INT32_MAX, West = INT32_MAX;
    void Add(std::int32_t lat, std::int32_t lon) {
        North = std::max(North, lat);
        South = std::min(South, lat);
        East = std::max(East, lon);
        West = std::min(West, lon);
    }
    bool Same(const TGpiArea& area) const {
        return North == area.North && South == area.South && East == area.East && West == area.West;
    }
};

struct TSummary {
    std::size_t Groups = 0, Categories = 0, Points = 0, Icons = 0, Photos = 0;
};

class TUnpacker {
public:
    TUnpacker(const TGpiFile& file, const TUnpackFolder& folder, std::ostream& out)
        : file_(file), folder_(folder), out_(out), decoder_(file.CodePage()) {}

    void Run() {
        root_.Reserve("kestro.ini");
        root_.Reserve(MediaFolder);
        CountOthers(file_.Records, "in the file", tally_);
        CountOthers(file_.Header.Records, "in the header", tally_);
        if (file_.PoiHeader) {
            CountOthers(file_.PoiHeader->Records, "in the POI header", tally_);
            if (file_.PoiHeader->Copyright) tally_.Add("copyright records");
        }
        tally_.Add("faults in the file (see kestro-dump --check)", file_.Problems.size());
        if (!CodePageAvailable(file_.CodePage())) tally_.Add("code pages kestro cannot convert into");
        if (file_.Header.Signature != "GRMREC00" || file_.Header.Reserved != 0 ||
            (file_.PoiHeader && (file_.PoiHeader->Version != "00" || file_.PoiHeader->Flags != 0)))
            tally_.Add("header values other than kestro writes (version, flags)");
        for (std::size_t g = 0; g < file_.Groups.size(); ++g) WriteGroup(g);
        WriteSettings();
    }

    int Finish(const std::string& dir, const std::string& fileName) {
        out_ << Format("Written: %s, %s, %s, %s, %s.\n", Plural(summary_.Groups, "group", "groups").c_str(),
                       Plural(summary_.Categories, "category", "categories").c_str(), Plural(summary_.Points, "point", "points").c_str(),
                       Plural(summary_.Icons, "icon", "icons").c_str(), Plural(summary_.Photos, "photo", "photos").c_str());
        if (!maxRegionFound_) out_ << "The area trees are not ones kestro builds: kestro.ini keeps the default maxregion.\n";
        std::vector<TRenamedEntry> renamed = root_.Renamed();
        renamed.insert(renamed.end(), renamedInGroups_.begin(), renamedInGroups_.end());
        tally_.Add("names written differently (listed above)", renamed.size());
        if (!renamed.empty()) {
            out_ << "Names written differently:\n";
            for (const auto& r : renamed) out_ << "  " << Quoted(r.Original) << " as " << Quoted(r.Written) << '\n';
        }
        if (!tally_.Empty()) {
            out_ << "Not carried:\n";
            for (const auto& [kind, count] : tally_.Counts()) out_ << "  " << count << " " << kind << '\n';
            const auto& alertPoints = tally_.AlertPoints();
            constexpr std::size_t Listed = 10;
            for (std::size_t i = 0; i < alertPoints.size() && i < Listed; ++i) out_ << "    alert of " << Quoted(alertPoints[i]) << '\n';
            if (alertPoints.size() > Listed) out_ << "    and " << alertPoints.size() - Listed << " more\n";
        }
        const std::string name = std::filesystem::path(fileName).filename().string();
        out_ << "Convert it back from inside the folder: cd " << dir << " && kestro . ../" << name << '\n';
        return tally_.Empty() ? 0 : 1;
    }

private:
    struct TFile {
        std::string Base;  // entry name without ".gpx"
        TAlertDefaults Defaults;
        std::vector<TGpxWaypoint> Waypoints;
    };

    void WriteGroup(std::size_t g) {
        const TGpiGroup& group = file_.Groups[g];
        const std::string name = NameText(CarriedText(group.Name, tally_), decoder_, tally_);
        CountOthers(group.MainRecords, "in groups", tally_);
        CountOthers(group.Records, "in groups", tally_);
        tally_.Add("media (sound) records", group.Media.size());
        const bool folderGroup = !group.Categories.empty();
        const std::string media = Format("group-%zu", g + 1);

        // Files: one per category record, plus one for points without category.
        std::vector<TFile> files;
        std::map<std::uint16_t, std::size_t> fileOfCategory;
        std::string base;
        TNameAllotter inGroup;
        if (folderGroup) {
            base = root_.Allot(name, {""});
            for (const auto& category : group.Categories) {
                const std::string categoryName = NameText(CarriedText(category.Name, tally_), decoder_, tally_);
                if (category.Bitmap) tally_.Add("category icons");
                CountOthers(category.Records, "in categories", tally_);
                const std::string fileBase = inGroup.Allot(categoryName, {".gpx", ".bmp"});
                if (!fileOfCategory.emplace(category.Number, files.size()).second) tally_.Add("repeated category numbers");
                files.push_back(TFile{fileBase, AlertDefaultsFromFileName(fileBase + ".gpx"), {}});
            }
        } else {
            base = root_.Allot(name, {".gpx", ".bmp"});
            files.push_back(TFile{base, TAlertDefaults{}, {}});
        }

        // Icons the converter takes back, numbered densely in file order.
        std::vector<Bytes> icons;
        std::map<std::uint16_t, int> iconOfNumber;
        for (const auto& bitmap : group.Bitmaps) {
            auto bmp = BmpFromGpiBitmap(bitmap);
            if (!bmp) {
                tally_.Add("icons kestro cannot take (not 8 bits, over 48 pixels, or other row sizes)");
                continue;
            }
            if (!HasConverterHeader(bitmap)) tally_.Add("icon header values other than kestro writes");
            iconOfNumber.emplace(bitmap.Number, static_cast<int>(icons.size()));
            icons.push_back(std::move(*bmp));
        }

        // Points in reading order.
        std::vector<std::pair<const TGpiPoint*, std::size_t>> read;
        std::size_t leaves = 0;
        if (group.Root) CollectPoints(*group.Root, leaves, read, tally_);
        std::vector<TOrderPoint> order;
        std::size_t noCategoryFile = SIZE_MAX;
        TSemicircleBox box;
        for (const auto& [point, leaf] : read) {
            box.Add(point->Lat, point->Lon);
            TOrderPoint entry;
            entry.Leaf = leaf;
            const auto* categoryRef = FindPart<TGpiCategoryRef>(*point);
            if (folderGroup) {
                const auto it = categoryRef ? fileOfCategory.find(categoryRef->Number) : fileOfCategory.end();
                if (it != fileOfCategory.end()) {
                    entry.File = it->second;
                } else {
                    tally_.Add("points without a category in a group with categories");
                    if (noCategoryFile == SIZE_MAX) {
                        noCategoryFile = files.size();
                        const std::string fileBase = inGroup.Allot(NoCategoryName, {".gpx", ".bmp"});
                        files.push_back(TFile{fileBase, AlertDefaultsFromFileName(fileBase + ".gpx"), {}});
                    }
                    entry.File = noCategoryFile;
                }
            } else if (categoryRef) {
                tally_.Add("category references in a group without categories");
            }
            if (const auto* bitmapRef = FindPart<TGpiBitmapRef>(*point)) {
                const auto it = iconOfNumber.find(bitmapRef->Number);
                if (it != iconOfNumber.end()) entry.Icon = it->second;
                else tally_.Add("icon references to missing or unusable icons");
            }
            order.push_back(entry);
        }

        // Listing order of the files, as the converter will read them.
        std::vector<std::size_t> listing(files.size());
        for (std::size_t i = 0; i < files.size(); ++i) listing[i] = i;
        std::sort(listing.begin(), listing.end(),
                  [&](std::size_t a, std::size_t b) { return NameLess(files[a].Base + ".gpx", files[b].Base + ".gpx"); });
        std::vector<std::size_t> rank(files.size());
        for (std::size_t i = 0; i < listing.size(); ++i) rank[listing[i]] = i;
        for (auto& entry : order) entry.File = rank[entry.File];

        // An icon used by one file's points alone, and by all of them, goes
        // beside that file; the others are linked from the media folder.
        std::vector<int> companionOf(files.size(), -1);  // by listing position
        {
            std::vector<std::set<int>> iconsOfFile(files.size());
            std::vector<std::set<std::size_t>> filesOfIcon(icons.size());
            for (const auto& entry : order) {
                iconsOfFile[entry.File].insert(entry.Icon);
                if (entry.Icon >= 0) filesOfIcon[static_cast<std::size_t>(entry.Icon)].insert(entry.File);
            }
            for (std::size_t f = 0; f < files.size(); ++f)
                if (iconsOfFile[f].size() == 1 && *iconsOfFile[f].begin() >= 0 &&
                    filesOfIcon[static_cast<std::size_t>(*iconsOfFile[f].begin())].size() == 1)
                    companionOf[f] = *iconsOfFile[f].begin();
        }

        // The group's box counts waypoints at exactly 0, 0, which are not stored.
        bool zeroWaypoint = !group.Root || read.empty();
        if (group.Root && !read.empty() && !box.Same(*group.Root)) {
            TSemicircleBox withOrigin = box;
            withOrigin.Add(0, 0);
            if (withOrigin.Same(*group.Root)) zeroWaypoint = true;
            else tally_.Add("group boxes wider than their points");
        }

        if (folderGroup) folder_.MakeFolder({base});
        bool mediaMade = false;
        auto mediaPath = [&](const std::string& entry) {
            if (!mediaMade) {
                if (!mediaRootMade_) folder_.MakeFolder({MediaFolder});
                mediaRootMade_ = true;
                folder_.MakeFolder({MediaFolder, media});
                mediaMade = true;
            }
            return std::string(MediaFolder) + "/" + media + "/" + entry;
        };
        std::vector<std::string> iconHref(icons.size());
        auto linkIcon = [&](int icon) -> std::string {
            auto& href = iconHref[static_cast<std::size_t>(icon)];
            if (href.empty()) {
                href = mediaPath(Format("icon-%d.bmp", icon));
                folder_.WriteFile({MediaFolder, media, Format("icon-%d.bmp", icon)}, icons[static_cast<std::size_t>(icon)]);
                ++summary_.Icons;
            }
            return href;
        };
        std::map<Bytes, std::string> photoHref;

        const auto sequence = OrderWaypoints(order, files.size(), icons.size());
        std::vector<double> lats, lons;
        std::size_t pointCount = 0;
        for (std::size_t f = 0; f < files.size(); ++f) {
            TFile& file = files[listing[f]];
            if (companionOf[f] >= 0) {
                const std::vector<std::string> where =
                    folderGroup ? std::vector<std::string>{base, file.Base + ".bmp"} : std::vector<std::string>{file.Base + ".bmp"};
                folder_.WriteFile(where, icons[static_cast<std::size_t>(companionOf[f])]);
                ++summary_.Icons;
            }
            for (const auto& item : sequence[f]) {
                if (item.Point < 0) {
                    // Loads an icon only: a latitude beyond 90 is counted, not stored.
                    TGpxWaypoint placeholder;
                    placeholder.Lat = "91";
                    placeholder.Lon = "0";
                    placeholder.Name = "unused icon";
                    placeholder.Links.push_back(linkIcon(item.Icon));
                    file.Waypoints.push_back(std::move(placeholder));
                    continue;
                }
                const TGpiPoint& point = *read[static_cast<std::size_t>(item.Point)].first;
                const int icon = order[static_cast<std::size_t>(item.Point)].Icon;
                TPointLinks links;
                if (icon >= 0 && companionOf[f] != icon) links.Icon = linkIcon(icon);
                for (const auto& part : point.Parts)
                    if (const auto* image = std::get_if<TGpiImage>(&part)) {
                        auto [it, added] = photoHref.emplace(image->Data, std::string());
                        if (added) {
                            const std::string entry = Format("photo-%zu.jpg", photoHref.size() - 1);
                            it->second = mediaPath(entry);
                            folder_.WriteFile({MediaFolder, media, entry}, image->Data);
                            ++summary_.Photos;
                        }
                        links.Photos.push_back(it->second);
                    }
                file.Waypoints.push_back(WaypointOf(point, links, file.Defaults, decoder_, tally_));
                lats.push_back(DotStrToFloat(file.Waypoints.back().Lat));
                lons.push_back(DotStrToFloat(file.Waypoints.back().Lon));
                ++pointCount;
            }
            if (zeroWaypoint && f == 0) {
                TGpxWaypoint origin;
                origin.Lat = "0";
                origin.Lon = "0";
                file.Waypoints.push_back(std::move(origin));
            }
            const std::vector<std::string> where =
                folderGroup ? std::vector<std::string>{base, file.Base + ".gpx"} : std::vector<std::string>{file.Base + ".gpx"};
            folder_.WriteFile(where, GpxDocument(file.Waypoints));
        }
        trees_.push_back(TTreeGroup{group.Root ? &*group.Root : nullptr, std::move(lats), std::move(lons)});
        for (const auto& r : inGroup.Renamed()) renamedInGroups_.push_back(TRenamedEntry{r.Original, base + "/" + r.Written});

        ++summary_.Groups;
        summary_.Categories += folderGroup ? files.size() : 0;
        summary_.Points += pointCount;
        out_ << "Group: " << name << " -> " << (folderGroup ? base + "/" : base + ".gpx") << " ("
             << (folderGroup ? Plural(files.size(), "category", "categories") + ", " : std::string()) << Plural(pointCount, "point", "points") << ")\n";
    }

    void WriteSettings() {
        const auto maxRegion = MaxRegionFor(trees_);
        maxRegionFound_ = maxRegion.has_value();
        folder_.WriteFile({"kestro.ini"}, Format("[kestro]\nmaxregion=%d\ncodepage=%u\n", maxRegion.value_or(256),
                                                 static_cast<unsigned>(file_.CodePage())));
    }

    const TGpiFile& file_;
    const TUnpackFolder& folder_;
    std::ostream& out_;
    TTextDecoder decoder_;
    TNameAllotter root_;
    std::vector<TRenamedEntry> renamedInGroups_;
    TUnpackTally tally_;
    TSummary summary_;
    std::vector<TTreeGroup> trees_;
    bool mediaRootMade_ = false;
    bool maxRegionFound_ = true;
};

}  // namespace

int UnpackGpi(const TGpiFile& file, const std::string& fileName, const std::string& dir, std::ostream& out) {
    const TUnpackFolder folder(dir);
    TUnpacker unpacker(file, folder, out);
    unpacker.Run();
    return unpacker.Finish(dir, fileName);
}

}  // namespace kestro
