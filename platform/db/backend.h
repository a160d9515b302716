#pragma once
// What a database backend gives the layer. Connection and Rowset are backend-neutral; each
// backend (sqlite/, postgres/) implements these two classes with the same file names.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/connection.h"
#include "platform/db/dialect.h"
#include "platform/db/field.h"
#include "platform/db/value.h"
#include "platform/error.h"

namespace platform::db {

class RowStore;

// A query result read forward, once.
class Cursor {
public:
    virtual ~Cursor() = default;
    virtual const std::vector<FieldInfo>& Fields() const = 0;
    virtual void RenameField(std::size_t column, std::string name) = 0;
    // Advances to the next row; false past the last one.
    virtual bool Next() = 0;
    virtual Value Get(std::size_t column) const = 0;
    // Reads up to `limit` of the remaining rows into store (whose column count matches) and
    // settles the types and sizes of expression fields from the values in store; answers the
    // rows read.
    virtual std::size_t Fetch(RowStore& store, std::vector<FieldInfo>& fields, std::size_t limit) = 0;
    void FetchAll(RowStore& store, std::vector<FieldInfo>& fields) { Fetch(store, fields, static_cast<std::size_t>(-1)); }
};

// A query's rows read forward a piece at a time, without the rest of them in memory.
class RowReader {
public:
    virtual ~RowReader() = default;
    virtual const std::vector<FieldInfo>& Fields() const = 0;
    virtual void RenameField(std::size_t column, std::string name) = 0;
    // Passes over up to n rows; answers how many there were.
    virtual std::size_t Skip(std::size_t n) = 0;
    // Appends up to n rows to store, as Cursor::Fetch; answers how many there were.
    virtual std::size_t Read(std::size_t n, RowStore& store, std::vector<FieldInfo>& fields) = 0;
};

// One row written by the layer: names are base column names of one table.
struct RowWrite {
    std::string table;
    std::vector<std::string> setColumns;
    std::vector<Value> setValues;
    std::vector<std::string> whereColumns;  // UPDATE only; Null compares with IS NULL
    std::vector<Value> whereValues;
    std::vector<std::string> readBack;      // columns to re-read from the written row
};

class Backend {
public:
    virtual ~Backend() = default;
    virtual const std::string& Provider() const = 0;
    virtual const Dialect& dialect() const = 0;
    // The backend reports names folded to lower case where the statement did not quote them.
    virtual bool FoldsNames() const { return false; }

    virtual void Open(const ConnectionInfo& info, int commandTimeoutSeconds) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual std::string CurrentDatabase() const = 0;
    virtual void Use(const std::string& database) = 0;
    virtual void CreateDatabase(const std::string& database) = 0;

    // Native SQL (already translated).
    virtual long Execute(const std::string& sql) = 0;
    virtual void ExecuteScript(const std::string& sql) = 0;
    virtual std::unique_ptr<Cursor> Query(const std::string& sql) = 0;
    virtual std::unique_ptr<Command> Prepare(const std::string& sql) = 0;
    // Native SQL with $n parameters; a backend without server functions refuses it.
    virtual std::unique_ptr<Cursor> QueryNative(const std::string& sql, const std::vector<Value>& params) {
        (void)sql, (void)params;
        throw Error(errnum::InvalidOperation, "Connection.OpenNativeRowset",
                    "the " + Provider() + " backend has no server functions to call");
    }

    // Sends sql (native) with the next request, in its round trip, its parameters bound to params;
    // rows, when given, receive what the query returns. Inside a transaction its failure is undone
    // alone, or (not alone) leaves the level failed until it is rolled back: Commit refuses it.
    virtual void Defer(std::string sql, std::shared_ptr<AheadRows> rows, std::vector<Value> params, bool alone) = 0;
    virtual long RoundTrips() const = 0;

    // Another connection to the current database as the same user, inside a read-only
    // transaction that sees the database as it is when its first statement runs, whatever
    // others write after.
    virtual std::shared_ptr<Backend> OpenSnapshot() = 0;
    // A query's rows read forward in pieces (inside a transaction on a server).
    virtual std::unique_ptr<RowReader> ReadRows(const std::string& sql);
    // Whether the server sorts every row of the query before it gives the first (no index gives
    // the order), from the server's plan.
    virtual bool SortsEveryRow(const std::string& sql) = 0;

    // level is the nesting level being opened/closed (1 = outermost); Begin goes with the next
    // request.
    virtual void Begin(int level) = 0;
    virtual void Commit(int level) = 0;
    virtual void Rollback(int level) = 0;

    // Primary key columns of a table (empty when it has none).
    virtual std::vector<std::string> PrimaryKey(const std::string& table) = 0;
    // Whether no two rows of the table hold the same value in the column, as the server compares
    // it (a unique index of that column alone); false when not known.
    virtual bool UniqueColumn(const std::string& table, const std::string& column) { return false; }
    // Whether the database has the table (or view) and this login may read it, asked of the
    // catalog, so that no statement fails to find out.
    virtual bool HasTable(const std::string& table) = 0;
    // INSERT one row; fills readValues with the readBack columns of the new row.
    virtual void InsertRow(const RowWrite& row, std::vector<Value>& readValues) = 0;
    // UPDATE the row found by the where columns; answers rows affected and fills readValues
    // from the row (found again by the where columns' new values) when it was written.
    virtual long UpdateRow(const RowWrite& row, std::vector<Value>& readValues) = 0;
};

// Accounts hold UTF-8 text only, whatever the backend would take: throws platform::Error
// (CommandFailed) with the same message on every backend when text holds other bytes; what names
// the text ("the statement", "the value of cMemo", "parameter 2").
void RequireUtf8(std::string_view text, const std::string& what, const char* source);
// A statement's parameter number (from 1), and all of a statement's parameters.
void RequireUtf8Parameter(const Value& value, std::size_t number, const char* source);
void RequireUtf8Parameters(const std::vector<Value>& params, const char* source);
// Every text value a row write sends.
void RequireUtf8(const RowWrite& row, const char* source);

std::unique_ptr<Backend> CreateSqliteBackend();
std::unique_ptr<Backend> CreatePostgresBackend();

}  // namespace platform::db
