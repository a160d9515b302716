#include <algorithm>
#include <cctype>
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
    bool control = false;
    bool cached = false;  // runs a statement of the session's cache (not a Command's own)
    bool bare = false;  // without a savepoint: its failure fails the transaction level
};

Item Marker(const std::string* sql) {
    Item item;
    item.sql = sql;
    return item;
}

// So many texts are kept prepared per connection; others are parsed and planned each time.
constexpr std::size_t kPrepared = 256;
// So many texts sent once are remembered, to be prepared when they come again.
constexpr std::size_t kSeen = 1024;

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

// Planning costs the server more than running a short statement: a text with values, written to be
// sent again with others, is prepared the first time; a text of literals the second time, so that
// texts sent once do not fill the cache. Only plannable statements gain from it.
bool Plannable(const std::string& sql) {
    std::size_t i = 0;
    while (i < sql.size() && (sql[i] == ' ' || sql[i] == '\n' || sql[i] == '\t' || sql[i] == '(')) ++i;
    std::string word;
    for (; i < sql.size() && word.size() < 6 && std::isalpha(static_cast<unsigned char>(sql[i])); ++i)
        word += static_cast<char>(std::toupper(static_cast<unsigned char>(sql[i])));
    return word == "SELECT" || word == "INSERT" || word == "UPDATE" || word == "DELETE" || word == "WITH";
}

// A cached statement whose result no longer has the shape it was prepared with (its table changed):
// the server refuses to run it until it is prepared again.
bool StalePlan(const PGresult* r) {
    const char* state = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
    return state && std::string_view(state) == "0A000";
}

// The server ends a failed transaction's COMMIT as a rollback, without an error.
void RequireCommitted(const std::string& sql, PGresult* r, const char* source) {
    if (sql == "COMMIT" && std::string_view(PQcmdStatus(r)) == "ROLLBACK")
        throw Error(errnum::CommandFailed, source,
                    "a statement of the transaction failed: the transaction was rolled back, not committed");
}

std::vector<ResultPtr> Send(Session& s, const std::vector<Item>& items, const char* source) {
    PGconn* c = s.get();
    if (PQenterPipelineMode(c) != 1) Throw(c, nullptr, source);
    for (const Item& i : items) {
        const int sent = i.prepare    ? PQsendPrepare(c, i.prepared, i.sql->c_str(), 0, nullptr)
                         : i.prepared ? PQsendQueryPrepared(c, i.prepared, i.params ? i.params->Count() : 0,
                                                            i.params ? i.params->Data() : nullptr, nullptr, nullptr, 0)
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
    return results;
}

// The pipeline of a request: the statements waiting ahead, then the request's own (sql; a control
// statement when control). Inside a transaction the statements sent ahead, and apart from them the
// request's own, go between a savepoint and its release, so that a failure undoes its part alone
// and the transaction goes on, as SQL Server rolls back a failed statement and keeps its
// transaction. Texts worth it are prepared in the same round trip.
// The names of texts prepared by this request are kept in preparing, which must outlive the items.
std::vector<Item> Pipeline(Session& s, std::vector<Session::Ahead>& ahead, const std::string& sql, const Params* params,
                           const char* prepared, bool control, std::map<std::string_view, std::string>& preparing) {
    std::vector<Item> items;
    bool open = false;
    auto add = [&](Item item) {
        if ((item.control || item.bare) && open) items.push_back(Marker(&kRelease)), open = false;
        // Transaction control goes first, so the level may only be open from here on.
        if (!item.control && !item.bare && !open && s.transactionLevel > 0) items.push_back(Marker(&kSavepoint)), open = true;
        items.push_back(std::move(item));
    };
    auto name = [&](const std::string& text, bool withValues, bool bare) -> const char* {
        if (auto it = s.prepared.find(text); it != s.prepared.end()) return it->second.c_str();
        if (auto here = preparing.find(text); here != preparing.end()) return here->second.c_str();
        if (!Plannable(text) || s.prepared.size() + preparing.size() >= kPrepared) return nullptr;
        if (!withValues && s.seen.insert(text).second) {
            if (s.seen.size() > kSeen) s.seen = {text};
            return nullptr;
        }
        s.seen.erase(text);
        const char* n = preparing.emplace(text, "sv_ahead" + std::to_string(++s.preparedNames)).first->second.c_str();
        Item prepare = Marker(&text);
        prepare.prepared = n;
        prepare.prepare = true;
        prepare.bare = bare;
        add(std::move(prepare));
        return n;
    };
    for (auto& a : ahead) {
        const char* n = a.control ? nullptr : name(a.sql, a.params.Count() > 0, !a.alone);
        Item item = Marker(&a.sql);
        item.params = a.params.Count() ? &a.params : nullptr;
        item.prepared = n;
        item.rows = a.rows;
        item.control = a.control;
        item.cached = n != nullptr;
        item.bare = !a.alone && !a.control;
        add(std::move(item));
    }
    // The request's own statement is undone alone, apart from those sent ahead of it.
    if (open) items.push_back(Marker(&kRelease)), open = false;
    Item mine = Marker(&sql);
    mine.params = params;
    mine.mine = true;
    mine.control = control;
    if (prepared || control) {
        mine.prepared = prepared;
    } else {
        mine.prepared = name(sql, params && params->Count() > 0, false);
        mine.cached = mine.prepared != nullptr;
    }
    add(std::move(mine));
    if (open) items.push_back(Marker(&kRelease));
    return items;
}

// Sends the pipeline and answers the request's own result. A cached statement found stale (its
// table changed) is prepared again and the pipeline re-run from where its failure was undone, so
// that nothing runs twice.
ResultPtr SendPipeline(Session& s, std::vector<Item> items, const char* source) {
    PGconn* c = s.get();
    std::size_t done = 0;  // items before this ran in an earlier try and stay done
    for (int tries = 0;; ++tries) {
        std::vector<Item> sent(items.begin() + static_cast<std::ptrdiff_t>(done), items.end());
        std::vector<ResultPtr> results = Send(s, sent, source);
        std::size_t failed = sent.size();
        bool inside = false, failedInside = false;
        for (std::size_t i = 0; i < sent.size() && failed == sent.size(); ++i) {
            if (sent[i].sql == &kSavepoint) inside = true;
            if (sent[i].sql == &kRelease) inside = false;
            if (Failed(results[i].get())) failed = i, failedInside = inside;
        }
        // A statement prepared before a failure stays prepared (a failed transaction does not undo it).
        for (std::size_t i = 0; i < failed; ++i)
            if (sent[i].prepare) s.prepared.emplace(*sent[i].sql, sent[i].prepared);
        // A stale cached statement is run again from where its failure was undone: its savepoint,
        // or the whole pipeline, which outside a transaction is one implicit transaction.
        std::size_t redo = failed;
        bool retry = false;
        if (failed < sent.size() && sent[failed].cached && StalePlan(results[failed].get()) && tries < 8) {
            if (failedInside) {
                while (redo > 0 && sent[redo].sql != &kSavepoint) --redo;
                retry = true;
            } else if (s.transactionLevel == 0 &&
                       std::none_of(sent.begin(), sent.end(), [](const Item& i) { return i.control; })) {
                redo = 0;
                retry = true;
            }
        }
        // Rows sent ahead of a failed statement are read all the same: the caller may need them to
        // tell why it failed.
        for (std::size_t i = 0; i < (retry ? redo : failed); ++i)
            if (sent[i].rows) FillRows(s, results[i].get(), *sent[i].rows);
        if (failed < sent.size() && failedInside) {
            // Undoing can only fail with a lost connection, which the next statement reports.
            Exec(s, kUndo, {}, nullptr);
            Exec(s, kRelease, {}, nullptr);
        }
        if (retry) {
            // Prepared again under a new name; the old one is let go.
            const std::string stale = *sent[failed].sql;
            Exec(s, "DEALLOCATE " + std::string(sent[failed].prepared), {}, nullptr);
            s.prepared.erase(stale);
            std::vector<Item> again;
            for (std::size_t i = 0; i < done + redo; ++i) again.push_back(items[i]);
            for (std::size_t i = redo; i < sent.size(); ++i) {
                Item item = sent[i];
                if (item.prepare && (i < failed || *item.sql == stale)) continue;  // prepared already, or stale
                if (item.prepared && item.cached && *item.sql == stale) item.prepared = nullptr, item.cached = false;
                again.push_back(item);
            }
            done += redo;
            items = std::move(again);
            continue;
        }
        if (failed < sent.size()) Throw(c, results[failed].get(), source);
        for (std::size_t i = 0; i < sent.size(); ++i)
            if (sent[i].control) RequireCommitted(*sent[i].sql, results[i].get(), source);
        ResultPtr mine;
        for (std::size_t i = 0; i < sent.size(); ++i)
            if (sent[i].mine) mine = std::move(results[i]);
        return mine;
    }
}

// A statement with nothing waiting ahead of it, outside a transaction or controlling one, goes
// alone; otherwise in a pipeline with what waits.
ResultPtr Request(Session& s, const std::string& sql, const Params* params, const char* prepared, bool control,
                  const char* source) {
    std::vector<Session::Ahead> ahead = std::move(s.ahead);
    s.ahead.clear();
    if (ahead.empty() && (control || s.transactionLevel == 0)) {
        ResultPtr r = Exec(s, sql, params ? *params : Params{}, prepared);
        if (Failed(r.get())) Throw(s.get(), r.get(), source);
        if (control) RequireCommitted(sql, r.get(), source);
        return r;
    }
    // The ahead statements and the names prepared live here while the pipeline points at them.
    std::map<std::string_view, std::string> preparing;
    return SendPipeline(s, Pipeline(s, ahead, sql, params, prepared, control, preparing), source);
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
        RequireUtf8Parameter(value, static_cast<std::size_t>(index), "Command.Bind");
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
