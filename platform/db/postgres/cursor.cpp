#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "coerce.h"
#include "platform/error.h"
#include "platform/text.h"
#include "postgres.h"
#include "row_store.h"

namespace platform::db::postgres {

namespace {

// Type OIDs of the built-in types (pg_type.h).
enum : Oid {
    kBool = 16, kBytea = 17, kInt8 = 20, kInt2 = 21, kInt4 = 23, kText = 25, kFloat4 = 700, kFloat8 = 701,
    kUnknown = 705, kBpchar = 1042, kVarchar = 1043, kDate = 1082, kTimestamp = 1114, kNumeric = 1700,
    kUuid = 2950,
};

// SQL Server's name of a PostgreSQL type as format_type() writes it.
std::string DeclaredOf(const std::string& pgType) {
    auto length = [&](std::string_view prefix) {
        auto open = pgType.find('(');
        return open == std::string::npos ? std::string("(max)") : pgType.substr(open);
    };
    if (pgType.rfind("character varying", 0) == 0) return "nvarchar" + length("character varying");
    if (pgType.rfind("character", 0) == 0) return "nchar" + length("character");
    if (pgType.rfind("numeric", 0) == 0) return "decimal" + (pgType.size() > 7 ? pgType.substr(7) : "");
    if (pgType.rfind("timestamp", 0) == 0) return "datetime";
    static const std::pair<const char*, const char*> kNames[] = {
        {"text", "ntext"},  {"integer", "int"},        {"smallint", "smallint"}, {"bigint", "bigint"},
        {"real", "real"},   {"double precision", "float"}, {"boolean", "bit"},   {"date", "date"},
        {"uuid", "uniqueidentifier"}, {"bytea", "varbinary(max)"},
    };
    for (const auto& [pg, tsql] : kNames)
        if (pgType == pg) return tsql;
    return {};
}

// Domains of support.sql that stand for SQL Server types PostgreSQL lacks or names otherwise.
std::string DeclaredOfDomain(std::string name) {
    if (name.rfind("ts_", 0) == 0) name = name.substr(3);
    static const char* kDomains[] = {"money", "smallmoney", "bit", "rowversion", "tinyint",
                                     "datetime", "smalldatetime", "ntext", "uniqueidentifier"};
    for (const char* d : kDomains)
        if (name == d) return name;
    return {};
}

ColumnKind KindOf(int type) {
    if (type == adBoolean) return ColumnKind::Boolean;
    if (IsIntegerType(type) || type == adBinary) return ColumnKind::Integer;
    if (IsRealType(type)) return ColumnKind::Real;
    if (IsDateType(type)) return ColumnKind::Date;
    return ColumnKind::Text;
}

}  // namespace

const ColumnType* Session::Column(unsigned tableOid, int attnum) {
    auto it = tables_.find(tableOid);
    if (it == tables_.end()) {
        static const char* kSql =
            "SELECT c.relname, a.attnum, a.attname, t.typtype, t.typname, "
            "format_type(CASE WHEN t.typtype = 'd' THEN t.typbasetype ELSE a.atttypid END, "
            "CASE WHEN t.typtype = 'd' THEN t.typtypmod ELSE a.atttypmod END) "
            "FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid JOIN pg_type t ON t.oid = a.atttypid "
            "WHERE a.attrelid = $1 AND a.attnum > 0 AND NOT a.attisdropped";
        const std::string oid = std::to_string(tableOid);
        const char* values[] = {oid.c_str()};
        ++roundTrips;
        ResultPtr r(PQexecParams(get(), kSql, 1, nullptr, values, nullptr, nullptr, 0));
        if (PQresultStatus(r.get()) != PGRES_TUPLES_OK) Throw(get(), r.get(), "Rowset.Open");
        auto& columns = tables_[tableOid];
        for (int i = 0; i < PQntuples(r.get()); ++i) {
            ColumnType c;
            c.table = Spelling(PQgetvalue(r.get(), i, 0));
            c.column = Spelling(PQgetvalue(r.get(), i, 2));
            if (*PQgetvalue(r.get(), i, 3) == 'd') c.declared = DeclaredOfDomain(PQgetvalue(r.get(), i, 4));
            if (c.declared.empty()) c.declared = DeclaredOf(PQgetvalue(r.get(), i, 5));
            columns[std::atoi(PQgetvalue(r.get(), i, 1))] = std::move(c);
        }
        it = tables_.find(tableOid);
    }
    auto col = it->second.find(attnum);
    return col == it->second.end() ? nullptr : &col->second;
}

std::string Session::Spelling(const std::string& folded) {
    if (!spellingsRead_) {
        spellingsRead_ = true;
        ++roundTrips;
        ResultPtr r(PQexec(get(), "SELECT folded, name FROM sv_names WHERE to_regclass('sv_names') IS NOT NULL"));
        // A database made before names were recorded has no such table: names stay folded.
        if (PQresultStatus(r.get()) == PGRES_TUPLES_OK)
            for (int i = 0; i < PQntuples(r.get()); ++i) spellings_[PQgetvalue(r.get(), i, 0)] = PQgetvalue(r.get(), i, 1);
    }
    auto it = spellings_.find(folded);
    return it == spellings_.end() ? folded : it->second;
}

void Session::RememberSpellings(const std::string& script) {
    ResultPtr known(PQexec(get(),
                           "SELECT c.relname FROM pg_class c WHERE c.relnamespace = 'public'::regnamespace "
                           "AND c.relkind IN ('r', 'v') UNION SELECT a.attname FROM pg_attribute a JOIN pg_class c "
                           "ON c.oid = a.attrelid WHERE c.relnamespace = 'public'::regnamespace AND c.relkind IN "
                           "('r', 'v') AND a.attnum > 0 AND NOT a.attisdropped"));
    if (PQresultStatus(known.get()) != PGRES_TUPLES_OK) Throw(get(), known.get(), "Connection.ExecuteScript");
    std::map<std::string, std::string> found;
    for (int i = 0; i < PQntuples(known.get()); ++i) found[PQgetvalue(known.get(), i, 0)];
    // The first spelling of each name outside comments and literals; only names with capitals
    // need one.
    for (std::size_t i = 0; i < script.size();) {
        const char c = script[i];
        if (c == '-' && i + 1 < script.size() && script[i + 1] == '-') {
            i = script.find('\n', i);
        } else if (c == '\'' || c == '"') {
            i = script.find(c, i + 1);
            if (i != std::string::npos) ++i;
        } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            std::size_t j = i;
            bool capitals = false;
            while (j < script.size() && (std::isalnum(static_cast<unsigned char>(script[j])) || script[j] == '_'))
                capitals |= std::isupper(static_cast<unsigned char>(script[j++])) != 0;
            if (capitals) {
                auto it = found.find(text::LCase(script.substr(i, j - i)));
                if (it != found.end() && it->second.empty()) it->second = script.substr(i, j - i);
            }
            i = j;
        } else {
            ++i;
        }
        if (i == std::string::npos) break;
    }
    std::string insert;
    for (const auto& [folded, spelt] : found) {
        if (spelt.empty()) continue;
        insert += (insert.empty() ? "INSERT INTO sv_names (folded, name) VALUES ('" : ", ('") + folded + "', '" +
                  spelt + "')";
    }
    if (insert.empty()) return;
    insert += " ON CONFLICT (folded) DO UPDATE SET name = EXCLUDED.name";
    ResultPtr r(PQexec(get(), insert.c_str()));
    if (PQresultStatus(r.get()) != PGRES_COMMAND_OK) Throw(get(), r.get(), "Connection.ExecuteScript");
    spellingsRead_ = false;
    spellings_.clear();
}

Shape Describe(Session& session, const PGresult* r) {
    Shape shape;
    const int n = PQnfields(r);
    for (int i = 0; i < n; ++i) {
        FieldInfo f;
        f.name = session.Spelling(PQfname(r, i));
        bool settle = false;
        std::string declared;
        const Oid table = PQftable(r, i);
        const int attnum = PQftablecol(r, i);
        if (table != InvalidOid && attnum > 0) {
            if (const ColumnType* c = session.Column(table, attnum)) {
                declared = c->declared;
                f.baseTable = c->table;
                f.baseColumn = c->column;
            }
        }
        if (declared.empty()) {
            const int mod = PQfmod(r, i);
            switch (PQftype(r, i)) {
                case kBool: declared = "bit"; break;
                case kInt2: declared = "smallint"; break;
                case kInt4: declared = "int"; break;
                case kInt8: declared = "bigint"; settle = true; break;
                case kFloat4: declared = "real"; break;
                case kFloat8: declared = "float"; break;
                case kNumeric:
                    declared = mod >= 4 ? "decimal(" + std::to_string(((mod - 4) >> 16) & 0xffff) + "," +
                                              std::to_string((mod - 4) & 0xffff) + ")"
                                        : "decimal(38,10)";
                    break;
                case kDate:
                case kTimestamp: declared = "datetime"; break;
                case kUuid: declared = "uniqueidentifier"; break;
                case kBytea: declared = "varbinary(max)"; break;
                case kVarchar:
                case kBpchar:
                    if (mod >= 4) {
                        declared = (PQftype(r, i) == kVarchar ? "nvarchar(" : "nchar(") + std::to_string(mod - 4) + ")";
                        break;
                    }
                    [[fallthrough]];
                default: declared = "nvarchar(1)"; settle = true; break;
            }
        }
        ApplyDeclaredType(declared, f);
        shape.kinds.push_back(KindOf(f.type));
        shape.settle.push_back(settle);
        shape.fields.push_back(std::move(f));
    }
    return shape;
}

Value ReadValue(const PGresult* r, int row, int col, ColumnKind kind) {
    if (PQgetisnull(r, row, col)) return Value::Null();
    const char* p = PQgetvalue(r, row, col);
    switch (kind) {
        case ColumnKind::Boolean: return Value(*p == 't' || *p == '1' || *p == 'T');
        case ColumnKind::Integer: return Value(static_cast<long long>(std::strtoll(p, nullptr, 10)));
        case ColumnKind::Real: return Value(std::strtod(p, nullptr));
        case ColumnKind::Date:
            if (auto d = DateTime::Parse(p)) return Value(*d);
            return Value(std::string_view(p, static_cast<std::size_t>(PQgetlength(r, row, col))));
        case ColumnKind::Text: break;
    }
    return Value(std::string_view(p, static_cast<std::size_t>(PQgetlength(r, row, col))));
}

namespace {

// Every row is fetched when the query runs; a forward-only rowset then reads them in order,
// so it needs the server no longer (and outlives a switch of database).
class PgCursor : public Cursor {
public:
    PgCursor(SessionPtr session, ResultPtr result) : result_(std::move(result)) {
        shape_ = Describe(*session, result_.get());
        rows_ = PQntuples(result_.get());
    }

    const std::vector<FieldInfo>& Fields() const override { return shape_.fields; }
    void RenameField(std::size_t column, std::string name) override { shape_.fields.at(column).name = std::move(name); }

    bool Next() override {
        if (row_ + 1 >= rows_) {
            row_ = rows_;
            return false;
        }
        ++row_;
        return true;
    }

    Value Get(std::size_t column) const override {
        if (row_ < 0 || row_ >= rows_)
            throw Error(errnum::NoCurrentRecord, "Rowset", "no current row: the rowset is at BOF or EOF");
        return ReadValue(result_.get(), row_, static_cast<int>(column), shape_.kinds[column]);
    }

    std::size_t Fetch(RowStore& store, std::vector<FieldInfo>& fields, std::size_t limit) override {
        const std::size_t n = shape_.fields.size();
        std::size_t read = 0;
        for (; read < limit && Next(); ++read) {
            std::size_t row = store.AppendRow();
            for (std::size_t c = 0; c < n; ++c) {
                if (PQgetisnull(result_.get(), row_, static_cast<int>(c))) {
                    store.SetNull(row, c);
                    continue;
                }
                const char* p = PQgetvalue(result_.get(), row_, static_cast<int>(c));
                switch (shape_.kinds[c]) {
                    case ColumnKind::Boolean: store.SetBool(row, c, *p == 't' || *p == '1' || *p == 'T'); break;
                    case ColumnKind::Integer: store.SetInt(row, c, std::strtoll(p, nullptr, 10)); break;
                    case ColumnKind::Real: store.SetDouble(row, c, std::strtod(p, nullptr)); break;
                    case ColumnKind::Date:
                        if (auto d = DateTime::Parse(p)) {
                            store.SetDate(row, c, *d);
                            break;
                        }
                        [[fallthrough]];
                    case ColumnKind::Text:
                        store.SetText(row, c, std::string_view(p, static_cast<std::size_t>(
                                                                     PQgetlength(result_.get(), row_, static_cast<int>(c)))));
                        break;
                }
            }
        }
        Settle(store, fields);
        return read;
    }

private:
    // A computed text or bigint column: its size and type as the server would report them for
    // the expression, from the values read.
    void Settle(const RowStore& store, std::vector<FieldInfo>& fields) const {
        for (std::size_t c = 0; c < fields.size(); ++c) {
            if (!shape_.settle[c]) continue;
            FieldInfo& f = fields[c];
            if (shape_.kinds[c] == ColumnKind::Text) {
                std::size_t longest = 1;
                for (std::size_t r = 0, rows = store.Rows(); r < rows; ++r)
                    if (store.KindAt(r, c) == Value::Kind::Text) longest = std::max(longest, text::Len(store.TextAt(r, c)));
                f.type = adVarWChar;
                f.definedSize = static_cast<long>(longest);
            } else {
                bool big = false;
                for (std::size_t r = 0, rows = store.Rows(); r < rows && !big; ++r) {
                    if (store.KindAt(r, c) != Value::Kind::Integer) continue;
                    auto v = store.Get(r, c).ToInt();
                    big = v > 2147483647LL || v < -2147483648LL;
                }
                f.type = big ? adBigInt : adInteger;
                f.definedSize = big ? 8 : 4;
            }
        }
    }

    ResultPtr result_;
    Shape shape_;
    int rows_ = 0;
    int row_ = -1;
};

// A server cursor: rows cross the wire only when read; those passed over stay on the server.
class PgRowReader : public RowReader {
public:
    PgRowReader(SessionPtr session, std::string name, const std::string& sql)
        : session_(std::move(session)), name_(std::move(name)) {
        Run(*session_, "DECLARE " + name_ + " NO SCROLL CURSOR FOR " + sql, {}, "Connection.OpenRowset");
        ResultPtr d(PQdescribePortal(session_->get(), name_.c_str()));
        if (PQresultStatus(d.get()) != PGRES_COMMAND_OK) Throw(session_->get(), d.get(), "Connection.OpenRowset");
        fields_ = Describe(*session_, d.get()).fields;
    }
    ~PgRowReader() override {
        // Closed with its transaction otherwise; a failed close leaves nothing to undo.
        ResultPtr r(PQexec(session_->get(), ("CLOSE " + name_).c_str()));
    }

    const std::vector<FieldInfo>& Fields() const override { return fields_; }
    void RenameField(std::size_t column, std::string name) override { fields_.at(column).name = std::move(name); }

    std::size_t Skip(std::size_t n) override {
        if (n == 0) return 0;
        ResultPtr r = Run(*session_, "MOVE FORWARD " + std::to_string(n) + " IN " + name_, {}, "Rowset.Move");
        const char* moved = PQcmdTuples(r.get());
        return moved && *moved ? static_cast<std::size_t>(std::stoull(moved)) : 0;
    }

    std::size_t Read(std::size_t n, RowStore& store, std::vector<FieldInfo>& fields) override {
        if (n == 0) return 0;
        PgCursor rows(session_, Run(*session_, "FETCH FORWARD " + std::to_string(n) + " FROM " + name_, {}, "Rowset.MoveNext"));
        return rows.Fetch(store, fields, n);
    }

private:
    SessionPtr session_;
    std::string name_;
    std::vector<FieldInfo> fields_;
};

}  // namespace

std::unique_ptr<Cursor> CreateCursor(SessionPtr session, ResultPtr result) {
    return std::make_unique<PgCursor>(std::move(session), std::move(result));
}

std::unique_ptr<RowReader> CreateRowReader(SessionPtr session, std::string name, const std::string& sql) {
    return std::make_unique<PgRowReader>(std::move(session), std::move(name), sql);
}

}  // namespace platform::db::postgres
