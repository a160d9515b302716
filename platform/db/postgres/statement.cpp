#include <charconv>
#include <map>
#include <string_view>

#include "platform/error.h"
#include "postgres.h"

namespace platform::db::postgres {

void Params::Add(const Value& v) {
    null_.push_back(v.IsNullOrEmpty());
    switch (v.kind()) {
        case Value::Kind::Empty:
        case Value::Kind::Null: texts_.emplace_back(); break;
        // "1"/"0" read as a flag by boolean columns and as a number by the bit domain.
        case Value::Kind::Boolean: texts_.push_back(v.ToBool() ? "1" : "0"); break;
        case Value::Kind::Double: {
            char buf[32];
            auto r = std::to_chars(buf, buf + sizeof buf, v.ToDouble());
            texts_.emplace_back(buf, r.ptr);
            break;
        }
        default: texts_.push_back(v.ToText()); break;
    }
}

const char* const* Params::Data() const {
    if (texts_.empty()) return nullptr;
    pointers_.resize(texts_.size());
    for (std::size_t i = 0; i < texts_.size(); ++i) pointers_[i] = null_[i] ? nullptr : texts_[i].c_str();
    return pointers_.data();
}

namespace {

ResultPtr Exec(Session& s, const std::string& sql, const Params& params, const char* prepared) {
    ++s.roundTrips;
    if (prepared)
        return ResultPtr(PQexecPrepared(s.get(), prepared, params.Count(), params.Data(), nullptr, nullptr, 0));
    return ResultPtr(PQexecParams(s.get(), sql.c_str(), params.Count(), nullptr, params.Data(), nullptr, nullptr, 0));
}

bool Failed(const PGresult* r) {
    if (!r) return true;
    auto st = PQresultStatus(r);
    return st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK && st != PGRES_EMPTY_QUERY;
}

// One statement of a pipeline: its own parameters only for the request's statement.
struct Item {
    const std::string* sql = nullptr;
    const Params* params = nullptr;
    const char* prepared = nullptr;
    std::shared_ptr<AheadRows> rows;
    bool mine = false;  // the request's own statement, whose result is answered
    bool prepare = false;  // prepares sql under the name `prepared`
};

// So many texts sent ahead with values are kept prepared per connection; others are parsed each time.
constexpr std::size_t kPreparedAhead = 64;

const std::string kSavepoint = "SAVEPOINT sv_statement", kRelease = "RELEASE SAVEPOINT sv_statement",
                  kUndo = "ROLLBACK TO SAVEPOINT sv_statement";

void FillRows(Session& s, const PGresult* r, AheadRows& rows) {
    Shape shape = Describe(s, r);
    for (int i = 0; i < PQntuples(r); ++i) {
        rows.rows.emplace_back();
        for (int c = 0; c < PQnfields(r); ++c) rows.rows.back().push_back(ReadValue(r, i, c, shape.kinds[static_cast<std::size_t>(c)]));
    }
    rows.ready = true;
}

// The statements waiting ahead, then the request's own (sql; a control statement when control),
// in one round trip. Inside a transaction the statements sent ahead, and apart from them the
// request's own, go between a savepoint and its release, so that a failure undoes its part alone
// and the transaction goes on, as SQL Server rolls back a failed statement and keeps its
// transaction.
ResultPtr Request(Session& s, const std::string& sql, const Params* params, const char* prepared, bool control,
                  const char* source) {
    std::vector<Session::Ahead> ahead = std::move(s.ahead);
    s.ahead.clear();
    if (ahead.empty() && (control || s.transactionLevel == 0)) {
        ResultPtr r = Exec(s, sql, params ? *params : Params{}, prepared);
        if (Failed(r.get())) Throw(s.get(), r.get(), source);
        return r;
    }
    std::vector<Item> items;
    bool open = false;
    auto add = [&](Item item, bool isControl) {
        if (isControl && open) items.push_back(Item{&kRelease, nullptr, nullptr, nullptr, false}), open = false;
        // Transaction control goes first, so the level may only be open from here on.
        if (!isControl && !open && s.transactionLevel > 0) items.push_back(Item{&kSavepoint, nullptr, nullptr, nullptr, false}), open = true;
        items.push_back(std::move(item));
    };
    // Parsing and planning a many-row INSERT costs the server more than running it.
    std::map<std::string_view, std::string> preparing;  // by this request
    for (auto& a : ahead) {
        const char* name = nullptr;
        if (a.params.Count() && !a.control) {
            if (auto it = s.preparedAhead.find(a.sql); it != s.preparedAhead.end()) {
                name = it->second.c_str();
            } else if (auto here = preparing.find(a.sql); here != preparing.end()) {
                name = here->second.c_str();
            } else if (s.preparedAhead.size() + preparing.size() < kPreparedAhead) {
                name = preparing.emplace(a.sql, "sv_ahead" + std::to_string(s.preparedAhead.size() + preparing.size() + 1))
                           .first->second.c_str();
                add(Item{&a.sql, nullptr, name, nullptr, false, true}, false);
            }
        }
        add(Item{&a.sql, a.params.Count() ? &a.params : nullptr, name, a.rows, false}, a.control);
    }
    // The request's own statement is undone alone, apart from those sent ahead of it.
    if (open) items.push_back(Item{&kRelease, nullptr, nullptr, nullptr, false}), open = false;
    add({&sql, params, prepared, nullptr, true}, control);
    if (open) items.push_back(Item{&kRelease, nullptr, nullptr, nullptr, false});

    PGconn* c = s.get();
    if (PQenterPipelineMode(c) != 1) Throw(c, nullptr, source);
    for (const Item& i : items) {
        const int sent = i.prepare    ? PQsendPrepare(c, i.prepared, i.sql->c_str(), 0, nullptr)
                         : i.prepared ? PQsendQueryPrepared(c, i.prepared, i.params->Count(), i.params->Data(), nullptr, nullptr, 0)
                                      : PQsendQueryParams(c, i.sql->c_str(), i.params ? i.params->Count() : 0, nullptr,
                                                          i.params ? i.params->Data() : nullptr, nullptr, nullptr, 0);
        if (sent != 1) {
            PQexitPipelineMode(c);
            Throw(c, nullptr, source);
        }
    }
    PQpipelineSync(c);
    ++s.roundTrips;
    std::vector<ResultPtr> results;
    for (std::size_t i = 0; i < items.size(); ++i) {
        results.emplace_back(PQgetResult(c));
        while (PGresult* more = PQgetResult(c)) PQclear(more);  // to the end of this statement's results
    }
    while (PGresult* r = PQgetResult(c)) {  // the sync
        const bool synced = PQresultStatus(r) == PGRES_PIPELINE_SYNC;
        PQclear(r);
        if (synced) break;
    }
    PQexitPipelineMode(c);

    std::size_t failed = items.size();
    bool inside = false, failedInside = false;
    for (std::size_t i = 0; i < items.size() && failed == items.size(); ++i) {
        if (items[i].sql == &kSavepoint) inside = true;
        if (items[i].sql == &kRelease) inside = false;
        if (Failed(results[i].get())) failed = i, failedInside = inside;
    }
    // A statement prepared before a failure stays prepared (a failed transaction does not undo it).
    for (std::size_t i = 0; i < failed && i < items.size(); ++i)
        if (items[i].prepare) s.preparedAhead.emplace(*items[i].sql, items[i].prepared);
    // Rows sent ahead of a failed statement are read all the same: the caller may need them to
    // tell why it failed.
    for (std::size_t i = 0; i < failed && i < items.size(); ++i)
        if (items[i].rows) FillRows(s, results[i].get(), *items[i].rows);
    if (failed < items.size()) {
        if (failedInside) {
            // Undoing can only fail with a lost connection, which the next statement reports.
            Exec(s, kUndo, {}, nullptr);
            Exec(s, kRelease, {}, nullptr);
        }
        Throw(c, results[failed].get(), source);
    }
    ResultPtr mine;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].mine) mine = std::move(results[i]);
    return mine;
}

}  // namespace

ResultPtr Run(Session& s, const std::string& sql, const Params& params, const char* source, const char* prepared) {
    return Request(s, sql, &params, prepared, false, source);
}

void RunControl(Session& s, const std::string& sql, const char* source) { Request(s, sql, nullptr, nullptr, true, source); }

void Flush(Session& s, const char* source) {
    if (s.ahead.empty()) return;
    Session::Ahead last = std::move(s.ahead.back());
    s.ahead.pop_back();
    ResultPtr r = Request(s, last.sql, &last.params, nullptr, last.control, source);
    if (last.rows) FillRows(s, r.get(), *last.rows);
}

namespace {

class PgCommand : public Command {
public:
    PgCommand(SessionPtr session, std::string name, int parameters)
        : session_(std::move(session)), name_(std::move(name)), values_(static_cast<std::size_t>(parameters)) {}

    void Bind(int index, const Value& value) override {
        if (index < 1 || index > static_cast<int>(values_.size()))
            throw Error(errnum::InvalidOperation, "Command.Bind",
                        "parameter " + std::to_string(index) + " does not exist; the statement has " +
                            std::to_string(values_.size()));
        RequireUtf8Value(value, "parameter " + std::to_string(index), "Command.Bind");
        values_[static_cast<std::size_t>(index - 1)] = value;
    }

    long Execute() override {
        Params params;
        for (const auto& v : values_) params.Add(v);
        ResultPtr r = Run(*session_, {}, params, "Command.Execute", name_.c_str());
        const char* n = PQcmdTuples(r.get());
        return n && *n ? std::stol(n) : 0;
    }

private:
    SessionPtr session_;
    std::string name_;
    std::vector<Value> values_;
};

}  // namespace

std::unique_ptr<Command> CreateCommand(SessionPtr session, std::string name, int parameters) {
    return std::make_unique<PgCommand>(std::move(session), std::move(name), parameters);
}

}  // namespace platform::db::postgres
