#pragma once
// Owner of a prepared statement: finalized when the owner goes.
#include <memory>
#include <string>

struct sqlite3_stmt;

namespace kestro {

struct TFinalizeStatement {
    void operator()(sqlite3_stmt* statement) const noexcept;
};
using TStatementPtr = std::unique_ptr<sqlite3_stmt, TFinalizeStatement>;

// True when the first keyword of sql (after blanks and comments) starts a
// query or a data change (SELECT, VALUES, WITH, INSERT, REPLACE, UPDATE,
// DELETE): such a statement leaves the schema and the transaction alone.
bool IsPlainDataStatement(const std::string& sql);

}  // namespace kestro
