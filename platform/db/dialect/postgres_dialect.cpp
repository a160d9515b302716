// PostgreSQL's rule table. Most T-SQL functions have a native form; the rest are the sv_
// functions that every database this layer creates holds (postgres/support.sql).
#include <array>

#include "dialect/backends.h"
#include "dialect/baseline.h"
#include "dialect/translator.h"
#include "platform/db/dialect.h"

namespace platform::db {

namespace {

using dialect::CastRule;
using dialect::FunctionRule;
using V = dialect::ValueType;

// Sorted by name.
constexpr std::array kFunctions{
    FunctionRule{"ASCII", 1, 1, "ascii($1)", V::Numeric},
    FunctionRule{"CEILING", 1, 1, "ceiling($1)", V::Numeric},
    FunctionRule{"CHAR", 1, 1, "chr($1)", V::Text},
    FunctionRule{"CHARINDEX", 2, 3, "sv_charindex($*)", V::Numeric},
    FunctionRule{"DATALENGTH", 1, 1, "sv_datalength($1)", V::Numeric},
    FunctionRule{"DATEADD", 3, 3, "sv_dateadd($D1, $2, $3)", V::Unknown},
    FunctionRule{"DATEDIFF", 3, 3, "sv_datediff($D1, $2, $3)", V::Numeric},
    FunctionRule{"DATEPART", 2, 2, "sv_datepart($D1, $2)", V::Numeric},
    FunctionRule{"DAY", 1, 1, "sv_datepart('day', $1)", V::Numeric},
    FunctionRule{"FLOOR", 1, 1, "floor($1)", V::Numeric},
    FunctionRule{"GETDATE", 0, 0, "localtimestamp(0)", V::Unknown},
    FunctionRule{"IIF", 3, 3, "CASE WHEN $1 THEN $2 ELSE $3 END", V::Unknown},
    FunctionRule{"ISNULL", 2, 2, "coalesce($1, $2)", V::Unknown},
    FunctionRule{"ISNUMERIC", 1, 1, "sv_isnumeric($1)", V::Numeric},
    FunctionRule{"LEFT", 2, 2, "left(($1)::text, $2)", V::Text},
    FunctionRule{"LEN", 1, 1, "length(rtrim(($1)::text))", V::Numeric},
    FunctionRule{"LOWER", 1, 1, "lower($1)", V::Text},
    FunctionRule{"MONTH", 1, 1, "sv_datepart('month', $1)", V::Numeric},
    FunctionRule{"NCHAR", 1, 1, "chr($1)", V::Text},
    FunctionRule{"NEWID", 0, 0, "upper(gen_random_uuid()::text)", V::Text},
    FunctionRule{"REPLACE", 3, 3, "sv_replace($1, $2, $3)", V::Text},
    FunctionRule{"REPLICATE", 2, 2, "sv_replicate($1, $2)", V::Text},
    FunctionRule{"REVERSE", 1, 1, "reverse($1)", V::Text},
    FunctionRule{"RIGHT", 2, 2, "right(($1)::text, $2)", V::Text},
    FunctionRule{"ROUND", 2, 3, "sv_round($*)", V::Numeric},
    FunctionRule{"SCOPE_IDENTITY", 0, 0, "lastval()", V::Numeric},
    FunctionRule{"SPACE", 1, 1, "sv_space($1)", V::Text},
    FunctionRule{"SUBSTRING", 3, 3, "substring(($1)::text from $2 for $3)", V::Text},
    FunctionRule{"SYSDATETIME", 0, 0, "localtimestamp", V::Unknown},
    FunctionRule{"UNICODE", 1, 1, "ascii($1)", V::Numeric},
    FunctionRule{"UPPER", 1, 1, "upper($1)", V::Text},
    FunctionRule{"YEAR", 1, 1, "sv_datepart('year', $1)", V::Numeric},
};

// Numbers and dates convert natively; SQL Server truncates a fraction converted to an integer.
constexpr std::array kCasts{
    CastRule{"bigint", "trunc(($X)::numeric)::bigint"},
    CastRule{"bit", "sv_bit($X)"},
    CastRule{"date", "(($X)::timestamp)::date"},
    CastRule{"datetime", "sv_datetime($X)"},
    CastRule{"datetime2", "(($X)::timestamp)"},
    CastRule{"decimal", "(($X)::numeric$L)"},
    CastRule{"float", "(($X)::float8)"},
    CastRule{"int", "trunc(($X)::numeric)::integer"},
    CastRule{"money", "sv_money(($X)::numeric)"},
    CastRule{"numeric", "(($X)::numeric$L)"},
    CastRule{"real", "(($X)::float4)"},
    CastRule{"smalldatetime", "(($X)::timestamp(0))"},
    CastRule{"smallint", "trunc(($X)::numeric)::smallint"},
    CastRule{"smallmoney", "(($X)::numeric(10,4))"},
    CastRule{"tinyint", "trunc(($X)::numeric)::smallint"},
};

constexpr dialect::Rules kPostgresRules = [] {
    dialect::Rules r;
    r.name = "PostgreSQL";
    r.functions = kFunctions;
    r.baseline = dialect::kBaselineFunctions;
    r.textCollation = "COLLATE tsql_ci";
    r.parenthesizeCollated = true;
    r.caseInsensitiveCollation = "tsql_ci";
    r.binaryCollation = "\"C\"";
    // The case-insensitive collation is nondeterministic, which LIKE refuses; ILIKE under
    // a deterministic Unicode collation matches as SQL Server's LIKE does.
    r.trimComparedLiterals = true;
    r.likeOperator = "ILIKE";
    r.likeCollation = "COLLATE \"und-x-icu\"";
    // ILIKE lowers both sides through ICU, most of a short search's time on every row.
    r.caselessLikeOperator = "LIKE";
    r.rewriteLikePatterns = true;
    r.regexOperator = "~*";
    r.notRegexOperator = "!~*";
    r.lowerCaseQuotedNames = true;
    r.xorPattern = "(($1) # ($2))";  // PostgreSQL's ^ raises to a power
    r.casts = kCasts;
    r.rowVersionMoneyPattern = "(($1)::numeric / 10000)";
    r.lastInsertId = "lastval()";
    r.rowCount = "";
    r.now = "localtimestamp(3)";
    r.parameterPrefix = "$";
    return r;
}();
static_assert(dialect::RulesProblem(kPostgresRules).empty(), "PostgreSQL's rules are malformed");

}  // namespace

const dialect::Rules& dialect::PostgresRules() { return kPostgresRules; }

const Dialect& PostgresDialect() {
    static const dialect::RuleDialect dialect("PostgreSQL", kPostgresRules);
    return dialect;
}

}  // namespace platform::db
