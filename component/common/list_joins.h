#pragma once
#include <string>

namespace sovrel {

// The join clauses the list query needs for the display columns that selectList names (the
// search ignores case), each at most once and in a fixed order, whatever the order of the
// select list; "" when it names none. The list puts them after "FROM Ven_Contact ".
std::string BuildListJoins(const std::string& selectList);

}  // namespace sovrel
