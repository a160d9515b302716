// The checks the compiler runs over every rule table, run here on tables that break one rule each.
#include <gtest/gtest.h>

#include <array>
#include <string_view>
#include <vector>

#include "dialect/rules.h"

using platform::db::dialect::FunctionRule;
using platform::db::dialect::FunctionTableProblem;
using platform::db::dialect::PatternProblem;
using platform::db::dialect::Rules;
using platform::db::dialect::RulesProblem;
using V = platform::db::dialect::ValueType;

namespace {

TEST(RulesCheck, FunctionTablesMustBeSortedSaneAndWriteEveryArgument) {
    struct Case {
        std::vector<FunctionRule> table;
        bool ok;
    };
    const FunctionRule abs{"ABS", 1, 1, "abs($1)", V::Numeric};
    const Case cases[] = {
        {{abs, {"COALESCE", 2, -1, "coalesce($*)", V::Unknown}, {"DATEADD", 3, 3, "f($D1, $2, $3)", V::Unknown}}, true},
        {{{"NOW", 0, 0, "now()", V::Unknown}, abs}, false},               // not sorted
        {{abs, abs}, false},                                               // a name twice
        {{{"abs", 1, 1, "abs($1)", V::Numeric}}, false},                   // not upper case
        {{{"F", 2, 1, "f($1, $2)", V::Unknown}}, false},                   // max below min
        {{{"F", -1, 1, "f($*)", V::Unknown}}, false},                      // negative count
        {{{"F", 1, -2, "f($*)", V::Unknown}}, false},                      // below "no limit"
        {{{"F", 10, 10, "f($*)", V::Unknown}}, false},                     // more than nine
        {{{"F", 1, 10, "f($*)", V::Unknown}}, false},
        {{{"F", 1, 2, "f($1, $2)", V::Unknown}}, false},                   // $2 a call may lack
        {{{"F", 2, 2, "f($1)", V::Unknown}}, false},                       // the second argument dropped
        {{{"F", 1, -1, "f($1)", V::Unknown}}, false},                      // no limit without $*
        {{{"F", 1, 1, "f($X)", V::Unknown}}, false},                       // unknown placeholder
        {{{"F", 1, 1, "f($1) $", V::Unknown}}, false},                     // a lone $
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.table.front().name);
        SCOPED_TRACE(c.table.front().pattern);
        EXPECT_EQ(FunctionTableProblem(c.table).empty(), c.ok) << FunctionTableProblem(c.table);
    }
}

TEST(RulesCheck, EachPatternFieldTakesOnlyItsOwnPlaceholders) {
    EXPECT_EQ(PatternProblem("sv_convert($T, $A)", "T A", "T A"), "");
    EXPECT_NE(PatternProblem("sv_convert($T, $X)", "T A", "T A"), "");  // a key another field knows
    EXPECT_NE(PatternProblem("sv_convert($T)", "T A", "T A"), "");      // the value would be lost
    EXPECT_NE(PatternProblem("x $D", "D1"), "");

    constexpr auto valid = [] {
        Rules r;
        r.parameterPrefix = "?";
        r.conditionQuery = "SELECT $C";
        r.convertPattern = "cv($T, $A)";
        r.addPattern = "add($1, $2)";
        r.concatPattern = "($1 || $2)";
        return r;
    };
    EXPECT_EQ(RulesProblem(valid()), "");
    auto broken = [&](auto change) {
        Rules r = valid();
        change(r);
        return RulesProblem(r);
    };
    EXPECT_NE(broken([](Rules& r) { r.prefixUpperBound = "'x' || char(65535)"; }), "");  // no $1
    EXPECT_NE(broken([](Rules& r) { r.divisorPattern = "div($2)"; }), "");
    EXPECT_NE(broken([](Rules& r) { r.conditionQuery = "SELECT $1"; }), "");
    EXPECT_NE(broken([](Rules& r) { r.now = "$1"; }), "");
    EXPECT_NE(broken([](Rules& r) { r.rewriteLikePatterns = true; }), "");
    using platform::db::dialect::CastRule;
    static constexpr std::array casts{CastRule{"int", "cast($X as $T)"}};
    static constexpr std::array twice{CastRule{"int", "cast($X as int)"}, CastRule{"int", "cast($X as integer)"}};
    static constexpr std::array upper{CastRule{"Aint", "cast($X as int)"}};
    static constexpr std::array good{CastRule{"int", "cast($X as int)"}, CastRule{"zint", "cast($X as int)"}};
    EXPECT_NE(broken([](Rules& r) { r.casts = casts; }), "");
    EXPECT_EQ(broken([](Rules& r) { r.casts = twice; }), "a cast type listed twice");
    EXPECT_EQ(broken([](Rules& r) { r.casts = upper; }), "a cast type not in lower case");
    EXPECT_EQ(broken([](Rules& r) { r.casts = good; }), "");
}

}  // namespace
