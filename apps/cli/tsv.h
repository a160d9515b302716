#pragma once
// Tab-separated output of rowsets: a header line of field names, then one line per row, fields
// joined by tabs.
#include <cstdio>
#include <string>
#include <string_view>

namespace platform::db {
class Rowset;
}

namespace sovrel::cli {

// Appends a field's text with tab, line feed, carriage return, NUL and backslash written as \t,
// \n, \r, \0 and \\, so that every row stays on one line and the text can be restored.
void AppendEscaped(std::string& line, std::string_view text);

// Prints the header and every row from the first; Null and Empty print as nothing. A rowset
// without fields (a statement that returns none) prints nothing.
void PrintRowset(platform::db::Rowset& rows, std::FILE* to = stdout);

}  // namespace sovrel::cli
