#pragma once
// One contact as an exchange file carries it, and what went wrong while it was read. Files carry
// the columns of Ven_Contact by name; the four base codes travel by their names (cName), not by
// their ids, so that a file means the same in every account.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sovrel::exchange {

// The fields of a contact in the order the card writes a record.
inline constexpr std::string_view kFields[] = {
    "cVenCode",     "cContactCode", "cContactName", "cAppellation", "cSuperiorID",  "cNative",
    "bcDutyID",     "bcTasteID",    "cPrincipal",   "cCreator",     "cOfficePhone", "cHomePhone",
    "cMobilePhone", "cCall",        "cZipcode",     "cHomePage",    "cWorkAddress", "cHomeAddress",
    "cEmail",       "cHomeMember",  "cMemo",        "bcSexID",      "bcMarriageID", "bMajor",
    "dBirthday",    "dCreateDate",  "cConDefine1",  "cConDefine2",  "cConDefine3",  "cConDefine4",
    "cConDefine5",  "cConDefine6",  "cConDefine7",  "cConDefine8",  "cConDefine9",  "cConDefine10",
    "cConDefine11", "cConDefine12", "cConDefine13", "cConDefine14", "cConDefine15", "cConDefine16",
    "oid"};

// Not a field: the company a vCard's ORG names, which the import compares with the vendor's name.
inline constexpr std::string_view kOrganisation = "ORG";

// The field of kFields named name without regard to case; empty when there is none.
std::string_view FieldNamed(std::string_view name);

// Something a reader or the import refuses: a resource key and the texts for its placeholders.
struct Problem {
    std::string key;
    std::vector<std::string> params;
};

struct Record {
    long line = 0;                                          // the line of the file where it starts
    std::map<std::string, std::string, std::less<>> values;  // by kFields name; blank fields absent
    std::vector<std::string> ignored;                        // fields read but not taken, once each
    std::optional<Problem> problem;                          // set: the record is refused as it is

    // The value of field, empty when absent.
    std::string Get(std::string_view field) const;
    // Stores a value; an empty one removes the field.
    void Set(std::string_view field, std::string value);
    // Adds name to ignored unless it is there already.
    void Ignore(std::string_view name);
};

}  // namespace sovrel::exchange
