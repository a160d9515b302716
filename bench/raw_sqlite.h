#pragma once
// The raw anchor of the SQLite benchmarks: a statement stepped by sqlite3 alone, every value of
// every row copied into memory, as a client of the library would hold them.
#include <sqlite3.h>

#include <string>
#include <variant>
#include <vector>

namespace bench {

using Cell = std::variant<std::monostate, long long, double, std::string>;

// Appends the rows of sql to cells; the number of rows, or -1 when the statement does not prepare.
inline long CopyRows(sqlite3* db, const std::string& sql, std::vector<Cell>& cells) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) return -1;
    const int n = sqlite3_column_count(s);
    long rows = 0;
    for (; sqlite3_step(s) == SQLITE_ROW; ++rows)
        for (int c = 0; c < n; ++c) {
            switch (sqlite3_column_type(s, c)) {
                case SQLITE_INTEGER: cells.emplace_back(static_cast<long long>(sqlite3_column_int64(s, c))); break;
                case SQLITE_FLOAT: cells.emplace_back(sqlite3_column_double(s, c)); break;
                case SQLITE_NULL: cells.emplace_back(); break;
                default:
                    cells.emplace_back(std::string(reinterpret_cast<const char*>(sqlite3_column_text(s, c)),
                                                   static_cast<std::size_t>(sqlite3_column_bytes(s, c))));
            }
        }
    sqlite3_finalize(s);
    return rows;
}

}  // namespace bench
