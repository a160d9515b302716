#include "common/list_joins.h"

#include <cctype>

#include "platform/text.h"

namespace sovrel {

namespace {

struct ListJoin {
    const char* marker;
    const char* alias;  // the name the rest of the statement qualifies the joined columns with
    const char* prefix;
    const char* condition;
};

// The order here is the order of the joins in the query.
constexpr ListJoin kJoins[] = {
    {"cVenName", "vendor", " Left join vendor on ", "vendor.cVenCode=Ven_Contact.cVenCode"},
    {"Contact1.cContactName", "Contact1", " Left join Ven_Contact Contact1 on ",
     "Contact1.cContactCode=Ven_Contact.cSuperiorID"},
    {"BaseCodeDuty.cName", "BaseCodeDuty", " Left join Crm_BaseCode BaseCodeDuty on ",
     "BaseCodeDuty.ID=Ven_Contact.bcDutyID"},
    {"Person.cPersonName", "Person", " Left join Person on ", "Person.cPersonCode=Ven_Contact.cPrincipal"},
    {"BaseCodeSex.cName", "BaseCodeSex", " Left join Crm_BaseCode BaseCodeSex on ",
     "BaseCodeSex.ID=Ven_Contact.bcSexID"},
    {"BaseCodeTaste.cName", "BaseCodeTaste", " Left join Crm_BaseCode BaseCodeTaste on ",
     "BaseCodeTaste.ID=Ven_Contact.bcTasteID"},
    {"BaseCodeMarriage.cName", "BaseCodeMarriage", " Left join Crm_BaseCode BaseCodeMarriage on ",
     "BaseCodeMarriage.ID=Ven_Contact.bcMarriageID"},
    {"cprincipalname", "Person3", " Left join Person Person3 on ", "Person3.cPersonCode=Ven_Contact.cprincipal "},
};

bool IsNamePart(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || (c & 0x80); }

// True when text (lower-cased) qualifies a column with alias: "alias." not inside a longer name.
bool Qualifies(const std::string& text, const std::string& alias) {
    const std::string dotted = platform::text::LCase(alias) + ".";
    for (std::size_t at = text.find(dotted); at != std::string::npos; at = text.find(dotted, at + 1))
        if (at == 0 || !IsNamePart(text[at - 1])) return true;
    return false;
}

}  // namespace

std::string BuildListJoins(const std::string& selectList, const std::string& conditions) {
    const std::string select = platform::text::LCase(selectList);
    const std::string rest = platform::text::LCase(conditions);
    std::string joins;
    for (const ListJoin& join : kJoins)
        if (select.find(platform::text::LCase(join.marker)) != std::string::npos ||
            (!rest.empty() && Qualifies(rest, join.alias)))
            joins.append(join.prefix).append(join.condition);
    return joins;
}

}  // namespace sovrel
