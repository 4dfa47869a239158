#pragma once
// The temporary store of one group's encoded points, with an R-tree index
// over their positions. X is the latitude and Y the longitude throughout; a
// box is always given as MinX, MinY, MaxX, MaxY (south, west, north, east).
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Bytes.h"
#include "store/SQLiteDatabase.h"

namespace kestro {

// A new private temporary database with the tables poi and ridx, whose page
// cache is sized to keep the points read from sourceBytes of GPX in memory.
std::unique_ptr<TSQLiteDatabase> CreatePoiStore(std::uint64_t sourceBytes = 0);

// Stores one encoded point record; its index entry is the small box from
// (x, y) to (x + 0.00001, y + 0.00001).
void InsertPoi(TSQLiteDatabase& store, Bytes data, bool alert, float x, float y);
// The largest point record InsertPoi can store: the store's value limit
// less the rest of the row.
std::uint64_t PointRecordLimit(const TSQLiteDatabase& store);

// Index entries that touch the box, borders included; points already
// extracted still count.
std::int64_t CountInBox(TSQLiteDatabase& store, float minX, float minY, float maxX, float maxY);

// Takes the points still stored whose entries touch the box out of the
// store: their records joined in data, alert true when one of them has an
// alert.
void ExtractInBox(TSQLiteDatabase& store, bool& alert, Bytes& data, float minX, float minY, float maxX, float maxY);

// True when at least one point still stored has an entry that touches the box.
bool AnyLeftInBox(TSQLiteDatabase& store, float minX, float minY, float maxX, float maxY);

// The points one pass over a store has taken, by key: taking them out of
// the store itself would cost a second index search and a deletion per point.
class TTakenPoints {
public:
    bool Contains(std::int64_t key) const noexcept {
        return key >= 0 && static_cast<std::uint64_t>(key) < taken_.size() && taken_[static_cast<std::size_t>(key)];
    }
    void Add(std::int64_t key);

private:
    std::vector<bool> taken_;
};

// As ExtractInBox, but the points stay stored and `taken` tells which are
// gone: appends to data the records of the points not taken yet whose
// entries touch the box, in the order they were stored, and adds them to
// taken; sets alert when one of them has an alert (leaves it otherwise).
void TakeInBox(TSQLiteDatabase& store, TTakenPoints& taken, bool& alert, Bytes& data, float minX, float minY,
               float maxX, float maxY);

// True when a point not in `taken` has an entry that touches the box.
bool AnyLeftInBox(TSQLiteDatabase& store, const TTakenPoints& taken, float minX, float minY, float maxX, float maxY);

}  // namespace kestro
