#pragma once
// The rows of one query, walked forward with Step().
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Bytes.h"
#include "store/SQLiteStatement.h"

namespace kestro {

class TSQLiteDatabase;

class TSQLiteTable {
public:
    // Prepares sql, binds the parameters queued on database and fetches the
    // first row. The database must outlive the table.
    TSQLiteTable(TSQLiteDatabase& database, const std::string& sql);
    virtual ~TSQLiteTable();
    TSQLiteTable(const TSQLiteTable&) = delete;
    TSQLiteTable& operator=(const TSQLiteTable&) = delete;

    // True when a new row is current.
    bool Step();

    // Columns of the current row, 0-based; without a current row or for an
    // index out of range they read as NULL (0, empty).
    std::int64_t ColumnInt64(int index) const;
    std::istringstream ColumnStream(int index) const;
    Bytes ColumnBytes(int index) const;

    int ColumnCount() const noexcept { return columnCount_; }
    // Upper-cased result column names, in column order.
    const std::vector<std::string>& ColumnNames() const noexcept { return columnNames_; }
    int RowCount() const noexcept { return rowCount_; }
    bool AtEnd() const noexcept { return atEnd_; }
    const std::string& Sql() const noexcept { return sql_; }
    TSQLiteDatabase& Database() const noexcept { return database_; }

private:
    bool HasColumn(int index) const noexcept;

    TSQLiteDatabase& database_;
    std::string sql_;
    TStatementPtr statement_;
    bool finished_ = false;  // the statement ran to its end
    bool reusable_ = false;  // the statement goes back to the database
    int columnCount_ = 0;
    std::vector<std::string> columnNames_;
    int rowCount_ = 0;
    bool atEnd_ = false;
};

}  // namespace kestro
