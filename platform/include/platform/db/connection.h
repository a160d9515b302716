#pragma once
// An ADO-style connection: opened from a "key=value;" connection text, runs T-SQL statements
// (translated for its backend), opens rowsets, keeps transactions and the current database.
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/value.h"

namespace platform {
class Error;
}

namespace platform::db {

class Rowset;
class Backend;
class Command;

// The parsed connection text. Keys are matched without regard to case; unknown keys are kept
// in `other` and otherwise ignored.
struct ConnectionInfo {
    std::string provider;     // "SQLite" or "PostgreSQL"
    std::string dataSource;   // SQLite: folder of the database files; PostgreSQL: host or socket folder
    std::string catalog;      // Initial Catalog: the account database, e.g. TKDATA_001_2024; without
                              // it the connection reaches no database ("master"): "create database X"
                              // and "use X" work from there
    std::string user, password, port;
    std::map<std::string, std::string> other;

    // Never throws; a missing provider is reported when the connection opens.
    static ConnectionInfo Parse(std::string_view text);
};

// Paged: a client rowset over a single query whose rows are read a page at a time, in a
// snapshot of the database taken when it opens (a batch, or a query inside a transaction, is
// read whole as ClientStatic).
enum class CursorKind { ClientStatic, ForwardOnly, Paged };

// The rows of a query sent ahead (Connection::QueryAhead): there once the request that carried it
// has returned.
struct AheadRows {
    bool ready = false;
    std::vector<std::vector<Value>> rows;
};

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void SetConnectionString(std::string text) { connectionString_ = std::move(text); }
    const std::string& ConnectionString() const { return connectionString_; }
    // Seconds a statement may wait for a lock held by another user; 0 waits without limit.
    void SetCommandTimeout(int seconds) { commandTimeout_ = seconds; }
    int CommandTimeout() const { return commandTimeout_; }

    // Opens with ConnectionString(). Throws platform::Error: unknown or missing Provider,
    // missing Data Source folder, missing database.
    void Open();
    void Open(const std::string& connectionText);
    void Close();
    bool IsOpen() const;
    int State() const { return IsOpen() ? 1 : 0; }  // adStateClosed 0 / adStateOpen 1
    const std::string& Provider() const;
    std::string CurrentDatabase() const;

    // Runs a T-SQL batch that returns no rows; answers the rows affected by its last statement
    // (-1 when none reported). A batch of several statements runs atomically.
    long Execute(std::string_view tsql);
    // Opens a rowset over the batch's (last) query.
    std::shared_ptr<Rowset> OpenRowset(std::string_view tsql,
                                       CursorKind kind = CursorKind::ClientStatic);
    // Whether the database has the table (or view) and this login may read it.
    bool HasTable(std::string_view table);
    // A single statement with '?' parameters, prepared once and run many times.
    std::unique_ptr<Command> Prepare(std::string_view tsql);
    // Runs backend-native SQL untranslated: the schema script derived for the backend, and the
    // administration statements (databases, roles) that have no T-SQL form.
    void ExecuteScript(const std::string& nativeSql);
    // One backend-native query with $1, $2 ... parameters sent apart from its text (so that a
    // password given to a server function stands in no statement text): the server's functions
    // that the host calls on PostgreSQL. Throws platform::Error on a backend without them.
    std::shared_ptr<Rowset> OpenNativeRowset(const std::string& nativeSql, const std::vector<Value>& params);

    // Statements sent with the connection's next request, in the same round trip (a server's
    // pipeline): ExecuteAhead's at the latest with CommitTrans, QueryAhead's rows ready once that
    // request returned. Their error fails that request (which then does not run); inside a
    // transaction they are then undone together and the transaction goes on. ExecuteAhead's '?'
    // and QueryAhead's '?' marks take params in order (a text that stays the same is translated and
    // prepared once). A statement the caller cannot do without (RollsBackTheLevel) spares the
    // server a savepoint of its own: its error leaves the transaction level failed, and the caller
    // rolls the level back (CommitTrans refuses it meanwhile).
    enum class AheadFailure { UndoneAlone, RollsBackTheLevel };
    void ExecuteAhead(std::string_view tsql, std::vector<Value> params = {},
                      AheadFailure failure = AheadFailure::UndoneAlone);
    std::shared_ptr<const AheadRows> QueryAhead(std::string_view tsql, std::vector<Value> params = {});
    // The requests this connection has waited on the database for: round trips to a server, calls
    // into SQLite.
    long RoundTrips() const;

    // Nested calls nest (savepoints); answers the new level. The level opens with the next request.
    int BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    int TransactionLevel() const { return transactionLevel_; }

    // For the layer's own classes.
    Backend& backend();

private:
    void RunSteps(const std::vector<struct Step>& steps, long& affected, std::shared_ptr<Rowset>* rows,
                  CursorKind kind, std::string_view tsql = {});
    // The backend's steps for a T-SQL text, kept for the text's next run.
    std::shared_ptr<const std::vector<Step>> Translated(std::string_view tsql, const char* source);

    struct Translations;
    std::unique_ptr<Translations> translations_;

    std::string connectionString_;
    int commandTimeout_ = 30;
    int transactionLevel_ = 0;
    std::shared_ptr<Backend> backend_;  // shared with the rowsets that write through it
};

// True for the server's refusal of a statement the connection's role has no privilege for (a
// grant missing, or a row-level policy refusing the row): PostgreSQL's SQLSTATE 42501.
bool IsPermissionDenied(const platform::Error& e);

class Command {
public:
    virtual ~Command() = default;
    // 1-based parameter index.
    virtual void Bind(int index, const Value& value) = 0;
    // Runs with the bound values; answers rows affected. Bindings stay for the next run.
    virtual long Execute() = 0;
};

}  // namespace platform::db
