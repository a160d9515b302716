#pragma once
// Putting values and names into T-SQL text. Every value the component writes into a statement
// goes through SqlText; every table, column or database name that a caller or a definition row
// hands in passes CheckSqlName before it is written.
#include <string>
#include <string_view>

namespace sovrel {

// value as a T-SQL literal with each single quote doubled, so no value can end it: N'...' by
// default, '...' with unicode false (the rowset filter and ReIdVal's fixed form).
std::string SqlText(std::string_view value, bool unicode = true);

// A LIKE pattern literal (N'%...%') that finds value anywhere in the text, its %, _ and [
// written as the one-character sets [%], [_] and [[] so that they stand for themselves.
std::string SqlLikeContains(std::string_view value);

// True for a plain name: an ASCII letter or "_", then letters, digits or "_", 128 at most.
bool IsSqlName(std::string_view name);

// IsSqlName(name); when false, PendingMessage = Hx.CRM.COMMON.DBMSG.BadName(name).
bool CheckSqlName(std::string_view name);

}  // namespace sovrel
