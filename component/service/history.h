#pragma once
// The history of the contacts: every change the data service writes leaves one row per column it
// changed, in the transaction of the change; and the statements that read it back.
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/value.h"

namespace platform::db {
class Rowset;
}

namespace sovrel::history {

inline constexpr std::string_view kTable = "Ven_ContactHistory";

// The kinds of change (cKind). A write's kind is its operation's, unless a ScopedKind names
// another (an import, a restore).
namespace kind {
inline constexpr std::string_view Add = "add", Modify = "modify", Delete = "delete", Import = "import",
                                  Restore = "restore";
}

// While it lives, the data service's writes on this thread are recorded as kind (one of kind::,
// which it keeps by reference).
class ScopedKind {
public:
    explicit ScopedKind(std::string_view kind);
    ~ScopedKind();
    ScopedKind(const ScopedKind&) = delete;
    ScopedKind& operator=(const ScopedKind&) = delete;

private:
    std::string_view previous_;
};

using Values = std::vector<platform::db::Value>;

// The values of the rowset's current row (as edited, while it is being edited).
Values RowValues(const platform::db::Rowset& row);

// A statement and the values of its '?' marks, in order.
struct Statement {
    std::string sql;
    Values params;
};

// The one INSERT that records a change of the contact whose columns row describes: a row for each
// column whose value differs between before and after (an empty list stands for a row of NULLs),
// the row version aside; sql "" when nothing changed. Its text depends on the number of rows, the
// user and the kind alone, so the database translates and prepares it once for each. The user and
// the time are the context's user and the database's clock; the kind is a ScopedKind's when one lives.
Statement ChangeStatement(std::string_view kind, const platform::db::Rowset& row, const Values& before,
                          const Values& after);

// The columns and order every history listing prints.
inline constexpr std::string_view kListColumns =
    "ID, cContactCode, cKind, cColumn, cOldValue, cNewValue, cUserId, cUserName, dChanged";

// The history's rows of contact code exactly as it was stored (the condition its index serves).
std::string CodeCondition(const std::string& column, const std::string& code);
// One contact's changes, oldest first; since ("" for all) is a date or date and time.
std::string ContactStatement(const std::string& code, const std::string& since);
// What one user changed from since on, oldest first.
std::string UserStatement(const std::string& userId, const std::string& since);
// The contacts deleted and not brought back: the values each had when it was deleted, one row per
// column, by contact.
std::string DeletedStatement(const std::string& code = "");

}  // namespace sovrel::history

namespace sovrel {
class IClsCommon;
}

namespace sovrel::history {

// One column of one change, as the history keeps it.
struct Change {
    std::string column, oldValue, newValue, userId, userName, changed, kind;
};

// The changes of contact code that the user's row authority lets them see, newest change first
// (the columns of one change in the order it wrote them). False with the reason in message when
// the history could not be read.
bool ReadContact(IClsCommon& service, const std::string& code, std::vector<Change>& changes, std::string& message);

// The code as the history keeps it for code typed in any case: the contact's own, else the code
// itself if the history has it, else the newest the history has in another case; else code.
std::string StoredCode(IClsCommon& service, const std::string& code);

// Brings the deleted contact code back with the values it had when it was deleted, through the
// service's Add and all its checks; the history records a restore. False with the reason in
// message when it is no deleted contact (of the user's vendors) or Add refuses it.
bool Restore(IClsCommon& service, const std::string& code, std::string& message);

}  // namespace sovrel::history
