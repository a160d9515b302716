#include "dialect/translator.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "dialect/like_pattern.h"
#include "dialect/tokenizer.h"
#include "platform/error.h"

namespace platform::db::dialect {

namespace {

constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();
constexpr std::size_t kNpos = static_cast<std::size_t>(-1);

bool IsComparison(std::string_view op) {
    return op == "=" || op == "<>" || op == "!=" || op == "<" || op == ">" || op == "<=" || op == ">=" ||
           op == "!<" || op == "!>";
}
bool IsArithmetic(std::string_view op) {
    return op == "+" || op == "-" || op == "*" || op == "/" || op == "%" || op == "&" || op == "|" ||
           op == "^" || op == "~";
}
bool IsNumeric(ValueType t) { return t == ValueType::Numeric || t == ValueType::Money; }

bool WordByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || u >= 0x80 ||
           c == '"' || c == '\'';
}

std::string Upper(std::string_view s) {
    std::string u(s);
    for (char& c : u)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return u;
}

std::string Lower(std::string_view s) {
    std::string u(s);
    for (char& c : u)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return u;
}

// A name as the backend writes it: [a]]b] and "a""b" become "a]b" and "a""b".
std::string Unquoted(const Token& t, std::string_view text) {
    if (t.kind == Tk::Bracketed) {
        std::string s;
        for (std::size_t i = 1; i + 1 < text.size(); ++i) {
            s += text[i];
            if (text[i] == ']') ++i;
        }
        return s;
    }
    if (t.kind == Tk::DQuoted) {
        std::string s;
        for (std::size_t i = 1; i + 1 < text.size(); ++i) {
            s += text[i];
            if (text[i] == '"') ++i;
        }
        return s;
    }
    return std::string(text);
}

std::string QuotedName(std::string_view name, bool lower = false) {
    std::string s = "\"";
    for (char c : name) {
        if (c == '"') s += '"';
        s += (lower && c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    }
    return s + '"';
}

// Table hints that only steer locking; SQLite and PostgreSQL lock by their own rules, so
// dropping them changes no result.
bool IsLockHint(std::string_view w) {
    static constexpr std::string_view kHints[] = {
        "NOLOCK", "READUNCOMMITTED", "READCOMMITTED", "READCOMMITTEDLOCK", "ROWLOCK", "PAGLOCK", "TABLOCK",
        "TABLOCKX", "UPDLOCK", "HOLDLOCK", "SERIALIZABLE", "REPEATABLEREAD", "XLOCK", "NOWAIT", "READPAST"};
    for (auto h : kHints)
        if (SameWord(h, w)) return true;
    return false;
}

struct DatePart {
    std::string_view canonical;
    std::string_view names[4];
};
constexpr DatePart kDateParts[] = {
    {"year", {"year", "yy", "yyyy", ""}},         {"quarter", {"quarter", "qq", "q", ""}},
    {"month", {"month", "mm", "m", ""}},          {"dayofyear", {"dayofyear", "dy", "y", ""}},
    {"day", {"day", "dd", "d", ""}},              {"week", {"week", "wk", "ww", ""}},
    {"weekday", {"weekday", "dw", "w", ""}},      {"hour", {"hour", "hh", "", ""}},
    {"minute", {"minute", "mi", "n", ""}},        {"second", {"second", "ss", "s", ""}},
};

// T-SQL data types CONVERT and CAST accept, with what the result is known to be.
struct TypeName {
    std::string_view name;
    ValueType type;
};
constexpr TypeName kTypes[] = {
    {"bigint", ValueType::Numeric},   {"int", ValueType::Numeric},       {"smallint", ValueType::Numeric},
    {"tinyint", ValueType::Numeric},  {"bit", ValueType::Numeric},       {"decimal", ValueType::Numeric},
    {"numeric", ValueType::Numeric},  {"float", ValueType::Numeric},     {"real", ValueType::Numeric},
    {"money", ValueType::Money},      {"smallmoney", ValueType::Money},  {"datetime", ValueType::Unknown},
    {"smalldatetime", ValueType::Unknown}, {"date", ValueType::Unknown}, {"datetime2", ValueType::Unknown},
    {"char", ValueType::Text},        {"varchar", ValueType::Text},      {"nchar", ValueType::Text},
    {"nvarchar", ValueType::Text},    {"text", ValueType::Text},         {"ntext", ValueType::Text},
    {"uniqueidentifier", ValueType::Text},
};

class Translator {
public:
    Translator(const Rules& rules, std::string_view src) : r_(rules), src_(src), tok_(Tokenize(src)) { Pair(); }

    std::vector<Step> Run() {
        std::vector<Step> steps;
        std::size_t i = 0;
        Statements(i, steps, kNpos);
        return steps;
    }

private:
    enum class Start { Expr, Table, TableWithColumns, FromList };

    // What one nesting level has seen so far.
    struct Level {
        bool prevComparison = false;  // the last thing written was a comparison operator
        bool afterSegment = false;    // the last thing written was an expression
        bool betweenAnd = false;      // the next AND belongs to BETWEEN
        bool tablePos = false;        // a table reference comes next
        bool columnList = false;      // a '(' after that table name lists columns
        bool fromList = false;        // in a FROM clause: ',' starts another table
        bool selectList = false;
        bool itemStart = false;       // at the start of a select-list item
        std::size_t alias = kNpos;    // "alias = expr" item waiting for its end
        int selects = 0;
        bool compound = false;        // UNION / EXCEPT / INTERSECT seen
        std::size_t topAt = kNpos;
        std::string limit;
        // Unaliased qualified columns of the select list by their column name (kNpos when
        // two share it), and the aliases: ORDER BY binds a bare name to them first.
        std::vector<std::pair<std::string, std::size_t>> columns;
        std::vector<std::string> aliases;
        bool orderBy = false;
        int segments = 0;
        int others = 0;
        ValueType lastType = ValueType::Unknown;
    };

    // ---- tokens ----------------------------------------------------------------------------

    // Indexes past the end read as the End token.
    const Token& T(std::size_t i) const { return tok_[std::min(i, tok_.size() - 1)]; }
    std::string_view Text(std::size_t i) const { return src_.substr(T(i).pos, T(i).len); }
    Kw K(std::size_t i) const { return T(i).kw; }
    bool Is(std::size_t i, Tk kind) const { return T(i).kind == kind; }
    bool IsOp(std::size_t i, std::string_view op) const { return T(i).kind == Tk::Op && Text(i) == op; }
    bool IsWord(std::size_t i, std::string_view w) const {
        return T(i).kind == Tk::Ident && SameWord(Text(i), w);
    }
    // A name that is not a reserved word (or is quoted).
    bool IsName(std::size_t i) const {
        const Token& t = T(i);
        return (t.kind == Tk::Ident && t.kw == Kw::None) || t.kind == Tk::Bracketed || t.kind == Tk::DQuoted;
    }

    [[noreturn]] void Fail(std::size_t i, const std::string& what) const {
        throw Error(errnum::CannotTranslate, "dialect",
                    what + " at position " + std::to_string(CharPosition(src_, tok_[i].pos)));
    }
    [[noreturn]] void Unsupported(std::size_t i, const std::string& construct) const {
        Fail(i, "cannot translate " + construct);
    }

    // Matches parentheses and CASE ... END, so that both can be skipped as one unit.
    void Pair() {
        pair_.assign(tok_.size(), kNone);
        std::vector<std::uint32_t> parens;
        std::vector<std::pair<std::uint32_t, std::size_t>> cases;  // CASE index, paren depth
        for (std::uint32_t i = 0; i < tok_.size(); ++i) {
            const Token& t = tok_[i];
            if (t.kind == Tk::LParen) {
                // Far beyond any real statement; keeps the recursive translation off the stack's end.
                if (parens.size() >= 256) Fail(i, "parentheses nested too deeply");
                parens.push_back(i);
            } else if (t.kind == Tk::RParen) {
                if (parens.empty()) Fail(i, "')' without '('");
                if (!cases.empty() && cases.back().second == parens.size()) Fail(cases.back().first, "CASE without END");
                pair_[parens.back()] = i;
                pair_[i] = parens.back();
                parens.pop_back();
            } else if (t.kw == Kw::Case) {
                cases.emplace_back(i, parens.size());
            } else if (t.kw == Kw::End && !cases.empty() && cases.back().second == parens.size()) {
                pair_[cases.back().first] = i;
                pair_[i] = cases.back().first;
                cases.pop_back();
            }
        }
        if (!parens.empty()) Fail(parens.back(), "'(' without ')'");
        if (!cases.empty()) Fail(cases.back().first, "CASE without END");
    }

    // The token after the unit starting at i (a parenthesised group and CASE ... END are one unit).
    std::size_t Next(std::size_t i) const {
        if (tok_[i].kind == Tk::LParen || (tok_[i].kw == Kw::Case && pair_[i] != kNone)) return pair_[i] + 1;
        return i + 1;
    }
    bool IsBlockEnd(std::size_t i) const { return tok_[i].kw == Kw::End && pair_[i] == kNone; }

    // First token at this level in [b, e) with keyword k, or e.
    std::size_t Find(std::size_t b, std::size_t e, Kw k) const {
        for (std::size_t j = b; j < e; j = Next(j))
            if (tok_[j].kw == k) return j;
        return e;
    }

    // ---- output ----------------------------------------------------------------------------

    // Appends text, separated from what precedes it where the source had space or where two
    // words would otherwise run together.
    void Emit(std::string& out, bool spaceBefore, std::string_view text) {
        if (!out.empty() && !text.empty() && out.back() != ' ' && out.back() != '(' && text.front() != ')' &&
            (spaceBefore || pendingSpace_ || (WordByte(out.back()) && WordByte(text.front()))))
            out += ' ';
        pendingSpace_ = false;
        out += text;
    }
    void Emit(std::string& out, std::size_t i) { Emit(out, tok_[i].spaceBefore, Text(i)); }
    void EmitName(std::string& out, std::size_t i) {
        const Token& t = tok_[i];
        if (t.kind == Tk::Bracketed || (t.kind == Tk::DQuoted && r_.lowerCaseQuotedNames))
            Emit(out, t.spaceBefore, Quoted(Unquoted(t, Text(i))));
        else
            Emit(out, i);
    }

    std::string Quoted(std::string_view name) const { return QuotedName(name, r_.lowerCaseQuotedNames); }

    std::string Parameter() { return std::string(r_.parameterPrefix) + std::to_string(++params_); }

    // Replaces the placeholders of a pattern through get(key); the build checked the keys.
    template <typename Get>
    static std::string Expand(std::string_view pattern, Get get) {
        std::string out;
        out.reserve(pattern.size() + 32);
        for (std::size_t i = 0; i < pattern.size(); ++i) {
            const std::string_view key = pattern[i] == '$' ? PlaceholderAt(pattern, i) : std::string_view();
            if (key.empty()) {
                out += pattern[i];
                continue;
            }
            out += get(key);
            i += key.size();
        }
        return out;
    }

    // ---- statements ------------------------------------------------------------------------

    // Statements up to the end of the text, or up to the END of a block when inBlock is the
    // BEGIN's index.
    void Statements(std::size_t& i, std::vector<Step>& out, std::size_t inBlock) {
        for (;;) {
            if (Is(i, Tk::Semicolon)) {
                ++i;
                continue;
            }
            if (Is(i, Tk::End)) {
                if (inBlock != kNpos) Fail(inBlock, "BEGIN without END");
                return;
            }
            if (IsBlockEnd(i)) {
                if (inBlock == kNpos) Fail(i, "END without BEGIN");
                return;
            }
            Statement(i, out);
        }
    }

    // One statement or BEGIN ... END block starting at i.
    void Body(std::size_t& i, std::vector<Step>& out) {
        if (K(i) == Kw::Begin && !IsTransactionWord(i + 1)) {
            std::size_t begin = i++;
            Statements(i, out, begin);
            ++i;  // END
            return;
        }
        while (Is(i, Tk::Semicolon)) ++i;
        if (Is(i, Tk::End) || IsBlockEnd(i)) Fail(i, "a statement is missing");
        Statement(i, out);
    }

    bool IsTransactionWord(std::size_t i) const {
        return K(i) == Kw::Tran || K(i) == Kw::Transaction || IsWord(i, "TRY") || IsWord(i, "CATCH") ||
               IsWord(i, "DISTRIBUTED");
    }

    void Statement(std::size_t& i, std::vector<Step>& out) {
        const std::size_t b = i;
        switch (K(b)) {
            case Kw::If: {
                const std::size_t condEnd = StatementEnd(b);
                if (condEnd == b + 1) Fail(b, "IF without a condition");
                Step s;
                s.kind = Step::Kind::If;
                params_ = 0;
                std::string cond;
                Translate(b + 1, condEnd, cond, Start::Expr);
                s.sql = Expand(r_.conditionQuery, [&](std::string_view) { return cond; });
                i = condEnd;
                Body(i, s.then);
                std::size_t j = i;
                while (Is(j, Tk::Semicolon)) ++j;
                if (K(j) == Kw::Else) {
                    i = j + 1;
                    Body(i, s.otherwise);
                }
                out.push_back(std::move(s));
                return;
            }
            case Kw::Begin:
                if (IsTransactionWord(b + 1))
                    Unsupported(b, "BEGIN " + Upper(Text(b + 1)) + " (use the connection's transactions)");
                Body(i, out);
                return;
            case Kw::Else: Fail(b, "ELSE without IF");
            case Kw::Use: {
                if (!IsName(b + 1)) Fail(b, "USE without a database name");
                Step s;
                s.kind = Step::Kind::Use;
                s.name = Unquoted(tok_[b + 1], Text(b + 1));
                out.push_back(std::move(s));
                i = b + 2;
                return;
            }
            case Kw::Create: {
                if (K(b + 1) != Kw::Database)
                    Unsupported(b, "CREATE " + Upper(Text(b + 1)) + " (the schema is written per backend)");
                if (!IsName(b + 2)) Fail(b, "CREATE DATABASE without a name");
                Step s;
                s.kind = Step::Kind::CreateDatabase;
                s.name = Unquoted(tok_[b + 2], Text(b + 2));
                out.push_back(std::move(s));
                i = b + 3;
                return;
            }
            case Kw::Select:
            case Kw::With:
            case Kw::Insert:
            case Kw::Update:
            case Kw::Delete:
            case Kw::Truncate: {
                const std::size_t e = StatementEnd(b);
                out.push_back(Simple(b, e));
                i = e;
                return;
            }
            default: break;
        }
        if (Is(b, Tk::LParen)) {
            const std::size_t e = StatementEnd(b);
            out.push_back(Simple(b, e));
            i = e;
            return;
        }
        if (Is(b, Tk::Ident) && K(b) != Kw::None) Unsupported(b, "the statement " + Upper(Text(b)));
        if (Is(b, Tk::Variable)) Unsupported(b, "variable " + std::string(Text(b)));
        Fail(b, "unexpected '" + std::string(Text(b)) + "' where a statement should start");
    }

    // Where the statement starting at b ends: ';', the end, or the first word at its level that
    // starts another statement (T-SQL needs no separator between statements).
    std::size_t StatementEnd(std::size_t b) const {
        const Kw first = K(b);
        bool setSeen = false, selectSeen = false, valuesSeen = false;
        std::size_t prev = b;
        for (std::size_t j = Next(b);; j = Next(j)) {
            const Token& t = tok_[j];
            if (t.kind == Tk::End || t.kind == Tk::Semicolon) return j;
            switch (t.kw) {
                case Kw::Select: {
                    const bool afterSetOp = K(prev) == Kw::Union || K(prev) == Kw::Except ||
                                            K(prev) == Kw::Intersect ||
                                            (K(prev) == Kw::All && prev > 0 && K(prev - 1) == Kw::Union);
                    if (afterSetOp) break;
                    if ((first == Kw::Insert && !selectSeen && !valuesSeen) || (first == Kw::With && !selectSeen)) {
                        selectSeen = true;
                        break;
                    }
                    return j;
                }
                case Kw::Set:
                    if (first == Kw::Update && !setSeen) {
                        setSeen = true;
                        break;
                    }
                    return j;
                case Kw::Values: valuesSeen = true; break;
                case Kw::With:
                    if (Is(j + 1, Tk::LParen) || IsWord(j + 1, "TIES")) break;
                    return j;
                case Kw::End:
                    if (pair_[j] != kNone) break;
                    return j;
                case Kw::Insert: case Kw::Update: case Kw::Delete: case Kw::If: case Kw::Use:
                case Kw::Create: case Kw::Begin: case Kw::Else: case Kw::Declare: case Kw::Exec:
                case Kw::Execute: case Kw::While: case Kw::Goto: case Kw::Merge: case Kw::Print:
                case Kw::Raiserror: case Kw::Return: case Kw::Truncate: case Kw::Drop: case Kw::Alter:
                case Kw::Commit: case Kw::Rollback: case Kw::Save: case Kw::Grant: case Kw::Deny:
                case Kw::Revoke: case Kw::Break: case Kw::Continue: case Kw::Waitfor: case Kw::Open:
                case Kw::Close: case Kw::Deallocate: case Kw::Kill:
                    return j;
                default: break;
            }
            prev = j;
        }
    }

    // A SELECT / INSERT / UPDATE / DELETE statement in [b, e).
    Step Simple(std::size_t b, std::size_t e) {
        params_ = 0;
        recursionLimit_ = 100;  // SQL Server's default
        // OPTION (MAXRECURSION n) at the end sets the limit of recursive WITH (0: none).
        if (const std::size_t option = Find(b, e, Kw::Option); option != e && IsWord(option + 2, "MAXRECURSION")) {
            if (!Is(option + 1, Tk::LParen) || !Is(option + 3, Tk::Number) || pair_[option + 1] != option + 4 ||
                option + 5 != e)
                Unsupported(option, "this OPTION clause (only OPTION (MAXRECURSION n) ends a statement)");
            const std::string n(Text(option + 3));
            if (n.find_first_not_of("0123456789") != std::string::npos || n.size() > 5 || std::stol(n) > 32767)
                Fail(option + 3, "MAXRECURSION takes a whole number from 0 to 32767");
            recursionLimit_ = std::stol(n);
            e = option;
        }
        Step s;
        s.sql.reserve((tok_[e].pos - tok_[b].pos) + 64);
        switch (K(b)) {
            case Kw::Insert: Insert(b, e, s.sql); break;
            case Kw::Update: Update(b, e, s.sql); break;
            case Kw::Delete: Delete(b, e, s.sql); break;
            case Kw::Truncate:
                if (K(b + 1) != Kw::Table) Fail(b, "TRUNCATE without TABLE");
                s.sql = "DELETE FROM";
                Translate(b + 2, e, s.sql, Start::Table);
                break;
            default:
                Translate(b, e, s.sql, Start::Expr);
                s.returnsRows = true;
                break;
        }
        return s;
    }

    void Insert(std::size_t b, std::size_t e, std::string& out) {
        Emit(out, b);
        std::size_t j = b + 1;
        if (K(j) == Kw::Top) Unsupported(j, "TOP in INSERT");
        if (K(j) == Kw::Into) {
            Emit(out, j);
            ++j;
        } else {
            Emit(out, true, "INTO");
        }
        Translate(j, e, out, Start::TableWithColumns);
    }

    void Delete(std::size_t b, std::size_t e, std::string& out) {
        Emit(out, b);
        std::size_t j = b + 1;
        if (K(j) == Kw::Top) Unsupported(j, "TOP in DELETE");
        if (K(j) == Kw::From) {
            Emit(out, j);
            ++j;
        } else {
            Emit(out, true, "FROM");
        }
        const std::size_t from = Find(j, e, Kw::From);
        if (from != e) Unsupported(from, "DELETE with a second FROM (a join)");
        Translate(j, e, out, Start::Table);
    }

    // The end of a table reference starting at i: name (qualified), [AS] alias, hints.
    struct TableRef {
        std::size_t name = kNpos, nameEnd = kNpos;  // [name, nameEnd): the qualified name
        std::size_t alias = kNpos;
        std::size_t end = kNpos;
    };
    TableRef ReadTableRef(std::size_t i) const {
        TableRef t;
        if (!IsName(i)) return t;
        t.name = i;
        std::size_t j = i + 1;
        while (Is(j, Tk::Dot)) {
            ++j;
            if (Is(j, Tk::Dot)) continue;
            if (!IsName(j)) break;
            ++j;
        }
        t.nameEnd = j;
        if (K(j) == Kw::As && IsName(j + 1)) {
            t.alias = j + 1;
            j += 2;
        } else if (IsName(j) && !IsWord(j, "OUTPUT")) {
            t.alias = j;
            ++j;
        }
        if (K(j) == Kw::With && Is(j + 1, Tk::LParen)) j = pair_[j + 1] + 1;
        t.end = j;
        return t;
    }

    void Update(std::size_t b, std::size_t e, std::string& out) {
        if (K(b + 1) == Kw::Top) Unsupported(b + 1, "TOP in UPDATE");
        const std::size_t set = Find(b + 1, e, Kw::Set);
        if (set == e) Fail(b, "UPDATE without SET");
        const std::size_t from = Find(set, e, Kw::From);
        const std::size_t where = Find(from == e ? set : from, e, Kw::Where);
        const TableRef target = ReadTableRef(b + 1);
        if (target.name == kNpos) Fail(b + 1, "UPDATE without a table name");
        if (target.alias != kNpos) Fail(target.alias, "unexpected alias after the UPDATE table");
        if (target.end != set) Fail(target.end, "unexpected '" + std::string(Text(target.end)) + "' before SET");
        const std::string targetName = Unquoted(tok_[target.nameEnd - 1], Text(target.nameEnd - 1));

        // T-SQL may name the updated table again in FROM (with joins and an alias); SQLite and
        // PostgreSQL name it only once, so that reference becomes the target.
        std::size_t fromRest = from;  // where the backend's FROM list starts (or e: none)
        std::size_t onCond = kNpos, onCondEnd = kNpos;
        TableRef first;
        bool sameTable = false;
        if (from != e) {
            first = ReadTableRef(from + 1);
            if (first.name != kNpos && !Is(first.nameEnd, Tk::LParen)) {
                auto same = [&](std::size_t k) { return SameWord(Unquoted(tok_[k], Text(k)), targetName); };
                sameTable = same(first.nameEnd - 1) || (first.alias != kNpos && same(first.alias));
            }
        }
        if (sameTable) {
            std::size_t k = first.end;
            if (k == where) {
                fromRest = kNpos;
            } else if (Is(k, Tk::Comma)) {
                fromRest = k;  // the comma stands where FROM was
            } else {
                if (K(k) == Kw::Left || K(k) == Kw::Right || K(k) == Kw::Full)
                    Unsupported(k, "UPDATE ... FROM with an outer join of the updated table");
                const bool cross = K(k) == Kw::Cross;
                if (K(k) == Kw::Inner || cross) ++k;
                if (K(k) != Kw::Join) Fail(k, "unexpected '" + std::string(Text(k)) + "' after the updated table");
                fromRest = k;  // the JOIN stands where FROM was
                if (!cross) {
                    const std::size_t on = Find(k, where, Kw::On);
                    if (on == where) Fail(k, "JOIN without ON");
                    onCond = on + 1;
                    onCondEnd = on + 1;
                    while (onCondEnd < where &&
                           !(Is(onCondEnd, Tk::Comma) || K(onCondEnd) == Kw::Join || K(onCondEnd) == Kw::Inner ||
                             K(onCondEnd) == Kw::Left || K(onCondEnd) == Kw::Right || K(onCondEnd) == Kw::Full ||
                             K(onCondEnd) == Kw::Cross))
                        onCondEnd = Next(onCondEnd);
                }
            }
        }

        Emit(out, b);
        if (sameTable) {
            Translate(first.name, first.nameEnd, out, Start::Table);
            if (first.alias != kNpos) {
                Emit(out, true, "AS");
                EmitName(out, first.alias);
            }
        } else {
            Translate(b + 1, set, out, Start::Table);
        }
        Emit(out, set);
        // Assignments: the column on the left is written without its table name.
        const std::size_t setEnd = from != e ? from : where;
        for (std::size_t a = set + 1; a < setEnd;) {
            std::size_t c = a;
            while (c < setEnd && !Is(c, Tk::Comma)) c = Next(c);
            std::size_t eq = a;
            while (eq < c && !(Is(eq, Tk::Op) && (Text(eq) == "=" || Text(eq).size() == 2))) eq = Next(eq);
            if (eq == c) Fail(a, "SET without '='");
            if (Text(eq) != "=") Unsupported(eq, "compound assignment " + std::string(Text(eq)));
            if (Is(a, Tk::Variable)) Unsupported(a, "variable " + std::string(Text(a)));
            if (!IsName(eq - 1)) Fail(a, "SET needs a column name before '='");
            EmitName(out, eq - 1);
            Emit(out, eq);
            Translate(eq + 1, c, out, Start::Expr);
            if (c < setEnd) Emit(out, c);
            a = c + 1;
        }
        if (sameTable) {
            if (fromRest != kNpos) {
                Emit(out, true, "FROM");
                if (onCond != kNpos) {
                    // JOIN x ON cond rest  ->  FROM x rest ... WHERE (cond)
                    Translate(fromRest + 1, onCond - 1, out, Start::Table);
                    Translate(onCondEnd, where, out, Start::FromList);
                } else {
                    Translate(fromRest + 1, where, out, Start::FromList);
                }
            }
            if (onCond != kNpos) {
                Emit(out, true, "WHERE (");
                Translate(onCond, onCondEnd, out, Start::Expr);
                Emit(out, false, ")");
                if (where != e) {
                    Emit(out, true, "AND (");
                    Translate(where + 1, e, out, Start::Expr);
                    Emit(out, false, ")");
                }
                return;
            }
        } else if (from != e) {
            Emit(out, from);
            Translate(from + 1, where, out, Start::FromList);
        }
        if (where != e) {
            Emit(out, where);
            Translate(where + 1, e, out, Start::Expr);
        }
    }

    // ---- expressions -----------------------------------------------------------------------

    // Translates the tokens [b, e) of one nesting level. Answers what the range gives when it
    // is a single expression.
    ValueType Translate(std::size_t b, std::size_t e, std::string& out, Start start) {
        Level st;
        st.tablePos = start != Start::Expr;
        st.columnList = start == Start::TableWithColumns;
        st.fromList = start == Start::FromList;
        std::size_t i = b;
        while (i < e) {
            const Token& t = tok_[i];
            if (st.tablePos) {
                const std::size_t j = TableReference(i, e, out, st);
                if (j != i) {
                    i = j;
                    continue;
                }
            }
            if (st.itemStart) {
                st.itemStart = false;
                if (IsName(i) && i + 1 < e && IsOp(i + 1, "=")) {
                    st.alias = i;  // T-SQL's "alias = expr" select item
                    st.aliases.push_back(Lower(Unquoted(tok_[i], Text(i))));
                    i += 2;
                    continue;
                }
                if (IsName(i) && Is(i + 1, Tk::Dot) && IsName(i + 2) &&
                    (i + 3 >= e || Is(i + 3, Tk::Comma) || K(i + 3) == Kw::From)) {
                    std::string name = Lower(Unquoted(tok_[i + 2], Text(i + 2)));
                    auto it = std::find_if(st.columns.begin(), st.columns.end(),
                                           [&](const auto& c) { return c.first == name; });
                    if (it == st.columns.end())
                        st.columns.emplace_back(std::move(name), i);
                    else
                        it->second = kNpos;
                }
            }
            if (st.orderBy && IsName(i) && (i + 1 >= e || Is(i + 1, Tk::Comma) || K(i + 1) == Kw::Asc ||
                                            K(i + 1) == Kw::Desc)) {
                if (const std::size_t column = SelectedColumn(st, i); column != kNpos) {
                    std::string text;
                    for (std::size_t k = column; k < column + 3; ++k)
                        text += Is(k, Tk::Bracketed) ? Quoted(Unquoted(tok_[k], Text(k))) : std::string(Text(k));
                    Emit(out, t.spaceBefore, text);
                    ++st.segments;
                    ++i;
                    continue;
                }
            }
            if (t.kind == Tk::Comma) {
                FlushAlias(out, st);
                Emit(out, i);
                if (st.fromList) st.tablePos = true;
                if (st.selectList) st.itemStart = true;
                st.prevComparison = st.afterSegment = false;
                ++st.others;
                ++i;
                continue;
            }
            if (t.kind == Tk::Op && !IsArithmetic(Text(i))) {
                std::string_view op = Text(i);
                if (!IsComparison(op)) Unsupported(i, "the operator " + std::string(op));
                Emit(out, t.spaceBefore, op == "!<" ? ">=" : op == "!>" ? "<=" : op);
                st.prevComparison = true;
                st.afterSegment = false;
                ++st.others;
                ++i;
                continue;
            }
            if (t.kind == Tk::Ident && t.kw != Kw::None && !IsAtomKeyword(i)) {
                i = Keyword(i, e, out, st);
                st.afterSegment = false;
                ++st.others;
                continue;
            }
            if (t.kind == Tk::Ident && t.kw == Kw::None) CheckClauseWord(i);
            if (!st.prevComparison) {
                if (const std::size_t j = PrefixRange(i, e, out); j != i) {
                    st.afterSegment = true;
                    st.segments += 2;
                    ++st.others;
                    i = j;
                    continue;
                }
            }
            const std::size_t j = SegmentEnd(i, e);
            if (j == i) Fail(i, "unexpected '" + std::string(Text(i)) + "'");
            const bool nextComparison =
                j < e && ((Is(j, Tk::Op) && IsComparison(Text(j))) || K(j) == Kw::Between);
            st.lastType = Segment(i, j, out, st.prevComparison || nextComparison);
            st.prevComparison = false;
            st.afterSegment = true;
            ++st.segments;
            i = j;
        }
        FlushAlias(out, st);
        if (!st.limit.empty()) {
            if (st.compound) Unsupported(st.topAt, "TOP in a UNION");
            Emit(out, true, "LIMIT");
            Emit(out, true, st.limit);
        }
        return (st.segments == 1 && st.others == 0) ? st.lastType : ValueType::Unknown;
    }

    // Whether the group at open is a list of values with a text literal among them.
    bool HasTextValue(std::size_t open) const {
        if (!Is(open, Tk::LParen) || K(open + 1) == Kw::Select) return false;
        for (std::size_t k = open + 1; k < pair_[open]; k = Next(k))
            if (Is(k, Tk::String) || Is(k, Tk::NString)) return true;
        return false;
    }

    // The select-list column a bare ORDER BY name stands for (as SQL Server binds it), or kNpos
    // when the name is an alias or not a selected column.
    std::size_t SelectedColumn(const Level& st, std::size_t i) const {
        const std::string name = Lower(Unquoted(tok_[i], Text(i)));
        if (std::find(st.aliases.begin(), st.aliases.end(), name) != st.aliases.end()) return kNpos;
        for (const auto& [column, at] : st.columns)
            if (column == name) return at;
        return kNpos;
    }

    void FlushAlias(std::string& out, Level& st) {
        if (st.alias == kNpos) return;
        Emit(out, true, "AS");
        Emit(out, true, Quoted(Unquoted(tok_[st.alias], Text(st.alias))));
        st.alias = kNpos;
    }

    // Words T-SQL does not reserve but that start clauses the backends cannot take.
    void CheckClauseWord(std::size_t i) const {
        if (IsWord(i, "OUTPUT") && (IsWord(i + 1, "INSERTED") || IsWord(i + 1, "DELETED")))
            Unsupported(i, "the OUTPUT clause");
        if (IsWord(i, "OFFSET") && (IsWord(Next(i + 1), "ROWS") || IsWord(Next(i + 1), "ROW")))
            Unsupported(i, "OFFSET ... FETCH");
        if (Text(i).front() == '#') Unsupported(i, "the temporary table " + std::string(Text(i)));
    }

    // A table reference at i (after FROM, JOIN, INTO, UPDATE, or ',' in FROM). Answers i when
    // there is none, so that the caller goes on normally.
    std::size_t TableReference(std::size_t i, std::size_t e, std::string& out, Level& st) {
        st.tablePos = false;
        const bool columnList = std::exchange(st.columnList, false);
        if (Is(i, Tk::LParen)) {  // derived table
            Emit(out, i);
            Translate(i + 1, pair_[i], out, Start::Expr);
            Emit(out, pair_[i]);
            return pair_[i] + 1;
        }
        if (!IsName(i)) return i;
        if (Is(i, Tk::Ident) && Text(i).front() == '#') Unsupported(i, "the temporary table " + std::string(Text(i)));
        // db.schema.table, schema.table, db..table: the default schema "dbo" is dropped.
        std::vector<std::size_t> parts{i};
        std::size_t j = i + 1;
        while (Is(j, Tk::Dot) && j + 1 < e) {
            if (Is(j + 1, Tk::Dot)) {
                parts.push_back(kNpos);
                ++j;
                continue;
            }
            if (!IsName(j + 1)) break;
            parts.push_back(j + 1);
            j += 2;
        }
        if (parts.size() > 3) Unsupported(i, "a four-part name (linked server)");
        if (parts.back() == kNpos) Fail(i, "malformed name");  // "db.." names no table
        auto isDbo = [&](std::size_t p) { return p == kNpos || SameWord(Unquoted(tok_[p], Text(p)), "dbo"); };
        std::vector<std::size_t> keep;
        if (parts.size() == 3) {
            if (!isDbo(parts[1])) Unsupported(parts[1], "the schema " + std::string(Text(parts[1])));
            keep = {parts[0], parts[2]};
        } else if (parts.size() == 2) {
            if (parts[0] == kNpos) Fail(i, "malformed name");
            keep = isDbo(parts[0]) ? std::vector<std::size_t>{parts[1]} : parts;
        } else {
            keep = parts;
        }
        if (!cteFrom_.empty() && keep.size() == 1 && SameWord(Unquoted(tok_[keep[0]], Text(keep[0])), cteFrom_)) {
            // The recursive table's own reference in its second part reads the table that
            // carries the level; the name stays as an alias for the columns named with it.
            Emit(out, tok_[i].spaceBefore, cteTo_);
            if (!((K(j) == Kw::As && IsName(j + 1)) || (IsName(j) && j < e))) {
                Emit(out, true, "AS");
                EmitName(out, keep[0]);
            }
        } else {
            for (std::size_t k = 0; k < keep.size(); ++k) {
                if (k > 0) Emit(out, false, ".");
                EmitName(out, keep[k]);
            }
        }
        if (Is(j, Tk::LParen) && j < e) {
            if (columnList) {
                Emit(out, j);
                Translate(j + 1, pair_[j], out, Start::Expr);
                Emit(out, pair_[j]);
                j = pair_[j] + 1;
            } else if (IsHintList(j)) {
                j = pair_[j] + 1;
                pendingSpace_ = true;
            } else {
                Unsupported(i, "the table-valued function " + std::string(Text(i)));
            }
        }
        if (K(j) == Kw::As && IsName(j + 1)) {
            Emit(out, j);
            EmitName(out, j + 1);
            j += 2;
        } else if (IsName(j) && j < e) {
            CheckClauseWord(j);
            EmitName(out, j);
            ++j;
        }
        if (K(j) == Kw::With && Is(j + 1, Tk::LParen)) {
            CheckHints(j + 1);
            j = pair_[j + 1] + 1;
            pendingSpace_ = true;
        } else if (Is(j, Tk::LParen) && IsHintList(j)) {
            j = pair_[j] + 1;
            pendingSpace_ = true;
        }
        return j;
    }

    bool IsHintList(std::size_t open) const {
        const std::size_t close = pair_[open];
        if (close == open + 1) return false;
        for (std::size_t k = open + 1; k < close; ++k) {
            if (Is(k, Tk::Comma)) continue;
            if (!Is(k, Tk::Ident) || !IsLockHint(Text(k))) return false;
        }
        return true;
    }
    void CheckHints(std::size_t open) const {
        for (std::size_t k = open + 1; k < pair_[open]; ++k) {
            if (Is(k, Tk::Comma)) continue;
            if (!Is(k, Tk::Ident) || !IsLockHint(Text(k))) Unsupported(k, "the table hint " + std::string(Text(k)));
        }
    }

    bool IsAtomKeyword(std::size_t i) const {
        switch (K(i)) {
            case Kw::Case:
            case Kw::Null:
            case Kw::Current_timestamp: return true;
            case Kw::Left:
            case Kw::Right: return Is(i + 1, Tk::LParen);
            default: return false;
        }
    }

    bool IsAtomStart(std::size_t i) const {
        switch (tok_[i].kind) {
            case Tk::Ident: return tok_[i].kw == Kw::None || IsAtomKeyword(i);
            case Tk::Bracketed:
            case Tk::DQuoted:
            case Tk::String:
            case Tk::NString:
            case Tk::Number:
            case Tk::Param:
            case Tk::Variable:
            case Tk::LParen: return true;
            default: return false;
        }
    }

    // The token after the atom at i: a literal, a (qualified) name, a call, a group, CASE ... END.
    std::size_t AtomEnd(std::size_t i) const {
        if (Is(i, Tk::LParen) || K(i) == Kw::Case) return pair_[i] + 1;
        if (Is(i, Tk::Ident) || Is(i, Tk::Bracketed) || Is(i, Tk::DQuoted)) {
            std::size_t k = i + 1;
            if (Is(k, Tk::LParen) && Is(i, Tk::Ident)) return pair_[k] + 1;
            while (Is(k, Tk::Dot)) {
                if (IsName(k + 1) || Is(k + 1, Tk::Ident)) {
                    k += 2;
                    if (Is(k, Tk::LParen)) return pair_[k] + 1;
                } else if (IsOp(k + 1, "*")) {
                    return k + 2;
                } else {
                    Fail(k, "a name must follow '.'");
                }
            }
            return k;
        }
        return i + 1;
    }

    // The end of the arithmetic expression starting at i: atoms joined by + - * / % & | ^.
    std::size_t SegmentEnd(std::size_t i, std::size_t e) const {
        std::size_t j = i;
        bool expectAtom = true;
        while (j < e) {
            if (Is(j, Tk::Op)) {
                std::string_view op = Text(j);
                if (expectAtom && op == "*") {  // SELECT *, COUNT(*)
                    ++j;
                    expectAtom = false;
                    continue;
                }
                if (!IsArithmetic(op)) break;
                if (expectAtom && op != "+" && op != "-" && op != "~") break;
                ++j;
                expectAtom = true;
                continue;
            }
            if (!expectAtom || !IsAtomStart(j)) break;
            j = AtomEnd(j);
            expectAtom = false;
        }
        return j;
    }

    // LEFT(column, n) = 'text' written with the index range the rules give beside it, in
    // parentheses so that a NOT before it still negates the whole. Answers the token after the
    // literal, or i when the tokens at i are not that comparison.
    std::size_t PrefixRange(std::size_t i, std::size_t e, std::string& out) {
        if (r_.prefixUpperBound.empty() || K(i) != Kw::Left || !Is(i + 1, Tk::LParen)) return i;
        std::size_t col = i + 2, colEnd = col + 1;
        if (!IsName(col)) return i;
        if (Is(colEnd, Tk::Dot) && IsName(colEnd + 1)) colEnd += 2;
        if (!Is(colEnd, Tk::Comma) || !Is(colEnd + 1, Tk::Number) || !Is(colEnd + 2, Tk::RParen) ||
            pair_[i + 1] != colEnd + 2 || !IsOp(colEnd + 3, "="))
            return i;
        const std::size_t lit = colEnd + 4;
        if (lit >= e || !(Is(lit, Tk::String) || Is(lit, Tk::NString)) || SegmentEnd(lit, e) != lit + 1) return i;
        std::string_view literal = Text(lit).substr(Is(lit, Tk::NString) ? 1 : 0);
        std::size_t keep = literal.size() - 1;  // up to the closing quote
        while (keep > 1 && literal[keep - 1] == ' ') --keep;  // T-SQL's = ignores trailing spaces
        if (keep <= 1) return i;  // an empty prefix narrows nothing
        const std::string trimmed = std::string(literal.substr(0, keep)) + "'";
        std::string column;
        Segment(col, colEnd, column, false);
        if (!column.empty() && column.front() == ' ') column.erase(0, 1);
        const std::string collation = r_.textCollation.empty() ? "" : " " + std::string(r_.textCollation);
        Emit(out, tok_[i].spaceBefore, "(");
        Segment(i, colEnd + 3, out, true);
        Emit(out, true, "=");
        Segment(lit, lit + 1, out, true);
        std::string bound(r_.prefixUpperBound);
        bound.replace(bound.find("$1"), 2, trimmed);
        out += " AND " + column + " >= " + trimmed + collation + " AND " + column + " < " + bound + collation + ")";
        return lit + 1;
    }

    // Writes one arithmetic expression. T-SQL's + adds numbers and joins texts; the backend
    // gets the plain operator where both sides are known numbers, its concatenation where both
    // are known texts, and its run-time choice otherwise.
    ValueType Segment(std::size_t b, std::size_t e, std::string& out, bool comparisonOperand) {
        bool hasPlus = false;
        const std::size_t start = out.size();
        for (std::size_t j = b; j < e; j = Is(j, Tk::Op) ? j + 1 : AtomEnd(j))
            if (IsOp(j, "+") && j > b && !Is(j - 1, Tk::Op)) hasPlus = true;
        ValueType type;
        if (comparisonOperand && r_.trimComparedLiterals && e == b + 1 &&
            (Is(b, Tk::String) || Is(b, Tk::NString))) {
            std::string_view literal = Text(b).substr(Is(b, Tk::NString) ? 1 : 0);
            std::size_t keep = literal.size() - 1;  // up to the closing quote
            while (keep > 1 && literal[keep - 1] == ' ') --keep;
            Emit(out, tok_[b].spaceBefore, std::string(literal.substr(0, keep)) + "'");
            type = ValueType::Text;
        } else if (!hasPlus) {
            type = Terms(b, e, out);
        } else {
            std::string acc;
            ValueType accType = ValueType::Unknown;
            std::size_t termStart = b;
            std::string_view op;
            for (std::size_t j = b;;) {
                const bool atEnd = j >= e;
                const bool binary = !atEnd && Is(j, Tk::Op) && j > termStart && !Is(j - 1, Tk::Op) &&
                                    std::string_view("+-&|^").find(Text(j)) != std::string_view::npos;
                if (atEnd || binary) {
                    std::string term;
                    const ValueType termType = Terms(termStart, j, term);
                    if (op.empty()) {
                        acc = std::move(term);
                        accType = termType;
                    } else {
                        Combine(acc, accType, op, term, termType);
                    }
                    if (atEnd) break;
                    op = Text(j);
                    termStart = j + 1;
                    ++j;
                    continue;
                }
                j = Is(j, Tk::Op) ? j + 1 : AtomEnd(j);
            }
            Emit(out, tok_[b].spaceBefore, acc);
            type = accType;
        }
        if (comparisonOperand && type == ValueType::Text && !r_.textCollation.empty()) {
            if (r_.parenthesizeCollated) {
                const std::size_t at = start < out.size() && out[start] == ' ' ? start + 1 : start;
                out.insert(at, "(");
                out += ' ';
                out += r_.textCollation;
                out += ')';
            } else {
                out += ' ';
                out += r_.textCollation;
            }
        }
        return type;
    }

    void Combine(std::string& acc, ValueType& accType, std::string_view op, const std::string& term,
                 ValueType termType) const {
        auto two = [&](std::string_view pattern) {
            return Expand(pattern, [&](std::string_view key) -> std::string_view {
                return key == "1" ? std::string_view(acc) : key == "2" ? std::string_view(term) : "";
            });
        };
        const bool numeric = IsNumeric(accType) && IsNumeric(termType);
        const ValueType numType =
            (accType == ValueType::Money || termType == ValueType::Money) ? ValueType::Money : ValueType::Numeric;
        if (op == "+") {
            if (numeric) {
                acc += " + " + term;
                accType = numType;
            } else if (accType == ValueType::Text && termType == ValueType::Text) {
                acc = two(r_.concatPattern);
                accType = ValueType::Text;
            } else {
                acc = two(r_.addPattern);
                accType = ValueType::Unknown;
            }
        } else if (op == "-") {
            acc += " - " + term;
            accType = numeric ? numType : ValueType::Unknown;
        } else {
            // T-SQL ranks & | ^ with +; the backends rank them lower, hence the parentheses.
            acc = "(" + acc + ") " + std::string(op) + " " + term;
            accType = numeric ? ValueType::Numeric : ValueType::Unknown;
        }
    }

    // Atoms joined by * / % and unary operators.
    ValueType Terms(std::size_t b, std::size_t e, std::string& out) {
        int atoms = 0, ops = 0;
        bool allNumeric = true, money = false;
        ValueType single = ValueType::Unknown;
        for (std::size_t j = b; j < e;) {
            if (Is(j, Tk::Op) && !(Text(j) == "*" && (j == b || Is(j - 1, Tk::Op)))) {
                Emit(out, j);
                ++ops;
                const bool divides = (Text(j) == "/" || Text(j) == "%") && j > b && !Is(j - 1, Tk::Op);
                ++j;
                if (divides && !r_.divisorPattern.empty() && j < e) {
                    // The divisor: its unary operators and one atom.
                    std::string divisor;
                    while (j < e && Is(j, Tk::Op) && Text(j) != "*") Emit(divisor, j++);
                    if (j >= e) Fail(j - 1, "a divisor is missing");
                    const std::size_t next = AtomEnd(j);
                    const ValueType t = Atom(j, divisor);
                    ++atoms;
                    if (!IsNumeric(t)) allNumeric = false;
                    if (t == ValueType::Money) money = true;
                    std::size_t lead = 0;
                    while (lead < divisor.size() && divisor[lead] == ' ') ++lead;
                    Emit(out, true, Expand(r_.divisorPattern, [&](std::string_view) {
                             return std::string_view(divisor).substr(lead);
                         }));
                    j = next;
                }
                continue;
            }
            const std::size_t next = AtomEnd(j);
            const ValueType t = Atom(j, out);
            single = t;
            ++atoms;
            if (!IsNumeric(t)) allNumeric = false;
            if (t == ValueType::Money) money = true;
            j = next;
        }
        if (atoms == 1 && ops == 0) return single;
        if (atoms > 0 && allNumeric) return money ? ValueType::Money : ValueType::Numeric;
        return ValueType::Unknown;
    }

    ValueType Atom(std::size_t i, std::string& out) {
        const Token& t = tok_[i];
        switch (t.kind) {
            case Tk::String: Emit(out, i); return ValueType::Text;
            case Tk::NString: Emit(out, t.spaceBefore, Text(i).substr(1)); return ValueType::Text;
            case Tk::Number: Emit(out, i); return ValueType::Numeric;
            case Tk::Param: Emit(out, t.spaceBefore, Parameter()); return ValueType::Unknown;
            case Tk::Variable:
                if (SameWord(Text(i), "@@IDENTITY")) {
                    Emit(out, t.spaceBefore, r_.lastInsertId);
                    return ValueType::Numeric;
                }
                if (SameWord(Text(i), "@@ROWCOUNT")) {
                    if (r_.rowCount.empty()) Unsupported(i, "@@ROWCOUNT");
                    Emit(out, t.spaceBefore, r_.rowCount);
                    return ValueType::Numeric;
                }
                Unsupported(i, "the variable " + std::string(Text(i)));
            case Tk::LParen: {
                Emit(out, i);
                const ValueType inner = Translate(i + 1, pair_[i], out, Start::Expr);
                Emit(out, pair_[i]);
                return inner;
            }
            case Tk::Op: Emit(out, i); return ValueType::Unknown;  // the * of SELECT *
            default: break;
        }
        switch (t.kw) {
            case Kw::Case:
                Emit(out, i);
                Translate(i + 1, pair_[i], out, Start::Expr);
                Emit(out, pair_[i]);
                return ValueType::Unknown;
            case Kw::Null: Emit(out, i); return ValueType::Unknown;
            case Kw::Current_timestamp: Emit(out, t.spaceBefore, r_.now); return ValueType::Unknown;
            default: break;
        }
        if (t.kind == Tk::Ident && Is(i + 1, Tk::LParen)) return Call(i, i, i + 1, out);
        if (t.kind == Tk::Ident && Text(i).front() == '#') Unsupported(i, "the temporary table " + std::string(Text(i)));
        // A (qualified) column name.
        EmitName(out, i);
        std::size_t k = i + 1;
        while (Is(k, Tk::Dot)) {
            Emit(out, false, ".");
            if (IsOp(k + 1, "*")) {
                Emit(out, false, "*");
                break;
            }
            if (Is(k + 2, Tk::LParen)) Call(i, k + 1, k + 2, out);  // fails: no such function
            EmitName(out, k + 1);
            k += 2;
        }
        return ValueType::Unknown;
    }

    // Splits the inside of the group at open into its comma-separated ranges.
    std::vector<std::pair<std::size_t, std::size_t>> Args(std::size_t open) const {
        std::vector<std::pair<std::size_t, std::size_t>> args;
        const std::size_t close = pair_[open];
        if (close == open + 1) return args;
        std::size_t a = open + 1;
        for (std::size_t j = a; j <= close; j = Next(j)) {
            if (j == close || Is(j, Tk::Comma)) {
                if (j == a) Fail(j, "an argument is missing");
                args.emplace_back(a, j);
                a = j + 1;
            }
        }
        return args;
    }

    const FunctionRule* Lookup(std::string_view upper) const {
        for (auto table : {r_.functions, r_.baseline}) {
            auto it = std::lower_bound(table.begin(), table.end(), upper,
                                       [](const FunctionRule& f, std::string_view n) { return f.name < n; });
            if (it != table.end() && it->name == upper) return &*it;
        }
        return nullptr;
    }

    std::string DatePartArg(std::size_t b, std::size_t e) const {
        if (e == b + 1 && (Is(b, Tk::Ident) || Is(b, Tk::Bracketed))) {
            const std::string word = Unquoted(tok_[b], Text(b));
            for (const auto& part : kDateParts)
                for (auto n : part.names)
                    if (!n.empty() && SameWord(n, word)) return "'" + std::string(part.canonical) + "'";
        }
        Unsupported(b, "the date part " + std::string(Text(b)));
    }

    // A function call: `from` is where the name starts (for messages), `name` its last part.
    ValueType Call(std::size_t from, std::size_t name, std::size_t open, std::string& out) {
        const std::string display = from == name ? std::string(Text(name))
                                                 : std::string(src_.substr(tok_[from].pos,
                                                                           tok_[name].pos + tok_[name].len -
                                                                               tok_[from].pos));
        if (from != name) Fail(from, "unknown function " + display);
        const std::string upper = Upper(Text(name));
        if (upper == "CONVERT" || upper == "CAST") return Convert(name, open, upper == "CAST", out);
        const FunctionRule* rule = Lookup(upper);
        if (!rule) Fail(name, "unknown function " + display);
        const auto ranges = Args(open);
        const int n = static_cast<int>(ranges.size());
        if (n < rule->minArgs || (rule->maxArgs >= 0 && n > rule->maxArgs))
            Fail(name, "wrong number of arguments (" + std::to_string(n) + ") for " + display);
        std::vector<std::string> args(ranges.size());
        const bool datePart = rule->pattern.find("$D1") != std::string_view::npos;
        for (std::size_t k = 0; k < ranges.size(); ++k) {
            if (k == 0 && datePart)
                args[k] = DatePartArg(ranges[k].first, ranges[k].second);
            else
                Translate(ranges[k].first, ranges[k].second, args[k], Start::Expr);
        }
        std::string all;
        std::string text = Expand(rule->pattern, [&](std::string_view key) -> std::string_view {
            if (key == "*") {
                for (std::size_t k = 0; k < args.size(); ++k) {
                    if (k) all += ", ";
                    all += args[k];
                }
                return all;
            }
            if (key == "D1") return args.empty() ? std::string_view() : std::string_view(args[0]);
            const std::size_t index = static_cast<std::size_t>(key[0] - '1');
            return index < args.size() ? std::string_view(args[index]) : std::string_view();
        });
        Emit(out, tok_[name].spaceBefore, text);
        return rule->result;
    }

    // The T-SQL type name in [b, e), lower-cased with its length ("varchar(30)", "decimal(18,2)").
    std::string TypeArg(std::size_t b, std::size_t e, ValueType& type) const {
        if (!Is(b, Tk::Ident) && !Is(b, Tk::Bracketed)) Fail(b, "a data type is missing");
        std::string name = Lower(Unquoted(tok_[b], Text(b)));
        const TypeName* known = nullptr;
        for (const auto& t : kTypes)
            if (t.name == name) known = &t;
        if (!known) Unsupported(b, "the data type " + std::string(Text(b)));
        type = known->type;
        std::size_t j = b + 1;
        if (j < e && Is(j, Tk::LParen)) {
            name += '(';
            for (std::size_t k = j + 1; k < pair_[j]; ++k) {
                if (Is(k, Tk::Comma))
                    name += ',';
                else if (Is(k, Tk::Number) || IsWord(k, "MAX"))
                    name += Lower(Text(k));
                else
                    Fail(k, "a length must be a number");
            }
            name += ')';
            j = pair_[j] + 1;
        }
        if (j != e) Fail(j, "unexpected '" + std::string(Text(j)) + "' after the data type");
        return name;
    }

    bool IsRowVersion(std::size_t b, std::size_t e) const {
        if (r_.rowVersionColumn.empty() || !IsName(e - 1)) return false;
        for (std::size_t k = b; k + 1 < e; k += 2)
            if (!IsName(k) || !Is(k + 1, Tk::Dot)) return false;
        return SameWord(Unquoted(tok_[e - 1], Text(e - 1)), r_.rowVersionColumn);
    }

    // CONVERT(type, value[, style]) and CAST(value AS type).
    ValueType Convert(std::size_t name, std::size_t open, bool cast, std::string& out) {
        std::size_t typeB, typeE, valB, valE, styleB = kNpos, styleE = kNpos;
        if (cast) {
            const std::size_t close = pair_[open];
            std::size_t as = kNpos;
            for (std::size_t j = open + 1; j < close; j = Next(j))
                if (K(j) == Kw::As) as = j;
            if (as == kNpos || as == open + 1) Fail(name, "CAST needs 'value AS type'");
            valB = open + 1;
            valE = as;
            typeB = as + 1;
            typeE = close;
        } else {
            const auto args = Args(open);
            if (args.size() < 2 || args.size() > 3)
                Fail(name, "wrong number of arguments (" + std::to_string(args.size()) + ") for CONVERT");
            typeB = args[0].first;
            typeE = args[0].second;
            valB = args[1].first;
            valE = args[1].second;
            if (args.size() == 3) {
                styleB = args[2].first;
                styleE = args[2].second;
            }
        }
        ValueType result;
        const std::string type = TypeArg(typeB, typeE, result);
        std::string value, style;
        ValueType source;
        if (result == ValueType::Money && IsRowVersion(valB, valE)) {
            std::string column;
            Translate(valB, valE, column, Start::Expr);
            value = Expand(r_.rowVersionMoneyPattern, [&](std::string_view) { return column; });
            source = ValueType::Money;
            if (styleB == kNpos) {
                Emit(out, tok_[name].spaceBefore, value);
                return ValueType::Money;
            }
        } else {
            source = Translate(valB, valE, value, Start::Expr);
        }
        if (styleB == kNpos && result != ValueType::Text) {
            const std::string base = type.substr(0, type.find('('));
            for (const auto& cast : r_.casts) {
                if (cast.type != base) continue;
                const std::string length = type.size() > base.size() ? type.substr(base.size()) : std::string();
                Emit(out, tok_[name].spaceBefore, Expand(cast.pattern, [&](std::string_view key) -> std::string_view {
                         return key == "X" ? std::string_view(value) : key == "L" ? std::string_view(length) : "";
                     }));
                return result;
            }
        }
        if (styleB != kNpos) Translate(styleB, styleE, style, Start::Expr);
        // value, style, source type; trailing NULLs left out.
        std::string rest = value;
        if (source == ValueType::Money) {
            rest += ", " + (style.empty() ? std::string("NULL") : style) + ", 'money'";
        } else if (!style.empty()) {
            rest += ", " + style;
        }
        const std::string quotedType = "'" + type + "'";
        Emit(out, tok_[name].spaceBefore, Expand(r_.convertPattern, [&](std::string_view key) -> std::string_view {
                 return key == "T" ? std::string_view(quotedType) : key == "A" ? std::string_view(rest) : "";
             }));
        return result;
    }

    // Clause and operator keywords inside a statement.
    std::size_t Keyword(std::size_t i, std::size_t e, std::string& out, Level& st) {
        const Kw kw = K(i);
        switch (kw) {
            case Kw::Select: {
                FlushAlias(out, st);
                Emit(out, i);
                ++st.selects;
                std::size_t j = i + 1;
                if (K(j) == Kw::Distinct || K(j) == Kw::All) {
                    Emit(out, j);
                    ++j;
                }
                if (K(j) == Kw::Top) j = Top(j, e, st);
                st.selectList = st.itemStart = true;
                st.fromList = false;
                st.prevComparison = false;
                return j;
            }
            case Kw::Top: Unsupported(i, "TOP here (it belongs right after SELECT or SELECT DISTINCT)");
            case Kw::Union:
            case Kw::Except:
            case Kw::Intersect:
                FlushAlias(out, st);
                Emit(out, i);
                st.compound = true;
                st.selectList = st.fromList = st.orderBy = false;
                return i + 1;
            case Kw::From:
                FlushAlias(out, st);
                Emit(out, i);
                st.selectList = false;
                st.fromList = st.tablePos = true;
                return i + 1;
            case Kw::Into:
                if (st.selects > 0) Unsupported(i, "SELECT ... INTO (create the table first, then INSERT ... SELECT)");
                Emit(out, i);
                st.tablePos = st.columnList = true;
                return i + 1;
            case Kw::Join:
                Emit(out, i);
                st.tablePos = true;
                return i + 1;
            case Kw::Cross:
            case Kw::Outer:
                if (K(i + 1) == Kw::Apply) Unsupported(i, Upper(Text(i)) + " APPLY");
                Emit(out, i);
                return i + 1;
            case Kw::Where:
            case Kw::Group:
            case Kw::Order:
            case Kw::Having:
                FlushAlias(out, st);
                Emit(out, i);
                st.selectList = st.fromList = false;
                st.orderBy = kw == Kw::Order;
                st.prevComparison = false;
                return i + 1;
            case Kw::Between:
                Emit(out, i);
                st.betweenAnd = true;
                st.prevComparison = true;
                return i + 1;
            case Kw::And:
                Emit(out, i);
                st.prevComparison = std::exchange(st.betweenAnd, false);
                return i + 1;
            case Kw::Collate: {
                if (!IsName(i + 1)) Fail(i, "COLLATE without a collation name");
                Emit(out, i);
                const std::string name = Upper(Unquoted(tok_[i + 1], Text(i + 1)));
                Emit(out, true, name.find("_CI") != std::string::npos ? r_.caseInsensitiveCollation : r_.binaryCollation);
                return i + 2;
            }
            case Kw::With:
                if (Is(i + 1, Tk::LParen)) {
                    CheckHints(i + 1);
                    pendingSpace_ = true;
                    return pair_[i + 1] + 1;
                }
                if (IsName(i + 1)) return CommonTables(i, out);
                Emit(out, i);
                return i + 1;
            case Kw::As:
                if (st.selectList && IsName(i + 1)) st.aliases.push_back(Lower(Unquoted(tok_[i + 1], Text(i + 1))));
                Emit(out, i);
                st.prevComparison = false;
                return i + 1;
            case Kw::In:
                // SQLite compares a list of IN values by the left side's collation, which an
                // expression there does not have.
                if (st.afterSegment && !r_.textCollation.empty() && HasTextValue(i + 1)) {
                    out += ' ';
                    out += r_.textCollation;
                }
                Emit(out, i);
                st.prevComparison = false;
                return i + 1;
            case Kw::Not:
                if (K(i + 1) == Kw::Like && r_.rewriteLikePatterns) {
                    if (auto pattern = LikePattern(i + 2, e); pattern && pattern->regex) {
                        if (!r_.likeCollation.empty()) Emit(out, true, r_.likeCollation);
                        Emit(out, true, r_.notRegexOperator);
                        Emit(out, true, pattern->literal);
                        st.prevComparison = false;
                        return i + 3;
                    }
                }
                if (K(i + 1) == Kw::In && st.afterSegment && !r_.textCollation.empty() && HasTextValue(i + 2)) {
                    out += ' ';
                    out += r_.textCollation;
                }
                if (K(i + 1) == Kw::Like && !r_.likeCollation.empty()) Emit(out, true, r_.likeCollation);
                Emit(out, i);
                st.prevComparison = false;
                return i + 1;
            case Kw::Like: {
                if (!r_.likeCollation.empty() && K(i - 1) != Kw::Not) Emit(out, true, r_.likeCollation);
                const auto pattern = r_.rewriteLikePatterns ? LikePattern(i + 1, e) : std::nullopt;
                if (pattern && pattern->regex)
                    Emit(out, true, r_.regexOperator);
                else if (r_.likeOperator.empty())
                    Emit(out, i);
                else
                    Emit(out, true, r_.likeOperator);
                st.prevComparison = false;
                if (!pattern) return i + 1;
                Emit(out, true, pattern->literal);
                return i + 2;
            }
            case Kw::Is: case Kw::Exists: case Kw::Or:
            case Kw::Escape: case Kw::Asc: case Kw::Desc: case Kw::When: case Kw::Then:
            case Kw::Else: case Kw::By: case Kw::Values: case Kw::Set: case Kw::Default: case Kw::Any:
            case Kw::Some: case Kw::Inner: case Kw::Left: case Kw::Right: case Kw::Full: case Kw::On:
            case Kw::Over: case Kw::Distinct: case Kw::All:
                Emit(out, i);
                st.prevComparison = false;
                return i + 1;
            case Kw::Option: Unsupported(i, "the OPTION clause");
            case Kw::For: Unsupported(i, "FOR " + Upper(Text(i + 1)));
            case Kw::Pivot:
            case Kw::Unpivot:
            case Kw::Compute:
            case Kw::Tablesample:
            case Kw::Contains:
            case Kw::Freetext: Unsupported(i, Upper(Text(i)));
            case Kw::Current_user:
            case Kw::Session_user:
            case Kw::System_user:
            case Kw::User: Unsupported(i, Upper(Text(i)) + " (there are no server logins)");
            default: break;
        }
        Fail(i, "unexpected " + Upper(Text(i)));
    }

    // A name as the backend writes it.
    std::string NameText(std::size_t k) const {
        const Token& t = tok_[k];
        if (t.kind == Tk::Bracketed || (t.kind == Tk::DQuoted && r_.lowerCaseQuotedNames)) return Quoted(Unquoted(t, Text(k)));
        return std::string(Text(k));
    }

    // WITH name [(columns)] AS (query), ... at w; answers where the main statement starts.
    std::size_t CommonTables(std::size_t w, std::string& out) {
        struct Cte {
            std::size_t name, columns, body;
            bool recursive;
        };
        std::vector<Cte> ctes;
        std::size_t j = w + 1;
        for (;;) {
            if (!IsName(j)) Fail(j, "WITH needs a table name");
            Cte c{j, kNpos, kNpos, false};
            ++j;
            if (Is(j, Tk::LParen)) {
                c.columns = j;
                j = pair_[j] + 1;
            }
            if (K(j) != Kw::As || !Is(j + 1, Tk::LParen)) Fail(j, "WITH " + std::string(Text(c.name)) + " needs AS (query)");
            c.body = j + 1;
            j = pair_[c.body] + 1;
            const std::string name = Unquoted(tok_[c.name], Text(c.name));
            for (std::size_t k = c.body + 1; k < pair_[c.body]; ++k)
                if (IsName(k) && (K(k - 1) == Kw::From || K(k - 1) == Kw::Join || Is(k - 1, Tk::Comma)) &&
                    !Is(k + 1, Tk::Dot) && SameWord(Unquoted(tok_[k], Text(k)), name))
                    c.recursive = true;
            ctes.push_back(c);
            if (!Is(j, Tk::Comma)) break;
            ++j;
        }
        Emit(out, w);
        if (std::any_of(ctes.begin(), ctes.end(), [](const Cte& c) { return c.recursive; })) Emit(out, true, "RECURSIVE");
        for (std::size_t n = 0; n < ctes.size(); ++n) {
            const Cte& c = ctes[n];
            if (n > 0) Emit(out, false, ",");
            std::vector<std::size_t> columns;
            if (c.columns != kNpos)
                for (std::size_t k = c.columns + 1; k < pair_[c.columns]; ++k) {
                    if (Is(k, Tk::Comma)) continue;
                    if (!IsName(k)) Fail(k, "a column name is missing");
                    columns.push_back(k);
                }
            auto columnList = [&](const std::vector<std::size_t>& cols) {
                std::string list;
                for (std::size_t k = 0; k < cols.size(); ++k) list += (k ? ", " : "") + NameText(cols[k]);
                return list;
            };
            if (!c.recursive) {
                EmitName(out, c.name);
                if (!columns.empty()) Emit(out, true, "(" + columnList(columns) + ")");
                Emit(out, true, "AS (");
                Translate(c.body + 1, pair_[c.body], out, Start::Expr);
                Emit(out, false, ")");
                continue;
            }
            const std::size_t bb = c.body + 1, be = pair_[c.body];
            const std::size_t u = Find(bb, be, Kw::Union);
            if (u == be || K(u + 1) != Kw::All || Find(u + 2, be, Kw::Union) != be)
                Unsupported(c.body, "a recursive WITH other than one query UNION ALL one recursive query");
            if (columns.empty()) columns = SelectedNames(bb, u);
            // A table that also carries each row's level, and the table as the query names it.
            const std::string hidden = Quoted("sv_rec_" + Lower(Unquoted(tok_[c.name], Text(c.name))));
            Emit(out, true, hidden + "(" + columnList(columns) + ", sv_level) AS (");
            WithExtraColumn(bb, u, "0", out);
            Emit(out, true, "UNION ALL");
            // The level of the row the second part reads, by its alias there.
            std::size_t alias = c.name;
            for (std::size_t k = u + 2; k < be; ++k)
                if (IsName(k) && (K(k - 1) == Kw::From || K(k - 1) == Kw::Join || Is(k - 1, Tk::Comma)) &&
                    SameWord(Unquoted(tok_[k], Text(k)), Unquoted(tok_[c.name], Text(c.name)))) {
                    alias = K(k + 1) == Kw::As && IsName(k + 2) ? k + 2 : IsName(k + 1) ? k + 1 : k;
                    break;
                }
            const std::string level = NameText(alias) + ".sv_level + 1", limit = std::to_string(recursionLimit_);
            const std::string levelExpr = Expand(r_.recursionLevelPattern, [&](std::string_view key) -> std::string_view {
                return key == "1" ? std::string_view(level) : std::string_view(limit);
            });
            cteFrom_ = Unquoted(tok_[c.name], Text(c.name));
            cteTo_ = hidden;
            WithExtraColumn(u + 2, be, levelExpr, out);
            cteFrom_.clear();
            Emit(out, false, "),");
            EmitName(out, c.name);
            Emit(out, true, "AS (SELECT " + columnList(columns) + " FROM " + hidden + ")");
        }
        return j;
    }

    // The SELECT in [b, e) with one more column at the end of its list.
    void WithExtraColumn(std::size_t b, std::size_t e, const std::string& column, std::string& out) {
        const std::size_t from = Find(b, e, Kw::From);
        Translate(b, from, out, Start::Expr);
        Emit(out, false, ", " + column);
        if (from < e) Translate(from, e, out, Start::Expr);
    }

    // The names of the columns the SELECT in [b, e) gives, for a recursive WITH without a list.
    std::vector<std::size_t> SelectedNames(std::size_t b, std::size_t e) const {
        if (K(b) != Kw::Select) Fail(b, "a recursive WITH must start with SELECT");
        std::size_t s = b + 1;
        if (K(s) == Kw::Distinct || K(s) == Kw::All) ++s;
        const std::size_t from = Find(s, e, Kw::From);
        std::vector<std::size_t> names;
        for (std::size_t x = s; x < from;) {
            std::size_t y = x;
            while (y < from && !Is(y, Tk::Comma)) y = Next(y);
            std::size_t name = kNpos;
            if (IsName(x) && IsOp(x + 1, "=")) name = x;
            else if (y - x >= 2 && IsName(y - 1) && (K(y - 2) == Kw::As || !(Is(y - 2, Tk::Dot) || Is(y - 2, Tk::Op))))
                name = y - 1;
            else if (IsName(y - 1) && (y - 1 == x || Is(y - 2, Tk::Dot))) name = y - 1;
            if (name == kNpos) Unsupported(x, "a recursive WITH column without a name (name it, or list the columns)");
            names.push_back(name);
            x = y + 1;
        }
        return names;
    }

    struct RewrittenPattern {
        std::string literal;  // quoted
        bool regex = false;
    };
    // The T-SQL LIKE pattern at i, when it is a literal standing alone (no ESCAPE, nothing
    // joined to it), in the backend's LIKE syntax or, where a [set] needs it, as an anchored
    // regular expression.
    std::optional<RewrittenPattern> LikePattern(std::size_t i, std::size_t e) const {
        if (!(Is(i, Tk::String) || Is(i, Tk::NString))) return std::nullopt;
        if (i + 1 < e && (Is(i + 1, Tk::Op) || K(i + 1) == Kw::Escape || Is(i + 1, Tk::Dot))) return std::nullopt;
        std::string_view quoted = Text(i).substr(Is(i, Tk::NString) ? 1 : 0);
        std::string p;
        for (std::size_t k = 1; k + 1 < quoted.size(); ++k) {
            p += quoted[k];
            if (quoted[k] == '\'') ++k;
        }
        const BackendPattern backend = BackendLikePattern(ParseLikePattern(p));
        std::string literal = "'";
        for (char c : backend.text) {
            literal += c;
            if (c == '\'') literal += '\'';
        }
        return RewrittenPattern{literal + "'", backend.regex};
    }

    // TOP n / TOP (n) after SELECT [DISTINCT]: becomes LIMIT at the end of this select.
    std::size_t Top(std::size_t top, std::size_t e, Level& st) {
        std::size_t j = top + 1;
        std::string limit;
        if (Is(j, Tk::Number)) {
            limit = Text(j);
            ++j;
        } else if (Is(j, Tk::Param)) {
            limit = Parameter();
            ++j;
        } else if (Is(j, Tk::LParen)) {
            const std::size_t close = pair_[j];
            Translate(j + 1, close, limit, Start::Expr);
            const bool plain = close == j + 2 && (Is(j + 1, Tk::Number) || Is(j + 1, Tk::Param));
            if (!plain) limit = "(" + limit + ")";
            j = close + 1;
        } else {
            Fail(top, "TOP needs a number");
        }
        if (j < e && K(j) == Kw::Percent) Unsupported(top, "TOP ... PERCENT");
        if (j < e && K(j) == Kw::With && IsWord(j + 1, "TIES")) Unsupported(top, "TOP ... WITH TIES");
        if (!st.limit.empty()) Unsupported(top, "a second TOP at the same level");
        st.limit = std::move(limit);
        st.topAt = top;
        pendingSpace_ = true;
        return j;
    }

    const Rules& r_;
    std::string_view src_;
    std::vector<Token> tok_;
    std::vector<std::uint32_t> pair_;  // '(' <-> ')', CASE <-> END; kNone otherwise
    int params_ = 0;                   // parameters numbered so far in the current step
    bool pendingSpace_ = false;        // something was dropped: keep words apart
    long recursionLimit_ = 100;        // of a recursive WITH in the current statement
    std::string cteFrom_, cteTo_;      // a table reference read from another table
};

}  // namespace

std::string UnquotedName(const Token& t, std::string_view text) { return Unquoted(t, text); }

std::vector<Step> Translate(const Rules& rules, std::string_view tsql) {
    return Translator(rules, tsql).Run();
}

}  // namespace platform::db::dialect

namespace platform::db {

std::vector<std::string> SpelledNames(std::string_view tsql) {
    std::vector<std::string> names;
    std::vector<dialect::Token> tokens;
    try {
        tokens = dialect::Tokenize(tsql);
    } catch (const Error&) {
        return names;
    }
    for (const auto& t : tokens) {
        const bool quoted = t.kind == dialect::Tk::Bracketed || t.kind == dialect::Tk::DQuoted;
        if ((t.kind == dialect::Tk::Ident && t.kw == dialect::Kw::None) || quoted)
            names.push_back(dialect::UnquotedName(t, tsql.substr(t.pos, t.len)));
    }
    return names;
}

}  // namespace platform::db
