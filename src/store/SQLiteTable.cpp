#include "store/SQLiteTable.h"

#include <sqlite3.h>

#include <climits>

#include "store/SQLiteDatabase.h"

namespace kestro {

namespace {

std::string UpperAscii(const char* text) {
    std::string out = text ? text : "";
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

}  // namespace

TSQLiteTable::TSQLiteTable(TSQLiteDatabase& database, const std::string& sql) : database_(database), sql_(sql) {
    sqlite3* handle = database_.Handle();
    // A query of a private database is kept for the next table of the same
    // text, like the statements of Execute: the area tree asks thousands.
    statement_ = database_.PrepareForExecute(sql_, reusable_);
    if (!statement_) TSQLiteDatabase::CheckError(handle, "Could not prepare SQL statement", sql_);
    if (database_.OnStatement) database_.OnStatement(database_, sql_);
    columnCount_ = statement_ ? sqlite3_column_count(statement_.get()) : 0;
    for (int column = 0; column < columnCount_; ++column)
        columnNames_.push_back(UpperAscii(sqlite3_column_name(statement_.get(), column)));
    database_.BindParams(statement_.get());
    finished_ = !statement_;
    Step();
}

TSQLiteTable::~TSQLiteTable() {
    if (!reusable_ || !statement_) return;
    try {
        database_.KeepForReuse(sql_, std::move(statement_));
    } catch (...) {
        // not kept: finalized instead
    }
}

bool TSQLiteTable::Step() {
    atEnd_ = true;
    // Stepping a finished statement again would start it over.
    if (finished_) return false;
    const int result = sqlite3_step(statement_.get());
    if (result == SQLITE_ROW) {
        atEnd_ = false;
        if (rowCount_ < INT_MAX) ++rowCount_;
    } else {
        finished_ = true;
        if (result != SQLITE_DONE) {
            sqlite3_reset(statement_.get());
            TSQLiteDatabase::CheckError(database_.Handle(), "Could not retrieve data", sql_);
            RaiseSQLiteError("Could not retrieve data", result, sqlite3_errstr(result), sql_);
        }
    }
    return !atEnd_;
}

bool TSQLiteTable::HasColumn(int index) const noexcept {
    return statement_ && !atEnd_ && index >= 0 && index < columnCount_;
}

std::int64_t TSQLiteTable::ColumnInt64(int index) const {
    return HasColumn(index) ? sqlite3_column_int64(statement_.get(), index) : 0;
}

std::istringstream TSQLiteTable::ColumnStream(int index) const { return std::istringstream(ColumnBytes(index)); }

Bytes TSQLiteTable::ColumnBytes(int index) const {
    if (!HasColumn(index)) return Bytes();
    // The length first: asking for it may convert the value, and the data
    // pointer must be taken after that.
    const int length = sqlite3_column_bytes(statement_.get(), index);
    if (length <= 0) return Bytes();
    const void* data = sqlite3_column_blob(statement_.get(), index);
    if (!data) return Bytes();
    return Bytes(static_cast<const char*>(data), static_cast<std::size_t>(length));
}

}  // namespace kestro
