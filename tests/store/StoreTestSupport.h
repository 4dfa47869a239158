#pragma once
// Helpers of the store and area-tree tests: a statement trace, and a reader
// for the area records the tree builds.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Bytes.h"
#include "store/SQLiteDatabase.h"

namespace kestro::test {

// Collects every line the database's OnStatement trace receives.
struct TTrace {
    std::vector<std::string> Lines;
    void Attach(TSQLiteDatabase& database) {
        database.OnStatement = [this](TSQLiteDatabase&, const std::string& line) { Lines.push_back(line); };
    }
};

// The lines of a message split at CR LF.
inline std::vector<std::string> MessageLines(const std::string& message) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (;;) {
        const auto at = message.find("\r\n", from);
        lines.push_back(message.substr(from, at == std::string::npos ? std::string::npos : at - from));
        if (at == std::string::npos) return lines;
        from = at + 2;
    }
}

inline std::uint32_t ReadU32(const Bytes& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}
inline std::uint16_t ReadU16(const Bytes& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes.at(at)) |
                                      static_cast<unsigned char>(bytes.at(at + 1)) << 8);
}

// One record of the envelope: type, flags, main part and extra part.
struct TRecord {
    std::uint16_t Type = 0;
    std::uint16_t Flags = 0;
    Bytes Main;
    Bytes Extra;
    Bytes Whole;
};

// Splits a concatenation of records; fails the test on a malformed envelope.
inline std::vector<TRecord> SplitRecords(const Bytes& bytes) {
    std::vector<TRecord> records;
    std::size_t at = 0;
    while (at < bytes.size()) {
        if (bytes.size() - at < 8) {
            ADD_FAILURE() << "truncated record envelope at " << at;
            break;
        }
        TRecord record;
        record.Type = ReadU16(bytes, at);
        record.Flags = ReadU16(bytes, at + 2);
        const std::size_t dataLength = ReadU32(bytes, at + 4);
        std::size_t header = 8;
        std::size_t mainLength = dataLength;
        if (record.Flags == 8) {
            header = 12;
            mainLength = ReadU32(bytes, at + 8);
        } else if (record.Flags != 0) {
            ADD_FAILURE() << "flags " << record.Flags << " at " << at;
        }
        if (bytes.size() - at < header + dataLength || mainLength > dataLength) {
            ADD_FAILURE() << "record lengths run past the data at " << at;
            break;
        }
        record.Main = bytes.substr(at + header, mainLength);
        record.Extra = bytes.substr(at + header + mainLength, dataLength - mainLength);
        record.Whole = bytes.substr(at, header + dataLength);
        records.push_back(record);
        at += header + dataLength;
    }
    return records;
}

// An area record read back: its bounds in semicircles, alert byte, and
// either sub-areas or point records.
struct TArea {
    std::int32_t North = 0, East = 0, South = 0, West = 0;
    int Alert = -1;
    std::vector<TArea> Children;
    std::vector<Bytes> Points;
};

inline TArea ReadArea(const TRecord& record) {
    TArea area;
    EXPECT_EQ(record.Type, 8);
    EXPECT_EQ(record.Main.size(), 23u);
    if (record.Main.size() != 23u) return area;
    area.North = static_cast<std::int32_t>(ReadU32(record.Main, 0));
    area.East = static_cast<std::int32_t>(ReadU32(record.Main, 4));
    area.South = static_cast<std::int32_t>(ReadU32(record.Main, 8));
    area.West = static_cast<std::int32_t>(ReadU32(record.Main, 12));
    EXPECT_EQ(record.Main.substr(16, 6), Bytes("\0\0\0\0\1\0", 6));
    area.Alert = static_cast<unsigned char>(record.Main[22]);
    // Readers stop at an area without children: none may be written.
    EXPECT_EQ(record.Flags, 8) << "area record without children";
    const auto children = SplitRecords(record.Extra);
    for (const TRecord& child : children) {
        if (child.Type == 8)
            area.Children.push_back(ReadArea(child));
        else if (child.Type == 2)
            area.Points.push_back(child.Whole);
        else
            ADD_FAILURE() << "record of type " << child.Type << " inside an area";
    }
    EXPECT_TRUE(area.Children.empty() || area.Points.empty()) << "area holds sub-areas and points";
    return area;
}

inline TArea ReadRootArea(const Bytes& bytes) {
    const auto records = SplitRecords(bytes);
    EXPECT_EQ(records.size(), 1u);
    if (records.size() != 1u) return TArea();
    return ReadArea(records[0]);
}

// All point records of an area and its sub-areas, in writing order.
inline void CollectPoints(const TArea& area, std::vector<Bytes>& points) {
    points.insert(points.end(), area.Points.begin(), area.Points.end());
    for (const TArea& child : area.Children) CollectPoints(child, points);
}

inline int AreaDepth(const TArea& area) {
    int deepest = 0;
    for (const TArea& child : area.Children) deepest = std::max(deepest, AreaDepth(child) + 1);
    return deepest;
}

}  // namespace kestro::test
