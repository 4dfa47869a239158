#include <gtest/gtest.h>

#include <stdexcept>

#include "StoreTestSupport.h"
#include "store/SQLiteDatabase.h"
#include "store/SQLiteLibrary.h"
#include "store/SQLiteTransaction.h"

namespace kestro {
namespace {
using test::TTrace;

// A committed scope issues exactly BEGIN and COMMIT; a scope left by an
// error rolls back, and its rows are gone.
TEST(SQLiteTransaction, CommitsOrRollsBackWithItsScope) {
    const TSQLiteLibrary library;
    TSQLiteDatabase database{std::string()};
    database.Execute("CREATE TABLE t (v)");
    TTrace trace;
    trace.Attach(database);
    {
        TSQLiteTransaction transaction(database);
        database.Execute("INSERT INTO t VALUES (1)");
        transaction.Commit();
    }
    EXPECT_EQ(trace.Lines, (std::vector<std::string>{"BEGIN", "INSERT INTO t VALUES (1)", "COMMIT"}));

    trace.Lines.clear();
    EXPECT_THROW(
        {
            TSQLiteTransaction transaction(database);
            database.Execute("INSERT INTO t VALUES (2)");
            throw std::runtime_error("an error on its way");
        },
        std::runtime_error);
    EXPECT_EQ(trace.Lines, (std::vector<std::string>{"BEGIN", "INSERT INTO t VALUES (2)", "ROLLBACK"}));
    EXPECT_EQ(database.QueryInt64("SELECT COUNT(*) FROM t"), 1);
}

}  // namespace
}  // namespace kestro
