#include <charconv>

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
    if (prepared)
        return ResultPtr(PQexecPrepared(s.get(), prepared, params.Count(), params.Data(), nullptr, nullptr, 0));
    return ResultPtr(PQexecParams(s.get(), sql.c_str(), params.Count(), nullptr, params.Data(), nullptr, nullptr, 0));
}

bool Failed(const PGresult* r) {
    if (!r) return true;
    auto st = PQresultStatus(r);
    return st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK && st != PGRES_EMPTY_QUERY;
}

void Plain(Session& s, const char* sql, const char* source) {
    ResultPtr r(PQexec(s.get(), sql));
    if (Failed(r.get())) Throw(s.get(), r.get(), source);
}

}  // namespace

ResultPtr Run(Session& s, const std::string& sql, const Params& params, const char* source, const char* prepared) {
    if (s.transactionLevel == 0) {
        ResultPtr r = Exec(s, sql, params, prepared);
        if (Failed(r.get())) Throw(s.get(), r.get(), source);
        return r;
    }
    Plain(s, "SAVEPOINT sv_statement", source);
    ResultPtr r = Exec(s, sql, params, prepared);
    if (Failed(r.get())) {
        // Keep the error of the statement; undoing it can only fail with a lost connection,
        // which the next statement reports.
        ResultPtr undo(PQexec(s.get(), "ROLLBACK TO SAVEPOINT sv_statement; RELEASE SAVEPOINT sv_statement"));
        Throw(s.get(), r.get(), source);
    }
    Plain(s, "RELEASE SAVEPOINT sv_statement", source);
    return r;
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
