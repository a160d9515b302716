#pragma once
// What one backend's SQL looks like, as data: the translator is the same for every backend and
// reads all differences from a Rules value.
#include <cstdint>
#include <span>
#include <string_view>

namespace platform::db::dialect {

// What an expression is known to give, as far as the text alone shows.
enum class ValueType : std::uint8_t { Unknown, Numeric, Money, Text };

// A T-SQL function and the backend's form of it. `pattern` is the output with placeholders:
// $1..$9 the translated arguments, $* all of them joined by ", ", $D1 the first argument read as
// a date part (day, dd, month, ...) and written as a quoted canonical name ('day').
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

    // The divisor of / and % ($1), for a backend that gives NULL where SQL Server raises
    // "Divide by zero" ("" when the backend raises it itself).
    std::string_view divisorPattern;
    // The level of a row of a recursive common table expression, checked against the limit:
    // $1 the level, $2 the limit (0: none). Raises SQL Server's "maximum recursion" error.
    std::string_view recursionLevelPattern;
    // T-SQL's + where the operand types are not known from the text: $1 and $2 the operands.
    std::string_view addPattern;
    // + between two operands known to be text.
    std::string_view concatPattern;
    // CONVERT / CAST: $T the target type as a quoted lower-case T-SQL type name ('varchar(30)'),
    // $X the value, $S the style (NULL when none), $F the source type when the text shows it
    // ('money'), else NULL.
    std::string_view convertPattern;
    // Conversions to non-text types that the backend writes its own way (checked before
    // convertPattern); empty: convertPattern does every conversion.
    std::span<const CastRule> casts;
    // The row version read as money (SQL Server reads the 8-byte counter as money).
    std::string_view rowVersionColumn;
    std::string_view rowVersionMoneyPattern;  // $1: the column

    std::string_view lastInsertId;  // @@IDENTITY
    std::string_view rowCount;      // @@ROWCOUNT ("" when the backend has none)
    std::string_view now;           // CURRENT_TIMESTAMP

    // Positional parameters: the prefix before the 1-based number ("?" gives ?1, "$" gives $1).
    std::string_view parameterPrefix;
    // The query that evaluates an IF condition: $C the condition.
    std::string_view conditionQuery;
};

}  // namespace platform::db::dialect
