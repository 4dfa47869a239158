#include "store/SQLiteException.h"

#include <algorithm>
#include <array>
#include <utility>

namespace kestro {

namespace {

struct TResultCode {
    std::int32_t Code;
    const char* Name;
};

// The primary codes, the two step results and the extended codes of the
// SQLite releases the message texts were fixed for; sorted by code.
constexpr std::array<TResultCode, 61> ResultCodes{{
    {0, "SQLITE_OK"},
    {1, "SQLITE_ERROR"},
    {2, "SQLITE_INTERNAL"},
    {3, "SQLITE_PERM"},
    {4, "SQLITE_ABORT"},
    {5, "SQLITE_BUSY"},
    {6, "SQLITE_LOCKED"},
    {7, "SQLITE_NOMEM"},
    {8, "SQLITE_READONLY"},
    {9, "SQLITE_INTERRUPT"},
    {10, "SQLITE_IOERR"},
    {11, "SQLITE_CORRUPT"},
    {12, "SQLITE_NOTFOUND"},
    {13, "SQLITE_FULL"},
    {14, "SQLITE_CANTOPEN"},
    {15, "SQLITE_PROTOCOL"},
    {16, "SQLITE_EMPTY"},
    {17, "SQLITE_SCHEMA"},
    {18, "SQLITE_TOOBIG"},
    {19, "SQLITE_CONSTRAINT"},
    {20, "SQLITE_MISMATCH"},
    {21, "SQLITE_MISUSE"},
    {22, "SQLITE_NOLFS"},
    {23, "SQLITE_AUTH"},
    {24, "SQLITE_FORMAT"},
    {25, "SQLITE_RANGE"},
    {26, "SQLITE_NOTADB"},
    {100, "SQLITE_ROW"},
    {101, "SQLITE_DONE"},
    {261, "SQLITE_BUSY_RECOVERY"},
    {262, "SQLITE_LOCKED_SHAREDCACHE"},
    {264, "SQLITE_READONLY_RECOVERY"},
    {266, "SQLITE_IOERR_READ"},
    {267, "SQLITE_CORRUPT_VTAB"},
    {270, "SQLITE_CANTOPEN_NOTEMPDIR"},
    {516, "SQLITE_ABORT_ROLLBACK"},
    {520, "SQLITE_READONLY_CANTLOCK"},
    {522, "SQLITE_IOERR_SHORT_READ"},
    {526, "SQLITE_CANTOPEN_ISDIR"},
    {778, "SQLITE_IOERR_WRITE"},
    {782, "SQLITE_CANTOPEN_FULLPATH"},
    {1034, "SQLITE_IOERR_FSYNC"},
    {1290, "SQLITE_IOERR_DIR_FSYNC"},
    {1546, "SQLITE_IOERR_TRUNCATE"},
    {1802, "SQLITE_IOERR_FSTAT"},
    {2058, "SQLITE_IOERR_UNLOCK"},
    {2314, "SQLITE_IOERR_RDLOCK"},
    {2570, "SQLITE_IOERR_DELETE"},
    {2826, "SQLITE_IOERR_BLOCKED"},
    {3082, "SQLITE_IOERR_NOMEM"},
    {3338, "SQLITE_IOERR_ACCESS"},
    {3594, "SQLITE_IOERR_CHECKRESERVEDLOCK"},
    {3850, "SQLITE_IOERR_LOCK"},
    {4106, "SQLITE_IOERR_CLOSE"},
    {4362, "SQLITE_IOERR_DIR_CLOSE"},
    {4618, "SQLITE_IOERR_SHMOPEN"},
    {4874, "SQLITE_IOERR_SHMSIZE"},
    {5130, "SQLITE_IOERR_SHMLOCK"},
    {5386, "SQLITE_IOERR_SHMMAP"},
    {5642, "SQLITE_IOERR_SEEK"},
    {5898, "SQLITE_IOERR_DELETE_NOENT"},
}};

}  // namespace

std::string ResultCodeName(std::int32_t code) {
    const auto found = std::lower_bound(ResultCodes.begin(), ResultCodes.end(), code,
                                        [](const TResultCode& entry, std::int32_t value) { return entry.Code < value; });
    if (found != ResultCodes.end() && found->Code == code) return found->Name;
    return "Unknown SQLite Error Code \"" + std::to_string(code) + "\"";
}

void RaiseSQLiteError(const std::string& message, std::int32_t code, const std::string& text, const std::string& sql) {
    // Joined, not formatted: a "%" in the statement must show as it is.
    throw ESQLiteException(message + "\r\n" + ResultCodeName(code) + " [" + std::to_string(code) + "]: " + text +
                           "\r\n" + sql);
}

}  // namespace kestro
