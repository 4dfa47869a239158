#pragma once
// GPI files built the way the converter writes them, for the tests of the
// reader, the check and kestro-dump: point records with their sub-records,
// an area tree split in quadrants while a box holds more than MaxRegion
// points (matching points on single-precision values within 0.00001 degrees
// of a box, as the point store does), categories, bitmaps and the frame.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Bytes.h"

namespace kestro::test {

struct TTestPoint {
    double Lat = 0;
    double Lon = 0;
    Bytes Name;
    int Category = -1;  // -1: none
    int Bitmap = -1;
    int AlertSpeed = -1;     // km/h
    int AlertDistance = -1;  // metres
    Bytes Comment;
    Bytes City;
    Bytes PostalCode;
    Bytes Phone;
    Bytes Url;
    std::vector<Bytes> Images;  // the contents of JPEG files
    Bytes Description;

    bool HasAlert() const { return AlertSpeed >= 0 || AlertDistance >= 0; }
};

struct TTestBitmap {
    std::uint16_t Width = 16;
    std::uint16_t Height = 16;
    std::uint32_t PaletteEntries = 256;  // 256, 16 or 0
};

struct TTestGroup {
    Bytes Name = "Group";
    std::vector<Bytes> Categories;
    std::vector<TTestBitmap> Bitmaps;
    std::vector<TTestPoint> Points;
    int MaxRegion = 256;
};

// The point record (type 2) of one point.
Bytes TestPointRecord(const TTestPoint& point);
// The alert record (type 3) of a point with an alert.
Bytes TestAlertRecord(int speed, int distance);
// The main part of an area record (type 8) without its alert byte.
Bytes TestAreaMain(double minLat, double minLon, double maxLat, double maxLon);
// The root area record of a group's points; empty when there are none.
Bytes TestAreaTree(const std::vector<TTestPoint>& points, int maxRegion);
// A bitmap record (type 5) with the given number.
Bytes TestBitmapRecord(std::uint16_t number, const TTestBitmap& bitmap);
Bytes TestCategoryRecord(std::uint16_t number, const Bytes& name);
Bytes TestGroupRecord(const TTestGroup& group);
// Header records, the given group records and the end record.
Bytes TestFrame(const Bytes& groupRecords, std::uint16_t codePage = 1252, const Bytes& fileName = "test.gpi");
Bytes TestGpiFile(const std::vector<TTestGroup>& groups, std::uint16_t codePage = 1252);

// Points spread over a box by a fixed pseudo-random sequence.
std::vector<TTestPoint> SpreadPoints(int count, double south, double west, double north, double east, unsigned seed);

}  // namespace kestro::test
