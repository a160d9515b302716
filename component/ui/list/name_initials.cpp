#include "ui/list/name_initials.h"

#include <map>
#include <mutex>
#include <utility>

#include "platform/db/rowset.h"
#include "platform/text.h"
#include "service/iclscommon.h"

namespace sovrel {

namespace txt = platform::text;

namespace {

// Where the initials come from. The database holds none: a column of them would have to be kept
// by every writer of Ven_Contact (the card, imports, other modules through the data service, and
// statements of the host), and a function in SQL would work them out for every row on every
// keystroke. So each account's contacts whose names hold Han characters are kept here by code
// with their initials, read once and read again only when the table has moved: every insert and
// update takes a new row version above all others, and the newest is one step down the index on
// tkts per keystroke. A delete leaves the newest alone (unless it takes the newest row), so a
// deleted contact's code may stay here: harmless, as the database finds no row for it. A keystroke
// matches in memory and hands the database the codes it matched; codes, not names, because they
// compare fast (ASCII) against every row scanned.
struct AccountNames {
    std::string state;  // the newest row version when read
    std::vector<std::pair<std::string, std::string>> initialsAndCodes;
};

constexpr const char* kStateSql = "SELECT MAX(tkts) AS v FROM Ven_Contact";
constexpr const char* kNamesSql = "SELECT cContactCode, cContactName FROM Ven_Contact";

std::mutex& Guard() {
    static std::mutex m;
    return m;
}

std::map<std::string, AccountNames>& Accounts() {
    static std::map<std::string, AccountNames> accounts;
    return accounts;
}

std::string TableState(IClsCommon& db) {
    auto rs = db.OpenX(kStateSql);
    if (!rs || rs->Eof()) return {};
    // An empty table has no version: still a state, unlike a failed read.
    return "v" + rs->Get(std::size_t{0}).ToText();
}

}  // namespace

bool LooksLikeInitials(const std::string& typed) {
    if (typed.size() < 2) return false;
    for (char c : txt::LCase(typed))
        if (c < 'a' || c > 'z') return false;
    return true;
}

std::vector<std::string> ContactsByInitials(IClsCommon& db, const std::string& typed) {
    const std::string wanted = txt::LCase(txt::Trim(typed));
    if (!LooksLikeInitials(wanted)) return {};
    const std::string state = TableState(db);
    if (state.empty()) return {};
    std::lock_guard lock(Guard());
    AccountNames& account = Accounts()[db.m_CnnString()];
    if (account.state != state) {
        auto rs = db.OpenX(kNamesSql);
        if (!rs) return {};
        account.initialsAndCodes.clear();
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            std::string initials = txt::PinyinInitials(rs->Get(std::size_t{1}).ToText());
            if (!initials.empty()) account.initialsAndCodes.emplace_back(std::move(initials), rs->Get(std::size_t{0}).ToText());
        }
        account.state = state;
    }
    std::vector<std::string> codes;
    for (const auto& [initials, code] : account.initialsAndCodes)
        if (initials.compare(0, wanted.size(), wanted) == 0) codes.push_back(code);
    return codes;
}

}  // namespace sovrel
