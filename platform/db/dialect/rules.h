#pragma once
// What one backend's SQL looks like, as data: the translator is the same for every backend and
// reads all differences from a Rules value.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

namespace platform::db::dialect {

// What an expression is known to give, as far as the text alone shows.
enum class ValueType : std::uint8_t { Unknown, Numeric, Money, Text };

// Patterns are the backend's text with placeholders: '$' and one character, or "$D" and one
// digit. Each pattern below lists the placeholders it may hold; any other is a build error
// (RulesProblem, checked by a static_assert beside every table).

// A T-SQL function and the backend's form of it. `pattern` is the output with placeholders:
// $1..$9 the translated arguments, $* all of them joined by ", ", $D1 the first argument read as
// a date part (day, dd, month, ...) and written as a quoted canonical name ('day'). A pattern
// without $* names every argument a call may have, and only arguments every call has.
struct FunctionRule {
    std::string_view name;  // T-SQL name, upper case
    int minArgs;
    int maxArgs;            // -1: no limit
    std::string_view pattern;
    ValueType result;
};

// A T-SQL type CONVERT / CAST turns a value into, and the backend's form of that conversion:
// $X the translated value, $L the length or precision as written ("(18,2)", "" when none).
// Text targets are not listed: they go through convertPattern, which knows the styles.
struct CastRule {
    std::string_view type;  // T-SQL type name, lower case
    std::string_view pattern;
};

struct Rules {
    std::string_view name;
    // Looked up first, then the shared baseline; both sorted by name.
    std::span<const FunctionRule> functions;
    std::span<const FunctionRule> baseline;

    // Appended to a text operand of a comparison so that it compares as SQL Server's default
    // collation does ("" when the backend's own comparison already does).
    std::string_view textCollation;
    // The operand and its collation are put in parentheses, for a grammar that takes COLLATE
    // only in some places (PostgreSQL's BETWEEN bounds).
    bool parenthesizeCollated = false;
    // The backend's name for a collation the source names: case-insensitive ones, and binary.
    std::string_view caseInsensitiveCollation;
    std::string_view binaryCollation;
    // Trailing spaces of a text literal compared with = < > ... are dropped, for a backend whose
    // comparison does not pad the shorter text with spaces as SQL Server does.
    bool trimComparedLiterals = false;
    // LIKE: the operator written for it ("" keeps the source's word), and a collation put on its
    // left operand ("" none) for a backend whose case-insensitive collation LIKE cannot use.
    std::string_view likeOperator;
    std::string_view likeCollation;
    // LIKE with a literal pattern of characters that have no case (platform::text::Caseless) and
    // %: the operator of a match byte for byte under likeCollation, which finds the same rows
    // without lowering each text ("" keeps likeOperator).
    std::string_view caselessLikeOperator;
    // The backend's LIKE takes backslash as its escape and knows no [sets]: a literal pattern is
    // rewritten to mean what T-SQL means ([%] a percent sign, [a-c] a set), with regexOperator
    // (and notRegexOperator) where only a regular expression can say it.
    bool rewriteLikePatterns = false;
    std::string_view regexOperator;
    std::string_view notRegexOperator;
    // LEFT(column, n) = 'text' also gets the range column >= 'text' AND column < upper bound, so
    // that an index on the column finds the rows ("" for none). $1: the text literal. The bound
    // must sort after every text that starts with the literal under the column's collation.
    std::string_view prefixUpperBound;
    // Quoted and [bracketed] names are written in lower case, for a backend that folds unquoted
    // names to lower case (so that both spellings reach the same table and column).
    bool lowerCaseQuotedNames = false;

    // The defaults below name the sv_ functions that every database this layer creates holds.

    // The divisor of / and % ($1), for a backend that gives NULL where SQL Server raises
    // "Divide by zero" ("" when the backend raises it itself).
    std::string_view divisorPattern;
    // The level of a row of a recursive common table expression, checked against the limit:
    // $1 the level, $2 the limit (0: none). Raises SQL Server's "maximum recursion" error.
    std::string_view recursionLevelPattern = "sv_recursion_level($1, $2)";
    // T-SQL's + where the operand types are not known from the text: $1 and $2 the operands.
    std::string_view addPattern = "sv_add($1, $2)";
    // + between two operands known to be text.
    std::string_view concatPattern = "($1 || $2)";
    // T-SQL's ^ (exclusive or) of $1 and $2; empty: the backend's ^ is the same.
    std::string_view xorPattern;
    // CONVERT / CAST: $T the target type as a quoted lower-case T-SQL type name ('varchar(30)'),
    // $A the arguments after it: the value, then the style and the source type ('money') when
    // either is known, a style not given written NULL before a source type.
    std::string_view convertPattern = "sv_convert($T, $A)";
    // Conversions to non-text types that the backend writes its own way (checked before
    // convertPattern); empty: convertPattern does every conversion.
    std::span<const CastRule> casts;
    // The row version read as money (SQL Server reads the 8-byte counter as money).
    std::string_view rowVersionColumn = "tkts";
    std::string_view rowVersionMoneyPattern;  // $1: the column

    std::string_view lastInsertId;  // @@IDENTITY
    std::string_view rowCount;      // @@ROWCOUNT ("" when the backend has none)
    std::string_view now;           // CURRENT_TIMESTAMP

    // Positional parameters: the prefix before the 1-based number ("?" gives ?1, "$" gives $1).
    std::string_view parameterPrefix;
    // The query that evaluates an IF condition: $C the condition.
    std::string_view conditionQuery = "SELECT CASE WHEN $C THEN 1 ELSE 0 END";
};

// ---- checks of the tables, run by the compiler --------------------------------------------

// The placeholder starting at pattern[at] (a '$'): its key without the '$' ("1", "*", "D1"),
// or "" when the pattern ends before the key does.
constexpr std::string_view PlaceholderAt(std::string_view pattern, std::size_t at) {
    const std::size_t len = at + 1 < pattern.size() && pattern[at + 1] == 'D' ? 2 : 1;
    if (at + len >= pattern.size()) return {};
    return pattern.substr(at + 1, len);
}

// Whether `key` is one of the space-separated keys of `list` ("1 2 *").
constexpr bool ListsKey(std::string_view list, std::string_view key) {
    for (std::size_t b = 0; b < list.size();) {
        std::size_t e = list.find(' ', b);
        if (e == std::string_view::npos) e = list.size();
        if (list.substr(b, e - b) == key) return true;
        b = e + 1;
    }
    return false;
}

// What is wrong with a pattern that may hold the placeholders `known` and must hold those of
// `required` (space-separated keys; "" when nothing is wrong).
constexpr std::string_view PatternProblem(std::string_view pattern, std::string_view known,
                                          std::string_view required = {}) {
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '$') continue;
        const std::string_view key = PlaceholderAt(pattern, i);
        if (key.empty()) return "a pattern ends inside a placeholder";
        if (!ListsKey(known, key)) return "a pattern holds a placeholder its field does not know";
        i += key.size();
    }
    for (std::size_t b = 0; b < required.size();) {
        std::size_t e = required.find(' ', b);
        if (e == std::string_view::npos) e = required.size();
        bool found = false;
        for (std::size_t i = 0; i < pattern.size() && !found; ++i)
            found = pattern[i] == '$' && PlaceholderAt(pattern, i) == required.substr(b, e - b);
        if (!found) return "a pattern lacks a placeholder its field needs";
        b = e + 1;
    }
    return {};
}

// What is wrong with a function table ("" when nothing is): names upper case, sorted and each
// once; argument counts from 0 to 9; placeholders only for arguments every call has, and every
// argument a call may have written (or $*).
constexpr std::string_view FunctionTableProblem(std::span<const FunctionRule> table) {
    for (std::size_t i = 0; i < table.size(); ++i) {
        const FunctionRule& f = table[i];
        if (f.name.empty()) return "a function without a name";
        for (char c : f.name)
            if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'))
                return "a function name not in upper case";
        if (i > 0 && !(table[i - 1].name < f.name)) return "a function table not sorted by name, or a name twice";
        if (f.minArgs < 0 || f.minArgs > 9 || f.maxArgs < -1 || f.maxArgs > 9 ||
            (f.maxArgs >= 0 && f.maxArgs < f.minArgs))
            return "a function's argument counts are not 0 <= min <= max <= 9 (max -1: no limit)";
        if (auto p = PatternProblem(f.pattern, "1 2 3 4 5 6 7 8 9 * D1"); !p.empty())
            return p;
        bool all = false, used[10] = {};
        for (std::size_t k = 0; k < f.pattern.size(); ++k) {
            if (f.pattern[k] != '$') continue;
            const std::string_view key = PlaceholderAt(f.pattern, k);
            if (key == "*") all = true;
            else used[key.back() - '0'] = true;
            k += key.size();
        }
        for (int n = 1; n <= 9; ++n)
            if (used[n] && n > f.minArgs) return "a function's pattern names an argument a call may lack";
        if (!all) {
            if (f.maxArgs < 0) return "a function without an argument limit must write $*";
            for (int n = 1; n <= f.maxArgs; ++n)
                if (!used[n]) return "a function's pattern drops an argument";
        }
    }
    return {};
}

// What is wrong with a backend's rules ("" when nothing is).
constexpr std::string_view RulesProblem(const Rules& r) {
    for (auto table : {r.functions, r.baseline})
        if (auto p = FunctionTableProblem(table); !p.empty()) return p;
    for (std::size_t i = 0; i < r.casts.size(); ++i) {
        for (std::size_t k = 0; k < i; ++k)
            if (r.casts[k].type == r.casts[i].type) return "a cast type listed twice";
        for (char c : r.casts[i].type)
            if (c >= 'A' && c <= 'Z') return "a cast type not in lower case";
        if (auto p = PatternProblem(r.casts[i].pattern, "X L", "X"); !p.empty()) return p;
    }
    struct Field {
        std::string_view pattern, known, required;
    };
    const Field fields[] = {
        {r.prefixUpperBound, "1", "1"},     {r.divisorPattern, "1", "1"},
        {r.recursionLevelPattern, "1 2", "1"}, {r.addPattern, "1 2", "1 2"},
        {r.concatPattern, "1 2", "1 2"},    {r.xorPattern, "1 2", "1 2"},  {r.convertPattern, "T A", "T A"},
        {r.rowVersionMoneyPattern, "1", "1"}, {r.conditionQuery, "C", "C"},
    };
    for (const Field& f : fields)
        if (!f.pattern.empty())
            if (auto p = PatternProblem(f.pattern, f.known, f.required); !p.empty()) return p;
    // Texts written as they are hold no placeholders.
    for (std::string_view text : {r.textCollation, r.caseInsensitiveCollation, r.binaryCollation, r.likeOperator,
                                  r.likeCollation, r.caselessLikeOperator, r.regexOperator, r.notRegexOperator,
                                  r.rowVersionColumn, r.lastInsertId, r.rowCount, r.now})
        if (auto p = PatternProblem(text, ""); !p.empty()) return p;
    if (r.rewriteLikePatterns && (r.regexOperator.empty() || r.notRegexOperator.empty()))
        return "LIKE patterns rewritten without a regular-expression operator";
    if (r.parameterPrefix.empty()) return "no parameter prefix";
    if (r.conditionQuery.empty() || r.convertPattern.empty() || r.addPattern.empty() || r.concatPattern.empty())
        return "a pattern every backend needs is empty";
    return {};
}

}  // namespace platform::db::dialect
