#include "common/list_joins.h"

#include "platform/text.h"

namespace sovrel {

namespace {

struct ListJoin {
    const char* marker;
    const char* prefix;
    const char* condition;
};

// The order here is the order of the joins in the query.
constexpr ListJoin kJoins[] = {
    {"cVenName", " Left join vendor on ", "vendor.cVenCode=Ven_Contact.cVenCode"},
    {"Contact1.cContactName", " Left join Ven_Contact Contact1 on ",
     "Contact1.cContactCode=Ven_Contact.cSuperiorID"},
    {"BaseCodeDuty.cName", " Left join Crm_BaseCode BaseCodeDuty on ",
     "BaseCodeDuty.ID=Ven_Contact.bcDutyID"},
    {"Person.cPersonName", " Left join Person on ", "Person.cPersonCode=Ven_Contact.cPrincipal"},
    {"BaseCodeSex.cName", " Left join Crm_BaseCode BaseCodeSex on ",
     "BaseCodeSex.ID=Ven_Contact.bcSexID"},
    {"BaseCodeTaste.cName", " Left join Crm_BaseCode BaseCodeTaste on ",
     "BaseCodeTaste.ID=Ven_Contact.bcTasteID"},
    {"BaseCodeMarriage.cName", " Left join Crm_BaseCode BaseCodeMarriage on ",
     "BaseCodeMarriage.ID=Ven_Contact.bcMarriageID"},
    {"cprincipalname", " Left join Person Person3 on ", "Person3.cPersonCode=Ven_Contact.cprincipal "},
};

}  // namespace

std::string BuildListJoins(const std::string& selectList) {
    const std::string select = platform::text::LCase(selectList);
    std::string joins;
    for (const ListJoin& join : kJoins)
        if (select.find(platform::text::LCase(join.marker)) != std::string::npos)
            joins.append(join.prefix).append(join.condition);
    return joins;
}

}  // namespace sovrel
