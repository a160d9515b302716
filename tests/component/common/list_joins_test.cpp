#include "common/list_joins.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <vector>

namespace sovrel {
namespace {

// The names the joins bring in, in their order: the table's alias, or the table where it has none.
// (Each join's text is checked where it runs, by the list's queries on both backends.)
std::string JoinedNames(const std::string& joins) {
    std::istringstream words(joins);
    std::vector<std::string> w{std::istream_iterator<std::string>(words), {}};
    std::string names;
    for (std::size_t i = 0; i + 3 < w.size(); ++i) {
        if (w[i] != "Left" || w[i + 1] != "join") continue;
        names += (names.empty() ? "" : " ") + (w[i + 3] == "on" ? w[i + 2] : w[i + 3]);
    }
    return names;
}

TEST(BuildListJoins, AddsEachNamedJoinOnceInItsFixedOrder) {
    const struct {
        const char* select;
        std::string joins;
    } cases[] = {
        {"Ven_Contact.cContactCode,Ven_Contact.cContactName", ""},
        {"vendor.cVenName,Person3.cPersonName as cprincipalname", "vendor Person3"},
        {"Person3.cPersonName as cprincipalname,vendor.cVenName", "vendor Person3"},
        {"VENDOR.CVENNAME", "vendor"},
        {"Person.cPersonName,Person.cPersonName as p2", "Person"},
        {"Contact1.cContactName as cSuperiorName", "Contact1"},
        {"BaseCodeMarriage.cName,BaseCodeTaste.cName,BaseCodeSex.cName,Person.cPersonName,"
         "BaseCodeDuty.cName,Contact1.cContactName,vendor.cVenName,Person3.cPersonName as cPrincipalName",
         "vendor Contact1 BaseCodeDuty Person BaseCodeSex BaseCodeTaste BaseCodeMarriage Person3"},
        // A base-code name of one kind does not bring in the others.
        {"BaseCodeSex.cName", "BaseCodeSex"},
    };
    for (const auto& c : cases) EXPECT_EQ(JoinedNames(BuildListJoins(c.select)), c.joins) << c.select;
}

TEST(BuildListJoins, ATableTheConditionsQualifyIsJoinedWhateverTheColumns) {
    const struct {
        const char* select;
        const char* conditions;
        const char* joins;
    } cases[] = {
        {"Ven_Contact.cContactCode", "(vendor.iId in (5,7))", "vendor"},
        {"vendor.cVenName", "(vendor.iId in (5))", "vendor"},  // once
        {"Ven_Contact.cContactCode", "Person3.cPersonName ASC", "Person3"},
        {"Ven_Contact.cContactCode", "(1=1) AND BaseCodeSex.cName = N'x'", "BaseCodeSex"},
        // Names that only end in an alias, or a column that happens to be called like one.
        {"Ven_Contact.cContactCode", "(1=1) AND myvendor.x = 1 AND Ven_Contact.vendor = 2", ""},
        {"Ven_Contact.cContactCode", "(1=1) AND Ven_Contact.cVenCode = 'V01'", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(JoinedNames(BuildListJoins(c.select, c.conditions)), c.joins) << c.conditions;
}

}  // namespace
}  // namespace sovrel
