#include "store/SQLiteStatement.h"

#include <sqlite3.h>

#include <array>
#include <cctype>
#include <string_view>

namespace kestro {

void TFinalizeStatement::operator()(sqlite3_stmt* statement) const noexcept { sqlite3_finalize(statement); }

bool IsPlainDataStatement(const std::string& sql) {
    std::size_t at = 0;
    while (at < sql.size()) {
        const auto c = static_cast<unsigned char>(sql[at]);
        if (std::isspace(c)) {
            ++at;
        } else if (sql.compare(at, 2, "--") == 0) {
            const auto end = sql.find('\n', at);
            at = end == std::string::npos ? sql.size() : end + 1;
        } else if (sql.compare(at, 2, "/*") == 0) {
            const auto end = sql.find("*/", at + 2);
            at = end == std::string::npos ? sql.size() : end + 2;
        } else {
            break;
        }
    }
    std::string word;
    while (at < sql.size() && std::isalpha(static_cast<unsigned char>(sql[at])))
        word += static_cast<char>(std::toupper(static_cast<unsigned char>(sql[at++])));
    constexpr std::array<std::string_view, 7> dataWords{"SELECT", "VALUES", "WITH",  "INSERT",
                                                        "REPLACE", "UPDATE", "DELETE"};
    for (auto dataWord : dataWords)
        if (word == dataWord) return true;
    return false;
}

}  // namespace kestro
