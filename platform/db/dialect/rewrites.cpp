#include "dialect/rewrites.h"

#include <algorithm>

#include "dialect/like_pattern.h"
#include "dialect/parser.h"
#include "platform/text.h"

namespace platform::db::dialect {

namespace {

bool IsNumeric(ValueType t) { return t == ValueType::Numeric || t == ValueType::Money; }
bool IsAdditive(std::string_view op) { return op == "+" || op == "-" || op == "&" || op == "|" || op == "^"; }

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return s;
}

bool IsText(const Tree& t, const Node* n) {
    return n->kind == Nk::Literal && (t.tokens[n->first].kind == Tk::String || t.tokens[n->first].kind == Tk::NString);
}

bool IsAdditiveNode(const Tree& t, const Node* n) { return n->kind == Nk::Arith && IsAdditive(t.Text(n->op)); }

// Arithmetic without +: numeric when every operand is (Money when one is Money).
ValueType Leaves(const Tree& t, const Node* n, bool& money) {
    const bool arithmetic = n->kind == Nk::Arith || (n->kind == Nk::Unary && t.tokens[n->op].kind == Tk::Op);
    if (!arithmetic) {
        money = money || n->type == ValueType::Money;
        return IsNumeric(n->type) ? ValueType::Numeric : ValueType::Unknown;
    }
    for (const Node* k : n->kids)
        if (Leaves(t, k, money) == ValueType::Unknown) return ValueType::Unknown;
    return ValueType::Numeric;
}

// An additive chain with a + in it, left to right: texts joined stay text, numbers stay numbers.
ValueType Fold(const Tree& t, const Node* n) {
    if (!IsAdditiveNode(t, n)) return n->type;
    const ValueType acc = Fold(t, n->kids[0]), term = n->kids[1]->type;
    const std::string_view op = t.Text(n->op);
    const bool numeric = IsNumeric(acc) && IsNumeric(term);
    const ValueType number = acc == ValueType::Money || term == ValueType::Money ? ValueType::Money : ValueType::Numeric;
    if (op == "+")
        return numeric ? number
                       : (acc == ValueType::Text && term == ValueType::Text ? ValueType::Text : ValueType::Unknown);
    if (op == "-") return numeric ? number : ValueType::Unknown;
    return numeric ? ValueType::Numeric : ValueType::Unknown;
}

ValueType TypeOf(const Rules& rules, const Tree& t, Node* n) {
    switch (n->kind) {
        case Nk::Literal: return t.tokens[n->first].kind == Tk::Number ? ValueType::Numeric : ValueType::Text;
        case Nk::Variable: return ValueType::Numeric;
        case Nk::Call: {
            std::string upper(t.Text(n->op));
            for (char& c : upper)
                if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
            const FunctionRule* rule = FindFunction(rules, upper);
            return rule ? rule->result : ValueType::Unknown;
        }
        case Nk::Convert: return static_cast<ValueType>(n->number);
        case Nk::Group: return n->kids[0]->type;
        case Nk::Unary:
        case Nk::Arith: {
            bool plus = false;
            for (const Node* k = n; IsAdditiveNode(t, k); k = k->kids[0]) plus = plus || t.Text(k->op) == "+";
            if (plus) return Fold(t, n);
            bool money = false;
            const ValueType leaves = Leaves(t, n, money);
            return leaves == ValueType::Numeric && money ? ValueType::Money : leaves;
        }
        default: return ValueType::Unknown;
    }
}

void Infer(const Rules& rules, const Tree& t, Node* n) {
    for (Node* k : n->kids) Infer(rules, t, k);
    n->type = TypeOf(rules, t, n);
}

// Every Table node under n (subqueries included).
void Tables(Node* n, std::vector<Node*>& out) {
    if (n->kind == Nk::Table) out.push_back(n);
    for (Node* k : n->kids) Tables(k, out);
}

}  // namespace

const FunctionRule* FindFunction(const Rules& rules, std::string_view upper) {
    for (auto table : {rules.functions, rules.baseline}) {
        auto it = std::lower_bound(table.begin(), table.end(), upper,
                                   [](const FunctionRule& f, std::string_view n) { return f.name < n; });
        if (it != table.end() && it->name == upper) return &*it;
    }
    return nullptr;
}

void InferTypes(const Rules& rules, Tree& tree) {
    for (Node* s : tree.statements) Infer(rules, tree, s);
}

void TopToLimit(Tree& tree) {
    for (Node* each : tree.nodes) {
        Node& c = *each;
        if (c.kind != Nk::Compound) continue;
        for (Node* term : c.kids) {
            if (term->kind != Nk::Select || term->kids.empty() || term->kids[0]->kind != Nk::Top) continue;
            Node* top = term->kids[0];
            if (c.kids.size() > 1 && c.kids[1]->kind != Nk::Clause) Refuse(tree, top->first, "cannot translate TOP in a UNION");
            top->dropped = true;
            c.limit = top->kids[0];
        }
    }
}

void DropSchemaAndHints(Tree& tree) {
    auto isDbo = [&](std::uint32_t p) { return p == kNoToken || SameWord(Unquoted(tree, p), "dbo"); };
    for (Node* each : tree.nodes) {
        Node& t = *each;
        if (t.kind == Nk::Hints) t.dropped = true;
        if (t.kind != Nk::Table) continue;
        auto& p = t.parts;
        if (p.size() == 3) {
            if (!isDbo(p[1])) Refuse(tree, p[1], "cannot translate the schema ", tree.Text(p[1]));
            p.Keep({0, 2});
        } else if (p.size() == 2 && isDbo(p[0])) {
            p.Keep({1});
        }
    }
}

void BindOrderBy(Tree& tree) {
    for (Node* each : tree.nodes) {
        Node& c = *each;
        if (c.kind != Nk::Compound || c.kids.back()->kind != Nk::Clause) continue;
        std::vector<std::string> aliases;
        std::vector<std::pair<std::string, const Node*>> columns;  // null: two share the name
        for (const Node* term : c.kids) {
            if (term->kind != Nk::Select) continue;
            for (const Node* item : term->kids) {
                if (item->kind != Nk::Item) continue;
                if (item->alias != kNoToken) aliases.push_back(Lower(Unquoted(tree, item->alias)));
                const Node* e = item->kids[0];
                if (item->kids.size() != 1 || e->kind != Nk::Name || e->star || e->parts.size() != 2) continue;
                std::string name = Lower(Unquoted(tree, e->parts[1]));
                auto it = std::find_if(columns.begin(), columns.end(), [&](const auto& x) { return x.first == name; });
                if (it == columns.end())
                    columns.emplace_back(std::move(name), e);
                else
                    it->second = nullptr;
            }
        }
        for (Node* item : c.kids.back()->kids) {
            const Node* e = item->kids[0];
            if (e->kind != Nk::Name || e->star || e->parts.size() != 1) continue;
            const std::string name = Lower(Unquoted(tree, e->parts[0]));
            if (std::find(aliases.begin(), aliases.end(), name) != aliases.end()) continue;
            for (const auto& [column, at] : columns)
                if (column == name && at) item->bound = const_cast<Node*>(at);
        }
    }
}

void MarkRecursiveTables(Tree& tree) {
    for (Node* each : tree.nodes) {
        Node& cte = *each;
        if (cte.kind != Nk::Cte) continue;
        std::vector<Node*> tables;
        Tables(cte.kids.back(), tables);
        const std::string name = Unquoted(tree, cte.alias);
        cte.recursive = std::any_of(tables.begin(), tables.end(), [&](const Node* t) {
            return t->parts.size() == 1 && SameWord(Unquoted(tree, t->parts[0]), name);
        });
    }
}

void CollateComparedText(const Rules& rules, Tree& tree) {
    for (Node* each : tree.nodes) {
        Node& n = *each;
        if (n.kind == Nk::Compare || n.kind == Nk::Between) {
            for (Node* operand : n.kids) {
                operand->compared = true;
                if (rules.trimComparedLiterals && IsText(tree, operand)) operand->trimmed = true;
            }
        } else if (n.kind == Nk::In && !rules.textCollation.empty() && n.kids[0]->kind != Nk::Collate) {
            n.inCollation = std::any_of(n.kids.begin() + 1, n.kids.end(), [&](const Node* v) { return IsText(tree, v); });
        }
    }
}

void LikeForBackend(const Rules& rules, Tree& tree) {
    if (!rules.rewriteLikePatterns) return;
    for (Node* each : tree.nodes) {
        Node& n = *each;
        if (n.kind != Nk::Like || n.kids.size() != 2 || !IsText(tree, n.kids[1])) continue;
        std::string_view quoted = tree.Text(n.kids[1]->first);
        if (quoted.front() != '\'') quoted.remove_prefix(1);
        std::string pattern;
        for (std::size_t k = 1; k + 1 < quoted.size(); ++k) {
            pattern += quoted[k];
            if (quoted[k] == '\'') ++k;
        }
        const LikePattern parsed = ParseLikePattern(pattern);
        const BackendPattern backend = BackendLikePattern(parsed);
        // _ is one character of the lowered text, which may be two of the text's (İ: i and a dot).
        n.caseless = !backend.regex && std::all_of(parsed.items.begin(), parsed.items.end(), [&](const auto& item) {
            if (item.kind == LikePattern::Kind::Many) return true;
            if (item.kind == LikePattern::Kind::Any) return false;
            const char32_t c = item.kind == LikePattern::Kind::Char ? item.c : parsed.sets[item.set].ranges[0].first;
            return platform::text::Caseless(c);
        });
        n.text = "'";
        for (char c : backend.text) {
            n.text += c;
            if (c == '\'') n.text += '\'';
        }
        n.text += '\'';
        n.number = backend.regex ? 2 : 1;
    }
}

void PrefixRange(const Rules& rules, Tree& tree) {
    if (rules.prefixUpperBound.empty()) return;
    for (Node* each : tree.nodes) {
        Node& n = *each;
        if (n.kind != Nk::Compare || tree.Text(n.op) != "=") continue;
        const Node* call = n.kids[0];
        const Node* literal = n.kids[1];
        if (call->kind != Nk::Call || tree.tokens[call->op].kw != Kw::Left || call->kids.size() != 2 ||
            call->alias != kNoToken || !IsText(tree, literal))
            continue;
        const Node* column = call->kids[0];
        const Node* length = call->kids[1];
        if (column->kind != Nk::Name || column->star || column->parts.size() > 2 || length->kind != Nk::Literal ||
            tree.tokens[length->first].kind != Tk::Number)
            continue;
        std::string_view text = tree.Text(literal->first);
        if (text.front() != '\'') text.remove_prefix(1);
        std::size_t keep = text.size() - 1;  // up to the closing quote
        while (keep > 1 && text[keep - 1] == ' ') --keep;  // T-SQL's = ignores trailing spaces
        if (keep <= 1) continue;                            // an empty prefix narrows nothing
        n.prefixRange = true;
        n.text = std::string(text.substr(0, keep)) + "'";
    }
}

UpdateFrom PlanUpdateFrom(const Tree& tree, const Node& update) {
    UpdateFrom plan;
    const Node* target = update.kids[0];
    const Node* from = nullptr;
    for (const Node* k : update.kids)
        if (k->kind == Nk::Clause && tree.tokens[k->op].kw == Kw::From) from = k;
    if (!from) return plan;
    for (std::size_t k = 1; k < from->kids.size(); ++k) plan.from.push_back(from->kids[k]);
    const Node* first = from->kids[0];
    const std::string name = Unquoted(tree, target->parts.back());
    const bool same = first->kind == Nk::Table &&
                      (SameWord(Unquoted(tree, first->parts.back()), name) ||
                       (first->alias != kNoToken && SameWord(Unquoted(tree, first->alias), name)));
    if (!same) {
        plan.from.insert(plan.from.begin(), first);
        return plan;
    }
    plan.target = first;
    if (first->alias != kNoToken)
        for (const Node* k : first->kids)
            if (k->kind == Nk::Name) plan.alias = k;
    if (plan.from.empty() || plan.from[0]->kind != Nk::Join) return plan;
    const Node* join = plan.from[0];
    const Kw kind = tree.tokens[join->first].kw;
    if (kind == Kw::Left || kind == Kw::Right || kind == Kw::Full)
        Refuse(tree, join->first, "cannot translate UPDATE ... FROM with an outer join of the updated table");
    if (kind != Kw::Cross) {
        if (join->kids.size() < 2) Refuse(tree, join->first, "JOIN without ON");
        plan.joinCondition = join->kids[1]->kids[0];
    }
    plan.from[0] = join->kids[0];
    return plan;
}

void Rewrite(const Rules& rules, Tree& tree) {
    InferTypes(rules, tree);
    TopToLimit(tree);
    DropSchemaAndHints(tree);
    BindOrderBy(tree);
    MarkRecursiveTables(tree);
    CollateComparedText(rules, tree);
    LikeForBackend(rules, tree);
    PrefixRange(rules, tree);
}

}  // namespace platform::db::dialect
