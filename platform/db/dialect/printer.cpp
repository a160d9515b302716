// One printer for every backend: it writes a rewritten tree as the backend's SQL, reading every
// difference from the backend's Rules. What the source spelled and no rule changes is written as
// spelled, with one space wherever the source had white space or a comment.
#include "dialect/printer_internal.h"
#include "dialect/translator.h"

namespace platform::db::dialect {

namespace printing {

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

void Printer::Statement(const Node& s, std::vector<Step>& out) {
    switch (s.kind) {
        case Nk::Block:
            for (const Node* k : s.kids) Statement(*k, out);
            return;
        case Nk::If: {
            Step step;
            step.kind = Step::Kind::If;
            const std::string condition = Alone(s.kids[0]);
            step.sql = Expand(r_.conditionQuery, [&](std::string_view) { return condition; });
            Statement(*s.kids[1], step.then);
            if (s.kids.size() > 2) Statement(*s.kids[2], step.otherwise);
            out.push_back(std::move(step));
            return;
        }
        case Nk::Use:
        case Nk::CreateDatabase: {
            Step step;
            step.kind = s.kind == Nk::Use ? Step::Kind::Use : Step::Kind::CreateDatabase;
            step.name = Unquoted(t_, s.alias);
            out.push_back(std::move(step));
            return;
        }
        default: break;
    }
    recursionLimit_ = s.number >= 0 ? s.number : 100;  // SQL Server's default
    pendingSpace_ = false;
    Step step;
    step.returnsRows = s.kind == Nk::Query;
    // Written once without growing, mostly: the source's length and a margin for what rules add.
    const Token& end = t_.tokens[std::max(s.last, s.first + 1) - 1];
    step.sql.reserve((end.pos + end.len - t_.tokens[s.first].pos) * 5 / 4 + 32);
    switch (s.kind) {
        case Nk::Insert:
        case Nk::Delete:
            Tok(step.sql, s.first);
            if (s.op == kNoToken)
                Emit(step.sql, true, s.kind == Nk::Insert ? "INTO" : "FROM");
            else
                Tok(step.sql, s.op);
            Generic(step.sql, s, s.kids[0]->first);
            break;
        case Nk::Truncate:
            step.sql = "DELETE FROM";
            Print(step.sql, s.kids[0]);
            break;
        case Nk::Update: Update(step.sql, s); break;
        default: Print(step.sql, &s); break;
    }
    out.push_back(std::move(step));
}

void Printer::Update(std::string& out, const Node& u) {
    const UpdateFrom plan = PlanUpdateFrom(t_, u);
    Tok(out, u.first);
    if (plan.target) {
        TableName(out, *plan.target);
        if (plan.alias) {
            Emit(out, true, "AS");
            Print(out, plan.alias);
        }
    } else {
        Print(out, u.kids[0]);
    }
    const Node* set = u.kids[1];
    Tok(out, set->op);
    for (std::size_t k = 0; k < set->kids.size(); ++k) {
        const Node* a = set->kids[k];
        if (k > 0) Tok(out, a->first - 1);  // the comma
        EmitName(out, a->kids[0]->parts.back());
        Tok(out, a->op);
        Print(out, a->kids[1]);
    }
    if (!plan.target) {
        for (std::size_t k = 2; k < u.kids.size(); ++k) Print(out, u.kids[k]);
        return;
    }
    const Node* where = u.kids.back()->kind == Nk::Clause && t_.tokens[u.kids.back()->op].kw == Kw::Where
                            ? u.kids.back() : nullptr;
    if (!plan.from.empty()) {
        Emit(out, true, "FROM");
        for (std::size_t k = 0; k < plan.from.size(); ++k) {
            const Node* f = plan.from[k];
            if (k > 0 && f->kind != Nk::Join) Tok(out, f->first - 1);  // the comma
            if (k == 0) pendingSpace_ = true;
            Print(out, f);
        }
    }
    if (plan.joinCondition) {
        Emit(out, true, "WHERE (");
        Print(out, plan.joinCondition);
        Emit(out, false, ")");
        if (where) {
            Emit(out, true, "AND (");
            Print(out, where->kids[0]);
            Emit(out, false, ")");
        }
    } else if (where) {
        Print(out, where);
    }
}

// The tokens of n from `from` on, its kids printed where they stand.
void Printer::Generic(std::string& out, const Node& n, std::uint32_t from) {
    std::size_t kid = 0;
    while (kid < n.kids.size() && n.kids[kid]->first < from) ++kid;
    for (std::uint32_t k = from; k < n.last;) {
        if (kid < n.kids.size() && n.kids[kid]->first == k) {
            const Node* child = n.kids[kid++];
            Print(out, child);
            k = std::max(child->last, k + 1);
            continue;
        }
        Tok(out, k++);
    }
}

void Printer::Print(std::string& out, const Node* n) {
    if (n->dropped) {
        pendingSpace_ = true;
        return;
    }
    if (!n->compared || n->type != ValueType::Text || r_.textCollation.empty()) return Inner(out, *n);
    const std::size_t start = out.size();
    Inner(out, *n);
    if (r_.parenthesizeCollated) {
        out.insert(start < out.size() && out[start] == ' ' ? start + 1 : start, "(");
        out += ' ';
        out += r_.textCollation;
        out += ')';
    } else {
        out += ' ';
        out += r_.textCollation;
    }
}

void Printer::Inner(std::string& out, const Node& n) {
    switch (n.kind) {
        case Nk::Name: return Name(out, n);
        case Nk::Literal: return Literal(out, n);
        case Nk::Param: return Emit(out, Space(n.first), std::string(r_.parameterPrefix) + std::to_string(n.number));
        case Nk::Variable:
            if (SameWord(t_.Text(n.first), "@@IDENTITY")) return Emit(out, Space(n.first), r_.lastInsertId);
            if (r_.rowCount.empty()) Refuse(t_, n.first, "cannot translate @@ROWCOUNT");
            return Emit(out, Space(n.first), r_.rowCount);
        case Nk::Now: return Emit(out, Space(n.first), r_.now);
        case Nk::Table: return Table(out, n);
        case Nk::With: return With(out, n);
        case Nk::Compound:
            Generic(out, n, n.first);
            if (n.limit) {
                Emit(out, true, "LIMIT");
                Emit(out, true, Limit(*n.limit));
            }
            return;
        case Nk::Item:
            if (!n.aliasFirst) return Generic(out, n, n.first);
            Print(out, n.kids[0]);
            Emit(out, true, "AS");
            return Emit(out, true, Quoted(Unquoted(t_, n.alias)));
        case Nk::Select: return Select(out, n);
        case Nk::OrderItem:
            if (!n.bound) return Generic(out, n, n.first);
            Emit(out, Space(n.first), Alone(n.bound));
            return Generic(out, n, n.kids[0]->last);
        case Nk::Arith: return Arith(out, n);
        case Nk::Compare: return n.prefixRange ? Prefix(out, n) : Generic(out, n, n.first);
        case Nk::In:
            Print(out, n.kids[0]);
            if (n.inCollation) {
                out += ' ';
                out += r_.textCollation;
            }
            return Generic(out, n, n.kids[0]->last);
        case Nk::Like: return Like(out, n);
        case Nk::Call: return Call(out, n);
        case Nk::Convert: return Convert(out, n);
        case Nk::Collate: {
            Print(out, n.kids[0]);
            Tok(out, n.op);
            const std::string name = Upper(Unquoted(t_, n.alias));
            return Emit(out, true,
                        name.find("_CI") != std::string::npos ? r_.caseInsensitiveCollation : r_.binaryCollation);
        }
        default: return Generic(out, n, n.first);
    }
}

void Printer::Name(std::string& out, const Node& n) {
    for (std::size_t k = 0; k < n.parts.size(); ++k) {
        if (k > 0) Emit(out, false, ".");
        EmitName(out, n.parts[k]);
    }
    if (n.star) {
        Emit(out, false, ".");
        Emit(out, false, "*");
    }
}

void Printer::Literal(std::string& out, const Node& n) {
    std::string_view text = t_.Text(n.first);
    if (t_.tokens[n.first].kind == Tk::NString) text.remove_prefix(1);
    if (n.trimmed) {
        std::size_t keep = text.size() - 1;  // up to the closing quote
        while (keep > 1 && text[keep - 1] == ' ') --keep;
        return Emit(out, Space(n.first), std::string(text.substr(0, keep)) + "'");
    }
    Emit(out, Space(n.first), text);
}

std::string Printer::Limit(const Node& count) {
    if (count.kind == Nk::Group) {
        const Node* inner = count.kids[0];
        if (inner->kind == Nk::Param || (inner->kind == Nk::Literal && t_.tokens[inner->first].kind == Tk::Number))
            return Alone(inner);
    }
    return Alone(&count);
}

// The name of a table as the backend knows it: the recursive table's own reference in its
// second part reads the table that carries the level (its name stays as an alias).
void Printer::TableName(std::string& out, const Node& t) {
    if (recursiveName_ && t.parts.size() == 1 && SameWord(Unquoted(t_, t.parts[0]), Unquoted(t_, *recursiveName_))) {
        Emit(out, Space(t.first), recursiveTable_);
        if (t.alias == kNoToken) {
            Emit(out, true, "AS");
            EmitName(out, t.parts[0]);
        }
        return;
    }
    for (std::size_t k = 0; k < t.parts.size(); ++k) {
        if (k > 0) Emit(out, false, ".");
        EmitName(out, t.parts[k]);
    }
}

void Printer::Table(std::string& out, const Node& t) {
    TableName(out, t);
    Generic(out, t, t.op);
}

void Printer::Select(std::string& out, const Node& s) {
    if (extraColumn_.empty()) return Generic(out, s, s.first);
    // The recursive table's parts: one more column after the last item.
    const std::string column = std::exchange(extraColumn_, {});
    std::uint32_t afterItems = s.last;
    for (const Node* k : s.kids)
        if (k->kind == Nk::Item) afterItems = k->last;
    Node copy = s;
    copy.last = afterItems;
    Generic(out, copy, s.first);
    Emit(out, false, ", " + column);
    Generic(out, s, afterItems);
}

void Printer::With(std::string& out, const Node& w) {
    Tok(out, w.first);
    if (std::any_of(w.kids.begin(), w.kids.end(), [](const Node* c) { return c->recursive; }))
        Emit(out, true, "RECURSIVE");
    for (std::size_t k = 0; k < w.kids.size(); ++k) {
        const Node& c = *w.kids[k];
        if (k > 0) Emit(out, false, ",");
        std::vector<std::uint32_t> columns;
        if (c.kids.size() > 1)
            for (const Node* name : c.kids[0]->kids) columns.push_back(name->parts[0]);
        const Node* body = c.kids.back()->kids.back();  // the Compound inside the parentheses
        auto list = [&] {
            std::string s;
            for (std::size_t n = 0; n < columns.size(); ++n) s += (n ? ", " : "") + NameText(columns[n]);
            return s;
        };
        if (!c.recursive) {
            EmitName(out, c.alias);
            if (!columns.empty()) Emit(out, true, "(" + list() + ")");
            Emit(out, true, "AS (");
            Print(out, body);
            Emit(out, false, ")");
            continue;
        }
        if (body->kids.size() != 2 || body->kids[0]->kind != Nk::Select || body->kids[1]->kind != Nk::Select ||
            t_.tokens[body->kids[0]->last].kw != Kw::Union || t_.tokens[body->kids[0]->last + 1].kw != Kw::All)
            Refuse(t_, c.kids.back()->first,
                   "cannot translate a recursive WITH other than one query UNION ALL one recursive query");
        if (columns.empty()) columns = SelectedNames(*body->kids[0]);
        std::string lower = Unquoted(t_, c.alias);
        for (char& ch : lower)
            if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch + 32);
        const std::string hidden = Quoted("sv_rec_" + lower);
        Emit(out, true, hidden + "(" + list() + ", sv_level) AS (");
        extraColumn_ = "0";
        Print(out, body->kids[0]);
        Emit(out, true, "UNION ALL");
        // The level of the row the second part reads, by its alias there.
        std::uint32_t alias = c.alias;
        std::vector<const Node*> tables;
        Tables(body->kids[1], tables);
        for (const Node* t : tables)
            if (t->parts.size() == 1 && SameWord(Unquoted(t_, t->parts[0]), Unquoted(t_, c.alias))) {
                alias = t->alias != kNoToken ? t->alias : t->parts[0];
                break;
            }
        const std::string level = NameText(alias) + ".sv_level + 1", limit = std::to_string(recursionLimit_);
        extraColumn_ = Expand(r_.recursionLevelPattern, [&](std::string_view key) -> std::string_view {
            return key == "1" ? std::string_view(level) : std::string_view(limit);
        });
        recursiveName_ = &c.alias;
        recursiveTable_ = hidden;
        Print(out, body->kids[1]);
        recursiveName_ = nullptr;
        Emit(out, false, "),");
        EmitName(out, c.alias);
        Emit(out, true, "AS (SELECT " + list() + " FROM " + hidden + ")");
    }
}

void Printer::Tables(const Node* n, std::vector<const Node*>& out) {
    if (n->kind == Nk::Table) out.push_back(n);
    for (const Node* k : n->kids) Tables(k, out);
}

// The names of the columns a SELECT gives, for a recursive WITH without a list.
std::vector<std::uint32_t> Printer::SelectedNames(const Node& s) const {
    std::vector<std::uint32_t> names;
    for (const Node* item : s.kids) {
        if (item->kind != Nk::Item) continue;
        if (item->aliasFirst || item->alias != kNoToken)
            names.push_back(item->alias);
        else if (item->kids.size() > 1)
            names.push_back(item->kids[1]->parts[0]);
        else if (item->kids[0]->kind == Nk::Name && !item->kids[0]->star)
            names.push_back(item->kids[0]->parts.back());
        else
            Refuse(t_, item->first,
                   "cannot translate a recursive WITH column without a name (name it, or list the columns)");
    }
    return names;
}

}  // namespace printing


std::vector<Step> Print(const Rules& rules, const Tree& tree) {
    std::vector<Step> steps;
    printing::Printer(rules, tree).Statements(tree.statements, steps);
    return steps;
}

std::vector<Step> Translate(const Rules& rules, std::string_view tsql) {
    // One tree per thread, emptied for each batch: its tokens and nodes keep their room, and a
    // refusal unwinds through no tree to free.
    thread_local Tree tree;
    Parse(tsql, tree);
    Rewrite(rules, tree);
    return Print(rules, tree);
}

}  // namespace platform::db::dialect
