// The parser's expressions, by T-SQL's precedence from OR down to names, literals and calls.
#include "dialect/parser_internal.h"

namespace platform::db::dialect::parsing {

Node* Parser::Expr() {
    Enter();
    Node* l = And();
    while (K(i_) == Kw::Or) {
        const std::uint32_t op = i_++;
        l = Binary(Nk::Logical, op, l, And());
    }
    Leave();
    return l;
}

Node* Parser::And() {
    Node* l = Not();
    while (K(i_) == Kw::And) {
        const std::uint32_t op = i_++;
        l = Binary(Nk::Logical, op, l, Not());
    }
    return l;
}

Node* Parser::Not() {
    if (K(i_) != Kw::Not) return Predicate();
    Enter();
    Node* n = Make(Nk::Not);
    n->op = i_++;
    n->kids.push_back(Not());
    Leave();
    return Close(n);
}

Node* Parser::Predicate() {
    if (K(i_) == Kw::Exists) {
        Node* e = Make(Nk::Exists);
        e->op = i_++;
        e->kids.push_back(Subquery());
        return Close(e);
    }
    Node* l = Additive();
    if (Is(i_, Tk::Op)) {
        if (!IsComparison(Text(i_))) Unsupported(i_, "the operator ", Text(i_));
        const std::uint32_t op = i_++;
        Node* r;
        if (K(i_) == Kw::Any || K(i_) == Kw::Some || K(i_) == Kw::All) {
            r = Make(Nk::Unary);
            r->op = i_++;
            r->kids.push_back(Subquery());
            Close(r);
        } else {
            r = Additive();
        }
        return Binary(Nk::Compare, op, l, r);
    }
    const bool negated = K(i_) == Kw::Not && (K(i_ + 1) == Kw::Between || K(i_ + 1) == Kw::In ||
                                             K(i_ + 1) == Kw::Like);
    Node* n = nullptr;
    switch (K(i_ + (negated ? 1 : 0))) {
        case Kw::Between:
            n = t_.Make(Nk::Between, l->first);
            i_ += negated ? 2 : 1;
            n->kids = {l, Additive()};
            ExpectKw(Kw::And, "AND");
            n->kids.push_back(Additive());
            break;
        case Kw::In:
            n = t_.Make(Nk::In, l->first);
            i_ += negated ? 2 : 1;
            n->kids = {l};
            if (!Is(i_, Tk::LParen)) Fail(i_, "IN needs '('");
            if (K(i_ + 1) == Kw::Select) {
                n->kids.push_back(Subquery());
            } else {
                ++i_;
                List(n->kids);
                Expect(Tk::RParen, "')'");
            }
            break;
        case Kw::Like:
            n = t_.Make(Nk::Like, l->first);
            i_ += negated ? 1 : 0;
            n->op = i_++;
            n->kids = {l, Additive()};
            if (K(i_) == Kw::Escape) {
                ++i_;
                n->kids.push_back(Additive());
            }
            break;
        case Kw::Is:
            n = t_.Make(Nk::Is, l->first);
            ++i_;
            n->kids = {l};
            if (K(i_) == Kw::Not) {
                n->negated = true;
                ++i_;
            }
            ExpectKw(Kw::Null, "NULL");
            return Close(n);
        default: return l;
    }
    n->negated = negated;
    return Close(n);
}

bool Parser::IsAdditive(std::string_view op) {
    return op == "+" || op == "-" || op == "&" || op == "|" || op == "^";
}

Node* Parser::Additive() {
    Node* l = Multiplicative();
    while (Is(i_, Tk::Op) && IsAdditive(Text(i_))) {
        const std::uint32_t op = i_++;
        l = Binary(Nk::Arith, op, l, Multiplicative());
    }
    return l;
}

Node* Parser::Multiplicative() {
    Node* l = Unary();
    while (IsOp(i_, "*") || IsOp(i_, "/") || IsOp(i_, "%")) {
        const std::uint32_t op = i_++;
        l = Binary(Nk::Arith, op, l, Unary());
    }
    return l;
}

Node* Parser::Unary() {
    if (!(IsOp(i_, "-") || IsOp(i_, "+") || IsOp(i_, "~"))) return Collated();
    Enter();
    Node* u = Make(Nk::Unary);
    u->op = i_++;
    u->kids.push_back(Unary());
    Leave();
    return Close(u);
}

Node* Parser::Collated() {
    Node* p = Primary();
    while (K(i_) == Kw::Collate) {
        if (!IsName(i_ + 1)) Fail(i_, "COLLATE without a collation name");
        Node* c = t_.Make(Nk::Collate, p->first);
        c->op = i_;
        c->alias = i_ + 1;
        c->kids.push_back(p);
        i_ += 2;
        p = Close(c);
    }
    return p;
}

Node* Parser::Primary() {
    const Token& t = T(i_);
    switch (t.kind) {
        case Tk::String:
        case Tk::NString:
        case Tk::Number: {
            Node* n = Make(Nk::Literal);
            ++i_;
            return Close(n);
        }
        case Tk::Param: {
            Node* n = Make(Nk::Param);
            n->number = ++params_;
            ++i_;
            return Close(n);
        }
        case Tk::Variable: {
            if (!SameWord(Text(i_), "@@IDENTITY") && !SameWord(Text(i_), "@@ROWCOUNT"))
                Unsupported(i_, "the variable ", Text(i_));
            Node* n = Make(Nk::Variable);
            ++i_;
            return Close(n);
        }
        case Tk::LParen: {
            if (K(i_ + 1) == Kw::Select || K(i_ + 1) == Kw::With) return Subquery();
            Node* g = Make(Nk::Group);
            ++i_;
            g->kids.push_back(Expr());
            if (!Is(i_, Tk::RParen)) Unexpected(i_);
            ++i_;
            return Close(g);
        }
        case Tk::Bracketed:
        case Tk::DQuoted: return NamePath();
        case Tk::Ident: break;
        default: Unexpected(i_);
    }
    switch (t.kw) {
        case Kw::Case: return Case();
        case Kw::Null:
        case Kw::Current_timestamp: {
            Node* n = Make(t.kw == Kw::Null ? Nk::Null : Nk::Now);
            ++i_;
            return Close(n);
        }
        case Kw::Left:
        case Kw::Right:
            if (Is(i_ + 1, Tk::LParen)) return Call();
            Unexpected(i_);
        case Kw::None: break;
        default: Unexpected(i_);
    }
    CheckClauseWord(i_);
    if (Is(i_ + 1, Tk::LParen)) return Call();
    return NamePath();
}

// a, a.b, a.b.c, t.*
Node* Parser::NamePath() {
    Node* n = Make(Nk::Name);
    n->parts.push_back(i_++);
    while (Is(i_, Tk::Dot)) {
        if (IsName(i_ + 1) || Is(i_ + 1, Tk::Ident)) {
            if (Is(i_ + 2, Tk::LParen))
                Fail(n->first, "unknown function ",
                     t_.source.substr(T(n->first).pos, T(i_ + 1).pos + T(i_ + 1).len - T(n->first).pos));
            if (n->parts.Full()) Fail(n->first, "malformed name");
            n->parts.push_back(i_ + 1);
            i_ += 2;
        } else if (IsOp(i_ + 1, "*")) {
            n->star = true;
            i_ += 2;
            break;
        } else {
            Fail(i_, "a name must follow '.'");
        }
    }
    return Close(n);
}

Node* Parser::Case() {
    Node* c = Make(Nk::Case);
    ++i_;
    if (K(i_) != Kw::When) c->kids.push_back(Expr());
    if (K(i_) != Kw::When) Fail(i_, "CASE needs WHEN");
    while (K(i_) == Kw::When) {
        ++i_;
        c->kids.push_back(Expr());
        ExpectKw(Kw::Then, "THEN");
        c->kids.push_back(Expr());
    }
    if (K(i_) == Kw::Else) {
        ++i_;
        c->kids.push_back(Expr());
    }
    if (K(i_) != Kw::End) Unexpected(i_);
    ++i_;
    return Close(c);
}

// name(arguments) [OVER (...)]; alias: DISTINCT or ALL before the arguments.
Node* Parser::Call() {
    if (SameWord(Text(i_), "CONVERT") || SameWord(Text(i_), "CAST")) return Convert(SameWord(Text(i_), "CAST"));
    Node* c = Make(Nk::Call);
    c->op = i_;
    i_ += 2;
    if (IsOp(i_, "*") && Is(i_ + 1, Tk::RParen)) {
        Node* s = Make(Nk::Star);
        ++i_;
        c->kids.push_back(Close(s));
    } else if (!Is(i_, Tk::RParen)) {
        if (K(i_) == Kw::Distinct || K(i_) == Kw::All) c->alias = i_++;
        List(c->kids);
    }
    if (!Is(i_, Tk::RParen)) Unexpected(i_);
    ++i_;
    c->number = static_cast<int>(c->kids.size());
    if (K(i_) == Kw::Over) c->kids.push_back(Over());
    return Close(c);
}

Node* Parser::Over() {
    Node* o = Make(Nk::Over);
    o->op = i_++;
    Expect(Tk::LParen, "'('");
    if (IsWord(i_, "PARTITION")) {
        ++i_;
        ExpectKw(Kw::By, "BY");
        List(o->kids);
    }
    if (K(i_) == Kw::Order) {
        Node* order = OrderBy();
        o->kids.push_back(order);
    }
    Expect(Tk::RParen, "')'");
    return Close(o);
}

// CONVERT(type, value[, style]) and CAST(value AS type); text: the type, number: its ValueType.
Node* Parser::Convert(bool cast) {
    Node* c = Make(Nk::Convert);
    c->op = i_;
    i_ += 2;
    if (cast) {
        if (K(i_) == Kw::As) Fail(c->first, "CAST needs 'value AS type'");
        c->kids.push_back(Expr());
        if (K(i_) != Kw::As) Fail(c->first, "CAST needs 'value AS type'");
        ++i_;
        TypeArg(c);
    } else {
        TypeArg(c);
        if (!Is(i_, Tk::Comma)) Fail(c->first, "wrong number of arguments (1) for CONVERT");
        ++i_;
        List(c->kids);
        if (c->kids.size() > 2)
            Fail(c->first, "wrong number of arguments (" + std::to_string(c->kids.size() + 1) + ") for CONVERT");
    }
    if (!Is(i_, Tk::RParen)) Unexpected(i_);
    ++i_;
    return Close(c);
}

void Parser::TypeArg(Node* c) {
    if (!Is(i_, Tk::Ident) && !Is(i_, Tk::Bracketed)) Fail(i_, "a data type is missing");
    std::string name = Unquoted(t_, i_);
    for (char& ch : name)
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch + 32);
    const TypeName* known = FindType(name);
    if (!known) Unsupported(i_, "the data type ", Text(i_));
    c->number = static_cast<int>(known->type);
    ++i_;
    if (Is(i_, Tk::LParen)) {
        name += '(';
        for (++i_; !Is(i_, Tk::RParen); ++i_) {
            if (Is(i_, Tk::Comma))
                name += ',';
            else if (Is(i_, Tk::Number) || IsWord(i_, "MAX"))
                for (char ch : Text(i_)) name += static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch + 32 : ch);
            else
                Fail(i_, "a length must be a number");
        }
        name += ')';
        ++i_;
    }
    c->text = std::move(name);
}

}  // namespace platform::db::dialect::parsing
