// The SQLite backend: one file per database (<Data Source>/<name>.db), opened in WAL mode with
// full synchronisation and a busy time-out, so that several processes share an account safely.
#include <unistd.h>

#include <filesystem>
#include <limits>
#include <optional>
#include <regex>
#include <unordered_map>

#include "functions.h"
#include "platform/db/dialect.h"
#include "platform/error.h"
#include "platform/text.h"
#include "sqlite.h"

namespace platform::db::sqlite {

namespace fs = std::filesystem;

namespace {

std::string Quote(const std::string& name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

// Whether this user may write the file or folder. The permission bits count as well as the
// user's access, so that a file nobody may write is opened read-only even for the superuser.
bool Writable(const fs::path& p) {
    if (::access(p.c_str(), W_OK) != 0) return false;
    std::error_code ec;
    const fs::perms bits = fs::status(p, ec).permissions();
    return ec || (bits & (fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write)) != fs::perms::none;
}

// file: URI of a path (percent-encoding what a URI reserves).
std::string FileUri(const fs::path& p) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = "file:";
    for (unsigned char c : p.string()) {
        if (c == '?' || c == '#' || c == '%' || c < 0x20) {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 15];
        } else {
            uri += static_cast<char>(c);
        }
    }
    return uri;
}

void Exec(sqlite3* db, const char* sql, const char* source) {
    char* err = nullptr;
    int rc = sqlite3_exec(db, sql, nullptr, nullptr, &err);
    sqlite3_free(err);
    if (rc != SQLITE_OK) Throw(db, rc, source);
}

// What a connection of the layer needs beyond the extension's collation and functions.
void Configure(sqlite3* handle) {
    RegisterSqlServerFunctions(handle);
    // A misspelt "name" must fail as it does on SQL Server, not turn into a string literal.
    const int rc = sqlite3_db_config(handle, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    if (rc != SQLITE_OK) Throw(handle, rc, "Connection.Open");
}

// The collation generation of the file, kept in its user_version: 0 and 1 are earlier builds'
// NOCASE (or TSQL_CI) in code-point and then pinyin order; 2 the collation of the account's own name.
constexpr int kCollationGeneration = 2;

StatementPtr PrepareOn(sqlite3* handle, const char* sql) {
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v2(handle, sql, -1, &raw, nullptr);
    if (rc != SQLITE_OK) Throw(handle, rc, "Connection.Open");
    return StatementPtr(raw);
}

int PragmaNumber(sqlite3* handle, const char* name) {
    auto stmt = PrepareOn(handle, ("PRAGMA " + std::string(name)).c_str());
    const int rc = sqlite3_step(stmt.get());
    if (rc != SQLITE_ROW) Throw(handle, rc, "Connection.Open");
    return sqlite3_column_int(stmt.get(), 0);
}

// The schema text with the collation names of earlier builds replaced by the account's own.
std::string WithOwnCollation(const std::string& sql) {
    static const std::regex kOld(R"re(\bCOLLATE(\s+)("?)(?:NOCASE|TSQL_CI)\2(?![A-Za-z0-9_]))re", std::regex::icase);
    return std::regex_replace(sql, kOld, "COLLATE$1" + std::string(kSqliteTextCollation));
}

// Rewrites the schema of a file made by an earlier build to the account's collation and rebuilds
// the indexes in its order, in one transaction: on failure nothing is changed.
void ConvertToOwnCollation(sqlite3* handle) {
    const std::string file = sqlite3_db_filename(handle, "main");
    try {
        Exec(handle, "BEGIN IMMEDIATE", "Connection.Open");
        std::vector<std::pair<sqlite3_int64, std::string>> changed;
        auto read = PrepareOn(handle, "SELECT rowid, sql FROM sqlite_schema WHERE sql IS NOT NULL");
        int rc;
        while ((rc = sqlite3_step(read.get())) == SQLITE_ROW) {
            const std::string sql = reinterpret_cast<const char*>(sqlite3_column_text(read.get(), 1));
            std::string converted = WithOwnCollation(sql);
            if (converted != sql) changed.emplace_back(sqlite3_column_int64(read.get(), 0), std::move(converted));
        }
        if (rc != SQLITE_DONE) Throw(handle, rc, "Connection.Open");
        read.reset();
        Exec(handle, "PRAGMA writable_schema=ON", "Connection.Open");
        auto write = PrepareOn(handle, "UPDATE sqlite_schema SET sql=?1 WHERE rowid=?2");
        for (const auto& [rowid, sql] : changed) {
            sqlite3_bind_text(write.get(), 1, sql.data(), static_cast<int>(sql.size()), SQLITE_STATIC);
            sqlite3_bind_int64(write.get(), 2, rowid);
            rc = sqlite3_step(write.get());
            sqlite3_reset(write.get());
            if (rc != SQLITE_DONE) Throw(handle, rc, "Connection.Open");
        }
        write.reset();
        // Other connections learn of the new schema by its cookie; this one reloads it here.
        Exec(handle,
             ("PRAGMA schema_version=" + std::to_string(PragmaNumber(handle, "schema_version") + 1) +
              "; PRAGMA writable_schema=RESET; REINDEX " + std::string(kSqliteTextCollation) +
              "; PRAGMA user_version=" + std::to_string(kCollationGeneration) + "; COMMIT")
                 .c_str(),
             "Connection.Open");
    } catch (const Error& e) {
        if (!sqlite3_get_autocommit(handle)) sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_exec(handle, "PRAGMA writable_schema=RESET", nullptr, nullptr, nullptr);
        throw Error(errnum::ConnectionFailed, "Connection.Open",
                    "the database '" + file + "' was made by an earlier version of Sovrel and could not be "
                    "converted to this version's text order; the file is unchanged: " + e.Description(),
                    e.NativeCode());
    }
}

class SqliteBackend : public Backend {
public:
    const std::string& Provider() const override {
        static const std::string name = "SQLite";
        return name;
    }
    const Dialect& dialect() const override { return SqliteDialect(); }

    void Open(const ConnectionInfo& info, int commandTimeoutSeconds) override {
        if (info.dataSource.empty())
            throw Error(errnum::ConnectionFailed, "Connection.Open",
                        "the connection text names no Data Source: give the folder of the database files");
        std::error_code ec;
        if (!fs::is_directory(info.dataSource, ec))
            throw Error(errnum::ConnectionFailed, "Connection.Open",
                        "the Data Source folder '" + info.dataSource + "' does not exist");
        folder_ = info.dataSource;
        busyMs_ = commandTimeoutSeconds <= 0 ? std::numeric_limits<int>::max()
                                             : commandTimeoutSeconds * 1000;
        // Without a catalog the connection reaches the server but no database, as a login with
        // no default database would: "create database" and "use" work from there.
        db_ = info.catalog.empty() ? OpenMaster() : OpenFile(info.catalog);
    }

    void Close() override {
        stmtCache_.clear();
        keys_.clear();
        unique_.clear();
        db_.reset();
    }

    bool IsOpen() const override { return db_ != nullptr; }
    std::string CurrentDatabase() const override { return db_ ? db_->name : std::string(); }

    void Use(const std::string& database) override {
        Request(db_);
        auto next = OpenFile(database);
        stmtCache_.clear();
        keys_.clear();
        unique_.clear();
        db_ = std::move(next);
    }

    void CreateDatabase(const std::string& database) override {
        if (FindFile(database))
            throw Error(errnum::CommandFailed, "Connection.Execute",
                        "database '" + database + "' already exists; choose a different database name");
        fs::path path = fs::path(folder_) / (database + ".db");
        sqlite3* raw = nullptr;
        int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        Database holder;
        holder.handle = raw;
        if (rc != SQLITE_OK) Throw(raw, rc, "Connection.Execute");
        Exec(raw, "PRAGMA journal_mode=WAL", "Connection.Execute");
    }

    long Execute(const std::string& sql) override {
        Request(db_);
        return Step(sql);
    }

    long Step(const std::string& sql) {
        sqlite3_stmt* s = Cached(sql);
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        }
        sqlite3_reset(s);
        sqlite3_clear_bindings(s);
        if (rc != SQLITE_DONE) Throw(db_->handle, rc, "Connection.Execute");
        return sqlite3_stmt_readonly(s) ? -1 : static_cast<long>(sqlite3_changes64(db_->handle));
    }

    void ExecuteScript(const std::string& sql) override {
        Request(db_);
        Exec(db_->handle, sql.c_str(), "Connection.ExecuteScript");
    }

    std::unique_ptr<Cursor> Query(const std::string& sql) override {
        Request(db_);
        return CreateCursor(db_, PrepareQuery(db_, sql), sql);
    }

    std::unique_ptr<Command> Prepare(const std::string& sql) override {
        Request(db_);
        return CreateCommand(db_, PrepareStatement(db_, sql, true));
    }

    void Defer(std::string sql, std::shared_ptr<AheadRows> rows, std::vector<Value> params, bool alone) override {
        db_->ahead.push_back({std::move(sql), std::move(rows), false, std::move(params), alone});
    }
    long RoundTrips() const override { return db_ ? db_->requests : 0; }
    bool SortsEveryRow(const std::string& sql) override {
        Request(db_);
        auto plan = PrepareQuery(db_, "EXPLAIN QUERY PLAN " + sql);
        int rc;
        while ((rc = sqlite3_step(plan.get())) == SQLITE_ROW) {
            const char* detail = reinterpret_cast<const char*>(sqlite3_column_text(plan.get(), 3));
            if (detail && std::string_view(detail).find("TEMP B-TREE FOR ORDER BY") != std::string_view::npos) return true;
        }
        if (rc != SQLITE_DONE) Throw(db_->handle, rc, "Connection.OpenRowset");
        return false;
    }

    std::shared_ptr<Backend> OpenSnapshot() override {
        if (!db_ || db_->name == "master")
            throw Error(errnum::InvalidOperation, "Connection.OpenRowset", "no database is open to read a page at a time");
        auto other = std::make_shared<SqliteBackend>();
        other->folder_ = folder_;
        other->busyMs_ = busyMs_;
        other->db_ = other->OpenFile(db_->name);
        // A deferred transaction: its first read fixes what the connection sees until it ends.
        // In WAL mode the others write meanwhile.
        Exec(other->db_->handle, "BEGIN", "Connection.OpenRowset");
        return other;
    }

    void Begin(int level) override {
        db_->ahead.push_back({level == 1 ? "BEGIN IMMEDIATE" : "SAVEPOINT sv_level" + std::to_string(level), nullptr, true, {}});
    }
    void Commit(int level) override {
        Request(db_);
        if (db_->failedLevel)
            throw Error(errnum::CommandFailed, "Connection.CommitTrans",
                        "a statement of the transaction failed: the transaction can only be rolled back");
        if (level == 1) Exec(db_->handle, "COMMIT", "Connection.CommitTrans");
        else Exec(db_->handle, ("RELEASE sv_level" + std::to_string(level)).c_str(), "Connection.CommitTrans");
    }
    void Rollback(int level) override {
        db_->failedLevel = false;
        Request(db_);
        if (level == 1) {
            // A BEGIN sent ahead that failed (busy) left nothing to roll back.
            if (sqlite3_get_autocommit(db_->handle)) return;
            Exec(db_->handle, "ROLLBACK", "Connection.RollbackTrans");
        } else {
            std::string sp = "sv_level" + std::to_string(level);
            Exec(db_->handle, ("ROLLBACK TO " + sp + "; RELEASE " + sp).c_str(), "Connection.RollbackTrans");
        }
    }

    std::vector<std::string> PrimaryKey(const std::string& table) override {
        std::string key = text::LCase(table);
        auto it = keys_.find(key);
        if (it != keys_.end()) return it->second;
        Request(db_);
        auto stmt = PrepareStatement(db_, "SELECT name, pk FROM pragma_table_info(?) WHERE pk > 0 ORDER BY pk", false);
        sqlite3_bind_text(stmt.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
        std::vector<std::string> cols;
        while (sqlite3_step(stmt.get()) == SQLITE_ROW)
            cols.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0)));
        keys_[key] = cols;
        return cols;
    }

    bool UniqueColumn(const std::string& table, const std::string& column) override {
        const std::string key = text::LCase(table) + "." + text::LCase(column);
        auto it = unique_.find(key);
        if (it != unique_.end()) return it->second;
        // The primary key (an INTEGER PRIMARY KEY has no index of its own), or a unique index of
        // the one column.
        const std::vector<std::string> primary = PrimaryKey(table);
        if (primary.size() == 1 && text::EqualsNoCase(primary[0], column)) return unique_[key] = true;
        Request(db_);
        auto stmt = PrepareStatement(db_,
                                     "SELECT COUNT(*) FROM pragma_index_list(?1) l WHERE l.\"unique\" = 1 AND l.partial = 0 AND "
                                     "(SELECT COUNT(*) FROM pragma_index_xinfo(l.name) x WHERE x.key = 1) = 1 AND "
                                     "(SELECT x.name FROM pragma_index_xinfo(l.name) x WHERE x.key = 1) = ?2 COLLATE NOCASE",
                                     false);
        sqlite3_bind_text(stmt.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt.get(), 2, column.c_str(), -1, SQLITE_TRANSIENT);
        const bool unique = sqlite3_step(stmt.get()) == SQLITE_ROW && sqlite3_column_int(stmt.get(), 0) > 0;
        unique_[key] = unique;
        return unique;
    }

    bool HasTable(const std::string& table) override {
        Request(db_);
        auto stmt = PrepareStatement(
            db_, "SELECT 1 FROM sqlite_master WHERE type IN ('table', 'view') AND name = ?1 COLLATE NOCASE", false);
        sqlite3_bind_text(stmt.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
        return sqlite3_step(stmt.get()) == SQLITE_ROW;
    }

    void InsertRow(const RowWrite& row, std::vector<Value>& readValues) override {
        Request(db_);
        std::string sql = "INSERT INTO " + Quote(row.table);
        if (row.setColumns.empty()) {
            sql += " DEFAULT VALUES";
        } else {
            std::string cols, marks;
            for (std::size_t i = 0; i < row.setColumns.size(); ++i) {
                cols += (i ? "," : "") + Quote(row.setColumns[i]);
                marks += i ? ",?" : "?";
            }
            sql += " (" + cols + ") VALUES (" + marks + ")";
        }
        sqlite3_stmt* s = Cached(sql);
        for (std::size_t i = 0; i < row.setValues.size(); ++i) BindValue(s, static_cast<int>(i + 1), row.setValues[i]);
        int rc = sqlite3_step(s);
        sqlite3_reset(s);
        sqlite3_clear_bindings(s);
        if (rc != SQLITE_DONE) Throw(db_->handle, rc, "Rowset.Update");
        ReadBack(row, sqlite3_last_insert_rowid(db_->handle), readValues);
    }

    long UpdateRow(const RowWrite& row, std::vector<Value>& readValues) override {
        Request(db_);
        std::string sql = "UPDATE " + Quote(row.table) + " SET ";
        for (std::size_t i = 0; i < row.setColumns.size(); ++i) sql += (i ? "," : "") + Quote(row.setColumns[i]) + "=?";
        std::vector<const Value*> binds;
        for (const auto& v : row.setValues) binds.push_back(&v);
        for (std::size_t i = 0; i < row.whereColumns.size(); ++i) {
            sql += i ? " AND " : " WHERE ";
            if (row.whereValues[i].IsNullOrEmpty()) {
                sql += Quote(row.whereColumns[i]) + " IS NULL";
            } else {
                sql += Quote(row.whereColumns[i]) + "=?";
                binds.push_back(&row.whereValues[i]);
            }
        }
        sql += " RETURNING rowid";
        sqlite3_stmt* s = Cached(sql);
        for (std::size_t i = 0; i < binds.size(); ++i) BindValue(s, static_cast<int>(i + 1), *binds[i]);
        std::vector<sqlite3_int64> rowids;
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) rowids.push_back(sqlite3_column_int64(s, 0));
        sqlite3_reset(s);
        sqlite3_clear_bindings(s);
        if (rc != SQLITE_DONE) Throw(db_->handle, rc, "Rowset.Update");
        if (rowids.size() == 1) ReadBack(row, rowids[0], readValues);
        return static_cast<long>(rowids.size());
    }

private:
    void ReadBack(const RowWrite& row, sqlite3_int64 rowid, std::vector<Value>& out) {
        out.clear();
        if (row.readBack.empty()) return;
        std::string sql = "SELECT ";
        for (std::size_t i = 0; i < row.readBack.size(); ++i) sql += (i ? "," : "") + Quote(row.readBack[i]);
        sql += " FROM " + Quote(row.table) + " WHERE rowid=?";
        auto stmt = PrepareQuery(db_, sql);
        sqlite3_bind_int64(stmt.get(), 1, rowid);
        auto reader = CreateCursor(db_, std::move(stmt), sql);
        if (reader->Next())
            for (std::size_t i = 0; i < row.readBack.size(); ++i) out.push_back(reader->Get(i));
    }

    std::optional<fs::path> FindFile(const std::string& name) const {
        fs::path exact = fs::path(folder_) / (name + ".db");
        std::error_code ec;
        if (fs::exists(exact, ec)) return exact;
        // Database names ignore case, as on the server.
        for (const auto& entry : fs::directory_iterator(folder_, ec)) {
            const auto& p = entry.path();
            if (p.extension() == ".db" && text::EqualsNoCase(p.stem().string(), name)) return p;
        }
        return std::nullopt;
    }

    DatabasePtr OpenMaster() {
        auto db = std::make_shared<Database>();
        db->name = "master";
        int rc = sqlite3_open_v2(":memory:", &db->handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc != SQLITE_OK) Throw(db->handle, rc, "Connection.Open");
        Configure(db->handle);
        return db;
    }

    DatabasePtr OpenFile(const std::string& name) {
        auto path = FindFile(name);
        if (!path)
            throw Error(errnum::ConnectionFailed, "Connection.Open",
                        "database '" + name + "' does not exist in the folder '" + folder_ + "'");
        auto db = std::make_shared<Database>();
        db->name = path->stem().string();
        // A user who may read but not write the data gets a read-only connection: reads work and
        // every write is refused. Without write access to the folder, the shared-memory file of
        // the write-ahead log cannot be made; then the file is read as one that nobody changes.
        const bool folderWritable = Writable(path->parent_path());
        const bool readOnly = !Writable(*path) || !folderWritable;
        std::error_code ec;
        const bool immutable = readOnly && !folderWritable && !fs::exists(path->string() + "-shm", ec);
        const std::string target = immutable ? FileUri(*path) + "?immutable=1" : path->string();
        const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI;
        int rc = sqlite3_open_v2(target.c_str(), &db->handle, flags, nullptr);
        if (rc != SQLITE_OK) Throw(db->handle, rc, "Connection.Open");
        sqlite3_extended_result_codes(db->handle, 1);
        sqlite3_busy_timeout(db->handle, busyMs_);
        Configure(db->handle);
        // WAL lets readers and one writer work at once; FULL makes a committed write survive a
        // power loss; foreign keys stay off as the account database declares none.
        if (!readOnly) Exec(db->handle, "PRAGMA journal_mode=WAL", "Connection.Open");
        Exec(db->handle,
             "PRAGMA synchronous=FULL; PRAGMA foreign_keys=OFF; PRAGMA cache_size=-8000; PRAGMA temp_store=MEMORY",
             "Connection.Open");
        if (PragmaNumber(db->handle, "user_version") < kCollationGeneration) {
            // Indexes of an earlier build are in the collation's order under the name NOCASE.
            if (readOnly) RegisterLegacyNoCase(db->handle);
            else ConvertToOwnCollation(db->handle);
        }
        return db;
    }

    sqlite3_stmt* Cached(const std::string& sql) {
        auto it = stmtCache_.find(sql);
        if (it != stmtCache_.end()) return it->second.get();
        if (stmtCache_.size() >= 256) stmtCache_.clear();  // bounded: ad-hoc texts rarely repeat
        auto stmt = PrepareStatement(db_, sql, true);
        sqlite3_stmt* raw = stmt.get();
        stmtCache_.emplace(sql, std::move(stmt));
        return raw;
    }

    std::string folder_;
    int busyMs_ = 30000;
    DatabasePtr db_;
    std::unordered_map<std::string, StatementPtr> stmtCache_;
    std::unordered_map<std::string, std::vector<std::string>> keys_;
    std::unordered_map<std::string, bool> unique_;
};

}  // namespace

void Request(const DatabasePtr& db) {
    ++db->requests;
    if (db->ahead.empty()) return;
    auto ahead = std::move(db->ahead);
    db->ahead.clear();
    bool open = false;
    try {
        for (auto& [sql, rows, control, params, alone] : ahead) {
            if (!alone && !sqlite3_get_autocommit(db->handle)) db->failedLevel = true;  // until it ran
            if (control && open) Exec(db->handle, "RELEASE sv_statement", "Connection.Execute"), open = false;
            if (!control && !open && !sqlite3_get_autocommit(db->handle))
                Exec(db->handle, "SAVEPOINT sv_statement", "Connection.Execute"), open = true;
            StatementPtr stmt = PrepareQuery(db, sql);
            // SQLite would take a missing value as NULL, where a server refuses the statement.
            const int marks = sqlite3_bind_parameter_count(stmt.get());
            if (static_cast<std::size_t>(marks) != params.size())
                throw Error(errnum::InvalidOperation, "Connection.ExecuteAhead",
                            "the statement has " + std::to_string(marks) + " parameters and " +
                                std::to_string(params.size()) + " values were given: " + sql.substr(0, 60));
            for (std::size_t i = 0; i < params.size(); ++i) BindValue(stmt.get(), static_cast<int>(i + 1), params[i]);
            auto cursor = CreateCursor(db, std::move(stmt), sql);
            if (!rows) {
                while (cursor->Next()) {
                }
                if (!alone) db->failedLevel = false;
                continue;
            }
            while (cursor->Next()) {
                rows->rows.emplace_back();
                for (std::size_t i = 0; i < cursor->Fields().size(); ++i) rows->rows.back().push_back(cursor->Get(i));
            }
            rows->ready = true;
        }
    } catch (...) {
        if (open) Exec(db->handle, "ROLLBACK TO sv_statement; RELEASE sv_statement", "Connection.Execute");
        throw;
    }
    if (open) Exec(db->handle, "RELEASE sv_statement", "Connection.Execute");
}

}  // namespace platform::db::sqlite

namespace platform::db {
std::unique_ptr<Backend> CreateSqliteBackend() { return std::make_unique<sqlite::SqliteBackend>(); }
}  // namespace platform::db
