// The pieces of a query that reading it a page at a time needs, cut from its own T-SQL text.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "dialect/parser.h"
#include "platform/db/dialect.h"
#include "platform/text.h"

namespace platform::db {

namespace {

using dialect::Kw;
using dialect::Nk;
using dialect::Node;
using dialect::Tree;

std::string Span(const Tree& t, std::uint32_t first, std::uint32_t last) {
    if (first >= last) return {};
    const auto& a = t.tokens[first];
    const auto& b = t.tokens[last - 1];
    return std::string(t.source.substr(a.pos, b.pos + b.len - a.pos));
}
std::string Span(const Tree& t, const Node* n) { return Span(t, n->first, n->last); }

// An aggregate in the select list makes one row of many: such a query is counted as it is.
bool HasAggregate(const Tree& t, const Node* n) {
    if (n->kind == Nk::Subquery) return false;
    if (n->kind == Nk::Call && n->op != dialect::kNoToken) {
        static const char* const kAggregates[] = {"count", "count_big", "sum", "min", "max", "avg",
                                                  "stdev", "stdevp", "var", "varp", "string_agg"};
        const std::string name = text::LCase(t.Text(n->op));
        for (const char* a : kAggregates)
            if (name == a && !(n->kids.size() && n->kids.back()->kind == Nk::Over)) return true;
    }
    for (const Node* k : n->kids)
        if (HasAggregate(t, k)) return true;
    return false;
}

std::uint32_t AliasOf(const Node* item) {
    if (item->aliasFirst) return item->alias;
    if (item->kids.size() > 1 && item->kids[1]->kind == Nk::Name) return item->kids[1]->parts.front();
    return dialect::kNoToken;
}

// The qualifiers of the column names under n (lower case), and whether a name has none.
void Qualifiers(const Tree& t, const Node* n, std::vector<std::string>& out, bool& unqualified) {
    if (n->kind == Nk::Name) {
        if (n->parts.size() < 2) unqualified = true;
        else out.push_back(text::LCase(dialect::Unquoted(t, n->parts[n->parts.size() - 2])));
    }
    for (const Node* k : n->kids) Qualifiers(t, k, out, unqualified);
}

// A LEFT JOIN whose ON is one equality between a column of the joined table and a column of
// another: the joined table's name in the statement (its alias, else its name), the table and
// its column; empty when the join is not such a lookup.
struct JoinLookup {
    std::string name, table, column;
};
JoinLookup LookupOf(const Tree& t, const Node* join) {
    JoinLookup out;
    if (join->kids.size() != 2 || t.tokens[join->first].kw != Kw::Left) return out;
    const Node* table = join->kids[0];
    const Node* on = join->kids[1];
    if (table->kind != Nk::Table || table->parts.size() != 1 || on->kids.size() != 1) return out;
    const Node* eq = on->kids[0];
    if (eq->kind != Nk::Compare || t.Text(eq->op) != "=") return out;
    const std::string name =
        text::LCase(dialect::Unquoted(t, table->alias != dialect::kNoToken ? table->alias : table->parts.front()));
    const Node* a = eq->kids[0];
    const Node* b = eq->kids[1];
    if (a->kind != Nk::Name || b->kind != Nk::Name || a->parts.size() != 2 || b->parts.size() != 2) return out;
    const bool ownA = text::LCase(dialect::Unquoted(t, a->parts.front())) == name;
    const bool ownB = text::LCase(dialect::Unquoted(t, b->parts.front())) == name;
    if (ownA == ownB) return out;  // the joined table's column beside another table's
    const Node* mine = ownA ? a : b;
    return {name, dialect::Unquoted(t, table->parts.front()), dialect::Unquoted(t, mine->parts.back())};
}

}  // namespace

PagingPlan PlanPaging(std::string_view tsql) {
    Tree tree = dialect::Parse(tsql);
    PagingPlan plan;
    if (tree.statements.size() != 1 || tree.statements[0]->kind != Nk::Query) return plan;
    const Node* query = tree.statements[0];
    plan.count = "SELECT COUNT(*) FROM (" + Span(tree, query) + ") sv_count";
    if (query->kids.size() != 1) return plan;  // WITH ...
    const Node* compound = query->kids[0];
    const Node* order = nullptr;
    std::size_t terms = compound->kids.size();
    if (terms && compound->kids.back()->kind == Nk::Clause) order = compound->kids[--terms];
    if (terms != 1 || compound->kids[0]->kind != Nk::Select) {
        if (order) plan.count = "SELECT COUNT(*) FROM (" + Span(tree, compound->first, order->first) + ") sv_count";
        return plan;
    }
    const Node* select = compound->kids[0];
    const Node* from = nullptr;
    const Node* where = nullptr;
    bool grouped = false, top = false;
    std::vector<const Node*> items;
    for (const Node* k : select->kids) {
        if (k->kind == Nk::Top) top = true;
        else if (k->kind == Nk::Item) items.push_back(k);
        else if (k->kind == Nk::Clause && tree.tokens[k->op].kw == Kw::From) from = k;
        else if (k->kind == Nk::Clause && tree.tokens[k->op].kw == Kw::Where) where = k;
        else if (k->kind == Nk::Clause) grouped = true;  // GROUP BY, HAVING
    }
    const bool distinct = tree.tokens[select->first + 1].kw == Kw::Distinct;
    bool aggregate = false;
    for (const Node* item : items) aggregate = aggregate || HasAggregate(tree, item->kids[0]);
    // Without TOP an ORDER BY only orders: the count leaves it out.
    if (order && !top) plan.count = "SELECT COUNT(*) FROM (" + Span(tree, compound->first, order->first) + ") sv_count";
    if (top || distinct || grouped || aggregate || !from || items.empty()) return plan;

    // A plain query: counted without its select list, so that the server may leave out the
    // lookups that only fill columns; the TOP keeps the server from folding the rows into the
    // count before it does.
    const std::string fromText = Span(tree, from);
    plan.count = "SELECT COUNT(*) FROM (SELECT TOP 2147483647 1 AS sv_one " + fromText +
                 (where ? " " + Span(tree, where) : std::string()) + ") sv_count";

    // The count without the joins that only look a value up. A name without its table's may be
    // any table's: then every join stays.
    {
        std::vector<std::string> named;
        bool unqualified = false;
        if (where) Qualifiers(tree, where, named, unqualified);
        std::vector<JoinLookup> lookups(from->kids.size());
        plan.onlyLookupJoins = true;
        for (std::size_t k = 1; k < from->kids.size(); ++k) {
            if (from->kids[k]->kind == Nk::Join) lookups[k] = LookupOf(tree, from->kids[k]);
            else unqualified = true;  // a table after a comma: left as written
            if (lookups[k].name.empty()) plan.onlyLookupJoins = false;
            else plan.joins.push_back({lookups[k].table, lookups[k].column});
        }
        // A join kept keeps the tables its ON names; repeated until none is added.
        std::vector<bool> kept(from->kids.size(), true);
        for (std::size_t k = 1; k < from->kids.size(); ++k)
            kept[k] = lookups[k].name.empty() || std::find(named.begin(), named.end(), lookups[k].name) != named.end();
        for (bool changed = true; changed && !unqualified;) {
            changed = false;
            for (std::size_t k = 1; k < from->kids.size(); ++k) {
                if (!kept[k]) continue;
                std::vector<std::string> on;
                for (const Node* part : from->kids[k]->kids)
                    if (part->kind == Nk::Clause) Qualifiers(tree, part, on, unqualified);
                for (std::size_t j = 1; j < from->kids.size(); ++j)
                    if (!kept[j] && std::find(on.begin(), on.end(), lookups[j].name) != on.end()) kept[j] = changed = true;
            }
        }
        std::string trimmed = Span(tree, from->first, from->kids[0]->last);
        for (std::size_t k = 1; k < from->kids.size() && !unqualified; ++k) {
            if (kept[k]) trimmed += " " + Span(tree, from->kids[k]);
            else plan.lookups.push_back({lookups[k].table, lookups[k].column});
        }
        if (!unqualified && !plan.lookups.empty())
            plan.countWithoutLookups = "SELECT COUNT(*) FROM (SELECT TOP 2147483647 1 AS sv_one " + trimmed +
                                       (where ? " " + Span(tree, where) : std::string()) + ") sv_count";
        else plan.lookups.clear();
    }

    const Node* base = from->kids[0];
    if (base->kind != Nk::Table || base->parts.size() == 0) return plan;
    plan.baseTable = dialect::Unquoted(tree, base->parts.back());
    plan.baseName = base->alias != dialect::kNoToken ? Span(tree, base->alias, base->alias + 1)
                                                     : Span(tree, base->parts.front(), base->parts.back() + 1);
    plan.selectList = Span(tree, items.front()->first, items.back()->last);
    plan.from = fromText;
    plan.where = where ? Span(tree, where->kids[0]) : std::string();
    if (order) {
        plan.orderBy = Span(tree, order->kids[0]->first, order->last);
        // The same order without the select list: a position or a column's alias stands for
        // its expression.
        for (const Node* item : order->kids) {
            const Node* e = item->kids[0];
            std::string term = Span(tree, e);
            if (e->kind == Nk::Literal && tree.tokens[e->first].kind == dialect::Tk::Number) {
                const long at = std::atol(term.c_str());
                if (at >= 1 && static_cast<std::size_t>(at) <= items.size()) term = Span(tree, items[at - 1]->kids[0]);
            } else if (e->kind == Nk::Name && e->parts.size() == 1) {
                const std::string name = dialect::Unquoted(tree, e->parts.front());
                for (const Node* it : items)
                    if (const std::uint32_t alias = AliasOf(it);
                        alias != dialect::kNoToken && text::EqualsNoCase(dialect::Unquoted(tree, alias), name)) {
                        term = Span(tree, it->kids[0]);
                        break;
                    }
            }
            const std::string direction = Span(tree, e->last, item->last);
            plan.keyOrder += (plan.keyOrder.empty() ? "" : ", ") + term + (direction.empty() ? "" : " " + direction);
        }
    }
    plan.keyed = true;
    return plan;
}

}  // namespace platform::db
