#include <algorithm>

#include "platform/error.h"
#include "platform/text.h"
#include "row_store.h"
#include "coerce.h"
#include "sqlite.h"

namespace platform::db::sqlite {

ColumnKind KindOf(const FieldInfo& f, bool declared) {
    if (!declared) return ColumnKind::Auto;
    if (f.type == adBoolean) return ColumnKind::Boolean;
    if (IsIntegerType(f.type)) return ColumnKind::Integer;
    if (IsRealType(f.type)) return ColumnKind::Real;
    if (IsDateType(f.type)) return ColumnKind::Date;
    return ColumnKind::Text;
}

namespace {

std::string_view TextOf(sqlite3_stmt* s, int col) {
    const char* p = reinterpret_cast<const char*>(sqlite3_column_text(s, col));
    return p ? std::string_view(p, static_cast<std::size_t>(sqlite3_column_bytes(s, col))) : std::string_view();
}

// Reads one cell as the column's kind into a sink with SetNull/SetInt/... members.
template <class Sink>
void ReadCell(sqlite3_stmt* s, int col, ColumnKind kind, Sink&& sink) {
    int type = sqlite3_column_type(s, col);
    if (type == SQLITE_NULL) return sink.Null();
    switch (kind) {
        case ColumnKind::Text: return sink.Text(TextOf(s, col));
        case ColumnKind::Integer:
            if (type == SQLITE_TEXT) {
                std::string_view t = TextOf(s, col);
                if (t.empty()) return sink.Null();
                return sink.Text(t);  // not a number: show what is stored rather than invent one
            }
            return sink.Int(sqlite3_column_int64(s, col));
        case ColumnKind::Real:
            if (type == SQLITE_TEXT && TextOf(s, col).empty()) return sink.Null();
            return sink.Real(sqlite3_column_double(s, col));
        case ColumnKind::Boolean:
            if (type == SQLITE_TEXT) {
                std::string l = text::LCase(text::Trim(TextOf(s, col)));
                if (l.empty()) return sink.Null();
                return sink.Bool(l == "true" || l == "1" || l == "-1");
            }
            return sink.Bool(sqlite3_column_int64(s, col) != 0);
        case ColumnKind::Date: {
            if (type != SQLITE_TEXT) return sink.Real(sqlite3_column_double(s, col));
            std::string_view t = TextOf(s, col);
            if (t.empty()) return sink.Null();
            if (auto d = DateTime::Parse(t)) return sink.Date(*d);
            return sink.Text(t);
        }
        case ColumnKind::Auto:
            switch (type) {
                case SQLITE_INTEGER: return sink.Int(sqlite3_column_int64(s, col));
                case SQLITE_FLOAT: return sink.Real(sqlite3_column_double(s, col));
                default: return sink.Text(TextOf(s, col));
            }
    }
}

struct ValueSink {
    Value& out;
    void Null() { out = Value::Null(); }
    void Int(std::int64_t v) { out = Value(static_cast<long long>(v)); }
    void Real(double v) { out = Value(v); }
    void Bool(bool v) { out = Value(v); }
    void Text(std::string_view v) { out = Value(v); }
    void Date(const DateTime& v) { out = Value(v); }
};

struct StoreSink {
    RowStore& store;
    std::size_t row, col;
    void Null() { store.SetNull(row, col); }
    void Int(std::int64_t v) { store.SetInt(row, col, v); }
    void Real(double v) { store.SetDouble(row, col, v); }
    void Bool(bool v) { store.SetBool(row, col, v); }
    void Text(std::string_view v) { store.SetText(row, col, v); }
    void Date(const DateTime& v) { store.SetDate(row, col, v); }
};

class SqliteCursor : public Cursor {
public:
    SqliteCursor(DatabasePtr db, StatementPtr stmt, std::string text)
        : db_(std::move(db)), stmt_(std::move(stmt)), text_(std::move(text)) {
        sqlite3_stmt* s = stmt_.get();
        pending_ = Step();
        int n = sqlite3_column_count(s);
        for (int i = 0; i < n; ++i) {
            FieldInfo f;
            f.name = sqlite3_column_name(s, i);
            const char* decl = sqlite3_column_decltype(s, i);
            bool declared = decl && ApplyDeclaredType(decl, f);
            if (const char* t = sqlite3_column_table_name(s, i)) f.baseTable = t;
            if (const char* c = sqlite3_column_origin_name(s, i)) f.baseColumn = c;
            kinds_.push_back(KindOf(f, declared));
            fields_.push_back(std::move(f));
        }
    }

    const std::vector<FieldInfo>& Fields() const override { return fields_; }
    void RenameField(std::size_t column, std::string name) override { fields_.at(column).name = std::move(name); }

    ~SqliteCursor() override {
        if (text_.empty() || !stmt_) return;
        sqlite3_reset(stmt_.get());
        sqlite3_clear_bindings(stmt_.get());
        if (db_->idle.size() >= 64) db_->idle.clear();  // bounded: ad-hoc texts rarely repeat
        db_->idle.try_emplace(std::move(text_), std::move(stmt_));
    }

    bool Next() override {
        if (pending_) {
            pending_ = false;
            return true;
        }
        return Step();
    }

    Value Get(std::size_t column) const override {
        Value v;
        ReadCell(stmt_.get(), static_cast<int>(column), kinds_[column], ValueSink{v});
        return v;
    }

    std::size_t Fetch(RowStore& store, std::vector<FieldInfo>& fields, std::size_t limit) override {
        sqlite3_stmt* s = stmt_.get();
        const std::size_t n = fields_.size();
        std::size_t read = 0;
        for (; read < limit && Next(); ++read) {
            std::size_t row = store.AppendRow();
            for (std::size_t c = 0; c < n; ++c) ReadCell(s, static_cast<int>(c), kinds_[c], StoreSink{store, row, c});
        }
        SettleExpressionTypes(store, fields);
        return read;
    }

private:
    bool Step() {
        if (done_) return false;
        int rc = sqlite3_step(stmt_.get());
        if (rc == SQLITE_ROW) return true;
        done_ = true;
        if (rc != SQLITE_DONE) Throw(db_->handle, rc, "Rowset.MoveNext");
        return false;
    }

    // A computed column has no declared type: take it from what it holds, as the server would
    // report the expression's type.
    void SettleExpressionTypes(const RowStore& store, std::vector<FieldInfo>& fields) const {
        for (std::size_t c = 0; c < fields.size(); ++c) {
            if (kinds_[c] != ColumnKind::Auto) continue;
            bool text = false, real = false, big = false;
            std::size_t longest = 0;
            for (std::size_t r = 0, rows = store.Rows(); r < rows; ++r) {
                switch (store.KindAt(r, c)) {
                    case Value::Kind::Text:
                        text = true;
                        longest = std::max(longest, text::Len(store.TextAt(r, c)));
                        break;
                    case Value::Kind::Double: real = true; break;
                    case Value::Kind::Integer: {
                        auto v = store.Get(r, c).ToInt();
                        big = big || v > 2147483647LL || v < -2147483648LL;
                        break;
                    }
                    default: break;
                }
            }
            FieldInfo& f = fields[c];
            if (text || (!real && !big && store.Rows() == 0)) {
                f.type = adVarWChar;
                f.definedSize = static_cast<long>(std::max<std::size_t>(longest, 1));
            } else if (real) {
                f.type = adDouble;
                f.definedSize = 8;
            } else {
                f.type = big ? adBigInt : adInteger;
                f.definedSize = big ? 8 : 4;
            }
        }
    }

    DatabasePtr db_;
    StatementPtr stmt_;
    std::string text_;
    std::vector<FieldInfo> fields_;
    std::vector<ColumnKind> kinds_;
    bool done_ = false;
    bool pending_ = false;  // the first row, stepped to when the cursor was made
};

}  // namespace

std::unique_ptr<Cursor> CreateCursor(DatabasePtr db, StatementPtr stmt, std::string text) {
    return std::make_unique<SqliteCursor>(std::move(db), std::move(stmt), std::move(text));
}

}  // namespace platform::db::sqlite
