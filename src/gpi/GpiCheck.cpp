#include "gpi/GpiCheck.h"

#include <algorithm>
#include <cmath>
#include <queue>
#include <set>

#include "diag/Exceptions.h"
#include "gpi/CopyrightRecord.h"
#include "gpi/SoundFile.h"

namespace kestro {

namespace {

// The root area has depth 0 and no area deeper than 32 is split, so leaves lie at depth 33.
constexpr int MaxAreaDepth = 33;
// Two areas that share an edge computed from the same double may differ by the
// truncation of the semicircle conversion.
constexpr std::int64_t EdgeSlack = 2;

// Place of a point sub-record in the order the writer keeps; -1 for a type that has none.
int PartRank(std::uint16_t type) {
    switch (type) {
    case GpiTypeCategoryRef: return 0;
    case GpiTypeBitmapRef: return 1;
    case GpiTypeAlert: return 2;
    case GpiTypeComment: return 3;
    case GpiTypeAddress: return 4;
    case GpiTypeContact: return 5;
    case GpiTypeImage: return 6;
    case GpiTypeDescription: return 7;
    default: return -1;
    }
}

bool HasAlertInside(const TGpiArea& area) {
    for (const auto& point : area.Points)
        if (point.Alert() != nullptr) return true;
    for (const auto& sub : area.Areas)
        if (HasAlertInside(sub)) return true;
    return false;
}

class TChecker {
public:
    explicit TChecker(const TGpiFile& file) : file_(file), problems_(file.Problems) {}

    // Problems found by the rules are kept and sorted; records in the wrong
    // place, of which a hostile file holds millions, are walked again in the
    // file and merged in by offset, each where the sort would have put it
    // (after the kept problems at the same offset).
    std::size_t Run(const std::function<void(const TGpiProblem&)>& onProblem) {
        CheckFileLevel();
        for (const auto& group : file_.Groups) CheckGroup(group);
        std::stable_sort(problems_.begin(), problems_.end(),
                         [](const TGpiProblem& a, const TGpiProblem& b) { return a.Offset < b.Offset; });
        std::vector<TGpiRecords::TIterator> walks;
        using TNext = std::pair<std::size_t, std::size_t>;  // offset, walk
        std::priority_queue<TNext, std::vector<TNext>, std::greater<TNext>> next;
        for (const auto& misplaced : misplaced_) {
            walks.push_back(misplaced.Records.begin());
            if (walks.back() != misplaced.Records.end()) next.emplace(walks.back()->Offset, walks.size() - 1);
        }
        std::size_t count = 0;
        auto kept = problems_.begin();
        while (kept != problems_.end() || !next.empty()) {
            ++count;
            if (next.empty() || (kept != problems_.end() && kept->Offset <= next.top().first)) {
                onProblem(*kept++);
                continue;
            }
            const std::size_t walk = next.top().second;
            next.pop();
            onProblem(TGpiProblem{walks[walk]->Offset, WrongPlaceText(*walks[walk], misplaced_[walk].Where)});
            if (++walks[walk] != misplaced_[walk].Records.end()) next.emplace(walks[walk]->Offset, walk);
        }
        return count;
    }

private:
    struct TMisplaced {
        TGpiRecords Records;
        const char* Where;
    };

    void Problem(std::size_t offset, std::string text) { problems_.push_back(TGpiProblem{offset, std::move(text)}); }

    static std::string WrongPlaceText(const TGpiOther& other, const char* where) {
        const char* name = GpiRecordName(other.Type);
        if (*name != '\0') return Format("%s record in the wrong place (%s)", name, where);
        return Format("unknown record of type %u (%zu bytes) %s", other.Type, other.MainSize + other.ExtraSize, where);
    }

    void WrongPlace(const TGpiOther& other, const char* where) { Problem(other.Offset, WrongPlaceText(other, where)); }
    void WrongPlace(const TGpiRecords& records, const char* where) {
        if (!records.empty()) misplaced_.push_back(TMisplaced{records, where});
    }

    void CheckFileLevel() {
        const TGpiOther second = file_.Order.size() >= 2 ? file_.Order[1] : TGpiOther();
        if (file_.Order.size() < 2 || second.Type != GpiTypePoiHeader) {
            if (file_.Order.size() < 2)
                Problem(file_.Size, "the POI header record is missing");
            else
                Problem(second.Offset, Format("the second record is a %s, not the POI header record",
                                              RecordName(second.Type).c_str()));
        }
        TGpiRecords headerOthers = file_.Header.Records;
        headerOthers.SkipType(GpiTypeHeaderExtension);
        WrongPlace(headerOthers, "in the header record");
        if (file_.PoiHeader) {
            if (file_.PoiHeader->Magic != Bytes("POI\0\0\0", 6))
                Problem(file_.PoiHeader->Offset, "POI header record: signature is not \"POI\" and three zero bytes");
            WrongPlace(file_.PoiHeader->Records, "in the POI header record");
            CheckCopyright(*file_.PoiHeader);
        }
        WrongPlace(file_.Records, "at file level");
        if (!file_.End) Problem(file_.Size, "missing end record");
    }

    static std::string RecordName(std::uint16_t type) {
        const char* name = GpiRecordName(type);
        return *name != '\0' ? std::string(name) + " record" : Format("record of type %u", type);
    }

    void CheckGroup(const TGpiGroup& group) {
        WrongPlace(group.MainRecords, "in a group's main part");
        WrongPlace(group.Records, "in a group's extra part");
        if (!group.Bitmaps.empty() && !group.Categories.empty()) {
            bool bitmapSeen = false;
            for (const auto& record : group.Extra) {
                if (record.Type == GpiTypeBitmap) bitmapSeen = true;
                if (record.Type == GpiTypeCategory && bitmapSeen) Problem(record.Offset, "category record after a bitmap record");
            }
        }
        categories_.clear();
        bitmaps_.clear();
        for (const auto& bitmap : group.Bitmaps) {
            if (!bitmaps_.insert(bitmap.Number).second)
                Problem(bitmap.Offset, Format("second bitmap record with number %u", bitmap.Number));
            CheckBitmap(bitmap);
        }
        for (const auto& category : group.Categories) {
            if (!categories_.insert(category.Number).second)
                Problem(category.Offset, Format("second category record with number %u", category.Number));
            if (category.Bitmap && !bitmaps_.count(category.Bitmap->Number))
                Problem(category.Bitmap->Offset, Format("reference to missing bitmap %u", category.Bitmap->Number));
            WrongPlace(category.Records, "in a category record");
        }
        media_.clear();
        for (const auto& media : group.Media) CheckMedia(media);
        if (group.Root) CheckArea(*group.Root, nullptr);
    }

    // Numbers from 1, below the predefined sounds, each once; a clip per
    // language of the file.
    void CheckMedia(const TGpiMedia& media) {
        if (media.Number == 0 || media.Number >= 0x1000)
            Problem(media.Offset, Format("media number %u, not 1 to 4095", media.Number));
        if (!media_.insert(media.Number).second)
            Problem(media.Offset, Format("second media record with number %u", media.Number));
        if (media.Entries.empty()) Problem(media.Offset, Format("media %u holds no sound", media.Number));
        for (const auto& entry : media.Entries) {
            std::string refusal;
            if (media.Format <= 1 && !SoundFormatOf(entry.Data, refusal))
                Problem(media.Offset, Format("media %u, language \"%s\": %s", media.Number,
                                             entry.Language.c_str(), refusal.c_str()));
        }
    }

    void CheckCopyright(const TGpiPoiHeader& header) {
        if (!header.Copyright) return;
        const TGpiCopyright& c = *header.Copyright;
        if (header.Flags != PoiHeaderCreditFlags)
            Problem(header.Offset, Format("POI header flags 0x%04X with a copyright record, not 0x0011", header.Flags));
        if (c.Value0 != 0x14 || c.Value4 != 0)
            Problem(c.Offset, Format("copyright record: values %u, %u, not 20, 0", c.Value0, c.Value4));
        if (c.Texts.size() != 2)
            Problem(c.Offset, Format("copyright record: %zu localized texts, not 2 (source, copyright)", c.Texts.size()));
        if (c.Trailing.size() != 4)
            Problem(c.Offset, Format("copyright record: %zu bytes after its texts, not 4", c.Trailing.size()));
    }

    void CheckBitmap(const TGpiBitmap& b) {
        const std::uint32_t expectedStride = ((static_cast<std::uint32_t>(b.BitsPerPixel) * b.Width) / 8 + 3) & ~3u;
        if (b.Stride != expectedStride)
            Problem(b.Offset, Format("bitmap %u: row size %u does not fit width %u at %u bits per pixel (expected %u)",
                                     b.Number, b.Stride, b.Width, b.BitsPerPixel, expectedStride));
        const std::uint64_t pixelSize = static_cast<std::uint64_t>(b.Stride) * b.Height;
        if (b.PixelSize != pixelSize)
            Problem(b.Offset, Format("bitmap %u: pixel data size %u, but row size x height is %llu", b.Number,
                                     b.PixelSize, static_cast<unsigned long long>(pixelSize)));
        if (b.PixelOffset != 44)
            Problem(b.Offset, Format("bitmap %u: pixel data offset %u, not 44", b.Number, b.PixelOffset));
        const std::uint64_t paletteOffset = static_cast<std::uint64_t>(b.PixelSize) + 44;
        if (b.PaletteOffset != paletteOffset)
            Problem(b.Offset, Format("bitmap %u: palette offset %u, not %llu", b.Number, b.PaletteOffset,
                                     static_cast<unsigned long long>(paletteOffset)));
        if (b.PaletteCount > 256) Problem(b.Offset, Format("bitmap %u: palette size %u exceeds 256", b.Number, b.PaletteCount));
        const std::uint64_t expectedMain = 36 + static_cast<std::uint64_t>(b.PixelSize) + 4 * static_cast<std::uint64_t>(b.PaletteCount);
        if (b.MainSize != expectedMain)
            Problem(b.Offset, Format("bitmap %u: the record holds %zu bytes, its header promises %llu "
                                     "(36 + %u bytes of pixel data + %u palette entries of 4 bytes)",
                                     b.Number, b.MainSize, static_cast<unsigned long long>(expectedMain), b.PixelSize,
                                     b.PaletteCount));
        if (b.ExtraSize != 0) Problem(b.Offset, Format("bitmap %u: unexpected extra part of %zu bytes", b.Number, b.ExtraSize));
    }

    void CheckArea(const TGpiArea& area, const TGpiArea* parent) {
        if (area.Depth > MaxAreaDepth)
            Problem(area.Offset, Format("area records nest deeper than %d levels", MaxAreaDepth + 1));
        if (area.North < area.South) Problem(area.Offset, "area: its north edge lies south of its south edge");
        if (area.East < area.West) Problem(area.Offset, "area: its east edge lies west of its west edge");
        if (parent != nullptr &&
            (static_cast<std::int64_t>(area.North) > static_cast<std::int64_t>(parent->North) + EdgeSlack ||
             static_cast<std::int64_t>(area.East) > static_cast<std::int64_t>(parent->East) + EdgeSlack ||
             static_cast<std::int64_t>(area.South) < static_cast<std::int64_t>(parent->South) - EdgeSlack ||
             static_cast<std::int64_t>(area.West) < static_cast<std::int64_t>(parent->West) - EdgeSlack))
            Problem(area.Offset, "sub-area outside its parent's bounds");
        if (!area.Areas.empty() && !area.Points.empty())
            Problem(area.Offset, Format("area holds both sub-areas (%zu) and points (%zu)", area.Areas.size(), area.Points.size()));
        WrongPlace(area.Records, "in an area record");
        const bool alertInside = HasAlertInside(area);
        if (area.AlertFlag > 1)
            Problem(area.Offset, Format("area alert flag is %u, not 0 or 1", area.AlertFlag));
        else if ((area.AlertFlag == 1) != alertInside)
            Problem(area.Offset, alertInside ? "area alert flag 0, but a point inside carries an alert"
                                             : "area alert flag 1, but no point inside carries an alert");
        for (const auto& point : area.Points) CheckPoint(point, area);
        for (const auto& sub : area.Areas) CheckArea(sub, &area);
    }

    void CheckPoint(const TGpiPoint& point, const TGpiArea& area) {
        const double lat = SemicirclesToDeg(point.Lat), lon = SemicirclesToDeg(point.Lon);
        if (Outside(lat, area.South, area.North) || Outside(lon, area.West, area.East))
            Problem(point.Offset, Format("point outside its area's bounds: %.7f, %.7f not within S %.7f W %.7f N %.7f E %.7f",
                                         lat, lon, SemicirclesToDeg(area.South), SemicirclesToDeg(area.West),
                                         SemicirclesToDeg(area.North), SemicirclesToDeg(area.East)));
        const bool hasAlert = point.Alert() != nullptr;
        if (point.AlertFlag > 1)
            Problem(point.Offset, Format("point alert flag is %u, not 0 or 1", point.AlertFlag));
        else if ((point.AlertFlag == 1) != hasAlert)
            Problem(point.Offset, hasAlert ? "point alert flag 0, but it has an alert record"
                                           : "point alert flag 1, but it has no alert record");
        int lastRank = -1;
        std::uint16_t lastType = 0;
        unsigned imagePosition = 0;
        for (const auto& part : point.Parts) {
            const std::uint16_t type = PartType(part);
            const int rank = PartRank(type);
            if (const auto* other = std::get_if<TGpiOther>(&part)) {
                WrongPlace(*other, "in a point record");
                continue;
            }
            if (rank < lastRank)
                Problem(PartOffset(part), Format("%s record out of order: it follows the %s record", GpiRecordName(type),
                                                 GpiRecordName(lastType)));
            else if (rank == lastRank && type != GpiTypeImage)
                Problem(PartOffset(part), Format("second %s record in one point", GpiRecordName(type)));
            if (rank >= lastRank) {
                lastRank = rank;
                lastType = type;
            }
            CheckPart(part, imagePosition);
        }
    }

    void CheckPart(const TGpiPointPart& part, unsigned& imagePosition) {
        if (const auto* ref = std::get_if<TGpiCategoryRef>(&part)) {
            if (!categories_.count(ref->Number)) Problem(ref->Offset, Format("reference to missing category %u", ref->Number));
        } else if (const auto* ref = std::get_if<TGpiBitmapRef>(&part)) {
            if (!bitmaps_.count(ref->Number)) Problem(ref->Offset, Format("reference to missing bitmap %u", ref->Number));
        } else if (const auto* alert = std::get_if<TGpiAlert>(&part)) {
            if (alert->CustomSound()) {
                if (!media_.count(alert->Sound()))
                    Problem(alert->Offset, Format("alert plays missing media %u", alert->Sound()));
            } else if (alert->Kind != 4 && alert->Kind != 5) {
                Problem(alert->Offset, Format("alert kind %u, not 4 (proximity) or 5 (speed)", alert->Kind));
            }
        } else if (const auto* image = std::get_if<TGpiImage>(&part)) {
            if (image->Index != (imagePosition & 0xFF))
                Problem(image->Offset, Format("image position %u, expected %u", image->Index, imagePosition & 0xFF));
            ++imagePosition;
        }
    }

    static bool Outside(double value, std::int32_t low, std::int32_t high) {
        const double lowDeg = SemicirclesToDeg(low), highDeg = SemicirclesToDeg(high);
        return value < lowDeg - GpiBoxTolerance(std::max(std::fabs(value), std::fabs(lowDeg))) ||
               value > highDeg + GpiBoxTolerance(std::max(std::fabs(value), std::fabs(highDeg)));
    }

    const TGpiFile& file_;
    std::vector<TGpiProblem> problems_;
    std::vector<TMisplaced> misplaced_;
    std::set<std::uint16_t> categories_;
    std::set<std::uint16_t> bitmaps_;
    std::set<std::uint16_t> media_;
};

}  // namespace

double GpiBoxTolerance(double degrees) {
    // Coordinates lie within 180 degrees; the bound keeps the float conversion defined for any input.
    const double magnitude = std::fabs(degrees) <= 360.0 ? std::fabs(degrees) : 360.0;
    const float rounded = static_cast<float>(magnitude);
    const double floatStep = static_cast<double>(std::nextafter(rounded, HUGE_VALF)) - static_cast<double>(rounded);
    return 0.00002 + 2 * floatStep + 2 * (180.0 / 2147483648.0);
}

std::size_t CheckGpi(const TGpiFile& file, const std::function<void(const TGpiProblem&)>& onProblem) {
    return TChecker(file).Run(onProblem);
}

std::vector<TGpiProblem> CheckGpi(const TGpiFile& file) {
    std::vector<TGpiProblem> problems;
    CheckGpi(file, [&](const TGpiProblem& problem) { problems.push_back(problem); });
    return problems;
}

}  // namespace kestro
