// The parser's queries: WITH, set operations, SELECT and its clauses, tables.
#include "dialect/parser_internal.h"

namespace platform::db::dialect::parsing {

// WITH name [(columns)] AS (query), ...
Node* Parser::With() {
    Node* w = Make(Nk::With);
    ++i_;
    for (;;) {
        if (!IsName(i_)) Fail(i_, "WITH needs a table name");
        Node* cte = Make(Nk::Cte);
        cte->alias = i_++;
        if (Is(i_, Tk::LParen)) cte->kids.push_back(Columns());
        if (K(i_) != Kw::As || !Is(i_ + 1, Tk::LParen))
            Fail(i_, "WITH ", Text(cte->alias), " needs AS (query)");
        ++i_;
        cte->kids.push_back(Subquery());
        w->kids.push_back(Close(cte));
        if (!Is(i_, Tk::Comma)) break;
        ++i_;
    }
    return Close(w);
}

// Queries joined by UNION [ALL], EXCEPT, INTERSECT, and the ORDER BY of the whole.
Node* Parser::Compound() {
    Node* c = Make(Nk::Compound);
    for (;;) {
        if (K(i_) == Kw::Select)
            c->kids.push_back(Select());
        else if (Is(i_, Tk::LParen) && (K(i_ + 1) == Kw::Select || Is(i_ + 1, Tk::LParen)))
            c->kids.push_back(Subquery());
        else
            Fail(i_, "a query is missing");
        if (K(i_) != Kw::Union && K(i_) != Kw::Except && K(i_) != Kw::Intersect) break;
        if (K(i_++) == Kw::Union && K(i_) == Kw::All) ++i_;
    }
    if (K(i_) == Kw::Order) c->kids.push_back(OrderBy());
    if (K(i_) == Kw::For) Unexpected(i_);
    return Close(c);
}

Node* Parser::Select() {
    Node* s = Make(Nk::Select);
    ++i_;
    if (K(i_) == Kw::Distinct || K(i_) == Kw::All) ++i_;
    if (K(i_) == Kw::Top) s->kids.push_back(Top());
    do {
        if (Is(i_, Tk::Comma)) ++i_;
        s->kids.push_back(Item());
    } while (Is(i_, Tk::Comma));
    if (K(i_) == Kw::Into) Unexpected(i_);
    if (K(i_) == Kw::From) s->kids.push_back(From());
    if (K(i_) == Kw::Where) s->kids.push_back(ExprClause());
    if (K(i_) == Kw::Group) {
        Node* g = Make(Nk::Clause);
        g->op = i_++;
        ExpectKw(Kw::By, "BY");
        List(g->kids);
        s->kids.push_back(Close(g));
    }
    if (K(i_) == Kw::Having) s->kids.push_back(ExprClause());
    return Close(s);
}

// TOP n, TOP ?, TOP (expression) after SELECT [DISTINCT].
Node* Parser::Top() {
    Node* top = Make(Nk::Top);
    ++i_;
    if (Is(i_, Tk::Number) || Is(i_, Tk::Param) || Is(i_, Tk::LParen))
        top->kids.push_back(Primary());
    else
        Fail(top->first, "TOP needs a number");
    if (K(i_) == Kw::Percent) Unsupported(top->first, "TOP ... PERCENT");
    if (K(i_) == Kw::With && IsWord(i_ + 1, "TIES")) Unsupported(top->first, "TOP ... WITH TIES");
    return Close(top);
}

Node* Parser::Item() {
    Node* item = Make(Nk::Item);
    if (IsName(i_) && IsOp(i_ + 1, "=")) {  // T-SQL's "alias = expression"
        item->aliasFirst = true;
        item->alias = i_;
        i_ += 2;
        item->kids.push_back(Expr());
        return Close(item);
    }
    if (IsOp(i_, "*")) {
        item->kids.push_back(Close(Make(Nk::Star)));
        ++item->kids.back()->last;
        ++i_;
        return Close(item);
    }
    item->kids.push_back(Expr());
    if (K(i_) == Kw::As && (IsName(i_ + 1) || Is(i_ + 1, Tk::String))) {
        item->alias = ++i_;
        item->kids.push_back(AliasName());
    } else if (IsName(i_)) {
        CheckClauseWord(i_);
        item->kids.push_back(AliasName());
    }
    return Close(item);
}

Node* Parser::AliasName() {
    Node* n = Make(Nk::Name);
    n->parts.push_back(i_++);
    return Close(n);
}

Node* Parser::From() {
    Node* f = Make(Nk::Clause);
    f->op = i_++;
    f->kids.push_back(TableRef(false));
    for (;;) {
        if (Is(i_, Tk::Comma)) {
            ++i_;
            f->kids.push_back(TableRef(false));
        } else if (K(i_) == Kw::Join || K(i_) == Kw::Inner || K(i_) == Kw::Left || K(i_) == Kw::Right ||
                   K(i_) == Kw::Full || K(i_) == Kw::Cross || K(i_) == Kw::Outer) {
            f->kids.push_back(Join());
        } else {
            return Close(f);
        }
    }
}

Node* Parser::Join() {
    Node* j = Make(Nk::Join);
    if ((K(i_) == Kw::Cross || K(i_) == Kw::Outer) && K(i_ + 1) == Kw::Apply) Unexpected(i_);
    if (K(i_) == Kw::Cross || K(i_) == Kw::Inner) {
        ++i_;
    } else if (K(i_) == Kw::Left || K(i_) == Kw::Right || K(i_) == Kw::Full) {
        ++i_;
        if (K(i_) == Kw::Outer) ++i_;
    }
    if (K(i_) != Kw::Join) Unexpected(i_);
    j->op = i_++;
    j->kids.push_back(TableRef(false));
    if (K(i_) == Kw::On) j->kids.push_back(ExprClause());
    return Close(j);
}

bool Parser::IsHintList(std::uint32_t open) const {
    const std::uint32_t close = pair_[open];
    if (close == open + 1) return false;
    for (std::uint32_t k = open + 1; k < close; ++k)
        if (!Is(k, Tk::Comma) && !(Is(k, Tk::Ident) && IsLockHint(Text(k)))) return false;
    return true;
}

// A table: [db.][schema.]name [(columns)] [[AS] alias] [hints], or (query) [AS] alias; op:
// the token after the name.
Node* Parser::TableRef(bool columns) {
    if (Is(i_, Tk::LParen)) {
        Node* d = Make(Nk::Derived);
        d->kids.push_back(Subquery());
        if (K(i_) == Kw::As && IsName(i_ + 1)) ++i_;
        if (IsName(i_)) {
            CheckClauseWord(i_);
            d->alias = i_;
            d->kids.push_back(AliasName());
        }
        return Close(d);
    }
    if (!IsName(i_)) Unexpected(i_);
    if (Is(i_, Tk::Ident) && Text(i_).front() == '#')
        Unsupported(i_, "the temporary table ", Text(i_));
    Node* t = Make(Nk::Table);
    // A table has at most three parts (database.schema.object); a fourth names a linked server.
    auto addPart = [&](std::uint32_t part) {
        if (t->parts.size() == 3) Unsupported(t->first, "a four-part name (linked server)");
        t->parts.push_back(part);
    };
    addPart(i_++);
    while (Is(i_, Tk::Dot)) {
        if (Is(i_ + 1, Tk::Dot)) {
            addPart(kNoToken);
            ++i_;
            continue;
        }
        if (!IsName(i_ + 1)) break;
        addPart(i_ + 1);
        i_ += 2;
    }
    if (t->parts.back() == kNoToken || t->parts.front() == kNoToken) Fail(t->first, "malformed name");
    t->op = i_;
    // A hint list straight after the name is read with the hints below.
    if (Is(i_, Tk::LParen) && (columns || !IsHintList(i_))) {
        if (!columns) Unsupported(t->first, "the table-valued function ", Text(t->first));
        t->kids.push_back(Columns());
    }
    if (K(i_) == Kw::As && IsName(i_ + 1)) ++i_;
    if (IsName(i_)) {
        CheckClauseWord(i_);
        t->alias = i_;
        t->kids.push_back(AliasName());
    }
    if (K(i_) == Kw::With && Is(i_ + 1, Tk::LParen)) {
        for (std::uint32_t k = i_ + 2; k < pair_[i_ + 1]; ++k)
            if (!Is(k, Tk::Comma) && !(Is(k, Tk::Ident) && IsLockHint(Text(k))))
                Unsupported(k, "the table hint ", Text(k));
        t->kids.push_back(Hints(pair_[i_ + 1] + 1));
    } else if (Is(i_, Tk::LParen) && IsHintList(i_)) {
        t->kids.push_back(Hints(pair_[i_] + 1));
    }
    return Close(t);
}

// Lock hints up to end.
Node* Parser::Hints(std::uint32_t end) {
    Node* h = Make(Nk::Hints);
    i_ = end;
    return Close(h);
}

Node* Parser::Columns() {
    Node* c = Make(Nk::Columns);
    ++i_;
    for (;;) {
        if (!IsName(i_)) Fail(i_, "a column name is missing");
        c->kids.push_back(AliasName());
        if (!Is(i_, Tk::Comma)) break;
        ++i_;
    }
    Expect(Tk::RParen, "')'");
    return Close(c);
}

Node* Parser::Subquery() {
    Enter();
    Node* s = Make(Nk::Subquery);
    Expect(Tk::LParen, "'('");
    if (K(i_) == Kw::With) s->kids.push_back(With());
    s->kids.push_back(Compound());
    if (!Is(i_, Tk::RParen)) Unexpected(i_);
    ++i_;
    Leave();
    return Close(s);
}

Node* Parser::ExprClause() {
    Node* c = Make(Nk::Clause);
    c->op = i_++;
    c->kids.push_back(Expr());
    return Close(c);
}

Node* Parser::OrderBy() {
    Node* o = Make(Nk::Clause);
    o->op = i_++;
    ExpectKw(Kw::By, "BY");
    do {
        if (Is(i_, Tk::Comma)) ++i_;
        Node* item = Make(Nk::OrderItem);
        item->kids.push_back(Expr());
        if (K(i_) == Kw::Asc || K(i_) == Kw::Desc) ++i_;
        o->kids.push_back(Close(item));
    } while (Is(i_, Tk::Comma));
    return Close(o);
}

void Parser::List(Kids& out) {
    out.push_back(Expr());
    while (Is(i_, Tk::Comma)) {
        ++i_;
        out.push_back(Expr());
    }
}

}  // namespace platform::db::dialect::parsing
