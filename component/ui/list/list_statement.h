#pragma once
// The contact list's query and selection texts, without the window: what DataRefresh runs and
// how the selection column reads.
#include <string>
#include <vector>

#include "ui/messaging/cls_contact.h"

namespace sovrel {

struct ListQuery {
    std::string selectList;  // ColumnSelectList
    std::string rowAuth;     // VendorRowAuth, never empty ("(1=1)" when unrestricted)
    std::string vendorCode;  // "" unless the list was opened for one vendor
    std::string where;       // DataRefresh's condition; "" for none
    std::string filter;      // the current filter clause; "" for none
    std::string sort;        // the sort clause; "" orders by contact code
    std::string search;      // the quick search's text; "" or blanks for none
    // Codes of the contacts the search's text stands for as pinyin initials (ContactsByInitials).
    std::vector<std::string> searchCodes;
    // The column header the user sorted by: 1-based field of the select list, 0 for none.
    long sortField = 0;
    bool sortDescending = false;
    // Whether the search may ask the account's search index, and read its table of search texts
    // (an SQLite account's).
    bool searchIndex = true;
    bool searchTexts = true;
};

// The quick search's condition: the text, as typed, inside the code, name, phones, mobile or
// e-mail, or a code of codes; "" for a blank text. With searchIndex, the contacts read are
// narrowed to those the index gives; a text too short for it, to those the table of search texts
// gives, with searchTexts.
std::string QuickSearchCondition(const std::string& text, const std::vector<std::string>& codes = {},
                                 bool searchIndex = true, bool searchTexts = true);
// The search index's table, as the condition names it; and the table of the same texts read
// whole for a text the index cannot find (its name holds the index's).
inline constexpr const char* kSearchIndexTable = "Ven_ContactSearch";
inline constexpr const char* kSearchTextTable = "Ven_ContactSearchText";

// The rows a page shows, 1-based: first and last of total, for the page (clamped as the pager
// clamps it) of pageSize rows; 0 and 0 without rows.
struct PageSpan {
    long first = 0, last = 0;
};
PageSpan PageRange(long total, long pageSize, long page);
// 20000 as 20,000.
std::string GroupedNumber(long n);

// The list's SELECT over Ven_Contact with the joins its columns need, letter for letter as the
// list has always built it.
std::string BuildListStatement(const ListQuery& query);

// Every contact of the list as mail recipients, read by statements of the list's own conditions
// (row authority, vendor, condition, filter, search) that do not grow with the list: their
// addresses by contact code, and their vendors' codes for those whose address is blank.
MailRecipients ListMailRecipients(const ListQuery& query);

// The codes of every contact of the list, as a SELECT that does not grow with it.
std::string ListCodeQuery(const ListQuery& query);

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
