#pragma once
// Shared pieces of the PostgreSQL backend.
#include <libpq-fe.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "backend.h"

namespace platform::db::postgres {

struct ConnDeleter {
    void operator()(PGconn* c) const { PQfinish(c); }
};
using ConnPtr = std::unique_ptr<PGconn, ConnDeleter>;

struct ResultDeleter {
    void operator()(PGresult* r) const { PQclear(r); }
};
using ResultPtr = std::unique_ptr<PGresult, ResultDeleter>;

// Raises platform::Error for a failed result (or a failed connection when result is null):
// SQLSTATE class 23 as ConstraintViolated, a lock time-out as the time-out number, class 08 and
// a missing database as ConnectionFailed, the rest as CommandFailed. The SQLSTATE, read as a
// base-36 number, is kept as the native code.
[[noreturn]] void Throw(PGconn* conn, const PGresult* result, const char* source);

// What the layer knows of one column of a table: its declared type as SQL Server writes it.
struct ColumnType {
    std::string table, column;
    std::string declared;
};

// Parameter values as libpq takes them: text, or null.
struct Params {
    void Add(const Value& value);
    int Count() const { return static_cast<int>(texts_.size()); }
    // Valid until the next Add.
    const char* const* Data() const;

private:
    std::vector<std::string> texts_;
    std::vector<bool> null_;
    mutable std::vector<const char*> pointers_;
};

// One open database: the server connection and what it has learnt of the tables' columns.
class Session {
public:
    Session(ConnPtr conn, std::string name) : conn_(std::move(conn)), name_(std::move(name)) {}
    PGconn* get() const { return conn_.get(); }
    const std::string& name() const { return name_; }
    // Column `attnum` of the table with this OID (nullptr when the catalog has no such column).
    const ColumnType* Column(unsigned tableOid, int attnum);
    // The schema's spelling of a name the server folded to lower case (the name itself when the
    // database records none).
    std::string Spelling(const std::string& folded);
    // Records the spellings of the database's tables and columns as `script` writes them.
    void RememberSpellings(const std::string& script);
    int transactionLevel = 0;  // 0: none; each statement then commits on its own

    // A statement waiting to go with the next request; control statements (BEGIN, SAVEPOINT)
    // stand outside the savepoint that undoes a failed request's statements.
    struct Ahead {
        std::string sql;
        std::shared_ptr<AheadRows> rows;
        bool control = false;
        Params params;
        bool alone = true;  // under a savepoint of its own inside a transaction
    };
    std::vector<Ahead> ahead;
    // Statements kept prepared on the server, their names by text; texts sent once, to be prepared
    // when they come again.
    std::map<std::string, std::string> prepared;
    std::set<std::string> seen;
    long preparedNames = 0;
    long roundTrips = 0;

private:
    ConnPtr conn_;
    std::string name_;
    std::map<unsigned, std::map<int, ColumnType>> tables_;
    bool spellingsRead_ = false;
    std::map<std::string, std::string> spellings_;
};
using SessionPtr = std::shared_ptr<Session>;

// How a column's text is read into a Value.
enum class ColumnKind { Text, Boolean, Integer, Real, Date };

// The fields of a result with SQL Server's type codes and sizes, and how to read each one.
// A computed text or bigint column (`settle`) takes its type and size from the values read.
struct Shape {
    std::vector<FieldInfo> fields;
    std::vector<ColumnKind> kinds;
    std::vector<bool> settle;
};
Shape Describe(Session& session, const PGresult* result);
Value ReadValue(const PGresult* result, int row, int column, ColumnKind kind);

std::unique_ptr<Cursor> CreateCursor(SessionPtr session, ResultPtr result);
// The rows of sql through a server cursor of this name (inside the session's open transaction):
// each Read fetches only the rows it asks for.
std::unique_ptr<RowReader> CreateRowReader(SessionPtr session, std::string name, const std::string& sql);

// Runs one statement with its parameters (a prepared one when `prepared` names it). Inside a
// transaction a failed statement is undone alone, as SQL Server rolls back a failed statement
// and keeps its transaction, so the caller may go on.
ResultPtr Run(Session& session, const std::string& sql, const Params& params, const char* source,
              const char* prepared = nullptr);
// A transaction control statement, sent with what waits ahead of it.
void RunControl(Session& session, const std::string& sql, const char* source);
// Sends what waits ahead, before a statement that cannot go in a pipeline (a script, a switch of
// database) runs.
void Flush(Session& session, const char* source);

std::unique_ptr<Command> CreateCommand(SessionPtr session, std::string name, int parameters);

}  // namespace platform::db::postgres
