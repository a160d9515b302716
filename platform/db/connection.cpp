#include "platform/db/connection.h"

#include <unordered_map>

#include "backend.h"
#include "platform/db/rowset.h"
#include "platform/error.h"
#include "platform/text.h"
#include "paged_rows.h"
#include "row_store.h"

namespace platform::db {

namespace {

std::unique_ptr<Backend> BackendFor(const ConnectionInfo& info) {
    std::string p = text::LCase(info.provider);
    if (p.empty())
        throw Error(errnum::ConnectionFailed, "Connection.Open",
                    "the connection text names no Provider; use Provider=SQLite (or Provider=PostgreSQL)");
    if (p == "sqlite" || p == "sqlite3") return CreateSqliteBackend();
    if (p == "postgresql" || p == "postgres" || p == "pgsql") return CreatePostgresBackend();
    throw Error(errnum::ConnectionFailed, "Connection.Open",
                "the provider '" + info.provider + "' is not available; use Provider=SQLite or Provider=PostgreSQL");
}

// Field names as the statement spells them, for a backend that folds them to lower case. A
// name the backend already gave the schema's spelling keeps it, as a column named in any case
// comes back from SQLite.
void RestoreSpelling(std::vector<FieldInfo>& fields, std::string_view tsql) {
    const std::vector<std::string> names = SpelledNames(tsql);
    for (auto& field : fields) {
        if (field.name != text::LCase(field.name)) continue;
        for (const auto& spelt : names) {
            if (spelt != field.name && text::LCase(spelt) == field.name) {
                field.name = spelt;
                break;
            }
        }
    }
}

void RestoreSpelling(Cursor& cursor, std::string_view tsql) {
    std::vector<FieldInfo> fields = cursor.Fields();
    RestoreSpelling(fields, tsql);
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name != cursor.Fields()[i].name) cursor.RenameField(i, fields[i].name);
}

bool SwitchesDatabase(const std::vector<Step>& steps) {
    for (const auto& s : steps)
        if (s.kind == Step::Kind::Use || s.kind == Step::Kind::CreateDatabase) return true;
    return false;
}

}  // namespace

// Translations by text. A translation depends on the text and the dialect alone, so nothing but
// a new backend makes one stale. Bounded: texts with their values written in rarely come again.
struct Connection::Translations {
    static constexpr std::size_t kTexts = 256, kLongest = 4096;
    // Looked up by the caller's text as it is, without a copy: every write asks.
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    std::unordered_map<std::string, std::shared_ptr<const std::vector<Step>>, Hash, std::equal_to<>> byText;
};

Connection::Connection() : translations_(std::make_unique<Translations>()) {}

Connection::~Connection() {
    try {
        Close();
    } catch (...) {
        // A destructor must not throw; an open transaction is rolled back by closing anyway.
    }
}

void Connection::Open(const std::string& connectionText) {
    connectionString_ = connectionText;
    Open();
}

void Connection::Open() {
    if (IsOpen()) throw Error(errnum::InvalidOperation, "Connection.Open", "the connection is already open");
    ConnectionInfo info = ConnectionInfo::Parse(connectionString_);
    auto backend = BackendFor(info);
    backend->Open(info, commandTimeout_);
    backend_ = std::move(backend);
    translations_->byText.clear();
    transactionLevel_ = 0;
}

void Connection::Close() {
    if (!backend_) return;
    while (transactionLevel_ > 0) {
        try {
            backend_->Rollback(transactionLevel_);
        } catch (...) {
            // Closing ends the transaction regardless; the database discards it.
        }
        --transactionLevel_;
    }
    backend_->Close();
    backend_.reset();
}

bool Connection::IsOpen() const { return backend_ && backend_->IsOpen(); }

Backend& Connection::backend() {
    if (!IsOpen())
        throw Error(errnum::InvalidOperation, "Connection",
                    "the connection is not open: open it with a connection text first");
    return *backend_;
}

const std::string& Connection::Provider() const {
    static const std::string none;
    return backend_ ? backend_->Provider() : none;
}

std::string Connection::CurrentDatabase() const { return backend_ ? backend_->CurrentDatabase() : std::string(); }

void Connection::RunSteps(const std::vector<Step>& steps, long& affected, std::shared_ptr<Rowset>* rows,
                          CursorKind kind, std::string_view tsql) {
    Backend& b = backend();
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& s = steps[i];
        switch (s.kind) {
            case Step::Kind::Use:
                if (text::EqualsNoCase(s.name, b.CurrentDatabase())) break;  // already there
                if (transactionLevel_ > 0)
                    throw Error(errnum::InvalidOperation, "Connection",
                                "cannot change to database " + s.name + " inside a transaction; commit or roll back first");
                b.Use(s.name);
                break;
            case Step::Kind::CreateDatabase: b.CreateDatabase(s.name); break;
            case Step::Kind::If: {
                auto cursor = b.Query(s.sql);
                bool holds = cursor->Next() && cursor->Get(0).ToBool();
                cursor.reset();
                RunSteps(holds ? s.then : s.otherwise, affected, rows, kind, tsql);
                break;
            }
            case Step::Kind::Statement:
                if (rows && s.returnsRows) {
                    auto cursor = b.Query(s.sql);
                    if (b.FoldsNames()) RestoreSpelling(*cursor, tsql);
                    if (kind == CursorKind::ForwardOnly) {
                        *rows = Rowset::CreateForward(backend_, std::move(cursor));
                    } else {
                        std::vector<FieldInfo> fields = cursor->Fields();
                        auto store = std::make_unique<RowStore>(fields.size());
                        cursor->FetchAll(*store, fields);
                        *rows = Rowset::CreateClient(backend_, std::move(fields), std::move(store));
                    }
                } else {
                    affected = b.Execute(s.sql);
                }
                break;
        }
    }
}

std::shared_ptr<const std::vector<Step>> Connection::Translated(std::string_view tsql, const char* source) {
    const Dialect& dialect = backend().dialect();
    auto& byText = translations_->byText;
    // A text kept here was checked when it was translated.
    if (auto it = byText.find(tsql); it != byText.end()) return it->second;
    RequireUtf8(tsql, "the statement", source);
    auto steps = std::make_shared<const std::vector<Step>>(dialect.Translate(tsql));
    if (tsql.size() <= Translations::kLongest) {
        if (byText.size() >= Translations::kTexts) byText.clear();
        byText.emplace(std::string(tsql), steps);
    }
    return steps;
}

long Connection::Execute(std::string_view tsql) {
    const auto translated = Translated(tsql, "Connection.Execute");
    const std::vector<Step>& steps = *translated;
    long affected = -1;
    bool atomic = (steps.size() > 1 || (steps.size() == 1 && steps[0].kind == Step::Kind::If)) && !SwitchesDatabase(steps);
    if (!atomic) {
        RunSteps(steps, affected, nullptr, CursorKind::ClientStatic);
        return affected;
    }
    BeginTrans();
    try {
        RunSteps(steps, affected, nullptr, CursorKind::ClientStatic);
    } catch (...) {
        RollbackTrans();
        throw;
    }
    CommitTrans();
    return affected;
}

std::shared_ptr<Rowset> Connection::OpenRowset(std::string_view tsql, CursorKind kind) {
    const auto translated = Translated(tsql, "Rowset.Open");
    const std::vector<Step>& steps = *translated;
    if (kind == CursorKind::Paged) {
        // A snapshot on another connection would not see this one's uncommitted writes.
        if (steps.size() == 1 && steps[0].kind == Step::Kind::Statement && steps[0].returnsRows &&
            transactionLevel_ == 0 && !text::EqualsNoCase(CurrentDatabase(), "master")) {
            void (*rename)(std::vector<FieldInfo>&, std::string_view) = RestoreSpelling;
            auto rows = PagedRows::Open(backend(), tsql, backend().FoldsNames() ? rename : nullptr);
            return Rowset::CreatePaged(backend_, std::move(rows));
        }
        kind = CursorKind::ClientStatic;
    }
    long affected = -1;
    std::shared_ptr<Rowset> rows;
    RunSteps(steps, affected, &rows, kind, tsql);
    if (!rows)  // a statement that returns no rows gives a closed rowset in the original layer
        rows = Rowset::CreateDetached({});
    return rows;
}

std::unique_ptr<Command> Connection::Prepare(std::string_view tsql) {
    const auto translated = Translated(tsql, "Connection.Prepare");
    const std::vector<Step>& steps = *translated;
    if (steps.size() != 1 || steps[0].kind != Step::Kind::Statement)
        throw Error(errnum::InvalidOperation, "Connection.Prepare", "only a single plain statement can be prepared");
    return backend().Prepare(steps[0].sql);
}

void Connection::ExecuteScript(const std::string& nativeSql) {
    RequireUtf8(nativeSql, "the script", "Connection.ExecuteScript");
    backend().ExecuteScript(nativeSql);
}

bool Connection::HasTable(std::string_view table) { return backend().HasTable(std::string(table)); }

std::shared_ptr<Rowset> Connection::OpenNativeRowset(const std::string& nativeSql, const std::vector<Value>& params) {
    RequireUtf8(nativeSql, "the statement", "Rowset.Open");
    RequireUtf8Parameters(params, "Rowset.Open");
    auto cursor = backend().QueryNative(nativeSql, params);
    std::vector<FieldInfo> fields = cursor->Fields();
    auto store = std::make_unique<RowStore>(fields.size());
    cursor->FetchAll(*store, fields);
    return Rowset::CreateClient(backend_, std::move(fields), std::move(store));
}

bool IsPermissionDenied(const platform::Error& e) {
    long code = 0;
    for (char c : std::string_view("42501")) code = code * 36 + (c - '0');
    return e.NativeCode() == code;
}

namespace {
const std::string& OneStatement(const std::vector<Step>& steps, const char* source) {
    if (steps.size() != 1 || steps[0].kind != Step::Kind::Statement)
        throw Error(errnum::InvalidOperation, source, "only a single plain statement can be sent ahead");
    return steps[0].sql;
}
}  // namespace

void Connection::ExecuteAhead(std::string_view tsql, std::vector<Value> params, AheadFailure failure) {
    const char* source = "Connection.ExecuteAhead";
    const auto translated = Translated(tsql, source);
    RequireUtf8Parameters(params, source);
    backend().Defer(OneStatement(*translated, source), nullptr, std::move(params), failure == AheadFailure::UndoneAlone);
}

std::shared_ptr<const AheadRows> Connection::QueryAhead(std::string_view tsql, std::vector<Value> params) {
    const char* source = "Connection.QueryAhead";
    const auto translated = Translated(tsql, source);
    RequireUtf8Parameters(params, source);
    auto rows = std::make_shared<AheadRows>();
    backend().Defer(OneStatement(*translated, source), rows, std::move(params), true);
    return rows;
}

long Connection::RoundTrips() const { return backend_ ? backend_->RoundTrips() : 0; }

int Connection::BeginTrans() {
    backend().Begin(transactionLevel_ + 1);
    return ++transactionLevel_;
}

void Connection::CommitTrans() {
    if (transactionLevel_ == 0) throw Error(errnum::InvalidOperation, "Connection.CommitTrans", "no transaction is open");
    backend().Commit(transactionLevel_);
    --transactionLevel_;
}

void Connection::RollbackTrans() {
    if (transactionLevel_ == 0) throw Error(errnum::InvalidOperation, "Connection.RollbackTrans", "no transaction is open");
    backend().Rollback(transactionLevel_);
    --transactionLevel_;
}

}  // namespace platform::db
