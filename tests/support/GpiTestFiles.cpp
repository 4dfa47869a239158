#include "support/GpiTestFiles.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "gpi/ExtendedReal.h"
#include "gpi/GpiUtil.h"
#include "gpi/PoiRecord.h"

namespace kestro::test {

namespace {

struct TStoredPoint {
    float Lat;
    float Lon;
    bool Alert;
    Bytes Record;
    bool Extracted = false;
};

// A point matches a box when its small box (0.00001 degrees north and east of
// it) touches the box, all on single-precision values.
bool Matches(const TStoredPoint& p, float minLat, float minLon, float maxLat, float maxLon) {
    return static_cast<double>(p.Lat) + 0.00001 >= minLat && p.Lat <= maxLat &&
           static_cast<double>(p.Lon) + 0.00001 >= minLon && p.Lon <= maxLon;
}

class TAreaBuilder {
public:
    TAreaBuilder(std::vector<TStoredPoint> points, int maxRegion) : points_(std::move(points)), maxRegion_(maxRegion) {}

    Bytes Build(int depth, bool& alert, double minLat, double minLon, double maxLat, double maxLon) {
        Bytes main = TestAreaMain(minLat, minLon, maxLat, maxLon);
        const float fMinLat = static_cast<float>(minLat), fMinLon = static_cast<float>(minLon);
        const float fMaxLat = static_cast<float>(maxLat), fMaxLon = static_cast<float>(maxLon);
        long long count = 0;
        for (const auto& p : points_)
            if (Matches(p, fMinLat, fMinLon, fMaxLat, fMaxLon)) ++count;  // extracted points count too
        if (count > maxRegion_ && depth <= 32) {
            const double midLat = (minLat + maxLat) / 2, midLon = (minLon + maxLon) / 2;
            Bytes children;
            const double quadrants[4][4] = {{minLat, minLon, midLat, midLon},
                                            {minLat, midLon, midLat, maxLon},
                                            {midLat, minLon, maxLat, midLon},
                                            {midLat, midLon, maxLat, maxLon}};
            for (const auto& q : quadrants) {
                bool childAlert = false;
                children += Build(depth + 1, childAlert, q[0], q[1], q[2], q[3]);
                alert = alert || childAlert;
            }
            return GpiRecord(8, main + (alert ? '\1' : '\0'), children);
        }
        Bytes records;
        alert = false;
        for (auto& p : points_) {
            if (p.Extracted || !Matches(p, fMinLat, fMinLon, fMaxLat, fMaxLon)) continue;
            p.Extracted = true;
            records += p.Record;
            alert = alert || p.Alert;
        }
        if (records.empty()) return Bytes();
        return GpiRecord(8, main + (alert ? '\1' : '\0'), records);
    }

private:
    std::vector<TStoredPoint> points_;
    int maxRegion_;
};

}  // namespace

Bytes TestAlertRecord(int speed, int distance) {
    // 36 and 100 times a double are exact in a double's 64-bit extension.
    const double metresPerSecond = speed >= 0 ? AlertMetresPerSecond(speed) : 0;
    auto times = [&](int factor) { return TruncatedInt64(ExtendedProduct(ExtendedOf(std::int64_t{factor}), ExtendedOf(metresPerSecond))); };
    if (distance < 0) distance = static_cast<int>(times(36));
    const auto speedField = static_cast<std::uint32_t>(times(100));
    Bytes main = GpiWord(static_cast<std::uint32_t>(distance)) + GpiWord(speedField);
    main += Bytes("\x00\x01\x10\x00\x01\x01", 6);
    main += speed >= 0 ? '\x05' : '\x04';
    main += '\x10';
    return GpiRecord(3, main);
}

Bytes TestPointRecord(const TTestPoint& p) {
    Bytes main = GpiDword(static_cast<std::uint32_t>(DegToSemicircles(p.Lat))) +
                 GpiDword(static_cast<std::uint32_t>(DegToSemicircles(p.Lon))) + GpiWord(1);
    main += p.HasAlert() ? '\1' : '\0';
    main += GpiLangString(p.Name);
    Bytes extra;
    if (p.Category >= 0) extra += GpiRecord(6, GpiWord(static_cast<std::uint32_t>(p.Category)));
    if (p.Bitmap >= 0) extra += GpiRecord(4, GpiWord(static_cast<std::uint32_t>(p.Bitmap)));
    if (p.HasAlert()) extra += TestAlertRecord(p.AlertSpeed, p.AlertDistance);
    if (!p.Comment.empty()) extra += GpiRecord(10, GpiLangString(p.Comment));
    if (!p.City.empty() || !p.PostalCode.empty()) {
        Bytes fields;
        std::uint32_t flags = 0;
        if (!p.City.empty()) {
            flags |= 1;
            fields += GpiLangString(p.City);
        }
        if (!p.PostalCode.empty()) {
            flags |= 8;
            fields += GpiString(p.PostalCode);
        }
        extra += GpiRecord(11, GpiWord(flags) + fields);
    }
    if (!p.Phone.empty() || !p.Url.empty()) {
        Bytes fields;
        std::uint32_t flags = 0;
        if (!p.Phone.empty()) {
            flags |= 1;
            fields += GpiString(p.Phone);
        }
        if (!p.Url.empty()) {
            flags |= 0x10;
            fields += GpiString(p.Url);
        }
        extra += GpiRecord(12, GpiWord(flags) + fields);
    }
    for (std::size_t i = 0; i < p.Images.size(); ++i)
        extra += GpiRecord(13, Bytes(1, static_cast<char>(i)) + GpiDword(static_cast<std::uint32_t>(p.Images[i].size())) + p.Images[i]);
    if (!p.Description.empty()) extra += GpiRecord(14, "\x01" + GpiLangString(p.Description));
    return GpiRecord(2, main, extra);
}

Bytes TestAreaMain(double minLat, double minLon, double maxLat, double maxLon) {
    return GpiDword(static_cast<std::uint32_t>(DegToSemicircles(maxLat))) +
           GpiDword(static_cast<std::uint32_t>(DegToSemicircles(maxLon))) +
           GpiDword(static_cast<std::uint32_t>(DegToSemicircles(minLat))) +
           GpiDword(static_cast<std::uint32_t>(DegToSemicircles(minLon))) + Bytes("\x00\x00\x00\x00\x01\x00", 6);
}

Bytes TestAreaTree(const std::vector<TTestPoint>& points, int maxRegion) {
    if (points.empty()) return Bytes();
    std::vector<TStoredPoint> stored;
    double minLat = points[0].Lat, maxLat = minLat, minLon = points[0].Lon, maxLon = minLon;
    for (const auto& p : points) {
        stored.push_back(TStoredPoint{static_cast<float>(p.Lat), static_cast<float>(p.Lon), p.HasAlert(), TestPointRecord(p)});
        minLat = std::min(minLat, p.Lat);
        maxLat = std::max(maxLat, p.Lat);
        minLon = std::min(minLon, p.Lon);
        maxLon = std::max(maxLon, p.Lon);
    }
    bool alert = false;
    return TAreaBuilder(std::move(stored), maxRegion).Build(0, alert, minLat, minLon, maxLat, maxLon);
}

Bytes TestBitmapRecord(std::uint16_t number, const TTestBitmap& b) {
    const std::uint32_t stride = (b.Width + 3u) & ~3u;
    const std::uint32_t pixelSize = stride * b.Height;
    Bytes main = GpiWord(number) + GpiWord(b.Height) + GpiWord(b.Width) + GpiWord(stride) + GpiWord(8) + GpiWord(0);
    main += GpiDword(pixelSize) + GpiDword(44) + GpiDword(b.PaletteEntries) + GpiDword(0xFF00FF) + GpiDword(1) +
            GpiDword(pixelSize + 44);
    for (std::uint32_t i = 0; i < pixelSize; ++i) main += static_cast<char>(i % 7);
    for (std::uint32_t i = 0; i < b.PaletteEntries; ++i) main += GpiDword(i * 0x010101u & 0xFFFFFFu);
    return GpiRecord(5, main);
}

Bytes TestCategoryRecord(std::uint16_t number, const Bytes& name) { return GpiRecord(7, GpiWord(number) + GpiLangString(name)); }

Bytes TestGroupRecord(const TTestGroup& group) {
    Bytes extra;
    for (std::size_t i = 0; i < group.Categories.size(); ++i)
        extra += TestCategoryRecord(static_cast<std::uint16_t>(i), group.Categories[i]);
    for (std::size_t i = 0; i < group.Bitmaps.size(); ++i)
        extra += TestBitmapRecord(static_cast<std::uint16_t>(i), group.Bitmaps[i]);
    return GpiRecord(9, GpiLangString(group.Name) + TestAreaTree(group.Points, group.MaxRegion), extra);
}

Bytes TestFrame(const Bytes& groupRecords, std::uint16_t codePage, const Bytes& fileName) {
    Bytes file = GpiRecord(0, "GRMREC00" + GpiDword(123456) + GpiWord(0) + GpiString(fileName));
    file += GpiRecord(1, Bytes("POI\0\0\0", 6) + "00" + GpiWord(codePage) + GpiWord(0));
    file += groupRecords;
    file += GpiRecord(0xFFFF, "");
    return file;
}

Bytes TestGpiFile(const std::vector<TTestGroup>& groups, std::uint16_t codePage) {
    Bytes records;
    for (const auto& group : groups) records += TestGroupRecord(group);
    return TestFrame(records, codePage);
}

std::vector<TTestPoint> SpreadPoints(int count, double south, double west, double north, double east, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<TTestPoint> points;
    for (int i = 0; i < count; ++i) {
        TTestPoint p;
        p.Lat = south + (north - south) * (static_cast<double>(random()) / 4294967296.0);
        p.Lon = west + (east - west) * (static_cast<double>(random()) / 4294967296.0);
        p.Name = "P" + std::to_string(i);
        points.push_back(p);
    }
    return points;
}

}  // namespace kestro::test
