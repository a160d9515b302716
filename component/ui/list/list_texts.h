#pragma once
// How the list's grid shows a stored value, for the page it fills and for every row printed or
// exported: the same texts either way.
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/db/rowset.h"

namespace sovrel::list {

// Flags in the user's words, base codes by their names in the user's language where the
// account has them, numbers to the digits the column settings (or the account's user-defined
// items) give. What it needs is read once, when it is made: nothing per row.
class ListTexts {
public:
    explicit ListTexts(const platform::db::Rowset& rs);
    // Whether a field's texts are shown otherwise than stored.
    bool Formats(std::size_t field) const;
    // The grid's text for a field's stored text ("" for a null).
    std::string Text(std::size_t field, const std::string& stored) const;

private:
    enum class Kind { AsStored, Flag, BaseCode, Digits };
    struct Column {
        Kind kind = Kind::AsStored;
        const char* codeType = nullptr;
        int digits = 0;
    };
    std::vector<Column> columns_;
    std::string trueText_, falseText_;
    std::map<std::pair<std::string, std::string>, std::string> names_;
    bool namesRead_ = false;
};

}  // namespace sovrel::list
