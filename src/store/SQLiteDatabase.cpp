#include "store/SQLiteDatabase.h"

#include <sqlite3.h>

#include <chrono>
#include <thread>

#include "platform/NumberFormat.h"
#include "store/SQLiteTable.h"

namespace kestro {

namespace {

const char* const UnknownErrorDescription = "Unknown error description";

std::string TextOrUnknown(const char* text) { return text ? std::string(text) : std::string(UnknownErrorDescription); }

std::string TraceLine(const TSQliteParam& param) {
    std::string type = "NULL";
    std::string value = "NULL";
    switch (param.Kind) {
    case TSQliteParam::KindInteger:
        type = "INTEGER";
        value = std::to_string(param.IntValue);
        break;
    case TSQliteParam::KindFloat:
        type = "FLOAT";
        value = ShortestNumberText(param.FloatValue);
        break;
    case TSQliteParam::KindText:
        type = "TEXT";
        value = param.Bytes;
        break;
    case TSQliteParam::KindBlob:
        type = "BLOB";
        value = "BLOB";
        break;
    default:
        break;
    }
    return "Parameter: " + param.ParamName + " (" + type + ") = " + value;
}

// A failure whose code the connection did not keep is still a failure.
[[noreturn]] void RaiseResult(int resultCode, const std::string& message, const std::string& sql) {
    RaiseSQLiteError(message, resultCode, TextOrUnknown(sqlite3_errstr(resultCode)), sql);
}

constexpr int CloseAttemptPauseMs = 100;
constexpr int CloseGiveUpMs = 5000;

}  // namespace

TSQLiteDatabase::TSQLiteDatabase(const std::string& fileName) {
    sqlite3* handle = nullptr;
    const int result = sqlite3_open(fileName.c_str(), &handle);
    if (result != SQLITE_OK) {
        const std::string message = "Failed to open database";
        if (!handle) RaiseResult(result, message, fileName);
        const int code = sqlite3_extended_errcode(handle);
        const std::string text = TextOrUnknown(sqlite3_errmsg(handle));
        sqlite3_close(handle);
        if (code != SQLITE_OK && code != SQLITE_DONE) RaiseSQLiteError(message, code, text, fileName);
        RaiseResult(result, message, fileName);
    }
    handle_ = handle;
    // Nobody else can reach a private database, so only our own statements
    // can change the schema under a kept statement.
    reuseStatements_ = fileName.empty() || fileName == ":memory:";
}

TSQLiteDatabase::~TSQLiteDatabase() {
    Close();
    ClearParams();
}

void TSQLiteDatabase::Close() noexcept {
    reusable_.clear();
    kept_.clear();
    if (!handle_) return;
    int failedAttempts = 0;
    while (sqlite3_close(handle_) != SQLITE_OK) {
        ++failedAttempts;
        std::this_thread::sleep_for(std::chrono::milliseconds(CloseAttemptPauseMs));
        if (failedAttempts * CloseAttemptPauseMs >= CloseGiveUpMs) break;  // left open, unreported
    }
    handle_ = nullptr;
}

void TSQLiteDatabase::SetReuseStatements(bool reuse) {
    reuseStatements_ = reuse;
    if (!reuse) reusable_.clear();
}

void TSQLiteDatabase::ForgetReusableUnless(bool reusable) noexcept {
    if (!reusable) reusable_.clear();
}

TStatementPtr TSQLiteDatabase::PrepareForExecute(const std::string& sql, bool& reusable) {
    // Only plain statements are kept, so a kept one needs no second look;
    // its slot stays in the map for its return.
    if (reuseStatements_) {
        const auto kept = reusable_.find(sql);
        if (kept != reusable_.end() && kept->second) {
            reusable = true;
            return std::move(kept->second);
        }
    }
    reusable = reuseStatements_ && IsPlainDataStatement(sql);
    ForgetReusableUnless(reusable);
    sqlite3_stmt* raw = nullptr;
    const int result = sqlite3_prepare_v2(handle_, sql.c_str(), -1, &raw, nullptr);
    TStatementPtr statement(raw);
    if (result != SQLITE_OK) {
        CheckError(handle_, "Error executing SQL", sql);
        RaiseResult(result, "Error executing SQL", sql);
    }
    return statement;
}

void TSQLiteDatabase::KeepForReuse(const std::string& sql, TStatementPtr statement) {
    // A statement that cannot be reset is finalized, not kept.
    if (sqlite3_reset(statement.get()) != SQLITE_OK || sqlite3_clear_bindings(statement.get()) != SQLITE_OK) return;
    const auto slot = reusable_.find(sql);
    if (slot == reusable_.end())
        reusable_.try_emplace(sql, std::move(statement));
    else if (!slot->second)
        slot->second = std::move(statement);
}

void TSQLiteDatabase::Execute(const std::string& sql) {
    bool reusable = false;
    TStatementPtr statement = PrepareForExecute(sql, reusable);
    if (!statement) CheckError(handle_, "Could not prepare SQL statement", sql);
    if (OnStatement) OnStatement(*this, sql);
    BindParams(statement.get());
    if (!statement) return;  // blanks or comments only: nothing to run
    const int result = sqlite3_step(statement.get());
    if (result != SQLITE_ROW && result != SQLITE_DONE) {
        sqlite3_reset(statement.get());
        CheckError(handle_, "Error executing SQL statement", sql);
        RaiseResult(result, "Error executing SQL statement", sql);
    }
    if (reusable) KeepForReuse(sql, std::move(statement));
}

sqlite3_stmt* TSQLiteDatabase::KeptStatement(const char* sql) {
    for (const auto& [text, statement] : kept_)
        if (text == sql) return statement.get();
    sqlite3_stmt* raw = nullptr;
    const int result = sqlite3_prepare_v2(handle_, sql, -1, &raw, nullptr);
    TStatementPtr statement(raw);
    if (result != SQLITE_OK || !statement) {
        CheckError(handle_, "Error executing SQL", sql);
        RaiseResult(result == SQLITE_OK ? SQLITE_MISUSE : result, "Error executing SQL", sql);
    }
    kept_.emplace_back(sql, std::move(statement));
    return raw;
}

void TSQLiteDatabase::CheckBind(int result, sqlite3_stmt* statement, const char* name) {
    // A value refused (too big, out of memory) would otherwise run the
    // statement with NULL in its place.
    if (result != SQLITE_OK)
        RaiseResult(result, std::string("Could not bind parameter ") + name, TextOrUnknown(sqlite3_sql(statement)));
}

void TSQLiteDatabase::StepKept(sqlite3_stmt* statement) {
    if (StepKeptRow(statement, true)) {
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
    }
}

bool TSQLiteDatabase::StepKeptRow(sqlite3_stmt* statement, bool first) {
    if (first && OnStatement) {
        // The text with the bound values in place of the parameters.
        char* expanded = sqlite3_expanded_sql(statement);
        OnStatement(*this, TextOrUnknown(expanded ? expanded : sqlite3_sql(statement)));
        sqlite3_free(expanded);
    }
    const int result = sqlite3_step(statement);
    if (result == SQLITE_ROW) return true;
    sqlite3_reset(statement);
    // Bound values may point into the caller's memory: none stays bound.
    sqlite3_clear_bindings(statement);
    if (result != SQLITE_DONE) {
        const std::string sql = TextOrUnknown(sqlite3_sql(statement));
        CheckError(handle_, "Error executing SQL statement", sql);
        RaiseResult(result, "Error executing SQL statement", sql);
    }
    return false;
}

std::unique_ptr<TSQLiteTable> TSQLiteDatabase::OpenQuery(const std::string& sql) {
    return std::make_unique<TSQLiteTable>(*this, sql);
}

std::int64_t TSQLiteDatabase::QueryInt64(const std::string& sql) {
    const auto table = OpenQuery(sql);
    return table->AtEnd() ? 0 : table->ColumnInt64(0);
}

std::int64_t TSQLiteDatabase::LastRowId() const { return sqlite3_last_insert_rowid(handle_); }

std::uint64_t TSQLiteDatabase::MaxValueBytes() const {
    return static_cast<std::uint64_t>(sqlite3_limit(handle_, SQLITE_LIMIT_LENGTH, -1));
}

void TSQLiteDatabase::StartTransaction(const std::string& savepoint, const std::string& mode) {
    if (!savepoint.empty())
        Execute("SAVEPOINT " + savepoint);
    else if (!mode.empty())
        Execute("BEGIN " + mode);
    else
        Execute("BEGIN");
}

void TSQLiteDatabase::CommitTransaction(const std::string& savepoint) {
    Execute(savepoint.empty() ? std::string("COMMIT") : "RELEASE " + savepoint);
}

void TSQLiteDatabase::AddParam(TSQliteParam param) { params_.push_back(std::move(param)); }

void TSQLiteDatabase::AddIntParam(const std::string& name, std::int64_t value) {
    TSQliteParam param;
    param.ParamName = name;
    param.Kind = TSQliteParam::KindInteger;
    param.IntValue = value;
    AddParam(std::move(param));
}

void TSQLiteDatabase::AddFloatParam(const std::string& name, double value) {
    TSQliteParam param;
    param.ParamName = name;
    param.Kind = TSQliteParam::KindFloat;
    param.FloatValue = value;
    AddParam(std::move(param));
}

void TSQLiteDatabase::AddBlobParam(const std::string& name, const void* buffer, std::int32_t length) {
    TSQliteParam param;
    param.ParamName = name;
    param.Kind = TSQliteParam::KindBlob;
    if (length > 0 && buffer) param.Bytes.assign(static_cast<const char*>(buffer), static_cast<std::size_t>(length));
    AddParam(std::move(param));
}

void TSQLiteDatabase::AddBytesParam(const std::string& name, std::string bytes) {
    TSQliteParam param;
    param.ParamName = name;
    param.Kind = TSQliteParam::KindBlob;
    param.Bytes = std::move(bytes);
    AddParam(std::move(param));
}

void TSQLiteDatabase::ClearParams() noexcept { params_.clear(); }

void TSQLiteDatabase::BindParams(sqlite3_stmt* statement) {
    // The queue leaves the connection before anything can fail, so it is
    // gone on every path, bound or skipped. Its room is kept for the next
    // queue: a store binds seven parameters per point.
    std::vector<TSQliteParam> queue = std::move(spareParams_);
    queue.clear();
    queue.swap(params_);
    struct TKeepRoom {
        std::vector<TSQliteParam>& Queue;
        std::vector<TSQliteParam>& Spare;
        ~TKeepRoom() {
            Queue.clear();
            Spare = std::move(Queue);
        }
    } keepRoom{queue, spareParams_};
    for (const TSQliteParam& param : queue) {
        if (param.ParamName.empty()) continue;
        const int index = statement ? sqlite3_bind_parameter_index(statement, param.ParamName.c_str()) : 0;
        if (index <= 0) continue;
        if (OnStatement) OnStatement(*this, TraceLine(param));
        // std::string::data() is never null, so an empty value binds an
        // empty text or a zero-length blob, not NULL.
        int result = SQLITE_OK;
        switch (param.Kind) {
        case TSQliteParam::KindInteger:
            result = sqlite3_bind_int64(statement, index, param.IntValue);
            break;
        case TSQliteParam::KindFloat:
            result = sqlite3_bind_double(statement, index, param.FloatValue);
            break;
        case TSQliteParam::KindText:
            result = sqlite3_bind_text64(statement, index, param.Bytes.data(), param.Bytes.size(), SQLITE_TRANSIENT,
                                         SQLITE_UTF8);
            break;
        case TSQliteParam::KindBlob:
            result = sqlite3_bind_blob64(statement, index, param.Bytes.data(), param.Bytes.size(), SQLITE_TRANSIENT);
            break;
        case TSQliteParam::KindNull:
            result = sqlite3_bind_null(statement, index);
            break;
        default:
            break;
        }
        // A value refused (too big, out of memory) would otherwise run the
        // statement with NULL in its place.
        if (result != SQLITE_OK)
            RaiseResult(result, "Could not bind parameter " + param.ParamName, TextOrUnknown(sqlite3_sql(statement)));
    }
}

void TSQLiteDatabase::CheckError(sqlite3* handle, const std::string& message, const std::string& sql) {
    const int code = sqlite3_extended_errcode(handle);
    if (code == SQLITE_OK || code == SQLITE_DONE) return;
    RaiseSQLiteError(message, code, TextOrUnknown(sqlite3_errmsg(handle)), sql);
}

}  // namespace kestro
