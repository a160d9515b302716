// The printer's expressions: T-SQL's +, division, LIKE, the prefix range, calls and conversions.
#include "dialect/printer_internal.h"

namespace platform::db::dialect::printing {

namespace {

struct DatePart {
    std::string_view canonical;
    std::string_view names[3];
};
constexpr DatePart kDateParts[] = {
    {"year", {"year", "yy", "yyyy"}},    {"quarter", {"quarter", "qq", "q"}}, {"month", {"month", "mm", "m"}},
    {"dayofyear", {"dayofyear", "dy", "y"}}, {"day", {"day", "dd", "d"}},  {"week", {"week", "wk", "ww"}},
    {"weekday", {"weekday", "dw", "w"}}, {"hour", {"hour", "hh", ""}},     {"minute", {"minute", "mi", "n"}},
    {"second", {"second", "ss", "s"}},
};

}  // namespace

void Printer::Arith(std::string& out, const Node& n) {
    const std::string_view op = t_.Text(n.op);
    if (op == "*" || op == "/" || op == "%") {
        Print(out, n.kids[0]);
        Tok(out, n.op);
        if (op == "*" || r_.divisorPattern.empty()) return Print(out, n.kids[1]);
        std::string divisor = Alone(n.kids[1]);
        divisor.erase(0, divisor.find_first_not_of(' '));
        return Emit(out, true, Expand(r_.divisorPattern, [&](std::string_view) { return divisor; }));
    }
    // T-SQL's + adds numbers and joins texts: the plain operator where both sides are known
    // numbers, the backend's concatenation where both are known texts, its run-time choice
    // otherwise. Only - alone is written as spelled.
    std::vector<const Node*> terms;
    std::vector<std::uint32_t> ops;
    for (const Node* k = &n;; k = k->kids[0]) {
        if (k->kind != Nk::Arith || t_.Text(k->op) == "*" || t_.Text(k->op) == "/" || t_.Text(k->op) == "%") {
            terms.push_back(k);
            break;
        }
        terms.push_back(k->kids[1]);
        ops.push_back(k->op);
    }
    std::reverse(terms.begin(), terms.end());
    std::reverse(ops.begin(), ops.end());
    if (std::none_of(ops.begin(), ops.end(), [&](std::uint32_t o) { return t_.Text(o) != "-"; }))
        return Generic(out, n, n.first);
    std::string acc = Alone(terms[0]);
    ValueType accType = terms[0]->type;
    for (std::size_t k = 0; k < ops.size(); ++k) {
        const std::string term = Alone(terms[k + 1]);
        const ValueType termType = terms[k + 1]->type;
        const std::string_view o = t_.Text(ops[k]);
        const bool numeric = (accType == ValueType::Numeric || accType == ValueType::Money) &&
                             (termType == ValueType::Numeric || termType == ValueType::Money);
        auto two = [&](std::string_view pattern) {
            return Expand(pattern, [&](std::string_view key) { return key == "1" ? acc : term; });
        };
        const bool texts = accType == ValueType::Text && termType == ValueType::Text;
        if (o == "+" && numeric) {
            acc += " + " + term;
        } else if (o == "+" && texts) {
            acc = two(r_.concatPattern);
        } else if (o == "+") {
            acc = two(r_.addPattern);
        } else if (o == "-") {
            acc += " - " + term;
        } else if (o == "^" && !r_.xorPattern.empty()) {
            acc = two(r_.xorPattern);
        } else {
            // T-SQL ranks & | ^ with + and -, left to right; the backends rank them lower.
            acc = "(" + acc + " " + std::string(o) + " " + term + ")";
        }
        accType = numeric ? ValueType::Numeric : (o == "+" && texts ? ValueType::Text : ValueType::Unknown);
    }
    Emit(out, Space(n.first), acc);
}

// LEFT(column, n) = 'text' AND column >= 'text' AND column < bound, in parentheses so that a
// NOT before it still negates the whole.
void Printer::Prefix(std::string& out, const Node& n) {
    const std::string collation = r_.textCollation.empty() ? "" : " " + std::string(r_.textCollation);
    Emit(out, Space(n.first), "(");
    Print(out, n.kids[0]);
    Emit(out, true, "=");
    Print(out, n.kids[1]);
    std::string column = Alone(n.kids[0]->kids[0]);
    column.erase(0, column.find_first_not_of(' '));
    const std::string bound = Expand(r_.prefixUpperBound, [&](std::string_view) { return n.text; });
    out += " AND " + column + " >= " + n.text + collation + " AND " + column + " < " + bound + collation + ")";
}

void Printer::Like(std::string& out, const Node& n) {
    Print(out, n.kids[0]);
    if (!r_.likeCollation.empty()) Emit(out, true, r_.likeCollation);
    if (n.number == 2) {
        Emit(out, true, n.negated ? r_.notRegexOperator : r_.regexOperator);
        return Emit(out, true, n.text);
    }
    if (n.negated) Tok(out, n.op - 1);
    if (n.caseless && !r_.caselessLikeOperator.empty())
        Emit(out, true, r_.caselessLikeOperator);
    else if (r_.likeOperator.empty())
        Tok(out, n.op);
    else
        Emit(out, true, r_.likeOperator);
    if (n.number == 1) {
        Emit(out, true, n.text);
        return Generic(out, n, n.kids[1]->last);
    }
    Generic(out, n, n.kids[1]->first);
}

void Printer::Call(std::string& out, const Node& n) {
    const std::string_view display = t_.Text(n.op);
    const FunctionRule* rule = FindFunction(r_, Upper(display));
    if (!rule) Refuse(t_, n.op, "unknown function ", display);
    const int count = n.number;
    if (count < rule->minArgs || (rule->maxArgs >= 0 && count > rule->maxArgs))
        Refuse(t_, n.op, "wrong number of arguments (" + std::to_string(count) + ") for " + std::string(display));
    std::vector<std::string> args(static_cast<std::size_t>(count));
    const bool datePart = rule->pattern.find("$D1") != std::string_view::npos;
    for (std::size_t k = 0; k < args.size(); ++k) {
        if (k == 0 && datePart) {
            args[k] = DatePartArg(*n.kids[0]);
            continue;
        }
        if (k == 0 && n.alias != kNoToken) Tok(args[k], n.alias);
        Print(args[k], n.kids[k]);
    }
    std::string all;
    const std::string text = Expand(rule->pattern, [&](std::string_view key) -> std::string_view {
        if (key == "*") {
            for (std::size_t k = 0; k < args.size(); ++k) all += (k ? ", " : "") + args[k];
            return all;
        }
        return args[static_cast<std::size_t>(key.back() - '1')];
    });
    Emit(out, Space(n.op), text);
    if (n.kids.size() > args.size()) Print(out, n.kids.back());  // OVER (...)
}

std::string Printer::DatePartArg(const Node& arg) const {
    if (arg.kind == Nk::Name && arg.parts.size() == 1 && !arg.star &&
        t_.tokens[arg.first].kind != Tk::DQuoted) {
        const std::string word = Unquoted(t_, arg.first);
        for (const auto& part : kDateParts)
            for (auto name : part.names)
                if (!name.empty() && SameWord(name, word)) return "'" + std::string(part.canonical) + "'";
    }
    Refuse(t_, arg.first, "cannot translate the date part ", t_.Text(arg.first));
}

bool Printer::IsRowVersion(const Node& v) const {
    return !r_.rowVersionColumn.empty() && v.kind == Nk::Name && !v.star &&
           SameWord(Unquoted(t_, v.parts.back()), r_.rowVersionColumn);
}

// CONVERT(type, value[, style]) and CAST(value AS type).
void Printer::Convert(std::string& out, const Node& n) {
    const auto result = static_cast<ValueType>(n.number);
    const Node& valueNode = *n.kids[0];
    const bool styled = n.kids.size() > 1;
    std::string value;
    ValueType source = valueNode.type;
    if (result == ValueType::Money && IsRowVersion(valueNode)) {
        const std::string column = Alone(&valueNode);
        value = Expand(r_.rowVersionMoneyPattern, [&](std::string_view) { return column; });
        source = ValueType::Money;
        if (!styled) return Emit(out, Space(n.op), value);
    } else {
        value = Alone(&valueNode);
    }
    if (!styled && result != ValueType::Text) {
        const std::string base = n.text.substr(0, n.text.find('('));
        for (const auto& cast : r_.casts) {
            if (cast.type != base) continue;
            const std::string length = n.text.substr(base.size());
            return Emit(out, Space(n.op), Expand(cast.pattern, [&](std::string_view key) {
                            return key == "X" ? std::string_view(value) : std::string_view(length);
                        }));
        }
    }
    const std::string style = styled ? Alone(n.kids[1]) : std::string();
    // value, style, source type; trailing NULLs left out.
    std::string rest = value;
    if (source == ValueType::Money)
        rest += ", " + (style.empty() ? std::string("NULL") : style) + ", 'money'";
    else if (!style.empty())
        rest += ", " + style;
    const std::string type = "'" + n.text + "'";
    Emit(out, Space(n.op), Expand(r_.convertPattern, [&](std::string_view key) {
             return key == "T" ? std::string_view(type) : std::string_view(rest);
         }));
}

}  // namespace platform::db::dialect::printing
