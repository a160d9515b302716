#pragma once
// Helpers of the schema tests: a temporary folder, connections to its databases, and reading
// query results as plain values.
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "backends.h"
#include "platform/db/connection.h"
#include "platform/db/rowset.h"
#include "schema/schema.h"

namespace schema::test {

// A throw-away folder for SQLite databases.
struct TempFolder : sovrel::test::Place {
    TempFolder() : Place(sovrel::test::Backend::Sqlite) {}
    const std::string& path() const { return folder(); }
    std::string Sub(const std::string& name) const { return folder() + "/" + name; }
};

inline std::shared_ptr<platform::db::Connection> Open(const std::string& folder,
                                                      std::string_view catalog = kDemoAccountDatabase) {
    auto c = std::make_shared<platform::db::Connection>();
    c->Open(SqliteConnectionText(folder, catalog));
    return c;
}

using Row = std::vector<platform::db::Value>;

// Every row of a query, in order.
inline std::vector<Row> Rows(platform::db::Connection& c, const std::string& sql) {
    std::vector<Row> rows;
    auto rs = c.OpenRowset(sql, platform::db::CursorKind::ForwardOnly);
    for (; !rs->Eof(); rs->MoveNext()) {
        Row row;
        for (std::size_t i = 0; i < rs->FieldCount(); ++i) row.push_back(rs->Get(i));
        rows.push_back(std::move(row));
    }
    return rows;
}

// The first column of every row, as text.
inline std::vector<std::string> Column(platform::db::Connection& c, const std::string& sql) {
    std::vector<std::string> out;
    for (const auto& r : Rows(c, sql)) out.push_back(r.at(0).ToText());
    return out;
}

// The only value of a one-row, one-column query.
inline platform::db::Value Scalar(platform::db::Connection& c, const std::string& sql) {
    auto rows = Rows(c, sql);
    if (rows.size() != 1 || rows[0].size() != 1)
        throw std::runtime_error("expected one value from: " + sql);
    return rows[0][0];
}

}  // namespace schema::test
