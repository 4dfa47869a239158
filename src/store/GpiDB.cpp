#include "store/GpiDB.h"

#include <sqlite3.h>

#include <algorithm>
#include <string>

#include "sources/AreaRules.h"
#include "store/SQLiteTable.h"

namespace kestro {

namespace {

// Size of a point's index entry, north and east of the point.
// Page cache of a store whose source size is not known: 64 MiB.
constexpr std::uint64_t MinCacheKiB = 65536;

// Run once per point, so kept prepared (TSQLiteDatabase::KeptStatement).
const char* const InsertPointSql = "INSERT INTO poi (data, alert) VALUES (?1, ?2)";
const char* const InsertEntrySql = "INSERT INTO ridx VALUES(?1, ?2, ?3, ?4, ?5)";
// Run once per area, so kept too. The IN list gives the rows in key order.
const char* const TakeSql =
    "SELECT key, data, alert FROM poi WHERE key IN (SELECT key FROM ridx WHERE  maxx>=?1 AND minx<=?2 AND "
    "maxy>=?3 AND miny<=?4)";
const char* const KeysInBoxSql = "SELECT key FROM ridx WHERE  maxx>=?1 AND minx<=?2 AND maxy>=?3 AND miny<=?4";

// A kept query bound to a box, stepped row by row; left reset and unbound
// however the caller leaves it.
class TBoxQuery {
public:
    TBoxQuery(TSQLiteDatabase& store, const char* sql, float minX, float minY, float maxX, float maxY)
        : store_(store), statement_(store.KeptStatement(sql)) {
        Bind(1, minX, "minx");
        Bind(2, maxX, "maxx");
        Bind(3, minY, "miny");
        Bind(4, maxY, "maxy");
    }
    ~TBoxQuery() {
        if (!done_) {
            sqlite3_reset(statement_);
            sqlite3_clear_bindings(statement_);
        }
    }
    TBoxQuery(const TBoxQuery&) = delete;
    TBoxQuery& operator=(const TBoxQuery&) = delete;

    bool Next() {
        const bool first = !started_;
        started_ = true;
        done_ = true;  // a failed step has reset it already
        done_ = !store_.StepKeptRow(statement_, first);
        return !done_;
    }
    sqlite3_stmt* Statement() const noexcept { return statement_; }

private:
    void Bind(int index, float value, const char* name) {
        const int result = sqlite3_bind_double(statement_, index, value);
        if (result != SQLITE_OK) {
            sqlite3_clear_bindings(statement_);
            TSQLiteDatabase::CheckBind(result, statement_, name);
        }
    }

    TSQLiteDatabase& store_;
    sqlite3_stmt* statement_;
    bool started_ = false;
    bool done_ = false;
};

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
    // Bound in place, not copied: the record lives until the row is written.
    sqlite3_stmt* const point = store.KeptStatement(InsertPointSql);
    TSQLiteDatabase::CheckBind(sqlite3_bind_blob64(point, 1, data.data(), data.size(), SQLITE_STATIC), point, "data");
    TSQLiteDatabase::CheckBind(sqlite3_bind_int(point, 2, alert ? 1 : 0), point, "alert");
    store.StepKept(point);
    sqlite3_stmt* const entry = store.KeptStatement(InsertEntrySql);
    TSQLiteDatabase::CheckBind(sqlite3_bind_int64(entry, 1, store.LastRowId()), entry, "key");
    TSQLiteDatabase::CheckBind(sqlite3_bind_double(entry, 2, x), entry, "minX");
    TSQLiteDatabase::CheckBind(sqlite3_bind_double(entry, 3, static_cast<double>(x) + StoreEntrySize), entry, "maxX");
    TSQLiteDatabase::CheckBind(sqlite3_bind_double(entry, 4, y), entry, "minY");
    TSQLiteDatabase::CheckBind(sqlite3_bind_double(entry, 5, static_cast<double>(y) + StoreEntrySize), entry, "maxY");
    store.StepKept(entry);
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
        "SELECT count(*) FROM ridx WHERE  maxx>=:minx AND minx<=:maxx AND maxy>=:miny AND miny<=:maxy");
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

void TTakenPoints::Add(std::int64_t key) {
    if (key < 0) return;
    const auto at = static_cast<std::size_t>(key);
    // Keys grow by one per point: doubling keeps the growth cheap.
    if (at >= taken_.size()) taken_.resize(std::max<std::size_t>(at + 1, taken_.size() * 2));
    taken_[at] = true;
}

void TakeInBox(TSQLiteDatabase& store, TTakenPoints& taken, bool& alert, Bytes& data, float minX, float minY,
               float maxX, float maxY) {
    TBoxQuery query(store, TakeSql, minX, minY, maxX, maxY);
    sqlite3_stmt* const statement = query.Statement();
    while (query.Next()) {
        const std::int64_t key = sqlite3_column_int64(statement, 0);
        if (taken.Contains(key)) continue;
        taken.Add(key);
        // The length first: asking for it may convert the value.
        const int length = sqlite3_column_bytes(statement, 1);
        if (length > 0) {
            const void* record = sqlite3_column_blob(statement, 1);
            if (!record) RaiseSQLiteError("Could not retrieve data", SQLITE_NOMEM, sqlite3_errstr(SQLITE_NOMEM), TakeSql);
            data.append(static_cast<const char*>(record), static_cast<std::size_t>(length));
        }
        if (!alert) alert = sqlite3_column_int64(statement, 2) == 1;
    }
}

bool AnyLeftInBox(TSQLiteDatabase& store, const TTakenPoints& taken, float minX, float minY, float maxX, float maxY) {
    TBoxQuery query(store, KeysInBoxSql, minX, minY, maxX, maxY);
    while (query.Next())
        if (!taken.Contains(sqlite3_column_int64(query.Statement(), 0))) return true;
    return false;
}

}  // namespace kestro
