#pragma once
// T-SQL functions whose standard SQL form every backend accepts as it is.
#include <span>

#include "dialect/rules.h"

namespace platform::db::dialect {

std::span<const FunctionRule> BaselineFunctions();

}  // namespace platform::db::dialect
