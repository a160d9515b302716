#pragma once
// The T-SQL translation shared by every backend: the batch is parsed into a tree (parser.h),
// typed and rewritten (rewrites.h) and printed (printer.h); the backend's forms come from its
// Rules.
#include <string_view>
#include <vector>

#include "dialect/rules.h"
#include "platform/db/dialect.h"

namespace platform::db::dialect {

// Translates a T-SQL batch into the backend's steps. Throws platform::Error(CannotTranslate)
// naming the construct and its character position; a statement is translated whole or not at all.
std::vector<Step> Translate(const Rules& rules, std::string_view tsql);

}  // namespace platform::db::dialect
