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

// A backend's dialect is its name and its rules; the translation is the same for all.
class RuleDialect final : public Dialect {
public:
    constexpr RuleDialect(std::string_view name, const Rules& rules) : name_(name), rules_(rules) {}
    std::string_view Name() const override { return name_; }
    std::vector<Step> Translate(std::string_view tsql) const override { return dialect::Translate(rules_, tsql); }

private:
    std::string_view name_;
    const Rules& rules_;
};

}  // namespace platform::db::dialect
