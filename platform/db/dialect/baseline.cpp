#include "dialect/baseline.h"

#include <array>

namespace platform::db::dialect {

namespace {
using V = ValueType;
// Sorted by name.
constexpr std::array kBaseline{
    FunctionRule{"ABS", 1, 1, "abs($1)", V::Numeric},
    FunctionRule{"AVG", 1, 1, "avg($1)", V::Numeric},
    FunctionRule{"COALESCE", 2, -1, "coalesce($*)", V::Unknown},
    FunctionRule{"COUNT", 1, 1, "count($1)", V::Numeric},
    FunctionRule{"COUNT_BIG", 1, 1, "count($1)", V::Numeric},
    FunctionRule{"DENSE_RANK", 0, 0, "dense_rank()", V::Numeric},
    FunctionRule{"LTRIM", 1, 2, "ltrim($*)", V::Text},
    FunctionRule{"MAX", 1, 1, "max($1)", V::Unknown},
    FunctionRule{"MIN", 1, 1, "min($1)", V::Unknown},
    FunctionRule{"NULLIF", 2, 2, "nullif($1, $2)", V::Unknown},
    FunctionRule{"RANK", 0, 0, "rank()", V::Numeric},
    FunctionRule{"ROW_NUMBER", 0, 0, "row_number()", V::Numeric},
    FunctionRule{"RTRIM", 1, 2, "rtrim($*)", V::Text},
    FunctionRule{"SUM", 1, 1, "sum($1)", V::Unknown},
    FunctionRule{"TRIM", 1, 1, "trim($1)", V::Text},
};
}  // namespace

std::span<const FunctionRule> BaselineFunctions() { return kBaseline; }

}  // namespace platform::db::dialect
