#include "ui/list/list_statement.h"

#include "common/list_joins.h"
#include "common/sql_text.h"
#include "platform/text.h"

#include <algorithm>

namespace sovrel {

namespace {

// The list's SELECT up to its order.
std::string ListSelect(const ListQuery& q) {
    // The row-authority condition names vendor (vendor.iId in (...)); the filter and the sort may
    // name a joined table too. Their tables are joined whether or not a shown column needs them.
    std::string joins = BuildListJoins(q.selectList, q.selectList + " " + q.rowAuth + " " + q.where + " " + q.filter +
                                                         " " + q.sort);
    // Every join but the last of the table ends in its condition; without a blank that column
    // would run into the WHERE keyword.
    if (!joins.empty() && joins.back() != ' ') joins += ' ';
    std::string sql = "SELECT " + q.selectList + " FROM Ven_Contact " + joins + "WHERE " + "(" + q.rowAuth + ")  ";
    if (!q.vendorCode.empty()) sql += " and Ven_Contact.cVenCode = " + SqlText(q.vendorCode, false) + " ";
    if (!q.where.empty()) sql += " AND " + q.where;
    if (!q.filter.empty()) sql += " AND " + q.filter;
    if (const std::string search = QuickSearchCondition(q.search, q.searchCodes, q.searchIndex, q.searchTexts); !search.empty())
        sql += " AND " + search;
    return sql;
}

}  // namespace

std::string BuildListStatement(const ListQuery& q) {
    std::string sql = ListSelect(q);
    if (q.sortField > 0) {
        // By position, as the header shows the select list; the contact code (field 2, unique)
        // settles ties, so pages cut from the result never overlap. Named once only: the
        // server refuses an ORDER BY that names a column twice.
        sql += " Order by " + std::to_string(q.sortField) + (q.sortDescending ? " DESC" : " ASC");
        if (q.sortField != 2) sql += ", cContactCode";
    } else if (!q.sort.empty()) {
        sql += " Order by " + q.sort;
    } else {
        sql += " ORDER BY cContactCode";
    }
    return sql;
}

namespace {

// The list's rows as select names them, without the list's order: its sort may name a joined
// table, and the contact code orders them by an index instead.
std::string ListSelectUnsorted(const ListQuery& query, const char* select) {
    ListQuery q = query;
    q.sort.clear();
    q.sortField = 0;
    q.selectList = select;
    return ListSelect(q);
}

}  // namespace

std::string ListCodeQuery(const ListQuery& query) { return ListSelectUnsorted(query, "Ven_Contact.cContactCode"); }

MailRecipients ListMailRecipients(const ListQuery& query) {
    MailRecipients r;
    r.addressSql = ListSelectUnsorted(query, "Ven_Contact.cEmail") + " ORDER BY cContactCode";
    // Blank as the mail class trims an address: spaces only.
    r.vendorSql = ListSelectUnsorted(query, "Ven_Contact.cVenCode") +
                  " AND (Ven_Contact.cEmail IS NULL OR LTRIM(RTRIM(Ven_Contact.cEmail)) = N'')";
    return r;
}

namespace {

// Whether the search's trigram index can narrow the search for typed: three characters or more
// (a trigram's), none that LIKE reads as a wildcard or a set, and each one the index's case
// folding and LIKE's agree on: ASCII, or a character no lower case or folding changes (Chinese,
// digits, a lower-case letter).
bool IndexFinds(const std::string& typed) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < typed.size(); ++characters) {
        const std::size_t start = i;
        const char32_t c = platform::text::DecodeUtf8(typed, i);
        if (c == U'%' || c == U'_' || c == U'[') return false;
        if (c < 0x80) continue;
        const std::string one = typed.substr(start, i - start);
        if (c >= 0x110000 || platform::text::FoldCase(c) != c || platform::text::LCase(one) != one) return false;
    }
    return characters >= 3;
}

}  // namespace

std::string QuickSearchCondition(const std::string& text, const std::vector<std::string>& codes, bool searchIndex,
                                 bool searchTexts) {
    const std::string typed = platform::text::Trim(text);
    if (typed.empty()) return {};
    const std::string pattern = SqlLikeContains(typed);
    std::string any;
    for (const char* column : {"cContactCode", "cContactName", "cOfficePhone", "cHomePhone", "cMobilePhone", "cEmail"})
        any += std::string(any.empty() ? "" : " OR ") + "Ven_Contact." + column + " LIKE " + pattern;
    // The index gives the contacts that may hold the text, without reading every contact; the
    // LIKEs above decide. First, so that the others are tried on those contacts alone. A text the
    // trigrams cannot find is looked for in the narrow table of the same texts, read whole: a
    // line of it holds the text wherever a column does.
    const bool indexed = searchIndex && IndexFinds(typed);
    if (indexed || (searchIndex && searchTexts))
        any = "Ven_Contact.oid IN (SELECT oid FROM " + std::string(indexed ? kSearchIndexTable : kSearchTextTable) +
              " WHERE cText LIKE " + pattern + ") AND (" + any + ")";
    // The codes were read from the table as stored: compared byte for byte, which is exact here
    // and spares the case-insensitive collation for each of them on every row scanned.
    if (!codes.empty())
        any += " OR Ven_Contact.cContactCode COLLATE Latin1_General_BIN IN (" + QuotedCodeList(codes) + ")";
    return "(" + any + ")";
}

PageSpan PageRange(long total, long pageSize, long page) {
    if (total <= 0 || pageSize < 1) return {};
    const long pages = (total + pageSize - 1) / pageSize;
    page = std::clamp(page, 1L, pages);
    return {(page - 1) * pageSize + 1, std::min(total, page * pageSize)};
}

std::string GroupedNumber(long n) {
    std::string digits = std::to_string(n < 0 ? -n : n), out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return (n < 0 ? "-" : "") + out;
}

bool HoldsMark(const std::string& selectionText) { return selectionText.find(kCheckSign) != std::string::npos; }

bool BeginsWithMark(const std::string& selectionText) { return selectionText.rfind(kCheckSign, 0) == 0; }

std::string QuotedCodeList(const std::vector<std::string>& codes) {
    std::string list;
    for (const auto& code : codes) list += (list.empty() ? "" : ",") + SqlText(code);
    return list;
}

}  // namespace sovrel
