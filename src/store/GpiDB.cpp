#include "store/GpiDB.h"

#include <string>

#include "sources/AreaRules.h"
#include "store/SQLiteTable.h"

namespace kestro {

namespace {

// Size of a point's index entry, north and east of the point.
// Page cache of a store whose source size is not known: 64 MiB.
constexpr std::uint64_t MinCacheKiB = 65536;

void AddBox(TSQLiteDatabase& store, float minX, float minY, float maxX, float maxY) {
    store.AddFloatParam(":minx", minX);
    store.AddFloatParam(":maxx", maxX);
    store.AddFloatParam(":miny", minY);
    store.AddFloatParam(":maxy", maxY);
}

}  // namespace

std::unique_ptr<TSQLiteDatabase> CreatePoiStore(std::uint64_t sourceBytes) {
    auto store = std::make_unique<TSQLiteDatabase>(std::string());
    // Nothing of the store outlives the process or is shared, and an error
    // ends the run with the store: no journal, no syncing, no file locks.
    store->Execute("PRAGMA journal_mode=OFF");
    store->Execute("PRAGMA synchronous=OFF");
    store->Execute("PRAGMA locking_mode=EXCLUSIVE");
    store->Execute("PRAGMA temp_store=MEMORY");
    // A page cache that holds the whole store keeps it out of the temporary
    // file. Encoded points take about a third of their GPX text, so twice
    // the text leaves room for the index and the freed pages; the cache
    // only takes memory as pages are used.
    const std::uint64_t cacheKiB = MinCacheKiB + sourceBytes / 1024 * 2;
    store->Execute("PRAGMA cache_size=-" + std::to_string(cacheKiB));
    store->Execute("CREATE TABLE poi (key INTEGER PRIMARY KEY, data BLOB, alert INTEGER)");
    store->Execute("CREATE VIRTUAL TABLE ridx USING rtree(key, minX, maxX, minY, maxY)");
    return store;
}

void InsertPoi(TSQLiteDatabase& store, Bytes data, bool alert, float x, float y) {
    store.AddBytesParam(":d", std::move(data));
    store.AddIntParam(":a", alert ? 1 : 0);
    store.Execute("INSERT INTO poi (data, alert) VALUES (:d, :a)");
    const std::int64_t key = store.LastRowId();
    store.AddIntParam(":key", key);
    store.AddFloatParam(":x1", x);
    store.AddFloatParam(":x2", static_cast<double>(x) + StoreEntrySize);
    store.AddFloatParam(":y1", y);
    store.AddFloatParam(":y2", static_cast<double>(y) + StoreEntrySize);
    store.Execute("INSERT INTO ridx VALUES(:key, :x1, :x2, :y1, :y2)");
}

std::uint64_t PointRecordLimit(const TSQLiteDatabase& store) {
    // The row's head and its alert flag take a few bytes beside the record.
    constexpr std::uint64_t rowBytes = 64;
    const std::uint64_t limit = store.MaxValueBytes();
    return limit > rowBytes ? limit - rowBytes : 0;
}

std::int64_t CountInBox(TSQLiteDatabase& store, float minX, float minY, float maxX, float maxY) {
    AddBox(store, minX, minY, maxX, maxY);
    return store.QueryInt64(
        "SELECT count(key) FROM ridx WHERE  maxx>=:minx AND minx<=:maxx AND maxy>=:miny AND miny<=:maxy");
}

void ExtractInBox(TSQLiteDatabase& store, bool& alert, Bytes& data, float minX, float minY, float maxX, float maxY) {
    data.clear();
    alert = false;
    AddBox(store, minX, minY, maxX, maxY);
    // Rows are deleted whenever any was found, even if every record was
    // empty, so that a taken point never stays behind.
    bool found = false;
    {
        const auto table = store.OpenQuery(
            "SELECT data, alert FROM poi WHERE key IN (SELECT key FROM ridx WHERE  maxx>=:minx AND minx<=:maxx AND "
            "maxy>=:miny AND miny<=:maxy)");
        while (!table->AtEnd()) {
            found = true;
            data += table->ColumnBytes(0);
            if (!alert) alert = table->ColumnInt64(1) == 1;
            table->Step();
        }
    }
    if (!found) return;
    AddBox(store, minX, minY, maxX, maxY);  // the query took the first queue
    store.Execute(
        "DELETE FROM poi WHERE key IN (SELECT key FROM ridx WHERE  maxx>=:minx AND minx<=:maxx AND maxy>=:miny AND "
        "miny<=:maxy)");
}

bool AnyLeftInBox(TSQLiteDatabase& store, float minX, float minY, float maxX, float maxY) {
    AddBox(store, minX, minY, maxX, maxY);
    // The index drives the search and each entry is looked up in poi by its
    // key, so the query stops at the first point still there.
    return store.QueryInt64(
               "SELECT 1 FROM ridx WHERE  maxx>=:minx AND minx<=:maxx AND maxy>=:miny AND miny<=:maxy AND "
               "EXISTS (SELECT 1 FROM poi WHERE poi.key = ridx.key) LIMIT 1") != 0;
}

}  // namespace kestro
