#pragma once
// Helpers of the store tests: a statement trace and message lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/SQLiteDatabase.h"

namespace kestro::test {

// Collects every line the database's OnStatement trace receives.
struct TTrace {
    std::vector<std::string> Lines;
    void Attach(TSQLiteDatabase& database) {
        database.OnStatement = [this](TSQLiteDatabase&, const std::string& line) { Lines.push_back(line); };
    }
};

// The lines of a message split at CR LF.
inline std::vector<std::string> MessageLines(const std::string& message) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (;;) {
        const auto at = message.find("\r\n", from);
        lines.push_back(message.substr(from, at == std::string::npos ? std::string::npos : at - from));
        if (at == std::string::npos) return lines;
        from = at + 2;
    }
}

}  // namespace kestro::test
