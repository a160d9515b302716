#pragma once
// T-SQL functions whose standard SQL form every backend accepts as it is.
#include <array>

#include "dialect/rules.h"

namespace platform::db::dialect {

// Sorted by name.
inline constexpr std::array kBaselineFunctions{
    FunctionRule{"ABS", 1, 1, "abs($1)", ValueType::Numeric},
    FunctionRule{"AVG", 1, 1, "avg($1)", ValueType::Numeric},
    FunctionRule{"COALESCE", 2, -1, "coalesce($*)", ValueType::Unknown},
    FunctionRule{"COUNT", 1, 1, "count($1)", ValueType::Numeric},
    FunctionRule{"COUNT_BIG", 1, 1, "count($1)", ValueType::Numeric},
    FunctionRule{"DENSE_RANK", 0, 0, "dense_rank()", ValueType::Numeric},
    FunctionRule{"LTRIM", 1, 2, "ltrim($*)", ValueType::Text},
    FunctionRule{"MAX", 1, 1, "max($1)", ValueType::Unknown},
    FunctionRule{"MIN", 1, 1, "min($1)", ValueType::Unknown},
    FunctionRule{"NULLIF", 2, 2, "nullif($1, $2)", ValueType::Unknown},
    FunctionRule{"RANK", 0, 0, "rank()", ValueType::Numeric},
    FunctionRule{"ROW_NUMBER", 0, 0, "row_number()", ValueType::Numeric},
    FunctionRule{"RTRIM", 1, 2, "rtrim($*)", ValueType::Text},
    FunctionRule{"SUM", 1, 1, "sum($1)", ValueType::Unknown},
    FunctionRule{"TRIM", 1, 1, "trim($1)", ValueType::Text},
};
static_assert(FunctionTableProblem(kBaselineFunctions).empty(), "the baseline function table is malformed");

}  // namespace platform::db::dialect
