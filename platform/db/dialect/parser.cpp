#include "dialect/parser_internal.h"

#include "platform/error.h"

namespace platform::db::dialect {

namespace {

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

}  // namespace

namespace parsing {

bool IsComparison(std::string_view op) {
    return op == "=" || op == "<>" || op == "!=" || op == "<" || op == ">" || op == "<=" || op == ">=" ||
           op == "!<" || op == "!>";
}

bool IsLockHint(std::string_view w) {
    static constexpr std::string_view kHints[] = {
        "NOLOCK", "READUNCOMMITTED", "READCOMMITTED", "READCOMMITTEDLOCK", "ROWLOCK", "PAGLOCK", "TABLOCK",
        "TABLOCKX", "UPDLOCK", "HOLDLOCK", "SERIALIZABLE", "REPEATABLEREAD", "XLOCK", "NOWAIT", "READPAST"};
    return std::any_of(std::begin(kHints), std::end(kHints), [&](auto h) { return SameWord(h, w); });
}

bool StartsStatement(Kw k) {
    switch (k) {
        case Kw::Select: case Kw::With: case Kw::Insert: case Kw::Update: case Kw::Delete: case Kw::If:
        case Kw::Use: case Kw::Create: case Kw::Begin: case Kw::Else: case Kw::Declare: case Kw::Exec:
        case Kw::Execute: case Kw::While: case Kw::Goto: case Kw::Merge: case Kw::Print: case Kw::Raiserror:
        case Kw::Return: case Kw::Truncate: case Kw::Drop: case Kw::Alter: case Kw::Commit: case Kw::Rollback:
        case Kw::Save: case Kw::Grant: case Kw::Deny: case Kw::Revoke: case Kw::Break: case Kw::Continue:
        case Kw::Waitfor: case Kw::Open: case Kw::Close: case Kw::Deallocate: case Kw::Kill: case Kw::Set:
        case Kw::End:
            return true;
        default: return false;
    }
}

// ---- statements ---------------------------------------------------------------------------

// Words T-SQL does not reserve but that start clauses the backends cannot take.
void Parser::CheckClauseWord(std::uint32_t k) const {
    if (!Is(k, Tk::Ident) || K(k) != Kw::None) return;
    if (IsWord(k, "OUTPUT") && (IsWord(k + 1, "INSERTED") || IsWord(k + 1, "DELETED")))
        Unsupported(k, "the OUTPUT clause");
    if (IsWord(k, "OFFSET")) {
        const std::uint32_t unit = Is(k + 1, Tk::LParen) ? pair_[k + 1] + 1 : k + 2;
        if (IsWord(unit, "ROWS") || IsWord(unit, "ROW")) Unsupported(k, "OFFSET ... FETCH");
    }
    if (Text(k).front() == '#') Unsupported(k, "the temporary table ", Text(k));
}

// What stands at k where nothing of it can: named when the backends lack it.
void Parser::Unexpected(std::uint32_t k) const {
    CheckClauseWord(k);
    switch (K(k)) {
        case Kw::Top: Unsupported(k, "TOP here (it belongs right after SELECT or SELECT DISTINCT)");
        case Kw::Option: Unsupported(k, "the OPTION clause");
        case Kw::For: Unsupported(k, "FOR ", MessagePart::Upper(Text(k + 1)));
        case Kw::Into: Unsupported(k, "SELECT ... INTO (create the table first, then INSERT ... SELECT)");
        case Kw::Cross:
        case Kw::Outer:
            if (K(k + 1) == Kw::Apply) Unsupported(k, MessagePart::Upper(Text(k)), " APPLY");
            break;
        case Kw::Pivot: case Kw::Unpivot: case Kw::Compute: case Kw::Tablesample: case Kw::Contains:
        case Kw::Freetext: Unsupported(k, MessagePart::Upper(Text(k)));
        case Kw::Current_user: case Kw::Session_user: case Kw::System_user: case Kw::User:
            Unsupported(k, MessagePart::Upper(Text(k)), " (there are no server logins)");
        default: break;
    }
    if (Is(k, Tk::End)) Fail(k, "unexpected end of the statement");
    if (Is(k, Tk::Ident) && K(k) != Kw::None) Fail(k, "unexpected ", MessagePart::Upper(Text(k)));
    Fail(k, "unexpected '", Text(k), "'");
}

// Parentheses and CASE ... END must pair before anything is read.
void Parser::CheckPairs() {
    pair_.assign(t_.tokens.size(), kNoToken);
    std::uint32_t parens[kMaxParentheses];
    std::size_t open = 0;
    auto& cases = t_.openCases;  // CASE index, paren depth
    cases.clear();
    for (std::uint32_t k = 0; k < t_.tokens.size(); ++k) {
        const Token& t = t_.tokens[k];
        if (t.kind == Tk::LParen) {
            if (open >= kMaxParentheses) Fail(k, "parentheses nested too deeply");
            parens[open++] = k;
        } else if (t.kind == Tk::RParen) {
            if (open == 0) Fail(k, "')' without '('");
            if (!cases.empty() && cases.back().second == open) Fail(cases.back().first, "CASE without END");
            pair_[parens[--open]] = k;
        } else if (t.kw == Kw::Case) {
            cases.emplace_back(k, open);
        } else if (t.kw == Kw::End && !cases.empty() && cases.back().second == open) {
            cases.pop_back();
        }
    }
    if (open > 0) Fail(parens[open - 1], "'(' without ')'");
    if (!cases.empty()) Fail(cases.back().first, "CASE without END");
}

// Statements up to the end of the text, or up to the END of the block whose BEGIN is at begin.
void Parser::Statements(std::uint32_t begin, Kids& out) {
    for (;;) {
        if (Is(i_, Tk::Semicolon)) {
            ++i_;
            continue;
        }
        if (Is(i_, Tk::End)) {
            if (begin != kNoToken) Fail(begin, "BEGIN without END");
            return;
        }
        if (K(i_) == Kw::End) {
            if (begin == kNoToken) Fail(i_, "END without BEGIN");
            return;
        }
        out.push_back(Statement());
    }
}

bool Parser::IsTransactionWord(std::uint32_t k) const {
    return K(k) == Kw::Tran || K(k) == Kw::Transaction || IsWord(k, "TRY") || IsWord(k, "CATCH") ||
           IsWord(k, "DISTRIBUTED");
}

// One statement or BEGIN ... END block.
Node* Parser::Body() {
    if (K(i_) == Kw::Begin && !IsTransactionWord(i_ + 1)) {
        Node* block = Make(Nk::Block);
        const std::uint32_t begin = i_++;
        Statements(begin, block->kids);
        ++i_;  // END
        return Close(block);
    }
    while (Is(i_, Tk::Semicolon)) ++i_;
    if (Is(i_, Tk::End) || K(i_) == Kw::End) Fail(i_, "a statement is missing");
    return Statement();
}

Node* Parser::Statement() {
    const std::uint32_t b = i_;
    params_ = 0;
    switch (K(b)) {
        case Kw::If: {
            Node* n = Make(Nk::If);
            ++i_;
            if (Is(i_, Tk::End) || Is(i_, Tk::Semicolon) || StartsStatement(K(i_)))
                Fail(b, "IF without a condition");
            n->kids.push_back(Expr());
            n->kids.push_back(Body());
            std::uint32_t j = i_;
            while (Is(j, Tk::Semicolon)) ++j;
            if (K(j) == Kw::Else) {
                i_ = j + 1;
                n->kids.push_back(Body());
            }
            return Close(n);
        }
        case Kw::Begin:
            if (IsTransactionWord(b + 1))
                Unsupported(b, "BEGIN ", MessagePart::Upper(Text(b + 1)), " (use the connection's transactions)");
            return Body();
        case Kw::Else: Fail(b, "ELSE without IF");
        case Kw::Use: {
            if (!IsName(b + 1)) Fail(b, "USE without a database name");
            Node* n = Make(Nk::Use);
            n->alias = b + 1;
            i_ = b + 2;
            return Close(n);
        }
        case Kw::Create: {
            if (K(b + 1) != Kw::Database)
                Unsupported(b, "CREATE ", MessagePart::Upper(Text(b + 1)), " (the schema is written per backend)");
            if (!IsName(b + 2)) Fail(b, "CREATE DATABASE without a name");
            Node* n = Make(Nk::CreateDatabase);
            n->alias = b + 2;
            i_ = b + 3;
            return Close(n);
        }
        case Kw::Select:
        case Kw::With: return Finish(QueryStatement());
        case Kw::Insert: return Finish(Insert());
        case Kw::Update: return Finish(Update());
        case Kw::Delete: return Finish(Delete());
        case Kw::Truncate: {
            Node* n = Make(Nk::Truncate);
            if (K(b + 1) != Kw::Table) Fail(b, "TRUNCATE without TABLE");
            i_ = b + 2;
            n->kids.push_back(TableRef(false));
            return Finish(Close(n));
        }
        default: break;
    }
    if (Is(b, Tk::LParen)) return Finish(QueryStatement());
    if (Is(b, Tk::Ident) && K(b) != Kw::None) Unsupported(b, "the statement ", MessagePart::Upper(Text(b)));
    if (Is(b, Tk::Variable)) Unsupported(b, "variable ", Text(b));
    Fail(b, "unexpected '", Text(b), "' where a statement should start");
}

// OPTION (MAXRECURSION n) may end a statement (number: the limit, -1 when not given); then
// comes ';', the end, or the next statement.
Node* Parser::Finish(Node* n) {
    n->number = -1;
    if (K(i_) == Kw::Option) {
        const std::uint32_t option = i_;
        if (!IsWord(option + 2, "MAXRECURSION")) Unsupported(option, "the OPTION clause");
        if (!Is(option + 1, Tk::LParen) || !Is(option + 3, Tk::Number) || !Is(option + 4, Tk::RParen))
            Unsupported(option, "this OPTION clause (only OPTION (MAXRECURSION n) ends a statement)");
        const std::string digits(Text(option + 3));
        if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 5 ||
            std::stol(digits) > 32767)
            Fail(option + 3, "MAXRECURSION takes a whole number from 0 to 32767");
        n->number = static_cast<int>(std::stol(digits));
        i_ = option + 5;
    }
    if (!(Is(i_, Tk::End) || Is(i_, Tk::Semicolon) || StartsStatement(K(i_)))) Unexpected(i_);
    return n;
}

Node* Parser::QueryStatement() {
    Node* q = Make(Nk::Query);
    if (K(i_) == Kw::With) q->kids.push_back(With());
    q->kids.push_back(Compound());
    return Close(q);
}

Node* Parser::Insert() {
    Node* n = Make(Nk::Insert);
    ++i_;
    if (K(i_) == Kw::Top) Unsupported(i_, "TOP in INSERT");
    if (K(i_) == Kw::Into) n->op = i_++;
    n->kids.push_back(TableRef(true));
    if (K(i_) == Kw::Values) {
        Node* v = Make(Nk::Values);
        ++i_;
        do {
            if (v->kids.size()) ++i_;
            Node* row = Make(Nk::Row);
            Expect(Tk::LParen, "'('");
            List(row->kids);
            Expect(Tk::RParen, "')'");
            v->kids.push_back(Close(row));
        } while (Is(i_, Tk::Comma));
        n->kids.push_back(Close(v));
    } else if (K(i_) == Kw::Default && K(i_ + 1) == Kw::Values) {
        Node* v = Make(Nk::Values);
        i_ += 2;
        n->kids.push_back(Close(v));
    } else if (K(i_) == Kw::Select || Is(i_, Tk::LParen)) {
        n->kids.push_back(Compound());
    } else {
        Unexpected(i_);
    }
    return Close(n);
}

Node* Parser::Update() {
    Node* n = Make(Nk::Update);
    ++i_;
    if (K(i_) == Kw::Top) Unsupported(i_, "TOP in UPDATE");
    if (!IsName(i_)) Fail(i_, "UPDATE without a table name");
    Node* target = TableRef(false);
    if (target->alias != kNoToken) Fail(target->alias, "unexpected alias after the UPDATE table");
    n->kids.push_back(target);
    if (K(i_) != Kw::Set) {
        if (Is(i_, Tk::End) || Is(i_, Tk::Semicolon)) Fail(n->first, "UPDATE without SET");
        Fail(i_, "unexpected '", Text(i_), "' before SET");
    }
    Node* set = Make(Nk::Clause);
    set->op = i_++;
    do {
        if (set->kids.size()) ++i_;
        set->kids.push_back(Assign());
    } while (Is(i_, Tk::Comma));
    n->kids.push_back(Close(set));
    if (K(i_) == Kw::From) n->kids.push_back(From());
    if (K(i_) == Kw::Where) n->kids.push_back(ExprClause());
    return Close(n);
}

Node* Parser::Assign() {
    Node* a = Make(Nk::Assign);
    if (Is(i_, Tk::Variable)) Unsupported(i_, "variable ", Text(i_));
    if (!IsName(i_)) Fail(i_, "SET needs a column name before '='");
    a->kids.push_back(NamePath());
    if (Is(i_, Tk::Op) && Text(i_).size() == 2 && Text(i_)[1] == '=' && !IsComparison(Text(i_)))
        Unsupported(i_, "compound assignment ", Text(i_));
    if (!IsOp(i_, "=")) Fail(a->first, "SET without '='");
    a->op = i_++;
    a->kids.push_back(Expr());
    return Close(a);
}

Node* Parser::Delete() {
    Node* n = Make(Nk::Delete);
    ++i_;
    if (K(i_) == Kw::Top) Unsupported(i_, "TOP in DELETE");
    if (K(i_) == Kw::From) n->op = i_++;
    n->kids.push_back(TableRef(false));
    if (K(i_) == Kw::From) Unsupported(i_, "DELETE with a second FROM (a join)");
    if (K(i_) == Kw::Where) n->kids.push_back(ExprClause());
    return Close(n);
}

}  // namespace parsing


const TypeName* FindType(std::string_view lowerName) {
    for (const auto& t : kTypes)
        if (t.name == lowerName) return &t;
    return nullptr;
}

std::string Unquoted(const Tree& tree, std::uint32_t token) {
    return UnquotedText(tree.tokens[token].kind, tree.Text(token));
}

std::string UnquotedText(Tk kind, std::string_view text) {
    if (kind != Tk::Bracketed && kind != Tk::DQuoted) return std::string(text);
    const char close = kind == Tk::Bracketed ? ']' : '"';
    std::string s;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        s += text[i];
        if (text[i] == close) ++i;
    }
    return s;
}

void Refuse(const Tree& tree, std::uint32_t token, MessagePart a, MessagePart b, MessagePart c, MessagePart d) {
    RefuseAt(tree.source, tree.tokens[token].pos, {a, b, c, d});
}

Tree Parse(std::string_view tsql) {
    Tree tree;
    Parse(tsql, tree);
    return tree;
}

void Parse(std::string_view tsql, Tree& tree) {
    tree.Reset(tsql);
    Tokenize(tsql, tree.tokens);
    tree.Reserve(tree.tokens.size() + tree.tokens.size() / 2);  // a statement has fewer nodes than that
    parsing::Parser(tree).Batch();
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
            names.push_back(dialect::UnquotedText(t.kind, tsql.substr(t.pos, t.len)));
    }
    return names;
}

}  // namespace platform::db
