#pragma once
#include <string>

namespace sovrel {

// The join clauses the list query needs for the display columns that selectList names (the
// search ignores case), each at most once and in a fixed order, whatever the order of the
// select list; "" when it names none. The list puts them after "FROM Ven_Contact ".
// With conditions: also the join of every table that conditions (the row-authority condition,
// the filter, the sort, ...) qualify a column with, such as "vendor.iId": a condition must
// find its table whatever columns are shown.
std::string BuildListJoins(const std::string& selectList, const std::string& conditions = "");

}  // namespace sovrel
