#pragma once
// The backend's SQL for a parsed and rewritten batch.
#include <string_view>
#include <vector>

#include "dialect/rules.h"
#include "dialect/syntax.h"
#include "platform/db/dialect.h"

namespace platform::db::dialect {

std::vector<Step> Print(const Rules& rules, const Tree& tree);

}  // namespace platform::db::dialect
