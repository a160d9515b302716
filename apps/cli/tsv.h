#pragma once
// Tab-separated output of rowsets: one line per row, fields joined by tabs.
#include <string>
#include <string_view>

namespace sovrel::cli {

// Appends a field's text with tab, line feed, carriage return and backslash written as \t, \n,
// \r and \\, so that every row stays on one line and the text can be restored.
void AppendEscaped(std::string& line, std::string_view text);

}  // namespace sovrel::cli
