// The paged rowset's count leaves out the LEFT JOINs that only look a value up, and keeps every
// join the rows depend on.
#include <gtest/gtest.h>

#include <string>

#include "platform/db/dialect.h"

namespace {

using platform::db::PagingPlan;
using platform::db::PlanPaging;

std::string Names(const std::vector<PagingPlan::Lookup>& lookups) {
    std::string out;
    for (const auto& l : lookups) out += (out.empty() ? "" : ", ") + l.table + "." + l.column;
    return out;
}

TEST(PagingPlan, TheCountLeavesOutOnlyTheJoinsNothingButTheSelectListNames) {
    const struct {
        const char* sql;
        const char* countWithoutLookups;  // "" when every join stays
        const char* lookups;
        const char* joins;  // "" unless every join is a lookup
    } cases[] = {
        {"select a.cCode, v.cName from Ven_Contact a left join vendor v on v.cVenCode = a.cVenCode "
         "where a.cName like 'x%' order by a.cCode",
         "SELECT COUNT(*) FROM (SELECT TOP 2147483647 1 AS sv_one from Ven_Contact a where a.cName like 'x%') sv_count",
         "vendor.cVenCode", "vendor.cVenCode"},
        // A lookup whose table is named by the ON of another dropped lookup goes as well.
        {"select a.x, b.y, c.z from a left join b on b.id = a.bid left join c on c.id = b.cid where a.x = 1",
         "SELECT COUNT(*) FROM (SELECT TOP 2147483647 1 AS sv_one from a where a.x = 1) sv_count", "b.id, c.id",
         "b.id, c.id"},
        // The WHERE names c, whose ON names b: both stay.
        {"select a.x from a left join b on b.id = a.bid left join c on c.id = b.cid where c.z = 1", "", "",
         "b.id, c.id"},
        // A name without its table's may be any table's.
        {"select a.x from a left join b on b.id = a.bid where x = 1", "", "", "b.id"},
        // Not lookups: an inner join, a join on two columns of other tables, a table after a comma.
        {"select a.x from a join b on b.id = a.bid", "", "", ""},
        {"select a.x from a left join b on a.id = a.bid", "", "", ""},
        {"select a.x from a, b where a.id = b.id", "", "", ""},
    };
    for (const auto& c : cases) {
        const PagingPlan plan = PlanPaging(c.sql);
        EXPECT_EQ(plan.countWithoutLookups, c.countWithoutLookups) << c.sql;
        EXPECT_EQ(Names(plan.lookups), c.lookups) << c.sql;
        EXPECT_EQ(plan.onlyLookupJoins ? Names(plan.joins) : "", c.joins) << c.sql;
    }
}

}  // namespace
