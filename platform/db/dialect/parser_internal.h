#pragma once
// The parser's class, shared by the files that define its parts: statements (parser.cpp),
// queries (parser_queries.cpp) and expressions (parser_expressions.cpp).
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "dialect/parser.h"

namespace platform::db::dialect::parsing {

// Far beyond any real statement; keeps the recursive descent off the stack's end.
constexpr int kMaxParentheses = 256;
constexpr int kMaxDepth = 256;
constexpr std::uint32_t kMaxHeight = 2000;

bool IsComparison(std::string_view op);
// Table hints that only steer locking; SQLite and PostgreSQL lock by their own rules, so
// dropping them changes no result.
bool IsLockHint(std::string_view w);
// Words that start a statement: T-SQL needs no separator between statements.
bool StartsStatement(Kw k);

class Parser {
public:
    explicit Parser(Tree& tree) : t_(tree), pair_(tree.pairs) {}

    void Batch() {
        CheckPairs();
        Statements(kNoToken, t_.statements);
    }

private:
    // ---- tokens ----------------------------------------------------------------------------

    // Indexes past the end read as the End token.
    const Token& T(std::uint32_t k) const { return t_.tokens[std::min<std::size_t>(k, t_.tokens.size() - 1)]; }
    std::string_view Text(std::uint32_t k) const { return t_.Text(std::min<std::uint32_t>(k, End())); }
    std::uint32_t End() const { return static_cast<std::uint32_t>(t_.tokens.size() - 1); }
    Kw K(std::uint32_t k) const { return T(k).kw; }
    bool Is(std::uint32_t k, Tk kind) const { return T(k).kind == kind; }
    bool IsOp(std::uint32_t k, std::string_view op) const { return Is(k, Tk::Op) && Text(k) == op; }
    bool IsWord(std::uint32_t k, std::string_view w) const { return Is(k, Tk::Ident) && SameWord(Text(k), w); }
    // A name that is not a reserved word (or is quoted).
    bool IsName(std::uint32_t k) const {
        const Token& t = T(k);
        return (t.kind == Tk::Ident && t.kw == Kw::None) || t.kind == Tk::Bracketed || t.kind == Tk::DQuoted;
    }

    [[noreturn]] void Fail(std::uint32_t k, MessagePart a, MessagePart b = {}, MessagePart c = {}) const {
        Refuse(t_, std::min(k, End()), a, b, c);
    }
    [[noreturn]] void Unsupported(std::uint32_t k, MessagePart a, MessagePart b = {}, MessagePart c = {}) const {
        Refuse(t_, std::min(k, End()), "cannot translate ", a, b, c);
    }
    void Expect(Tk kind, std::string_view what) {
        if (!Is(i_, kind)) Fail(i_, what, " is missing");
        ++i_;
    }
    void ExpectKw(Kw kw, std::string_view word) {
        if (K(i_) != kw) Fail(i_, "'", word, "' is missing");
        ++i_;
    }

    // Words T-SQL does not reserve but that start clauses the backends cannot take.
    void CheckClauseWord(std::uint32_t k) const;

    // What stands at k where nothing of it can: named when the backends lack it.
    [[noreturn]] void Unexpected(std::uint32_t k) const;

    // Parentheses and CASE ... END must pair before anything is read.
    void CheckPairs();

    // Around each level of nesting. Not a guard object: a refusal abandons the parser anyway,
    // and each frame with something to destroy is one more stop for the unwinding refusal.
    void Enter() {
        if (++depth_ > kMaxDepth) Fail(i_, "expression nested too deeply");
    }
    void Leave() { --depth_; }

    Node* Make(Nk kind) { return t_.Make(kind, i_); }
    // Ends n at the current token. The tree's height is bounded too, as everything that walks
    // it recurses: chains of AND, OR and + grow it without nesting the parser.
    Node* Close(Node* n) {
        n->last = i_;
        for (const Node* k : n->kids) n->height = std::max(n->height, k->height + 1);
        if (n->height > kMaxHeight) Fail(n->first, "expression nested too deeply");
        return n;
    }
    Node* Binary(Nk kind, std::uint32_t op, Node* l, Node* r) {
        Node* n = t_.Make(kind, l->first);
        n->op = op;
        n->kids = {l, r};
        return Close(n);
    }

    // ---- statements ------------------------------------------------------------------------

    // Statements up to the end of the text, or up to the END of the block whose BEGIN is at begin.
    void Statements(std::uint32_t begin, Kids& out);

    bool IsTransactionWord(std::uint32_t k) const;

    // One statement or BEGIN ... END block.
    Node* Body();

    Node* Statement();

    // OPTION (MAXRECURSION n) may end a statement (number: the limit, -1 when not given); then
    // comes ';', the end, or the next statement.
    Node* Finish(Node* n);

    Node* QueryStatement();

    Node* Insert();

    Node* Update();

    Node* Assign();

    Node* Delete();

    // ---- queries ---------------------------------------------------------------------------

    // WITH name [(columns)] AS (query), ...
    Node* With();

    // Queries joined by UNION [ALL], EXCEPT, INTERSECT, and the ORDER BY of the whole.
    Node* Compound();

    Node* Select();

    // TOP n, TOP ?, TOP (expression) after SELECT [DISTINCT].
    Node* Top();

    Node* Item();

    Node* AliasName();

    Node* From();

    Node* Join();

    bool IsHintList(std::uint32_t open) const;

    // A table: [db.][schema.]name [(columns)] [[AS] alias] [hints], or (query) [AS] alias; op:
    // the token after the name.
    Node* TableRef(bool columns);

    // Lock hints up to end.
    Node* Hints(std::uint32_t end);

    Node* Columns();

    Node* Subquery();

    Node* ExprClause();

    Node* OrderBy();

    // Expressions separated by commas, added to out.
    void List(Kids& out);

    // ---- expressions -----------------------------------------------------------------------

    Node* Expr();

    Node* And();

    Node* Not();

    Node* Predicate();

    static bool IsAdditive(std::string_view op);

    Node* Additive();

    Node* Multiplicative();

    Node* Unary();

    Node* Collated();

    Node* Primary();

    // a, a.b, a.b.c, t.*
    Node* NamePath();

    Node* Case();

    // name(arguments) [OVER (...)]; alias: DISTINCT or ALL before the arguments.
    Node* Call();

    Node* Over();

    // CONVERT(type, value[, style]) and CAST(value AS type); text: the type, number: its ValueType.
    Node* Convert(bool cast);

    void TypeArg(Node* c);

    Tree& t_;
    std::vector<std::uint32_t>& pair_;  // '(' -> ')'
    std::uint32_t i_ = 0;
    int params_ = 0;
    int depth_ = 0;
};

}  // namespace platform::db::dialect::parsing
