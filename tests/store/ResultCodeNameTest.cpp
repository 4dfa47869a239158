#include <gtest/gtest.h>

#include <climits>

#include "store/SQLiteException.h"

namespace kestro {
namespace {

struct TNamedCode {
    std::int32_t Code;
    const char* Name;
};

TEST(ResultCodeNameTest, NamesPrimaryStepAndExtendedCodes) {
    const TNamedCode codes[] = {
        {0, "SQLITE_OK"},
        {5, "SQLITE_BUSY"},
        {14, "SQLITE_CANTOPEN"},
        {19, "SQLITE_CONSTRAINT"},
        {26, "SQLITE_NOTADB"},
        {100, "SQLITE_ROW"},
        {101, "SQLITE_DONE"},
        {261, "SQLITE_BUSY_RECOVERY"},
        {267, "SQLITE_CORRUPT_VTAB"},
        {516, "SQLITE_ABORT_ROLLBACK"},
        {3594, "SQLITE_IOERR_CHECKRESERVEDLOCK"},
        {5898, "SQLITE_IOERR_DELETE_NOENT"},
    };
    for (const auto& code : codes) EXPECT_EQ(ResultCodeName(code.Code), code.Name) << code.Code;
}

TEST(ResultCodeNameTest, OtherCodesAreQuotedInDecimal) {
    const TNamedCode codes[] = {
        {1555, "Unknown SQLite Error Code \"1555\""},  // SQLITE_CONSTRAINT_PRIMARYKEY
        {-1, "Unknown SQLite Error Code \"-1\""},
        {27, "Unknown SQLite Error Code \"27\""},
        {102, "Unknown SQLite Error Code \"102\""},
        {263, "Unknown SQLite Error Code \"263\""},
        {INT_MAX, "Unknown SQLite Error Code \"2147483647\""},
        {INT_MIN, "Unknown SQLite Error Code \"-2147483648\""},
    };
    for (const auto& code : codes) EXPECT_EQ(ResultCodeName(code.Code), code.Name);
}

}  // namespace
}  // namespace kestro
