#pragma once
// Shared pieces of the SQLite backend.
#include <sqlite3.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "backend.h"

namespace platform::db::sqlite {

struct StatementDeleter {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using StatementPtr = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

// An open database file; cursors keep it alive after the connection switches databases.
struct Database {
    sqlite3* handle = nullptr;
    std::string name;
    // Finished queries kept prepared for their text's next run (compiling is most of a short
    // query's cost). SQLite compiles a kept statement again when the schema has changed.
    std::unordered_map<std::string, StatementPtr> idle;
    // Statements waiting for the next request; control ones (BEGIN, SAVEPOINT) open a level.
    struct Ahead {
        std::string sql;
        std::shared_ptr<AheadRows> rows;
        bool control = false;
        std::vector<Value> params;
        bool alone = true;  // a failure inside a transaction is undone alone and the level goes on
    };
    std::vector<Ahead> ahead;
    // A statement that was not alone failed inside the transaction: it may only be rolled back.
    bool failedLevel = false;
    long requests = 0;
    Database() = default;
    Database(const Database&) = delete;  // owns the handle: one close per open
    Database& operator=(const Database&) = delete;
    ~Database();
};
using DatabasePtr = std::shared_ptr<Database>;

// Raises platform::Error for a failed SQLite call: constraint failures as ConstraintViolated,
// lock time-outs as Timeout, open failures as ConnectionFailed, the rest as CommandFailed;
// SQLite's extended code is kept as the native code.
[[noreturn]] void Throw(sqlite3* db, int rc, const char* source);

StatementPtr PrepareStatement(const DatabasePtr& db, const std::string& sql, bool persistent);
// A query's statement: the idle one of the same text, or a new one.
StatementPtr PrepareQuery(const DatabasePtr& db, const std::string& sql);
void BindValue(sqlite3_stmt* stmt, int index, const Value& value);

// How a column's values are read, from its declared type.
enum class ColumnKind { Auto, Boolean, Integer, Real, Text, Date };
ColumnKind KindOf(const FieldInfo& field, bool declared);

// The cursor steps to the first row at once (so a statement compiled again for a changed schema
// reports its new columns); with a text, its finished statement goes back to db's idle ones.
std::unique_ptr<Cursor> CreateCursor(DatabasePtr db, StatementPtr stmt, std::string text = {});
std::unique_ptr<Command> CreateCommand(DatabasePtr db, StatementPtr stmt);
// One call into the database: first the statements sent ahead, as a server runs them ahead of the
// request in its round trip. Inside a transaction a failure among them undoes them together and
// the transaction goes on.
void Request(const DatabasePtr& db);

}  // namespace platform::db::sqlite
