#pragma once
// The four base codes of a contact, which files carry by name: the export joins their names in,
// the import looks them up.
#include <string_view>

namespace sovrel::exchange {

// The base codes of a contact: field, list name (cType), and the alias of its join.
struct CodeField {
    std::string_view field, type, alias;
    bool addable;  // the card adds a new name to this list; the others are fixed
};
inline constexpr CodeField kCodeFields[] = {
    {"bcSexID", "Sex", "BaseCodeSex", false},
    {"bcDutyID", "Duty", "BaseCodeDuty", true},
    {"bcTasteID", "Taste", "BaseCodeTaste", true},
    {"bcMarriageID", "Marriage", "BaseCodeMarriage", false},
};

inline bool IsCodeField(std::string_view f) {
    for (const auto& c : kCodeFields)
        if (c.field == f) return true;
    return false;
}

}  // namespace sovrel::exchange
