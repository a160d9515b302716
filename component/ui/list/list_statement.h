#pragma once
// The contact list's query and selection texts, without the window: what DataRefresh runs and
// how the selection column reads.
#include <string>
#include <vector>

namespace sovrel {

struct ListQuery {
    std::string selectList;  // ColumnSelectList
    std::string rowAuth;     // VendorRowAuth, never empty ("(1=1)" when unrestricted)
    std::string vendorCode;  // "" unless the list was opened for one vendor
    std::string where;       // DataRefresh's condition; "" for none
    std::string filter;      // the current filter clause; "" for none
    std::string sort;        // the sort clause; "" orders by contact code
};

// The list's SELECT over Ven_Contact with the joins its columns need, letter for letter as the
// list has always built it.
std::string BuildListStatement(const ListQuery& query);

// The selection column: "√ " marks a row, "" unmarks it.
inline constexpr const char* kRowMark = "\u221A ";
inline constexpr const char* kCheckSign = "\u221A";
// Marked as the grid, mail and SMS read it: the text holds the check sign anywhere.
bool HoldsMark(const std::string& selectionText);
// Marked as delete reads it: the text begins with the check sign.
bool BeginsWithMark(const std::string& selectionText);

// N'001',N'002' from the codes, in order; "" for none.
std::string QuotedCodeList(const std::vector<std::string>& codes);

}  // namespace sovrel
