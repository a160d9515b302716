#pragma once
// The columns the card writes, each with the control that holds it: one table behind the record
// element, the loading of a contact and the comparison after a conflict, so that no column can be
// written without being loaded and compared.
#include <array>
#include <string>

namespace sovrel::card {

// What kind of control holds a column.
enum class Holder {
    Text,       // Edt(index): its text is stored
    Reference,  // Edt(index): shows a name, stores its tag
    Combo,      // index 0 cboSex, 1 cboMarriage: stores the item data of the selection
    Check,      // ChkbMajor: "True" or "False"
    Date,       // DTPicker1(index)
    User,       // EdtU(index): the user-defined items 1 to 14
};

struct CardField {
    const char* column;  // the Ven_Contact column, as its record element is named
    Holder holder;
    int index;
    bool escaped;        // passes the host's XML escaping in the record element
    const char* label;   // the caption's label; nullptr for the user-defined items (LblD1)
};

// In the order of the record element.
inline constexpr std::array<CardField, 42> kCardFields{{
    {"cVenCode", Holder::Reference, 0, false, "lblcVenCode"},
    {"cContactCode", Holder::Text, 1, false, "lblcContactCode"},
    {"cContactName", Holder::Text, 2, true, "lblcContactName"},
    {"cAppellation", Holder::Text, 3, true, "LblcAppellation"},
    {"cSuperiorID", Holder::Reference, 4, true, "lblcSuperior"},
    {"cNative", Holder::Text, 5, true, "lblcNative"},
    {"bcDutyID", Holder::Reference, 6, true, "lblcDuty"},
    {"bcTasteID", Holder::Reference, 7, true, "lblcTaste"},
    {"cPrincipal", Holder::Reference, 8, false, "lblcPrincipal"},
    {"cCreator", Holder::Text, 9, false, "lblcCreator"},
    {"cOfficePhone", Holder::Text, 10, false, "lblcOfficePhone"},
    {"cHomePhone", Holder::Text, 11, false, "lblcHomePhone"},
    {"cMobilePhone", Holder::Text, 12, false, "lblcMobilePhone"},
    {"cCall", Holder::Text, 13, false, "lblcCall"},
    {"cZipcode", Holder::Text, 14, false, "lblcZipcode"},
    {"cHomePage", Holder::Text, 15, false, "lblcHomePage"},
    {"cWorkAddress", Holder::Text, 16, true, "lblcWorkAddress"},
    {"cHomeAddress", Holder::Text, 17, true, "lblcHomeAddress"},
    {"cEmail", Holder::Text, 18, true, "lblcEmail"},
    {"cHomeMember", Holder::Text, 19, true, "lblcHomeMember"},
    {"cMemo", Holder::Text, 20, true, "lblcMemo"},
    {"bcSexID", Holder::Combo, 0, false, "lblcSex"},
    {"bcMarriageID", Holder::Combo, 1, false, "lblcMarriage"},
    {"bMajor", Holder::Check, 0, false, nullptr},
    {"dBirthday", Holder::Date, 0, false, "lbldBirthday"},
    {"dCreateDate", Holder::Date, 1, false, "lbldCreateDate"},
    {"cConDefine1", Holder::User, 0, true, nullptr},
    {"cConDefine2", Holder::User, 1, true, nullptr},
    {"cConDefine3", Holder::User, 2, true, nullptr},
    {"cConDefine4", Holder::User, 3, true, nullptr},
    {"cConDefine5", Holder::User, 4, true, nullptr},
    {"cConDefine6", Holder::User, 5, true, nullptr},
    {"cConDefine7", Holder::User, 6, true, nullptr},
    {"cConDefine8", Holder::User, 7, true, nullptr},
    {"cConDefine9", Holder::User, 8, true, nullptr},
    {"cConDefine10", Holder::User, 9, true, nullptr},
    {"cConDefine11", Holder::User, 10, true, nullptr},
    {"cConDefine12", Holder::User, 11, true, nullptr},
    {"cConDefine13", Holder::User, 12, true, nullptr},
    {"cConDefine14", Holder::User, 13, true, nullptr},
    {"cConDefine15", Holder::Date, 2, true, nullptr},
    {"cConDefine16", Holder::Date, 3, true, nullptr},
}};

// A column's value on the card: what a save stores and what the user sees.
struct FieldState {
    std::string stored, shown;
    bool operator==(const FieldState&) const = default;
};

}  // namespace sovrel::card
