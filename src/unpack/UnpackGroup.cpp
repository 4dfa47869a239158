#include "unpack/UnpackGroup.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>

#include "diag/Exceptions.h"
#include "platform/FolderListing.h"
#include "sources/AlertDefaults.h"
#include "sources/NumberText.h"
#include "unpack/UnpackBitmap.h"
#include "unpack/UnpackGpx.h"
#include "unpack/UnpackOrder.h"
#include "unpack/UnpackPoint.h"
#include "unpack/UnpackSounds.h"

namespace kestro {

const char* const UnpackMediaFolder = ".media";

namespace {

const char* const NoCategoryName = "no category";

template <class T>
const T* FindPart(const TGpiPoint& point) {
    for (const auto& part : point.Parts)
        if (const T* found = std::get_if<T>(&part)) return found;
    return nullptr;
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

struct TReadPoint {
    const TGpiPoint* Point = nullptr;
    std::size_t Leaf = 0;
};

void CollectPoints(const TGpiArea& area, std::size_t& leaves, std::vector<TReadPoint>& out, TUnpackTally& tally) {
    const std::size_t leaf = leaves++;
    for (const auto& point : area.Points) out.push_back(TReadPoint{&point, leaf});
    if (!area.Points.empty() && !area.Areas.empty()) tally.Add("areas holding both points and areas (tree rebuilt)");
    CountRecords(area.Records, "inside areas", tally);
    for (const auto& child : area.Areas) CollectPoints(child, leaves, out, tally);
}

class TGroupUnpacker {
public:
    TGroupUnpacker(const TGpiGroup& group, std::size_t number, TUnpackRun& run)
        : group_(group), run_(run), media_(Format("group-%zu", number + 1)), sounds_(group, run.Languages, run.Tally) {}

    std::string Unpack() {
        const auto names = TextsByLanguage(group_.Name, run_.Languages, run_.Tally);
        const std::string name = NameText(names.front(), run_.Decoder, run_.Tally);
        CountRecords(group_.MainRecords, "in groups", run_.Tally);
        CountRecords(group_.Records, "in groups", run_.Tally);
        folderGroup_ = !group_.Categories.empty();
        PlanFiles(name, names);
        TakeIcons();
        TakePoints();
        SortFiles();
        ChooseCompanions();
        const bool zeroWaypoint = NeedsZeroWaypoint();
        if (folderGroup_) run_.Folder.MakeFolder({base_});
        const std::size_t points = WriteFiles(zeroWaypoint);
        for (const std::uint16_t unplayed : sounds_.Finish()) SoundHref(unplayed);

        run_.GroupEntries.emplace_back(folderGroup_, folderGroup_ ? base_ : base_ + ".gpx");
        for (const auto& r : inGroup_.Renamed()) run_.RenamedInGroups.push_back(TRenamedEntry{r.Original, base_ + "/" + r.Written});
        ++run_.Groups;
        run_.Categories += folderGroup_ ? files_.size() : 0;
        run_.Points += points;
        return "Group: " + name + " -> " + (folderGroup_ ? base_ + "/" : base_ + ".gpx") + " (" +
               (folderGroup_ ? Plural(files_.size(), "category", "categories") + ", " : std::string()) +
               Plural(points, "point", "points") + ")";
    }

private:
    struct TFile {
        std::string Base;  // entry name without ".gpx"
        TAlertDefaults Defaults;
        std::vector<TGpxWaypoint> Waypoints;
    };

    std::vector<std::string> PathOf(const std::string& entry) const {
        return folderGroup_ ? std::vector<std::string>{base_, entry} : std::vector<std::string>{entry};
    }

    void AddFile(const std::string& categoryName) {
        const std::string fileBase = inGroup_.Allot(categoryName, {".gpx", ".bmp"});
        files_.push_back(TFile{fileBase, AlertDefaultsFromFileName(fileBase + ".gpx"), {}});
    }

    // One file per category record; a group without categories is one loose file.
    void PlanFiles(const std::string& name, const std::vector<Bytes>& names) {
        if (!folderGroup_) {
            base_ = run_.RootNames.Allot(name, {".gpx", ".bmp"});
            AddNames(base_, names);
            files_.push_back(TFile{base_, TAlertDefaults{}, {}});  // a loose file's name gives no alert
            return;
        }
        base_ = run_.RootNames.Allot(name, {""});
        AddNames(base_, names);
        for (const auto& category : group_.Categories) {
            if (category.Bitmap) run_.Tally.Add("category icons");
            CountRecords(category.Records, "in categories", run_.Tally);
            if (!fileOfCategory_.emplace(category.Number, files_.size()).second) run_.Tally.Add("repeated category numbers");
            const auto categoryNames = TextsByLanguage(category.Name, run_.Languages, run_.Tally);
            AddFile(NameText(categoryNames.front(), run_.Decoder, run_.Tally));
            AddNames(base_ + "/" + files_.back().Base, categoryNames);
        }
    }

    // A name's further languages go into the settings, keyed by the name on disk.
    void AddNames(const std::string& key, const std::vector<Bytes>& names) {
        if (names.size() < 2) return;
        TUnpackNames entry{key, {}};
        for (std::size_t i = 1; i < names.size(); ++i) {
            entry.Names.push_back(NameText(names[i], run_.Decoder, run_.Tally));
            if (entry.Names.back() != NameOnDisk(key) && !SettingsCanHold(key, entry.Names.back()))
                run_.Tally.Add("names kestro.ini cannot hold in a further language (empty, blanks at either end, line breaks)");
        }
        run_.Names.push_back(std::move(entry));
    }

    // The icons kestro takes back, numbered densely in record order.
    void TakeIcons() {
        for (const auto& bitmap : group_.Bitmaps) {
            auto bmp = BmpFromGpiBitmap(bitmap);
            if (!bmp) {
                run_.Tally.Add("icons kestro cannot take (not 8 bits, over 48 pixels, or other row sizes)");
                continue;
            }
            if (!HasConverterHeader(bitmap)) run_.Tally.Add("icon header values other than kestro writes");
            iconOfNumber_.emplace(bitmap.Number, static_cast<int>(icons_.size()));
            icons_.push_back(std::move(*bmp));
        }
        iconHref_.resize(icons_.size());
    }

    // The points in reading order, each with its file, leaf and icon.
    void TakePoints() {
        std::size_t leaves = 0;
        if (group_.Root) CollectPoints(*group_.Root, leaves, read_, run_.Tally);
        std::size_t noCategoryFile = SIZE_MAX;
        for (const auto& [point, leaf] : read_) {
            box_.Add(point->Lat, point->Lon);
            TOrderPoint entry;
            entry.Leaf = leaf;
            const auto* categoryRef = FindPart<TGpiCategoryRef>(*point);
            if (folderGroup_) {
                const auto it = categoryRef ? fileOfCategory_.find(categoryRef->Number) : fileOfCategory_.end();
                if (it != fileOfCategory_.end()) {
                    entry.File = it->second;
                } else {
                    run_.Tally.Add("points without a category in a group with categories");
                    if (noCategoryFile == SIZE_MAX) {
                        noCategoryFile = files_.size();
                        AddFile(NoCategoryName);
                        // named alike in every language, which needs no translation
                        AddNames(base_ + "/" + files_.back().Base,
                                 std::vector<Bytes>(run_.Languages.size(), Bytes(NoCategoryName)));
                    }
                    entry.File = noCategoryFile;
                }
            } else if (categoryRef) {
                run_.Tally.Add("category references in a group without categories");
            }
            if (const auto* bitmapRef = FindPart<TGpiBitmapRef>(*point)) {
                const auto it = iconOfNumber_.find(bitmapRef->Number);
                if (it != iconOfNumber_.end()) entry.Icon = it->second;
                else run_.Tally.Add("icon references to missing or unusable icons");
            }
            order_.push_back(entry);
            soundOfPoint_.push_back(sounds_.SoundOf(*point));
        }
    }

    // Files in the order kestro lists them, which numbers the categories.
    void SortFiles() {
        std::vector<std::size_t> listing(files_.size());
        for (std::size_t i = 0; i < listing.size(); ++i) listing[i] = i;
        std::sort(listing.begin(), listing.end(),
                  [&](std::size_t a, std::size_t b) { return NameLess(files_[a].Base + ".gpx", files_[b].Base + ".gpx"); });
        std::vector<std::size_t> rank(files_.size());
        std::vector<TFile> sorted;
        for (std::size_t i = 0; i < listing.size(); ++i) {
            rank[listing[i]] = i;
            sorted.push_back(std::move(files_[listing[i]]));
        }
        files_ = std::move(sorted);
        for (auto& entry : order_) entry.File = rank[entry.File];

        // Numbers follow the listing: record i must be number i and listed i-th.
        std::size_t renumbered = 0;
        for (std::size_t i = 0; i < group_.Categories.size(); ++i)
            if (group_.Categories[i].Number != i || rank[i] != i) ++renumbered;
        run_.Tally.Add("categories kestro numbers otherwise (in the order of their file names)", renumbered);
        // The store gives a leaf's points back file by file.
        std::size_t mixed = 0;
        std::map<std::size_t, std::size_t> lastFileOfLeaf;
        std::set<std::size_t> mixedLeaves;
        for (const auto& entry : order_) {
            auto [it, added] = lastFileOfLeaf.emplace(entry.Leaf, entry.File);
            if (!added && entry.File < it->second && mixedLeaves.insert(entry.Leaf).second) ++mixed;
            it->second = std::max(it->second, entry.File);
        }
        run_.Tally.Add("areas whose points kestro orders otherwise (file by file)", mixed);
    }

    // An icon that all points of one file use, and no other point, goes
    // beside that file; the others are linked from the media folder.
    void ChooseCompanions() {
        companion_.assign(files_.size(), -1);
        std::vector<std::set<int>> iconsOfFile(files_.size());
        std::vector<std::set<std::size_t>> filesOfIcon(icons_.size());
        for (const auto& entry : order_) {
            iconsOfFile[entry.File].insert(entry.Icon);
            if (entry.Icon >= 0) filesOfIcon[static_cast<std::size_t>(entry.Icon)].insert(entry.File);
        }
        for (std::size_t f = 0; f < files_.size(); ++f) {
            const int only = iconsOfFile[f].size() == 1 ? *iconsOfFile[f].begin() : -1;
            if (only >= 0 && filesOfIcon[static_cast<std::size_t>(only)].size() == 1) companion_[f] = only;
        }
        // So does a sound that every point of one file plays, and no other
        // point: kestro gives it to every point of the file.
        soundCompanion_.assign(files_.size(), 0);
        std::vector<std::set<std::uint16_t>> soundsOfFile(files_.size());
        std::map<std::uint16_t, std::set<std::size_t>> filesOfSound;
        for (std::size_t p = 0; p < order_.size(); ++p) {
            soundsOfFile[order_[p].File].insert(soundOfPoint_[p]);
            filesOfSound[soundOfPoint_[p]].insert(order_[p].File);
        }
        for (std::size_t f = 0; f < files_.size(); ++f) {
            const std::uint16_t only = soundsOfFile[f].size() == 1 ? *soundsOfFile[f].begin() : 0;
            if (only != 0 && filesOfSound[only].size() == 1) soundCompanion_[f] = only;
        }
    }

    // The group's box also counts waypoints at exactly 0, 0, which are not
    // stored; and a group is written only when a waypoint was read.
    bool NeedsZeroWaypoint() {
        if (!group_.Root || read_.empty()) return true;
        if (box_.Same(*group_.Root)) return false;
        TSemicircleBox withOrigin = box_;
        withOrigin.Add(0, 0);
        if (withOrigin.Same(*group_.Root)) return true;
        run_.Tally.Add("group boxes wider than their points");
        return false;
    }

    std::string MediaHref(const std::string& entry) {
        if (!mediaMade_) {
            if (!run_.MediaFolderMade) run_.Folder.MakeFolder({UnpackMediaFolder});
            run_.MediaFolderMade = true;
            run_.Folder.MakeFolder({UnpackMediaFolder, media_});
            mediaMade_ = true;
        }
        return std::string(UnpackMediaFolder) + "/" + media_ + "/" + entry;
    }

    std::string IconHref(int icon) {
        auto& href = iconHref_[static_cast<std::size_t>(icon)];
        if (href.empty()) {
            const std::string entry = Format("icon-%d.bmp", icon);
            href = MediaHref(entry);
            run_.Folder.WriteFile({UnpackMediaFolder, media_, entry}, icons_[static_cast<std::size_t>(icon)]);
            ++run_.Icons;
        }
        return href;
    }

    std::string SoundHref(std::uint16_t number) {
        auto [it, added] = soundHref_.emplace(number, std::string());
        if (added) {
            const std::string base = Format("sound-%u", number);
            it->second = MediaHref(sounds_.PlainName(number, base));
            for (const auto& [entry, bytes] : sounds_.Files(number, base)) run_.Folder.WriteFile({UnpackMediaFolder, media_, entry}, bytes);
        }
        return it->second;
    }

    std::string PhotoHref(const Bytes& photo) {
        auto [it, added] = photoHref_.emplace(photo, std::string());
        if (added) {
            const std::string entry = Format("photo-%zu.jpg", photoHref_.size() - 1);
            it->second = MediaHref(entry);
            run_.Folder.WriteFile({UnpackMediaFolder, media_, entry}, photo);
            ++run_.Photos;
        }
        return it->second;
    }

    TGpxWaypoint Waypoint(const TOrderItem& item, std::size_t fileIndex, int companion, TTreeGroup& tree) {
        const TFile& file = files_[fileIndex];
        if (item.Point < 0) {
            // Loads an icon only: a latitude beyond 90 is counted, not stored.
            TGpxWaypoint placeholder;
            placeholder.Lat = "91";
            placeholder.Lon = "0";
            placeholder.Name = "unused icon";
            placeholder.Links.push_back(IconHref(item.Icon));
            sounds_.Played(soundCompanion_[fileIndex]);
            return placeholder;
        }
        const TGpiPoint& point = *read_[static_cast<std::size_t>(item.Point)].Point;
        const int icon = order_[static_cast<std::size_t>(item.Point)].Icon;
        TPointLinks links;
        if (icon >= 0 && icon != companion) links.Icon = IconHref(icon);
        const std::uint16_t sound = soundOfPoint_[static_cast<std::size_t>(item.Point)];
        links.SoundServed = sound != 0;
        if (sound != 0 && sound != soundCompanion_[fileIndex]) links.Sound = SoundHref(sound);
        sounds_.Played(sound != 0 ? sound : soundCompanion_[fileIndex]);
        for (const auto& part : point.Parts)
            if (const auto* image = std::get_if<TGpiImage>(&part)) links.Photos.push_back(PhotoHref(image->Data));
        TGpxWaypoint waypoint = WaypointOf(point, links, file.Defaults, run_.Languages, run_.Decoder, run_.Tally);
        tree.Lats.push_back(DotStrToFloat(waypoint.Lat));
        tree.Lons.push_back(DotStrToFloat(waypoint.Lon));
        return waypoint;
    }

    std::size_t WriteFiles(bool zeroWaypoint) {
        const auto sequence = OrderWaypoints(order_, files_.size(), icons_.size());
        TTreeGroup tree{group_.Root ? &*group_.Root : nullptr, {}, {}, zeroWaypoint};
        for (std::size_t f = 0; f < files_.size(); ++f) {
            TFile& file = files_[f];
            if (companion_[f] >= 0) {
                run_.Folder.WriteFile(PathOf(file.Base + ".bmp"), icons_[static_cast<std::size_t>(companion_[f])]);
                ++run_.Icons;
            }
            if (soundCompanion_[f] != 0)
                for (const auto& [entry, bytes] : sounds_.Files(soundCompanion_[f], file.Base)) run_.Folder.WriteFile(PathOf(entry), bytes);
            for (const auto& item : sequence[f]) file.Waypoints.push_back(Waypoint(item, f, companion_[f], tree));
            if (zeroWaypoint && f == 0) {
                sounds_.Played(soundCompanion_[f]);
                TGpxWaypoint origin;
                origin.Lat = "0";
                origin.Lon = "0";
                file.Waypoints.push_back(std::move(origin));
            }
            run_.Folder.WriteFile(PathOf(file.Base + ".gpx"), GpxDocument(file.Waypoints));
        }
        const std::size_t points = tree.Lats.size();
        run_.Trees.push_back(std::move(tree));
        return points;
    }

    const TGpiGroup& group_;
    TUnpackRun& run_;
    const std::string media_;
    bool folderGroup_ = false;
    std::string base_;
    TNameAllotter inGroup_;
    std::vector<TFile> files_;
    std::map<std::uint16_t, std::size_t> fileOfCategory_;
    std::vector<Bytes> icons_;
    std::map<std::uint16_t, int> iconOfNumber_;
    std::vector<std::string> iconHref_;
    std::map<Bytes, std::string> photoHref_;
    std::vector<TReadPoint> read_;
    std::vector<TOrderPoint> order_;
    std::vector<int> companion_;
    TSemicircleBox box_;
    bool mediaMade_ = false;
    TUnpackSounds sounds_;
    std::vector<std::uint16_t> soundOfPoint_;    // per point in reading order: the media number it plays, 0 none
    std::vector<std::uint16_t> soundCompanion_;  // per file: the sound beside it, 0 none
    std::map<std::uint16_t, std::string> soundHref_;
};

}  // namespace

std::string UnpackGroup(const TGpiGroup& group, std::size_t number, TUnpackRun& run) {
    return TGroupUnpacker(group, number, run).Unpack();
}

std::string NameText(const Bytes& text, TTextDecoder& decoder, TUnpackTally& tally) {
    std::string out;
    for (char32_t c : decoder.Decode(text)) {
        if (IsUndecodedByte(c)) tally.Add("names holding bytes the code page does not define");
        AppendUtf8(out, IsUndecodedByte(c) ? U'_' : c);
    }
    return out;
}

std::string Plural(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace kestro
