// The PostgreSQL backend: one libpq connection per database; "use X" opens a new one to X on
// the same server. Database names are folded to lower case, as PostgreSQL folds the unquoted
// names the component writes, so that every spelling reaches the same database.
#include <string_view>
#include <unordered_map>

#include "platform/error.h"
#include "platform/text.h"
#include "postgres.h"

namespace platform::db::postgres {

namespace embedded {
extern const std::string_view support_sql;
}

namespace {

std::string Quote(std::string_view name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

// A value in a libpq connection string.
std::string ConnValue(const std::string& v) {
    std::string out = "'";
    for (char c : v) {
        if (c == '\'' || c == '\\') out += '\\';
        out += c;
    }
    return out + "'";
}

// The connection of a snapshot whose rowset is gone, kept for the next snapshot of the same
// connection: a new one would cost a server process and a cold catalog, more than a short
// search's whole read.
struct SpareSession {
    SessionPtr session;
};

class PgBackend : public Backend {
public:
    PgBackend() = default;
    PgBackend(const PgBackend&) = delete;
    PgBackend& operator=(const PgBackend&) = delete;
    ~PgBackend() override {
        // Its transaction ended, the connection is as the next snapshot's would start; anything
        // else it may still hold (a statement prepared by name) and it is closed instead.
        auto slot = returnTo_.lock();
        if (!slot || !session_ || session_.use_count() != 1 || prepared_ > 0 || !session_->ahead.empty() ||
            !session_->prepared.empty())
            return;
        ResultPtr r(PQexec(session_->get(), "ROLLBACK"));
        if (PQresultStatus(r.get()) == PGRES_COMMAND_OK && PQtransactionStatus(session_->get()) == PQTRANS_IDLE)
            slot->session = std::move(session_);
    }

    const std::string& Provider() const override {
        static const std::string name = "PostgreSQL";
        return name;
    }
    const Dialect& dialect() const override { return PostgresDialect(); }
    bool FoldsNames() const override { return true; }

    void Open(const ConnectionInfo& info, int commandTimeoutSeconds) override {
        if (info.dataSource.empty())
            throw Error(errnum::ConnectionFailed, "Connection.Open",
                        "the connection text names no Data Source: give the server's host name or socket folder");
        info_ = info;
        timeoutSeconds_ = commandTimeoutSeconds;
        spare_->session.reset();
        // Without a catalog the connection reaches the server's maintenance database, as a
        // login with no default database reaches master.
        session_ = Connect(info.catalog.empty() ? std::string("postgres") : info.catalog);
        if (info.catalog.empty()) master_ = true;
    }

    void Close() override {
        if (session_) session_->ahead.clear();
        keys_.clear();
        unique_.clear();
        spare_->session.reset();
        session_.reset();
    }

    bool IsOpen() const override { return session_ != nullptr; }
    std::string CurrentDatabase() const override {
        if (!session_) return {};
        return master_ ? std::string("master") : session_->name();
    }

    void Use(const std::string& database) override {
        if (session_) Flush(*session_, "Connection.Execute");
        auto next = Connect(database);
        keys_.clear();
        unique_.clear();
        spare_->session.reset();
        session_ = std::move(next);
        master_ = false;
    }

    void CreateDatabase(const std::string& database) override {
        const std::string name = text::LCase(database);
        Flush(*session_, "Connection.Execute");
        ++session_->roundTrips;
        ResultPtr r(PQexec(session_->get(), ("CREATE DATABASE " + Quote(name)).c_str()));
        if (PQresultStatus(r.get()) != PGRES_COMMAND_OK) {
            const char* state = PQresultErrorField(r.get(), PG_DIAG_SQLSTATE);
            if (state && std::string_view(state) == "42P04")
                throw Error(errnum::CommandFailed, "Connection.Execute",
                            "database '" + database + "' already exists; choose a different database name");
            Throw(session_->get(), r.get(), "Connection.Execute");
        }
        // Every database gets the collation, types and functions its translated statements use.
        auto created = Connect(database);
        ResultPtr s(PQexec(created->get(), std::string(embedded::support_sql).c_str()));
        if (PQresultStatus(s.get()) != PGRES_COMMAND_OK) Throw(created->get(), s.get(), "Connection.Execute");
    }

    long Execute(const std::string& sql) override {
        ResultPtr r = Run(*session_, sql, {}, "Connection.Execute");
        if (PQresultStatus(r.get()) == PGRES_TUPLES_OK) return -1;
        const char* n = PQcmdTuples(r.get());
        return n && *n ? std::stol(n) : -1;
    }

    void ExecuteScript(const std::string& sql) override {
        Flush(*session_, "Connection.ExecuteScript");
        ++session_->roundTrips;
        ResultPtr r(PQexec(session_->get(), sql.c_str()));
        auto st = PQresultStatus(r.get());
        if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK && st != PGRES_EMPTY_QUERY)
            Throw(session_->get(), r.get(), "Connection.ExecuteScript");
        // The server folds the names a schema script declares; their spelling is kept aside.
        if (sql.find("CREATE TABLE") != std::string::npos || sql.find("create table") != std::string::npos)
            session_->RememberSpellings(sql);
    }

    std::unique_ptr<Cursor> Query(const std::string& sql) override {
        return CreateCursor(session_, Run(*session_, sql, {}, "Connection.OpenRowset"));
    }

    std::unique_ptr<Cursor> QueryNative(const std::string& sql, const std::vector<Value>& values) override {
        Params params;
        for (const auto& v : values) params.Add(v);
        return CreateCursor(session_, Run(*session_, sql, params, "Connection.OpenRowset"));
    }

    std::unique_ptr<Command> Prepare(const std::string& sql) override {
        const std::string name = "sv_cmd" + std::to_string(++prepared_);
        session_->roundTrips += 2;
        ResultPtr r(PQprepare(session_->get(), name.c_str(), sql.c_str(), 0, nullptr));
        if (PQresultStatus(r.get()) != PGRES_COMMAND_OK) Throw(session_->get(), r.get(), "Connection.Prepare");
        ResultPtr d(PQdescribePrepared(session_->get(), name.c_str()));
        if (PQresultStatus(d.get()) != PGRES_COMMAND_OK) Throw(session_->get(), d.get(), "Connection.Prepare");
        return CreateCommand(session_, name, PQnparams(d.get()));
    }

    void Defer(std::string sql, std::shared_ptr<AheadRows> rows, std::vector<Value> params, bool alone) override {
        Params bound;
        for (const auto& v : params) bound.Add(v);
        session_->ahead.push_back({std::move(sql), std::move(rows), false, std::move(bound), alone});
    }
    long RoundTrips() const override { return session_ ? session_->roundTrips : 0; }
    bool SortsEveryRow(const std::string& sql) override {
        ResultPtr r = Run(*session_, "EXPLAIN " + sql, {}, "Connection.OpenRowset");
        if (PQntuples(r.get()) < 1) return false;
        const std::string_view top = PQgetvalue(r.get(), 0, 0);
        return top.starts_with("Sort") || top.starts_with("Incremental Sort") || top.starts_with("Gather Merge");
    }

    std::shared_ptr<Backend> OpenSnapshot() override {
        auto other = std::make_shared<PgBackend>();
        other->info_ = info_;
        other->timeoutSeconds_ = timeoutSeconds_;
        other->master_ = master_;
        other->returnTo_ = spare_;
        // The snapshot is taken by the transaction's first statement and kept to its end.
        const std::string begin = "START TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY";
        if (SessionPtr spare = std::move(spare_->session); spare && spare->name() == session_->name()) {
            try {
                other->session_ = std::move(spare);
                RunControl(*other->session_, begin, "Connection.OpenRowset");
                return other;
            } catch (const Error&) {
                // The server ended it meanwhile: a new connection instead.
            }
        }
        other->session_ = other->Connect(session_->name());
        RunControl(*other->session_, begin, "Connection.OpenRowset");
        return other;
    }

    std::unique_ptr<RowReader> ReadRows(const std::string& sql) override {
        return CreateRowReader(session_, "sv_rows" + std::to_string(++cursors_), sql);
    }

    void Begin(int level) override {
        session_->ahead.push_back({level == 1 ? "BEGIN" : "SAVEPOINT sv_level" + std::to_string(level), nullptr, true, {}});
        session_->transactionLevel = level;
    }
    void Commit(int level) override {
        RunControl(*session_, level == 1 ? "COMMIT" : "RELEASE SAVEPOINT sv_level" + std::to_string(level),
                   "Connection.CommitTrans");
        session_->transactionLevel = level - 1;
    }
    void Rollback(int level) override {
        session_->transactionLevel = level - 1;
        if (level == 1) {
            RunControl(*session_, "ROLLBACK", "Connection.RollbackTrans");
        } else {
            std::string sp = "sv_level" + std::to_string(level);
            session_->ahead.push_back({"ROLLBACK TO SAVEPOINT " + sp, nullptr, true, {}});
            RunControl(*session_, "RELEASE SAVEPOINT " + sp, "Connection.RollbackTrans");
        }
    }

    std::vector<std::string> PrimaryKey(const std::string& table) override {
        std::string key = text::LCase(table);
        auto it = keys_.find(key);
        if (it != keys_.end()) return it->second;
        static const char* kSql =
            "SELECT a.attname FROM pg_index i JOIN pg_attribute a ON a.attrelid = i.indrelid "
            "AND a.attnum = ANY(i.indkey) WHERE i.indrelid = to_regclass(quote_ident($1)) AND i.indisprimary "
            "ORDER BY array_position(i.indkey::int2[], a.attnum)";
        const char* values[] = {key.c_str()};
        ++session_->roundTrips;
        ResultPtr r(PQexecParams(session_->get(), kSql, 1, nullptr, values, nullptr, nullptr, 0));
        if (PQresultStatus(r.get()) != PGRES_TUPLES_OK) Throw(session_->get(), r.get(), "Rowset.Update");
        std::vector<std::string> cols;
        for (int i = 0; i < PQntuples(r.get()); ++i) cols.emplace_back(PQgetvalue(r.get(), i, 0));
        keys_[key] = cols;
        return cols;
    }

    bool UniqueColumn(const std::string& table, const std::string& column) override {
        const std::string t = text::LCase(table), c = text::LCase(column), key = t + "." + c;
        if (auto it = unique_.find(key); it != unique_.end()) return it->second;
        // A valid unique index of the column alone, whole, comparing as the column does: no two
        // rows any snapshot sees hold equal values there.
        static const char* kSql =
            "SELECT 1 FROM pg_index i JOIN pg_attribute a ON a.attrelid = i.indrelid AND a.attnum = i.indkey[0] "
            "WHERE i.indrelid = to_regclass(quote_ident($1)) AND a.attname = $2 AND i.indisunique AND i.indisvalid "
            "AND i.indnkeyatts = 1 AND i.indpred IS NULL AND i.indexprs IS NULL AND i.indcollation[0] = a.attcollation "
            "LIMIT 1";
        const char* values[] = {t.c_str(), c.c_str()};
        ++session_->roundTrips;
        ResultPtr r(PQexecParams(session_->get(), kSql, 2, nullptr, values, nullptr, nullptr, 0));
        if (PQresultStatus(r.get()) != PGRES_TUPLES_OK) Throw(session_->get(), r.get(), "Connection.OpenRowset");
        return unique_[key] = PQntuples(r.get()) > 0;
    }

    bool HasTable(const std::string& table) override {
        const std::string t = text::LCase(table);
        const char* values[] = {t.c_str()};
        ++session_->roundTrips;
        ResultPtr r(PQexecParams(session_->get(),
                                 "SELECT coalesce(has_table_privilege(to_regclass(quote_ident($1)), 'SELECT'), false)", 1,
                                 nullptr, values, nullptr, nullptr, 0));
        if (PQresultStatus(r.get()) != PGRES_TUPLES_OK) Throw(session_->get(), r.get(), "Connection.HasTable");
        return std::string_view(PQgetvalue(r.get(), 0, 0)) == "t";
    }

    void InsertRow(const RowWrite& row, std::vector<Value>& readValues) override {
        std::string sql = "INSERT INTO " + Quote(text::LCase(row.table));
        Params params;
        if (row.setColumns.empty()) {
            sql += " DEFAULT VALUES";
        } else {
            std::string cols, marks;
            for (std::size_t i = 0; i < row.setColumns.size(); ++i) {
                cols += (i ? "," : "") + Quote(text::LCase(row.setColumns[i]));
                marks += (i ? ",$" : "$") + std::to_string(i + 1);
                params.Add(row.setValues[i]);
            }
            sql += " (" + cols + ") VALUES (" + marks + ")";
        }
        sql += Returning(row);
        ReadBack(row, Run(*session_, sql, params, "Rowset.Update"), readValues);
    }

    long UpdateRow(const RowWrite& row, std::vector<Value>& readValues) override {
        std::string sql = "UPDATE " + Quote(text::LCase(row.table)) + " SET ";
        Params params;
        int n = 0;
        for (std::size_t i = 0; i < row.setColumns.size(); ++i) {
            sql += (i ? "," : "") + Quote(text::LCase(row.setColumns[i])) + "=$" + std::to_string(++n);
            params.Add(row.setValues[i]);
        }
        for (std::size_t i = 0; i < row.whereColumns.size(); ++i) {
            sql += i ? " AND " : " WHERE ";
            if (row.whereValues[i].IsNullOrEmpty()) {
                sql += Quote(text::LCase(row.whereColumns[i])) + " IS NULL";
            } else {
                sql += Quote(text::LCase(row.whereColumns[i])) + "=$" + std::to_string(++n);
                params.Add(row.whereValues[i]);
            }
        }
        sql += Returning(row);
        ResultPtr r = Run(*session_, sql, params, "Rowset.Update");
        const long affected = PQntuples(r.get());
        if (affected == 1) ReadBack(row, std::move(r), readValues);
        return affected;
    }

private:
    // RETURNING gives back the written row's values (its new row version among them).
    static std::string Returning(const RowWrite& row) {
        std::string sql = " RETURNING 1";
        for (const auto& c : row.readBack) sql += "," + Quote(text::LCase(c));
        return sql;
    }

    void ReadBack(const RowWrite& row, ResultPtr r, std::vector<Value>& out) {
        out.clear();
        if (row.readBack.empty() || PQntuples(r.get()) != 1) return;
        Shape shape = Describe(*session_, r.get());
        for (std::size_t i = 0; i < row.readBack.size(); ++i)
            out.push_back(ReadValue(r.get(), 0, static_cast<int>(i + 1), shape.kinds[i + 1]));
    }

    SessionPtr Connect(const std::string& database) {
        std::string conninfo = "host=" + ConnValue(info_.dataSource) + " dbname=" + ConnValue(text::LCase(database)) +
                               " client_encoding='UTF8' application_name='sovrel'";
        if (!info_.port.empty()) conninfo += " port=" + ConnValue(info_.port);
        if (!info_.user.empty()) conninfo += " user=" + ConnValue(info_.user);
        if (!info_.password.empty()) conninfo += " password=" + ConnValue(info_.password);
        ConnPtr conn(PQconnectdb(conninfo.c_str()));
        if (!conn) throw Error(errnum::ConnectionFailed, "Connection.Open", "out of memory while connecting");
        if (PQstatus(conn.get()) != CONNECTION_OK) {
            std::string message = PQerrorMessage(conn.get());
            while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
            if (message.find("does not exist") != std::string::npos && message.find("database") != std::string::npos)
                message = "database '" + database + "' does not exist on the server " + info_.dataSource;
            throw Error(errnum::ConnectionFailed, "Connection.Open", message);
        }
        auto session = std::make_shared<Session>(std::move(conn), database);
        // A statement waits this long for another user's lock (0: without limit); dates come
        // back as yyyy-mm-dd.
        const std::string setup = "SET lock_timeout = " + std::to_string(timeoutSeconds_ > 0 ? timeoutSeconds_ * 1000 : 0) +
                                  "; SET DateStyle = 'ISO, YMD'; SET client_min_messages = warning";
        ResultPtr r(PQexec(session->get(), setup.c_str()));
        if (PQresultStatus(r.get()) != PGRES_COMMAND_OK) Throw(session->get(), r.get(), "Connection.Open");
        // The login's token tells the server's policies whose work this is. It goes as a
        // parameter: other sessions of the same role see a statement's text, not its values.
        if (auto token = info_.other.find("login token"); token != info_.other.end() && !token->second.empty()) {
            const char* values[] = {token->second.c_str()};
            ResultPtr t(PQexecParams(session->get(), "SELECT set_config('sovrel.token', $1, false)", 1, nullptr, values,
                                     nullptr, nullptr, 0));
            if (PQresultStatus(t.get()) != PGRES_TUPLES_OK) Throw(session->get(), t.get(), "Connection.Open");
        }
        return session;
    }

    ConnectionInfo info_;
    int timeoutSeconds_ = 30;
    bool master_ = false;
    int prepared_ = 0;
    int cursors_ = 0;
    SessionPtr session_;
    std::unordered_map<std::string, std::vector<std::string>> keys_;
    std::unordered_map<std::string, bool> unique_;
    std::shared_ptr<SpareSession> spare_ = std::make_shared<SpareSession>();
    std::weak_ptr<SpareSession> returnTo_;  // a snapshot's: where its connection waits when it goes
};

}  // namespace

}  // namespace platform::db::postgres

namespace platform::db {
std::unique_ptr<Backend> CreatePostgresBackend() { return std::make_unique<postgres::PgBackend>(); }
}  // namespace platform::db
