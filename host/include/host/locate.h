#pragma once
// Locate and sort over a grid's text matrix, without dialogs: what the public-utility object's
// FindPos and GridSort do once the user has said what to look for.
#include <functional>
#include <string>
#include <vector>

#include "common/hosts/controls.h"
#include "platform/db/rowset.h"

namespace host {

enum class MatchMode { Contains = 0, BeginsWith = 1, Exact = 2 };

// A user's locate settings (FindSet): the header captions searched by "any column" (empty: all
// data columns) and how a cell must match.
struct LocateSettings {
    std::vector<std::string> columns;
    MatchMode mode = MatchMode::Contains;
};

// Settings as stored ("mode|caption<TAB>caption..."), and back; a damaged text gives the defaults.
std::string LocateSettingsText(const LocateSettings& settings);
LocateSettings ParseLocateSettings(const std::string& text);

// The first data row after `from` whose cell matches text (without case), wrapping round to row 1
// and ending with `from` itself; -1 when none does or text is blank. column -1 searches the
// settings' columns (all data columns when it names none), otherwise that column only. Column 1,
// the selection marks, is never searched.
long FindNextRow(const sovrel::IFlexGrid& grid, long from, long column, const std::string& text,
                 const LocateSettings& settings);

// The texts the list shows for a flag's two values.
struct FlagTexts {
    std::string yes, no;
};

// The text a list shows for a value of its field f.
using ShownText = std::function<std::string(std::size_t f, const platform::db::Value& value)>;

// The same search over the whole list behind a paged grid: list (every row; field f is grid column
// f + 1) from the row after list row `from` (counted from 1), wrapping round. The rows the grid
// shows, list rows firstShown onwards, are searched as the grid shows them; the others as shown
// gives their texts, or without it as stored, flags as flags shows them. Answers the list row, -1
// when none matches. Reads each row once.
long FindNextListRow(const sovrel::IFlexGrid& grid, const platform::db::Rowset& list, long firstShown, long from,
                     long column, const std::string& text, const LocateSettings& settings, const FlagTexts& flags,
                     const ShownText& shown = nullptr);

// Sorts the data rows of grid by column: numbers as numbers when every filled cell is one, dates
// as dates when every filled cell is one, otherwise text in the account's collation (Latin first,
// then Chinese by pinyin, case ignored; platform::text::CollateNoCase).
// Empty cells come first ascending. Rows equal in the column keep their order; the current row
// follows its row. Column 0, the row numbers, stays where it is.
void SortGridRows(sovrel::IFlexGrid& grid, long column, bool descending);

}  // namespace host
