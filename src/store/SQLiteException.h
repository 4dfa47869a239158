#pragma once
// The exception of every database failure, and the names of SQLite's result
// codes that its messages carry.
#include <cstdint>
#include <string>

#include "diag/Exceptions.h"

namespace kestro {

KESTRO_EXCEPTION(ESQLiteException);

// Symbolic name of an SQLite result code ("SQLITE_BUSY"); codes without a
// name give Unknown SQLite Error Code "<code>".
std::string ResultCodeName(std::int32_t code);

// Raises ESQLiteException with the layer's three-line message: message;
// the code's name, the code and SQLite's text; the statement (or file name).
[[noreturn]] void RaiseSQLiteError(const std::string& message, std::int32_t code, const std::string& text,
                                   const std::string& sql);

}  // namespace kestro
