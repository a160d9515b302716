#include <cstring>

#include "platform/error.h"
#include "sqlite.h"

namespace platform::db::sqlite {

Database::~Database() {
    idle.clear();
    if (handle) sqlite3_close_v2(handle);
}

StatementPtr PrepareStatement(const DatabasePtr& db, const std::string& sql, bool persistent) {
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v3(db->handle, sql.c_str(), static_cast<int>(sql.size() + 1),
                                persistent ? SQLITE_PREPARE_PERSISTENT : 0, &stmt, &tail);
    if (rc != SQLITE_OK) Throw(db->handle, rc, "Connection.Execute");
    StatementPtr p(stmt);
    if (tail) {
        while (*tail == ' ' || *tail == '\n' || *tail == '\r' || *tail == '\t' || *tail == ';') ++tail;
        if (*tail)
            throw Error(errnum::InvalidOperation, "Connection.Execute",
                        "one statement expected, more text follows: " + std::string(tail).substr(0, 60));
    }
    if (!p)  // only white space or comments
        throw Error(errnum::CommandFailed, "Connection.Execute", "the statement text is empty");
    return p;
}

StatementPtr PrepareQuery(const DatabasePtr& db, const std::string& sql) {
    auto it = db->idle.find(sql);
    if (it == db->idle.end()) return PrepareStatement(db, sql, true);
    StatementPtr stmt = std::move(it->second);
    db->idle.erase(it);
    return stmt;
}

void BindValue(sqlite3_stmt* stmt, int index, const Value& v) {
    int rc = SQLITE_OK;
    switch (v.kind()) {
        case Value::Kind::Empty:
        case Value::Kind::Null: rc = sqlite3_bind_null(stmt, index); break;
        case Value::Kind::Boolean: rc = sqlite3_bind_int(stmt, index, v.ToBool() ? 1 : 0); break;
        case Value::Kind::Integer: rc = sqlite3_bind_int64(stmt, index, v.ToInt()); break;
        case Value::Kind::Double: rc = sqlite3_bind_double(stmt, index, v.ToDouble()); break;
        case Value::Kind::Text: {
            const std::string& s = *v.AsText();
            rc = sqlite3_bind_text(stmt, index, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
            break;
        }
        case Value::Kind::Date: {
            std::string s = v.ToText();
            rc = sqlite3_bind_text(stmt, index, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
            break;
        }
    }
    if (rc != SQLITE_OK) Throw(sqlite3_db_handle(stmt), rc, "Command.Bind");
}

namespace {

class SqliteCommand : public Command {
public:
    SqliteCommand(DatabasePtr db, StatementPtr stmt) : db_(std::move(db)), stmt_(std::move(stmt)) {}

    void Bind(int index, const Value& value) override {
        if (index < 1 || index > sqlite3_bind_parameter_count(stmt_.get()))
            throw Error(errnum::InvalidOperation, "Command.Bind",
                        "parameter " + std::to_string(index) + " does not exist; the statement has " +
                            std::to_string(sqlite3_bind_parameter_count(stmt_.get())));
        RequireUtf8Parameter(value, static_cast<std::size_t>(index), "Command.Bind");
        BindValue(stmt_.get(), index, value);
    }

    long Execute() override {
        Request(db_);
        int rc;
        while ((rc = sqlite3_step(stmt_.get())) == SQLITE_ROW) {
        }
        sqlite3_reset(stmt_.get());
        if (rc != SQLITE_DONE) Throw(db_->handle, rc, "Command.Execute");
        return static_cast<long>(sqlite3_changes64(db_->handle));
    }

private:
    DatabasePtr db_;
    StatementPtr stmt_;
};

}  // namespace

std::unique_ptr<Command> CreateCommand(DatabasePtr db, StatementPtr stmt) {
    return std::make_unique<SqliteCommand>(std::move(db), std::move(stmt));
}

}  // namespace platform::db::sqlite
