#include <gtest/gtest.h>

#include <algorithm>

#include "StoreTestSupport.h"
#include "store/GpiDB.h"
#include "store/SQLiteTable.h"

namespace kestro {
namespace {

using test::TTrace;

const std::string CountSql =
    "SELECT count(*) FROM ridx WHERE  maxx>=:minx AND minx<=:maxx AND maxy>=:miny AND miny<=:maxy";
const std::string SelectSql =
    "SELECT data, alert FROM poi WHERE key IN (SELECT key FROM ridx WHERE  maxx>=:minx AND minx<=:maxx AND "
    "maxy>=:miny AND miny<=:maxy)";
const std::string DeleteSql =
    "DELETE FROM poi WHERE key IN (SELECT key FROM ridx WHERE  maxx>=:minx AND minx<=:maxx AND maxy>=:miny AND "
    "miny<=:maxy)";

struct TExtracted {
    bool Alert = true;
    Bytes Data;
};

class GpiDBTest : public ::testing::Test {
protected:
    TExtracted Extract(float minX, float minY, float maxX, float maxY) {
        TExtracted out;
        out.Data = "stale";
        ExtractInBox(*store, out.Alert, out.Data, minX, minY, maxX, maxY);
        return out;
    }
    std::int64_t Count(float minX, float minY, float maxX, float maxY) {
        return CountInBox(*store, minX, minY, maxX, maxY);
    }
    std::int64_t Rows() { return store->QueryInt64("SELECT count(*) FROM poi"); }

    std::unique_ptr<TSQLiteDatabase> store = CreatePoiStore();
};

TEST_F(GpiDBTest, StoreHoldsExactlyThePointTableAndItsIndex) {
    const auto table = store->OpenQuery("SELECT name, sql FROM sqlite_master WHERE type IN ('table') ORDER BY rowid");
    std::vector<std::string> tables;
    while (!table->AtEnd()) {
        tables.push_back(table->ColumnBytes(0) + ": " + table->ColumnBytes(1));
        table->Step();
    }
    ASSERT_GE(tables.size(), 2u);
    EXPECT_EQ(tables[0], "poi: CREATE TABLE poi (key INTEGER PRIMARY KEY, data BLOB, alert INTEGER)");
    EXPECT_EQ(tables[1], "ridx: CREATE VIRTUAL TABLE ridx USING rtree(key, minX, maxX, minY, maxY)");
    // The rest are the R-tree's own shadow tables.
    for (std::size_t i = 2; i < tables.size(); ++i) EXPECT_EQ(tables[i].rfind("ridx_", 0), 0u) << tables[i];
}

TEST_F(GpiDBTest, InsertBindsSinglePrecisionWidenedWithTheEntrySizeAddedInDouble) {
    TTrace trace;
    trace.Attach(*store);
    InsertPoi(*store, "rec", true, 52.1f, 4.3f);
    InsertPoi(*store, "", false, 10.0f, 1.0f);
    // Printed with 15 digits: 52.1 widened from single precision is
    // 52.0999984741211, and the empty record is an empty blob, not NULL.
    EXPECT_EQ(trace.Lines,
              (std::vector<std::string>{
                  "INSERT INTO poi (data, alert) VALUES (x'726563', 1)",
                  "INSERT INTO ridx VALUES(1, 52.0999984741211, 52.1000084741211, 4.30000019073486, 4.30001019073486)",
                  "INSERT INTO poi (data, alert) VALUES (x'', 0)",
                  "INSERT INTO ridx VALUES(2, 10.0, 10.00001, 1.0, 1.00001)",
              }));
    EXPECT_EQ(store->QueryInt64("SELECT alert FROM poi WHERE key = 1"), 1);
    EXPECT_EQ(store->QueryInt64("SELECT typeof(data) = 'blob' FROM poi WHERE key = 2"), 1);
}

TEST_F(GpiDBTest, QueriesUseTheirStatementsExactly) {
    InsertPoi(*store, "a", false, 1.0f, 1.0f);
    TTrace trace;
    trace.Attach(*store);
    Count(0.5f, 0.5f, 2.0f, 2.0f);
    Extract(0.5f, 0.5f, 2.0f, 2.0f);
    const std::vector<std::string> box{"Parameter: :minx (FLOAT) = 0.5", "Parameter: :maxx (FLOAT) = 2",
                                       "Parameter: :miny (FLOAT) = 0.5", "Parameter: :maxy (FLOAT) = 2"};
    std::vector<std::string> expected{CountSql};
    for (const std::string& sql : {SelectSql, DeleteSql}) {
        expected.insert(expected.end(), box.begin(), box.end());
        expected.push_back(sql);
    }
    expected.insert(expected.end(), box.begin(), box.end());
    EXPECT_EQ(trace.Lines, expected);
}

TEST_F(GpiDBTest, BoxWithoutPointsCountsNothingAndDeletesNothing) {
    InsertPoi(*store, "a", true, 10.0f, 10.0f);
    TTrace trace;
    trace.Attach(*store);
    struct TBox {
        float MinX, MinY, MaxX, MaxY;
    };
    for (const TBox& box : {TBox{0, 0, 5, 5}, TBox{3, 3, 3, 3}, TBox{11, 9, 12, 11}, TBox{8, 8, 9.99f, 9.99f}}) {
        EXPECT_EQ(Count(box.MinX, box.MinY, box.MaxX, box.MaxY), 0);
        const TExtracted out = Extract(box.MinX, box.MinY, box.MaxX, box.MaxY);
        EXPECT_EQ(out.Data, "");
        EXPECT_FALSE(out.Alert);
    }
    for (const std::string& line : trace.Lines) EXPECT_NE(line, DeleteSql);
    EXPECT_EQ(Rows(), 1);
}

TEST_F(GpiDBTest, BorderPointMatchesBothBoxesAndComesOutOnce) {
    InsertPoi(*store, "border", false, 5.0f, 1.0f);
    EXPECT_EQ(Count(0, 0, 5, 2), 1);
    EXPECT_EQ(Count(5, 0, 10, 2), 1);
    EXPECT_EQ(Extract(0, 0, 5, 2).Data, "border");
    EXPECT_EQ(Count(5, 0, 10, 2), 1);
    const TExtracted second = Extract(5, 0, 10, 2);
    EXPECT_EQ(second.Data, "");
    EXPECT_FALSE(second.Alert);
}

TEST_F(GpiDBTest, PointJustBelowTheSouthOrWestEdgeBelongsToTheBox) {
    struct TCase {
        float X, Y;
        bool Inside;
    };
    // Box from (10, 20) to (11, 21).
    for (const TCase& c : {TCase{9.999995f, 20.5f, true}, TCase{10.5f, 19.999995f, true},
                           TCase{9.99998f, 20.5f, false}, TCase{10.5f, 19.99998f, false},
                           TCase{11.000005f, 20.5f, false}, TCase{11.0f, 21.0f, true}}) {
        const auto local = CreatePoiStore();
        InsertPoi(*local, "p", false, c.X, c.Y);
        EXPECT_EQ(CountInBox(*local, 10, 20, 11, 21), c.Inside ? 1 : 0) << c.X << " " << c.Y;
        bool alert = true;
        Bytes data;
        ExtractInBox(*local, alert, data, 10, 20, 11, 21);
        EXPECT_EQ(data, c.Inside ? "p" : "") << c.X << " " << c.Y;
    }
}

TEST_F(GpiDBTest, CountsDoNotChangeWhenPointsAreTaken) {
    InsertPoi(*store, "a", false, 1, 1);
    InsertPoi(*store, "b", false, 2, 2);
    InsertPoi(*store, "c", false, 8, 8);
    EXPECT_EQ(Count(0, 0, 3, 3), 2);
    EXPECT_EQ(Extract(0, 0, 3, 3).Data.size(), 2u);
    EXPECT_EQ(Count(0, 0, 3, 3), 2);
    EXPECT_EQ(Count(0, 0, 10, 10), 3);
    EXPECT_EQ(Rows(), 1);
    EXPECT_EQ(Extract(0, 0, 10, 10).Data, "c");
    EXPECT_EQ(Count(0, 0, 10, 10), 3);
}

TEST_F(GpiDBTest, TwoPointsAtOnePositionHaveTwoKeysAndComeOutTogether) {
    InsertPoi(*store, "one", false, 3, 4);
    EXPECT_EQ(store->LastRowId(), 1);
    InsertPoi(*store, "two", false, 3, 4);
    EXPECT_EQ(store->LastRowId(), 2);
    EXPECT_EQ(store->QueryInt64("SELECT count(*) FROM ridx WHERE key IN (1, 2)"), 2);
    EXPECT_EQ(Count(3, 4, 3, 4), 2);
    Bytes data = Extract(3, 4, 3, 4).Data;
    std::sort(data.begin(), data.end());
    Bytes expected = "onetwo";
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(data, expected);
}

TEST_F(GpiDBTest, AlertIsSetWhenAnyTakenPointHasOne) {
    struct TCase {
        std::vector<bool> Alerts;
        bool Expected;
    };
    for (const TCase& c : {TCase{{false, false, false}, false}, TCase{{true, false, false}, true},
                           TCase{{false, true, false}, true}, TCase{{false, false, true}, true},
                           TCase{{true, true, true}, true}}) {
        const auto local = CreatePoiStore();
        for (bool alert : c.Alerts) InsertPoi(*local, "p", alert, 1, 1);
        bool alert = !c.Expected;
        Bytes data;
        ExtractInBox(*local, alert, data, 0, 0, 2, 2);
        EXPECT_EQ(alert, c.Expected);
        EXPECT_EQ(data, "ppp");
    }
}

TEST_F(GpiDBTest, WholeBoxGivesEveryRecordOnce) {
    std::vector<Bytes> records;
    for (int i = 0; i < 50; ++i) {
        records.push_back("<" + std::to_string(i) + ">");
        InsertPoi(*store, records.back(), false, static_cast<float>(i % 7), static_cast<float>(i / 7));
    }
    const Bytes data = Extract(0, 0, 6, 7).Data;
    std::size_t total = 0;
    for (const Bytes& record : records) {
        EXPECT_NE(data.find(record), std::string::npos) << record;
        total += record.size();
    }
    EXPECT_EQ(data.size(), total);
    EXPECT_EQ(Rows(), 0);
    EXPECT_EQ(Extract(0, 0, 6, 7).Data, "");
}

TEST_F(GpiDBTest, AnyLeftInBoxSeesOnlyPointsNotYetTaken) {
    InsertPoi(*store, "a", false, 1, 1);
    InsertPoi(*store, "b", false, 5, 5);
    EXPECT_TRUE(AnyLeftInBox(*store, 0, 0, 2, 2));
    EXPECT_FALSE(AnyLeftInBox(*store, 2, 2, 3, 3));
    Extract(0, 0, 2, 2);
    EXPECT_FALSE(AnyLeftInBox(*store, 0, 0, 2, 2));
    EXPECT_TRUE(AnyLeftInBox(*store, 0, 0, 9, 9));
    EXPECT_EQ(Count(0, 0, 2, 2), 1);
}

TEST_F(GpiDBTest, PointWithEmptyRecordIsTakenToo) {
    InsertPoi(*store, "", true, 1, 1);
    const TExtracted out = Extract(0, 0, 2, 2);
    EXPECT_EQ(out.Data, "");
    EXPECT_TRUE(out.Alert);
    EXPECT_EQ(Rows(), 0);
    EXPECT_FALSE(AnyLeftInBox(*store, 0, 0, 2, 2));
}

// The area tree's way: points stay stored and the taken set tells which
// were written, so every point comes out once, in the order stored.
TEST_F(GpiDBTest, TakeInBoxGivesEachPointOnceInStoredOrderAndLeavesTheRows) {
    InsertPoi(*store, "c", false, 1, 1);
    InsertPoi(*store, "a", true, 5, 5);
    InsertPoi(*store, "b", false, 1.5f, 1.5f);
    InsertPoi(*store, "border", false, 2, 1);  // touches both boxes below
    TTakenPoints taken;
    Bytes data = "head:";  // appended to, not replaced
    bool alert = false;
    TakeInBox(*store, taken, alert, data, 0, 0, 2, 2);
    EXPECT_EQ(data, "head:cbborder");
    EXPECT_FALSE(alert);
    EXPECT_EQ(Count(0, 0, 2, 2), 3);
    EXPECT_EQ(Rows(), 4);
    data.clear();
    TakeInBox(*store, taken, alert, data, 2, 0, 9, 9);
    EXPECT_EQ(data, "a");
    EXPECT_TRUE(alert);
    data.clear();
    alert = false;
    TakeInBox(*store, taken, alert, data, 0, 0, 9, 9);
    EXPECT_EQ(data, "");
    EXPECT_FALSE(alert) << "an alert of a point taken before counts no more";
    for (std::int64_t key = 1; key <= 4; ++key) EXPECT_TRUE(taken.Contains(key)) << key;
    EXPECT_FALSE(taken.Contains(5));
    EXPECT_FALSE(taken.Contains(-1));
}

TEST_F(GpiDBTest, AnyLeftInBoxWithTakenSetSeesOnlyPointsNotTaken) {
    for (int i = 0; i < 3; ++i) InsertPoi(*store, "p", false, 1, 1);
    InsertPoi(*store, "q", false, 5, 5);
    TTakenPoints taken;
    // Stops at the first of three points: the query is left for the next use.
    EXPECT_TRUE(AnyLeftInBox(*store, taken, 0, 0, 2, 2));
    EXPECT_FALSE(AnyLeftInBox(*store, taken, 2, 2, 3, 3));
    bool alert = false;
    Bytes data;
    TakeInBox(*store, taken, alert, data, 0, 0, 2, 2);
    EXPECT_EQ(data, "ppp");
    EXPECT_FALSE(AnyLeftInBox(*store, taken, 0, 0, 2, 2));
    EXPECT_TRUE(AnyLeftInBox(*store, taken, 0, 0, 9, 9));
    TakeInBox(*store, taken, alert, data, 0, 0, 9, 9);
    EXPECT_FALSE(AnyLeftInBox(*store, taken, 0, 0, 9, 9));
}

TEST_F(GpiDBTest, TakeInBoxTracesItsQueryWithTheBox) {
    InsertPoi(*store, "a", false, 1.0f, 1.0f);
    TTrace trace;
    trace.Attach(*store);
    TTakenPoints taken;
    bool alert = false;
    Bytes data;
    TakeInBox(*store, taken, alert, data, 0.5f, 0.5f, 2.0f, 2.0f);
    EXPECT_EQ(trace.Lines, (std::vector<std::string>{
                               "SELECT key, data, alert FROM poi WHERE key IN (SELECT key FROM ridx WHERE  maxx>=0.5 AND "
                               "minx<=2.0 AND maxy>=0.5 AND miny<=2.0)"}));
}

}  // namespace
}  // namespace kestro
