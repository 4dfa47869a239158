#pragma once
// One SQLite connection that runs statements with named parameters queued on
// the connection beforehand. The next statement that reaches binding takes
// the whole queue, whether it uses the parameters or not.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "store/SQLiteException.h"
#include "store/SQLiteParam.h"
#include "store/SQLiteStatement.h"

struct sqlite3;

namespace kestro {

class TSQLiteTable;

class TSQLiteDatabase {
public:
    // Receives every statement text that Execute or OpenQuery prepares and
    // one line per parameter bound.
    using TStatementTrace = std::function<void(TSQLiteDatabase& database, const std::string& line)>;

    // An empty file name opens a private temporary database that SQLite
    // deletes when the connection closes.
    explicit TSQLiteDatabase(const std::string& fileName);
    virtual ~TSQLiteDatabase();
    TSQLiteDatabase(const TSQLiteDatabase&) = delete;
    TSQLiteDatabase& operator=(const TSQLiteDatabase&) = delete;

    sqlite3* Handle() const noexcept { return handle_; }
    const std::vector<TSQliteParam>& Params() const noexcept { return params_; }
    TStatementTrace OnStatement;

    // Runs the first statement of sql once; a row it yields is discarded.
    void Execute(const std::string& sql);
    // The table stands on the first row, or at its end for an empty result.
    std::unique_ptr<TSQLiteTable> OpenQuery(const std::string& sql);
    // First column of the first row, 0 when there is no row.
    std::int64_t QueryInt64(const std::string& sql);
    std::int64_t LastRowId() const;
    // The largest text or blob, and row, the connection stores.
    std::uint64_t MaxValueBytes() const;

    // "SAVEPOINT name" with a savepoint, else "BEGIN" or "BEGIN <mode>".
    void StartTransaction(const std::string& savepoint = std::string(), const std::string& mode = std::string());
    // "RELEASE name" with a savepoint, else "COMMIT".
    void CommitTransaction(const std::string& savepoint = std::string());

    void AddIntParam(const std::string& name, std::int64_t value);
    void AddFloatParam(const std::string& name, double value);
    // Copies length bytes; none when length is 0 or less.
    void AddBlobParam(const std::string& name, const void* buffer, std::int32_t length);
    void AddBytesParam(const std::string& name, std::string bytes);
    // Queues any parameter, of any kind.
    void AddParam(TSQliteParam param);
    void ClearParams() noexcept;

    // Binds the whole queue by name and empties it, also when an error
    // leaves the binding.
    void BindParams(sqlite3_stmt* statement);

    // Raises ESQLiteException with the three-line message unless the
    // connection's last result is SQLITE_OK or SQLITE_DONE.
    static void CheckError(sqlite3* handle, const std::string& message, const std::string& sql);

    // A statement prepared at its first use and kept until the connection
    // closes, for the statements run once per point: no text to look up,
    // no queue to build. sql is a string literal; its address is the key.
    sqlite3_stmt* KeptStatement(const char* sql);
    // Raises ESQLiteException unless a bind's result is SQLITE_OK.
    static void CheckBind(int result, sqlite3_stmt* statement, const char* name);
    // Runs a kept statement once (a row it yields is discarded), then
    // resets it and clears its bindings; raises as Execute does.
    void StepKept(sqlite3_stmt* statement);
    // Steps a kept statement to its next row: true on a row; false at its
    // end, after which it is reset with its bindings cleared (as they are
    // when an error is raised). Its first step traces it as StepKept does.
    bool StepKeptRow(sqlite3_stmt* statement, bool first);

    // Keeps the prepared statements of Execute for reuse, keyed by their
    // text. On by default for a private temporary database, whose schema
    // no other connection can change; off for database files.
    void SetReuseStatements(bool reuse);
    bool ReuseStatements() const noexcept { return reuseStatements_; }

private:
    friend class TSQLiteTable;

    // Statements that may change the schema or end a transaction make every
    // kept statement go first.
    void ForgetReusableUnless(bool reusable) noexcept;
    // A kept statement, or a new one; reusable tells whether to keep it.
    TStatementPtr PrepareForExecute(const std::string& sql, bool& reusable);
    void KeepForReuse(const std::string& sql, TStatementPtr statement);
    void Close() noexcept;

    sqlite3* handle_ = nullptr;
    std::vector<TSQliteParam> params_;
    std::vector<TSQliteParam> spareParams_;  // an empty queue with room
    bool reuseStatements_ = false;
    std::unordered_map<std::string, TStatementPtr> reusable_;
    std::vector<std::pair<const char*, TStatementPtr>> kept_;
};

}  // namespace kestro
