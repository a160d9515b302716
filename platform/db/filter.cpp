#include "filter.h"

#include <cmath>
#include <optional>
#include <string>

#include "platform/error.h"
#include "platform/text.h"
#include "row_store.h"

namespace platform::db {

namespace {

enum class Op { Eq, Ne, Lt, Gt, Le, Ge, Like };

struct Comparison : FilterExpression {
    std::size_t column = 0;
    Op op = Op::Eq;
    Value literal;
    bool Matches(const RowStore& rows, std::size_t row) const override;
};

struct Junction : FilterExpression {
    bool isAnd = true;
    std::vector<std::unique_ptr<FilterExpression>> parts;
    bool Matches(const RowStore& rows, std::size_t row) const override {
        for (const auto& p : parts) {
            bool m = p->Matches(rows, row);
            if (isAnd && !m) return false;
            if (!isAnd && m) return true;
        }
        return isAnd;
    }
};

std::string Fold(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) text::AppendUtf8(out, text::FoldCase(text::DecodeUtf8(s, i)));
    return out;
}

// The texts without their trailing spaces compared as their Fold copies would compare, without
// making the copies (a filter compares every row): characters spelt alike fold alike.
int CompareFolded(std::string_view a, std::string_view b) {
    while (!a.empty() && a.back() == ' ') a.remove_suffix(1);
    while (!b.empty() && b.back() == ' ') b.remove_suffix(1);
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const std::size_t si = i, sj = j;
        const char32_t x = text::DecodeUtf8(a, i), y = text::DecodeUtf8(b, j);
        if (a.substr(si, i - si) == b.substr(sj, j - sj)) continue;
        std::string fx, fy;
        text::AppendUtf8(fx, text::FoldCase(x));
        text::AppendUtf8(fy, text::FoldCase(y));
        if (fx == fy) continue;
        // One a prefix of the other (only with invalid bytes): the rest decides, folded whole.
        if (fx.compare(0, fy.size(), fy) == 0 || fy.compare(0, fx.size(), fx) == 0) {
            const std::string ra = Fold(a.substr(si)), rb = Fold(b.substr(sj));
            return ra < rb ? -1 : rb < ra ? 1 : 0;
        }
        return fx < fy ? -1 : 1;
    }
    return i < a.size() ? 1 : j < b.size() ? -1 : 0;
}

std::optional<double> AsNumber(const Value& v) {
    switch (v.kind()) {
        case Value::Kind::Boolean: return v.ToBool() ? -1.0 : 0.0;
        case Value::Kind::Integer:
        case Value::Kind::Double: return v.ToDouble();
        case Value::Kind::Text: {
            std::string t = text::Trim(*v.AsText());
            if (t.empty()) return std::nullopt;
            char* end = nullptr;
            double d = std::strtod(t.c_str(), &end);
            if (end && *end == 0) return d;
            std::string l = text::LCase(t);
            if (l == "true") return -1.0;
            if (l == "false") return 0.0;
            return std::nullopt;
        }
        default: return std::nullopt;
    }
}

// '*' and '%' stand for any run of characters. Characters compare exactly: callers fold both sides
// when the comparison is to ignore case.
bool Glob(std::string_view pattern, std::string_view value) {
    std::size_t p = 0, v = 0, star = std::string_view::npos, mark = 0;
    while (v < value.size()) {
        if (p < pattern.size() && (pattern[p] == '*' || pattern[p] == '%')) {
            star = p++;
            mark = v;
        } else if (p < pattern.size() && pattern[p] == value[v]) {
            ++p;
            ++v;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            v = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && (pattern[p] == '*' || pattern[p] == '%')) ++p;
    return p == pattern.size();
}

class Parser {
public:
    Parser(std::string_view s, const std::vector<FieldInfo>& f) : s_(s), fields_(f) {}

    std::unique_ptr<FilterExpression> Run() {
        auto e = Expr();
        Skip();
        if (pos_ < s_.size()) Fail("unexpected text");
        return e;
    }

private:
    [[noreturn]] void Fail(const std::string& what) {
        throw Error(errnum::InvalidOperation, "Rowset.Filter",
                    "filter criteria not understood: " + what + " at character " + std::to_string(pos_ + 1) +
                        " of \"" + std::string(s_) + "\"");
    }
    void Skip() {
        while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\r' || s_[pos_] == '\n')) ++pos_;
    }
    bool Keyword(std::string_view kw) {
        Skip();
        if (pos_ + kw.size() > s_.size()) return false;
        if (!text::EqualsNoCase(s_.substr(pos_, kw.size()), kw)) return false;
        std::size_t after = pos_ + kw.size();
        if (after < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[after])) || s_[after] == '_')) return false;
        pos_ = after;
        return true;
    }
    std::unique_ptr<FilterExpression> Expr() { return Junc(false); }
    std::unique_ptr<FilterExpression> Junc(bool isAnd) {
        auto first = isAnd ? Factor() : Junc(true);
        std::unique_ptr<Junction> j;
        while (Keyword(isAnd ? "AND" : "OR")) {
            if (!j) {
                j = std::make_unique<Junction>();
                j->isAnd = isAnd;
                j->parts.push_back(std::move(first));
            }
            j->parts.push_back(isAnd ? Factor() : Junc(true));
        }
        if (j) return j;
        return first;
    }
    std::unique_ptr<FilterExpression> Factor() {
        Skip();
        if (pos_ < s_.size() && s_[pos_] == '(') {
            // Each level costs stack: a hostile text must get an error, not end the process.
            if (++depth_ > kMaxDepth) Fail("more than " + std::to_string(kMaxDepth) + " nested parentheses");
            ++pos_;
            auto e = Expr();
            --depth_;
            Skip();
            if (pos_ >= s_.size() || s_[pos_] != ')') Fail("missing ')'");
            ++pos_;
            return e;
        }
        return Compare();
    }
    std::unique_ptr<FilterExpression> Compare() {
        auto c = std::make_unique<Comparison>();
        Skip();
        std::string name;
        if (pos_ < s_.size() && s_[pos_] == '[') {
            auto close = s_.find(']', pos_);
            if (close == std::string_view::npos) Fail("missing ']'");
            name = s_.substr(pos_ + 1, close - pos_ - 1);
            pos_ = close + 1;
        } else {
            std::size_t start = pos_;
            while (pos_ < s_.size() && s_[pos_] != '=' && s_[pos_] != '<' && s_[pos_] != '>' && s_[pos_] != ' ' &&
                   s_[pos_] != '(' && s_[pos_] != ')')
                ++pos_;
            name = s_.substr(start, pos_ - start);
        }
        if (name.empty()) Fail("field name expected");
        std::size_t i = 0;
        for (; i < fields_.size(); ++i)
            if (text::EqualsNoCase(fields_[i].name, name)) break;
        if (i == fields_.size())
            throw Error(errnum::ItemNotFound, "Rowset.Filter", "the filter names the field '" + name + "', which the rowset does not have");
        c->column = i;
        Skip();
        if (Keyword("LIKE")) c->op = Op::Like;
        else if (s_.substr(pos_, 2) == "<>") { c->op = Op::Ne; pos_ += 2; }
        else if (s_.substr(pos_, 2) == "<=") { c->op = Op::Le; pos_ += 2; }
        else if (s_.substr(pos_, 2) == ">=") { c->op = Op::Ge; pos_ += 2; }
        else if (pos_ < s_.size() && s_[pos_] == '=') { c->op = Op::Eq; ++pos_; }
        else if (pos_ < s_.size() && s_[pos_] == '<') { c->op = Op::Lt; ++pos_; }
        else if (pos_ < s_.size() && s_[pos_] == '>') { c->op = Op::Gt; ++pos_; }
        else Fail("comparison operator expected");
        c->literal = Literal();
        if (c->op == Op::Like && !c->literal.AsText()) Fail("LIKE needs a quoted pattern");
        return c;
    }
    Value Literal() {
        Skip();
        if (pos_ >= s_.size()) Fail("value expected");
        char q = s_[pos_];
        if (q == '\'' || q == '"' || q == '#') {
            std::string out;
            ++pos_;
            for (;;) {
                if (pos_ >= s_.size()) Fail("unterminated value");
                if (s_[pos_] == q) {
                    if (q != '#' && pos_ + 1 < s_.size() && s_[pos_ + 1] == q) {
                        out += q;
                        pos_ += 2;
                        continue;
                    }
                    ++pos_;
                    break;
                }
                out += s_[pos_++];
            }
            if (q == '#') {
                auto d = DateTime::Parse(out);
                if (!d) Fail("not a date: #" + out + "#");
                return Value(*d);
            }
            return Value(out);
        }
        if (Keyword("NULL")) return Value::Null();
        if (Keyword("TRUE")) return Value(true);
        if (Keyword("FALSE")) return Value(false);
        std::size_t start = pos_;
        while (pos_ < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '.' || s_[pos_] == '-' || s_[pos_] == '+' || s_[pos_] == 'e' || s_[pos_] == 'E'))
            ++pos_;
        std::string num(s_.substr(start, pos_ - start));
        char* end = nullptr;
        double d = std::strtod(num.c_str(), &end);
        if (num.empty() || *end) Fail("value expected");
        // A whole number too large for an integer stays a double rather than wrapping.
        if (num.find_first_of(".eE") == std::string::npos && d > -9.2e18 && d < 9.2e18)
            return Value(static_cast<long long>(d));
        return Value(d);
    }

    static constexpr int kMaxDepth = 100;
    std::string_view s_;
    const std::vector<FieldInfo>& fields_;
    std::size_t pos_ = 0;
    int depth_ = 0;
};

bool Comparison::Matches(const RowStore& rows, std::size_t row) const {
    if (literal.IsNull()) {
        bool isNull = rows.KindAt(row, column) == Value::Kind::Null || rows.KindAt(row, column) == Value::Kind::Empty;
        return op == Op::Eq ? isNull : op == Op::Ne ? !isNull : false;
    }
    if (op != Op::Like && literal.kind() == Value::Kind::Text && rows.KindAt(row, column) == Value::Kind::Text) {
        const int cmp = CompareFolded(rows.TextAt(row, column), *literal.AsText());
        return op == Op::Eq ? cmp == 0 : op == Op::Ne ? cmp != 0 : op == Op::Lt ? cmp < 0 : op == Op::Gt ? cmp > 0
                                                                                  : op == Op::Le ? cmp <= 0 : cmp >= 0;
    }
    Value v = rows.Get(row, column);
    if (v.IsNullOrEmpty()) return false;  // as in SQL: Null matches only "= Null"
    if (op == Op::Like) return Glob(Fold(*literal.AsText()), Fold(v.ToText()));
    auto cmp = CompareForFilter(v, literal);
    if (!cmp) return false;
    switch (op) {
        case Op::Eq: return *cmp == 0;
        case Op::Ne: return *cmp != 0;
        case Op::Lt: return *cmp < 0;
        case Op::Gt: return *cmp > 0;
        case Op::Le: return *cmp <= 0;
        case Op::Ge: return *cmp >= 0;
        case Op::Like: break;
    }
    return false;
}

}  // namespace

std::optional<int> CompareForFilter(const Value& field, const Value& literal) {
    auto sign = [](auto a, auto b) { return a < b ? -1 : (b < a ? 1 : 0); };
    if (field.kind() == Value::Kind::Date || literal.kind() == Value::Kind::Date) {
        auto a = field.ToDate(), b = literal.ToDate();
        if (!a || !b) return std::nullopt;
        return sign(a->Serial(), b->Serial());
    }
    bool fieldNumeric = field.kind() == Value::Kind::Integer || field.kind() == Value::Kind::Double ||
                        field.kind() == Value::Kind::Boolean;
    bool literalNumeric = literal.kind() == Value::Kind::Integer || literal.kind() == Value::Kind::Double ||
                          literal.kind() == Value::Kind::Boolean;
    if (fieldNumeric || literalNumeric) {
        auto a = AsNumber(field), b = AsNumber(literal);
        if (a && b) return sign(*a, *b);
        if (fieldNumeric && literalNumeric) return std::nullopt;
    }
    // Trailing spaces do not count, as in the database's comparison.
    return CompareFolded(field.ToText(), literal.ToText());
}

std::unique_ptr<FilterExpression> FilterExpression::Parse(std::string_view criteria,
                                                          const std::vector<FieldInfo>& fields) {
    return Parser(criteria, fields).Run();
}

}  // namespace platform::db
