#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "StoreTestSupport.h"
#include "store/SQLiteDatabase.h"
#include "store/SQLiteTable.h"
#include "support/TestSupport.h"

namespace kestro {
namespace {

using test::MessageLines;
using test::TTrace;

// The message of the ESQLiteException that action raises.
std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const ESQLiteException& error) {
        EXPECT_STREQ(error.ClassName(), "ESQLiteException");
        return error.what();
    }
    ADD_FAILURE() << "no ESQLiteException";
    return std::string();
}

// Every behaviour must be the same whether Execute keeps its prepared
// statements or prepares each one afresh.
class SQLiteDatabaseTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        database.SetReuseStatements(GetParam());
        database.Execute("CREATE TABLE t (k INTEGER PRIMARY KEY, v, note TEXT)");
    }
    std::string TypeOfV(std::int64_t key) {
        database.AddIntParam(":k", key);
        const auto table = database.OpenQuery("SELECT typeof(v) FROM t WHERE k = :k");
        return table->ColumnBytes(0);
    }
    std::int64_t ValueOfV(std::int64_t key) {
        database.AddIntParam(":k", key);
        return database.QueryInt64("SELECT v FROM t WHERE k = :k");
    }

    TSQLiteDatabase database{std::string()};
};

INSTANTIATE_TEST_SUITE_P(Statements, SQLiteDatabaseTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Reused" : "Fresh"; });

TEST_P(SQLiteDatabaseTest, FailingStatementMessageHasThreeLinesAndKeepsPercent) {
    const std::string sql = "INSERT INTO t (k, note) VALUES (1, '100%')";
    database.Execute(sql);
    EXPECT_EQ(ErrorOf([&] { database.Execute(sql); }),
              "Error executing SQL statement\r\n"
              "Unknown SQLite Error Code \"1555\" [1555]: UNIQUE constraint failed: t.k\r\n"
              "INSERT INTO t (k, note) VALUES (1, '100%')");
    EXPECT_EQ(ErrorOf([&] { database.Execute("SELECT abs(-9223372036854775807 - 1) -- 5%d"); }),
              "Error executing SQL statement\r\nSQLITE_ERROR [1]: integer overflow\r\n"
              "SELECT abs(-9223372036854775807 - 1) -- 5%d");
}

TEST_P(SQLiteDatabaseTest, StatementThatDoesNotPrepareReportsTheSyntax) {
    EXPECT_EQ(ErrorOf([&] { database.Execute("SELEC 1"); }),
              "Error executing SQL\r\nSQLITE_ERROR [1]: near \"SELEC\": syntax error\r\nSELEC 1");
    EXPECT_EQ(ErrorOf([&] { database.OpenQuery("SELECT * FROM missing"); }),
              "Error executing SQL\r\nSQLITE_ERROR [1]: no such table: missing\r\nSELECT * FROM missing");
}

TEST_P(SQLiteDatabaseTest, ParametersStayQueuedWhenPreparationFails) {
    database.AddIntParam(":v", 5);
    ErrorOf([&] { database.Execute("INSERT INTO nowhere VALUES (:v)"); });
    EXPECT_EQ(database.Params().size(), 1u);
    database.Execute("INSERT INTO t (k, v) VALUES (1, :v)");
    EXPECT_EQ(ValueOfV(1), 5);
    EXPECT_TRUE(database.Params().empty());
}

TEST_P(SQLiteDatabaseTest, ParametersAreTakenEvenWhenTheStepFails) {
    database.Execute("INSERT INTO t (k) VALUES (1)");
    database.AddIntParam(":v", 9);
    ErrorOf([&] { database.Execute("INSERT INTO t (k, v) VALUES (1, :v)"); });
    EXPECT_TRUE(database.Params().empty());
    database.Execute("INSERT INTO t (k, v) VALUES (2, :v)");
    EXPECT_EQ(TypeOfV(2), "null");
}

TEST_P(SQLiteDatabaseTest, ParameterTheStatementLacksIsDroppedForGood) {
    database.AddIntParam(":v", 7);
    database.Execute("INSERT INTO t (k) VALUES (1)");
    EXPECT_TRUE(database.Params().empty());
    database.Execute("INSERT INTO t (k, v) VALUES (2, :v)");
    EXPECT_EQ(TypeOfV(2), "null");
}

TEST_P(SQLiteDatabaseTest, ParameterWithoutNameIsSkipped) {
    TTrace trace;
    trace.Attach(database);
    database.AddIntParam("", 3);
    database.AddIntParam(":v", 4);
    database.Execute("INSERT INTO t (k, v) VALUES (1, :v)");
    EXPECT_EQ(trace.Lines, (std::vector<std::string>{"INSERT INTO t (k, v) VALUES (1, :v)",
                                                     "Parameter: :v (INTEGER) = 4"}));
}

TEST_P(SQLiteDatabaseTest, RepeatedNameBindsTheLaterValue) {
    TTrace trace;
    trace.Attach(database);
    database.AddIntParam(":v", 1);
    database.AddIntParam(":v", 2);
    database.Execute("INSERT INTO t (k, v) VALUES (1, :v)");
    EXPECT_EQ(ValueOfV(1), 2);
    EXPECT_EQ(trace.Lines.at(1), "Parameter: :v (INTEGER) = 1");
    EXPECT_EQ(trace.Lines.at(2), "Parameter: :v (INTEGER) = 2");
}

TEST_P(SQLiteDatabaseTest, ZeroLengthBlobIsStoredAsBlobNotNull) {
    const char buffer[] = "abc";
    database.AddBlobParam(":v", buffer, 0);
    database.Execute("INSERT INTO t (k, v) VALUES (1, :v)");
    database.AddBlobParam(":v", buffer, -5);
    database.Execute("INSERT INTO t (k, v) VALUES (2, :v)");
    database.AddBytesParam(":v", "");
    database.Execute("INSERT INTO t (k, v) VALUES (3, :v)");
    for (std::int64_t key : {1, 2, 3}) {
        EXPECT_EQ(TypeOfV(key), "blob") << key;
        database.AddIntParam(":k", key);
        EXPECT_EQ(database.QueryInt64("SELECT length(v) FROM t WHERE k = :k"), 0);
        database.AddIntParam(":k", key);
        const auto table = database.OpenQuery("SELECT v FROM t WHERE k = :k");
        ASSERT_FALSE(table->AtEnd());
        EXPECT_EQ(table->ColumnBytes(0), "");
        std::istringstream stream = table->ColumnStream(0);
        EXPECT_EQ(stream.str(), "");
        EXPECT_EQ(stream.tellg(), 0);
    }
}

TEST_P(SQLiteDatabaseTest, BlobWithZeroBytesComesBackWhole) {
    const Bytes blob("\x00\x01\x00\xFF", 4);
    database.AddBytesParam(":v", blob);
    database.Execute("INSERT INTO t (k, v) VALUES (1, :v)");
    database.AddBlobParam(":v", blob.data(), 3);
    database.Execute("INSERT INTO t (k, v) VALUES (2, :v)");
    const auto table = database.OpenQuery("SELECT v FROM t ORDER BY k");
    EXPECT_EQ(table->ColumnBytes(0), blob);
    std::istringstream stream = table->ColumnStream(0);
    EXPECT_EQ(stream.tellg(), 0);
    EXPECT_EQ(stream.str(), blob);
    table->Step();
    EXPECT_EQ(table->ColumnBytes(0), blob.substr(0, 3));
}

TEST_P(SQLiteDatabaseTest, QueryInt64GivesFirstColumnOfFirstRowOrZero) {
    EXPECT_EQ(database.QueryInt64("SELECT k FROM t"), 0);
    database.Execute("INSERT INTO t (k, v) VALUES (4, 40)");
    database.Execute("INSERT INTO t (k, v) VALUES (5, 50)");
    EXPECT_EQ(database.QueryInt64("SELECT v, k FROM t ORDER BY k DESC"), 50);
    EXPECT_EQ(database.QueryInt64("SELECT v FROM t WHERE k > 100"), 0);
}

TEST_P(SQLiteDatabaseTest, ExecuteRunsOnlyTheFirstStatementAndDiscardsRows) {
    database.Execute("INSERT INTO t (k) VALUES (1); INSERT INTO t (k) VALUES (2)");
    EXPECT_EQ(database.QueryInt64("SELECT count(*) FROM t"), 1);
    database.Execute("SELECT k FROM t");
    database.Execute("SELECT k FROM t");
    EXPECT_EQ(database.LastRowId(), 1);
    database.Execute("INSERT INTO t (v) VALUES (0)");
    EXPECT_EQ(database.LastRowId(), 2);
}

TEST_P(SQLiteDatabaseTest, TextOfNoStatementRunsNothingAndDropsTheQueue) {
    TTrace trace;
    trace.Attach(database);
    database.AddIntParam(":v", 1);
    database.Execute("  -- nothing here");
    EXPECT_TRUE(database.Params().empty());
    database.AddIntParam(":v", 1);
    const auto table = database.OpenQuery("");
    EXPECT_TRUE(table->AtEnd());
    EXPECT_EQ(table->ColumnCount(), 0);
    EXPECT_EQ(table->RowCount(), 0);
    EXPECT_FALSE(table->Step());
    EXPECT_TRUE(database.Params().empty());
    EXPECT_EQ(trace.Lines, (std::vector<std::string>{"  -- nothing here", ""}));
}

TEST_P(SQLiteDatabaseTest, TableWalksRowsWithUpperCasedNames) {
    for (int key = 1; key <= 3; ++key) database.Execute("INSERT INTO t (k, v) VALUES (" + std::to_string(key) + ", 7)");
    const auto table = database.OpenQuery("SELECT k AS Key_1, v AS \"mixed Case\" FROM t ORDER BY k");
    EXPECT_EQ(table->ColumnCount(), 2);
    EXPECT_EQ(table->ColumnNames(), (std::vector<std::string>{"KEY_1", "MIXED CASE"}));
    std::vector<std::int64_t> keys;
    while (!table->AtEnd()) {
        keys.push_back(table->ColumnInt64(0));
        EXPECT_EQ(table->RowCount(), static_cast<int>(keys.size()));
        table->Step();
    }
    EXPECT_EQ(keys, (std::vector<std::int64_t>{1, 2, 3}));
    // A finished table stays at its end instead of running the query again.
    EXPECT_FALSE(table->Step());
    EXPECT_TRUE(table->AtEnd());
    EXPECT_EQ(table->RowCount(), 3);
    EXPECT_EQ(table->ColumnInt64(0), 0);
    EXPECT_EQ(table->ColumnBytes(1), "");
}

TEST_P(SQLiteDatabaseTest, RowThatCannotBeComputedRaisesCouldNotRetrieveData) {
    database.Execute("INSERT INTO t (k, v) VALUES (1, 1)");
    database.Execute("INSERT INTO t (k, v) VALUES (2, -9223372036854775807 - 1)");
    const std::string sql = "SELECT abs(v) FROM t ORDER BY k";
    const auto table = database.OpenQuery(sql);
    EXPECT_EQ(table->ColumnInt64(0), 1);
    EXPECT_EQ(ErrorOf([&] { table->Step(); }),
              "Could not retrieve data\r\nSQLITE_ERROR [1]: integer overflow\r\n" + sql);
    EXPECT_EQ(ErrorOf([&] { database.QueryInt64("SELECT abs(v) FROM t WHERE k = 2"); }),
              "Could not retrieve data\r\nSQLITE_ERROR [1]: integer overflow\r\nSELECT abs(v) FROM t WHERE k = 2");
}

TEST_P(SQLiteDatabaseTest, TraceShowsEveryKindOfParameter) {
    TTrace trace;
    trace.Attach(database);
    TSQliteParam text;
    text.ParamName = ":t";
    text.Kind = TSQliteParam::KindText;
    text.Bytes = "h%s llo";
    TSQliteParam null;
    null.ParamName = ":n";
    null.Kind = TSQliteParam::KindNull;
    TSQliteParam strange = null;
    strange.ParamName = ":s";
    strange.Kind = 9;
    strange.IntValue = 3;
    database.AddIntParam(":i", -42);
    database.AddFloatParam(":f", 0.1);
    database.AddParam(text);
    database.AddBytesParam(":b", "xyz");
    database.AddParam(null);
    database.AddParam(strange);
    const std::string sql = "SELECT :i, :f, :t, :b, :n, :s";
    const auto table = database.OpenQuery(sql);
    EXPECT_EQ(trace.Lines, (std::vector<std::string>{sql, "Parameter: :i (INTEGER) = -42",
                                                     "Parameter: :f (FLOAT) = 0.1", "Parameter: :t (TEXT) = h%s llo",
                                                     "Parameter: :b (BLOB) = BLOB", "Parameter: :n (NULL) = NULL",
                                                     "Parameter: :s (NULL) = NULL"}));
    EXPECT_EQ(table->ColumnInt64(0), -42);
    EXPECT_EQ(table->ColumnBytes(2), "h%s llo");
    EXPECT_EQ(table->ColumnBytes(3), "xyz");
    EXPECT_EQ(table->ColumnBytes(4), "");
    EXPECT_EQ(table->ColumnBytes(5), "");  // an unknown kind binds nothing
}

TEST_P(SQLiteDatabaseTest, EveryCallIsTracedEvenWhenItsStatementIsKept) {
    TTrace trace;
    trace.Attach(database);
    for (int key = 1; key <= 2; ++key) {
        database.AddIntParam(":k", key);
        database.Execute("INSERT INTO t (k) VALUES (:k)");
    }
    EXPECT_EQ(trace.Lines,
              (std::vector<std::string>{"INSERT INTO t (k) VALUES (:k)", "Parameter: :k (INTEGER) = 1",
                                        "INSERT INTO t (k) VALUES (:k)", "Parameter: :k (INTEGER) = 2"}));
    EXPECT_EQ(database.QueryInt64("SELECT count(*) FROM t"), 2);
}

TEST_P(SQLiteDatabaseTest, KeptStatementStartsWithoutTheLastValues) {
    database.AddIntParam(":v", 1);
    database.Execute("INSERT INTO t (v) VALUES (:v)");
    database.Execute("INSERT INTO t (v) VALUES (:v)");
    EXPECT_EQ(TypeOfV(2), "null");
}

TEST_P(SQLiteDatabaseTest, DroppedTableIsReportedWhenTheStatementIsPrepared) {
    const std::string sql = "INSERT INTO u (v) VALUES (:v)";
    database.Execute("CREATE TABLE u (v)");
    database.Execute(sql);
    database.Execute("DROP TABLE u");
    database.AddIntParam(":v", 1);
    EXPECT_EQ(ErrorOf([&] { database.Execute(sql); }),
              "Error executing SQL\r\nSQLITE_ERROR [1]: no such table: u\r\n" + sql);
    EXPECT_EQ(database.Params().size(), 1u);
}

TEST_P(SQLiteDatabaseTest, RolledBackTableIsReportedWhenTheStatementIsPrepared) {
    const std::string sql = "INSERT INTO u (v) VALUES (1)";
    database.StartTransaction();
    database.Execute("CREATE TABLE u (v)");
    database.Execute(sql);
    database.Execute("ROLLBACK");
    EXPECT_EQ(ErrorOf([&] { database.Execute(sql); }),
              "Error executing SQL\r\nSQLITE_ERROR [1]: no such table: u\r\n" + sql);
}

TEST_P(SQLiteDatabaseTest, TransactionStatements) {
    struct TCase {
        const char* Savepoint;
        const char* Mode;
        const char* Start;
        const char* Commit;
    };
    TTrace trace;
    trace.Attach(database);
    for (const TCase& c : std::initializer_list<TCase>{{"", "", "BEGIN", "COMMIT"},
                                                      {"", "IMMEDIATE", "BEGIN IMMEDIATE", "COMMIT"},
                                                      {"sp1", "EXCLUSIVE", "SAVEPOINT sp1", "RELEASE sp1"},
                                                      {"sp2", "", "SAVEPOINT sp2", "RELEASE sp2"}}) {
        trace.Lines.clear();
        database.StartTransaction(c.Savepoint, c.Mode);
        database.Execute("INSERT INTO t (v) VALUES (1)");
        database.CommitTransaction(c.Savepoint);
        EXPECT_EQ(trace.Lines,
                  (std::vector<std::string>{c.Start, "INSERT INTO t (v) VALUES (1)", c.Commit}));
    }
    EXPECT_EQ(database.QueryInt64("SELECT count(*) FROM t"), 4);
    // No transaction state of its own: a COMMIT without BEGIN is SQLite's error.
    EXPECT_EQ(MessageLines(ErrorOf([&] { database.CommitTransaction(); })).at(2), "COMMIT");
}

TEST(SQLiteOpenTest, UnopenableFileNamesItOnTheThirdLine) {
    test::TempDir folder;
    const std::string fileName = (folder / "missing" / "store.db").string();
    const auto lines = MessageLines(ErrorOf([&] { TSQLiteDatabase database(fileName); }));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Failed to open database");
    EXPECT_EQ(lines[1], "SQLITE_CANTOPEN [14]: unable to open database file");
    EXPECT_EQ(lines[2], fileName);
}

TEST(SQLiteOpenTest, FileDatabaseKeepsItsDataAndNoStatements) {
    test::TempDir folder;
    const std::string fileName = (folder / "store.db").string();
    {
        TSQLiteDatabase database(fileName);
        EXPECT_FALSE(database.ReuseStatements());
        database.Execute("CREATE TABLE t (v)");
        database.Execute("INSERT INTO t VALUES (3)");
    }
    TSQLiteDatabase again(fileName);
    EXPECT_EQ(again.QueryInt64("SELECT v FROM t"), 3);
    EXPECT_TRUE(TSQLiteDatabase(std::string()).ReuseStatements());
}

}  // namespace
}  // namespace kestro
