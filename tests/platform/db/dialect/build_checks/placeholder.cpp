// Compiled by the tests twice: as it is, and with BAD_PLACEHOLDER, which must not compile.
#include "dialect/rules.h"

namespace {
using namespace platform::db::dialect;

constexpr Rules kRules = [] {
    Rules r;
    r.parameterPrefix = "?";
    r.conditionQuery = "SELECT $C";
    r.addPattern = "add($1, $2)";
    r.concatPattern = "($1 || $2)";
#ifdef BAD_PLACEHOLDER
    r.convertPattern = "cv($T, $X)";
#else
    r.convertPattern = "cv($T, $A)";
#endif
    return r;
}();
static_assert(RulesProblem(kRules).empty(), "malformed rules");
}  // namespace
