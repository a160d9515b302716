// SQLite's rule table. Whatever SQLite lacks is provided by the sv_ functions that
// RegisterSqlServerFunctions installs on every connection (sqlite/functions.cpp).
#include <array>
#include <string_view>

#include "dialect/backends.h"
#include "dialect/baseline.h"
#include "dialect/translator.h"
#include "platform/db/dialect.h"

namespace platform::db {

namespace {

using dialect::FunctionRule;
using V = dialect::ValueType;

// Sorted by name.
constexpr std::array kFunctions{
    FunctionRule{"ASCII", 1, 1, "unicode($1)", V::Numeric},
    FunctionRule{"CEILING", 1, 1, "sv_ceiling($1)", V::Numeric},
    FunctionRule{"CHAR", 1, 1, "char($1)", V::Text},
    FunctionRule{"CHARINDEX", 2, 3, "sv_charindex($*)", V::Numeric},
    FunctionRule{"DATALENGTH", 1, 1, "sv_datalength($1)", V::Numeric},
    FunctionRule{"DATEADD", 3, 3, "sv_dateadd($D1, $2, $3)", V::Unknown},
    FunctionRule{"DATEDIFF", 3, 3, "sv_datediff($D1, $2, $3)", V::Numeric},
    FunctionRule{"DATEPART", 2, 2, "sv_datepart($D1, $2)", V::Numeric},
    FunctionRule{"DAY", 1, 1, "sv_datepart('day', $1)", V::Numeric},
    FunctionRule{"FLOOR", 1, 1, "sv_floor($1)", V::Numeric},
    FunctionRule{"GETDATE", 0, 0, "sv_getdate()", V::Unknown},
    FunctionRule{"IIF", 3, 3, "iif($1, $2, $3)", V::Unknown},
    FunctionRule{"ISNULL", 2, 2, "ifnull($1, $2)", V::Unknown},
    FunctionRule{"ISNUMERIC", 1, 1, "sv_isnumeric($1)", V::Numeric},
    FunctionRule{"LEFT", 2, 2, "sv_left($1, $2)", V::Text},
    FunctionRule{"LEN", 1, 1, "sv_len($1)", V::Numeric},
    FunctionRule{"LOWER", 1, 1, "sv_lower($1)", V::Text},
    FunctionRule{"MONTH", 1, 1, "sv_datepart('month', $1)", V::Numeric},
    FunctionRule{"NCHAR", 1, 1, "char($1)", V::Text},
    FunctionRule{"NEWID", 0, 0, "sv_newid()", V::Text},
    FunctionRule{"REPLACE", 3, 3, "sv_replace($1, $2, $3)", V::Text},
    FunctionRule{"REPLICATE", 2, 2, "sv_replicate($1, $2)", V::Text},
    FunctionRule{"REVERSE", 1, 1, "sv_reverse($1)", V::Text},
    FunctionRule{"RIGHT", 2, 2, "sv_right($1, $2)", V::Text},
    FunctionRule{"ROUND", 2, 3, "sv_round($*)", V::Numeric},
    FunctionRule{"SCOPE_IDENTITY", 0, 0, "last_insert_rowid()", V::Numeric},
    FunctionRule{"SPACE", 1, 1, "sv_space($1)", V::Text},
    FunctionRule{"SUBSTRING", 3, 3, "sv_substring($1, $2, $3)", V::Text},
    FunctionRule{"SYSDATETIME", 0, 0, "sv_getdate()", V::Unknown},
    FunctionRule{"UNICODE", 1, 1, "unicode($1)", V::Numeric},
    FunctionRule{"UPPER", 1, 1, "sv_upper($1)", V::Text},
    FunctionRule{"YEAR", 1, 1, "sv_datepart('year', $1)", V::Numeric},
};

constexpr std::string_view kCollate = "COLLATE SOVREL_CI";
static_assert(kCollate.substr(8) == kSqliteTextCollation);

constexpr dialect::Rules kSqliteRules = [] {
    dialect::Rules r;
    r.name = "SQLite";
    r.functions = kFunctions;
    r.baseline = dialect::kBaselineFunctions;
    r.textCollation = kCollate;
    r.caseInsensitiveCollation = kSqliteTextCollation;
    r.binaryCollation = "BINARY";
    // U+FFFF has the highest primary weight of the account's collation.
    r.prefixUpperBound = "$1 || char(65535)";
    r.divisorPattern = "sv_divisor($1)";
    r.xorPattern = "((($1) | ($2)) - (($1) & ($2)))";  // SQLite has no exclusive or
    r.rowVersionMoneyPattern = "sv_rowversion_money($1)";
    r.lastInsertId = "last_insert_rowid()";
    r.rowCount = "changes()";
    r.now = "sv_getdate()";
    r.parameterPrefix = "?";
    return r;
}();
static_assert(dialect::RulesProblem(kSqliteRules).empty(), "SQLite's rules are malformed");

}  // namespace

const dialect::Rules& dialect::SqliteRules() { return kSqliteRules; }

const Dialect& SqliteDialect() {
    static const dialect::RuleDialect dialect("SQLite", kSqliteRules);
    return dialect;
}

}  // namespace platform::db
