#pragma once
// The T-SQL translator shared by every backend: tokens, statement structure and expression
// rewrites here; the backend's forms come from its Rules.
#include <string>
#include <string_view>
#include <vector>

#include "dialect/rules.h"
#include "platform/db/dialect.h"

namespace platform::db::dialect {

// Translates a T-SQL batch into the backend's steps. Throws platform::Error(CannotTranslate)
// naming the construct and its character position.
std::vector<Step> Translate(const Rules& rules, std::string_view tsql);

struct Token;
// A name token's text without its quotes: [a]]b] and "a""b" become a]b and a"b.
std::string UnquotedName(const Token& t, std::string_view text);

}  // namespace platform::db::dialect
