#include "common/list_joins.h"

#include <gtest/gtest.h>

namespace sovrel {
namespace {

const std::string kVendor = " Left join vendor on vendor.cVenCode=Ven_Contact.cVenCode";
const std::string kSuperior = " Left join Ven_Contact Contact1 on Contact1.cContactCode=Ven_Contact.cSuperiorID";
const std::string kDuty = " Left join Crm_BaseCode BaseCodeDuty on BaseCodeDuty.ID=Ven_Contact.bcDutyID";
const std::string kPerson = " Left join Person on Person.cPersonCode=Ven_Contact.cPrincipal";
const std::string kSex = " Left join Crm_BaseCode BaseCodeSex on BaseCodeSex.ID=Ven_Contact.bcSexID";
const std::string kTaste = " Left join Crm_BaseCode BaseCodeTaste on BaseCodeTaste.ID=Ven_Contact.bcTasteID";
const std::string kMarriage =
    " Left join Crm_BaseCode BaseCodeMarriage on BaseCodeMarriage.ID=Ven_Contact.bcMarriageID";
const std::string kPerson3 = " Left join Person Person3 on Person3.cPersonCode=Ven_Contact.cprincipal ";

TEST(BuildListJoins, AddsEachNamedJoinOnceInItsFixedOrder) {
    const struct {
        const char* select;
        std::string joins;
    } cases[] = {
        {"Ven_Contact.cContactCode,Ven_Contact.cContactName", ""},
        {"vendor.cVenName,Person3.cPersonName as cprincipalname", kVendor + kPerson3},
        {"Person3.cPersonName as cprincipalname,vendor.cVenName", kVendor + kPerson3},
        {"VENDOR.CVENNAME", kVendor},
        {"Person.cPersonName,Person.cPersonName as p2", kPerson},
        {"Contact1.cContactName as cSuperiorName", kSuperior},
        {"BaseCodeMarriage.cName,BaseCodeTaste.cName,BaseCodeSex.cName,Person.cPersonName,"
         "BaseCodeDuty.cName,Contact1.cContactName,vendor.cVenName,Person3.cPersonName as cPrincipalName",
         kVendor + kSuperior + kDuty + kPerson + kSex + kTaste + kMarriage + kPerson3},
        // A base-code name of one kind does not bring in the others.
        {"BaseCodeSex.cName", kSex},
    };
    for (const auto& c : cases) EXPECT_EQ(BuildListJoins(c.select), c.joins) << c.select;
}

TEST(BuildListJoins, ATableTheConditionsQualifyIsJoinedWhateverTheColumns) {
    const struct {
        const char* select;
        const char* conditions;
        std::string joins;
    } cases[] = {
        {"Ven_Contact.cContactCode", "(vendor.iId in (5,7))", kVendor},
        {"vendor.cVenName", "(vendor.iId in (5))", kVendor},  // once
        {"Ven_Contact.cContactCode", "Person3.cPersonName ASC", kPerson3},
        {"Ven_Contact.cContactCode", "(1=1) AND BaseCodeSex.cName = N'x'", kSex},
        // Names that only end in an alias, or a column that happens to be called like one.
        {"Ven_Contact.cContactCode", "(1=1) AND myvendor.x = 1 AND Ven_Contact.vendor = 2", ""},
        {"Ven_Contact.cContactCode", "(1=1) AND Ven_Contact.cVenCode = 'V01'", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(BuildListJoins(c.select, c.conditions), c.joins) << c.conditions;
}

}  // namespace
}  // namespace sovrel
