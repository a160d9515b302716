#pragma once
// Contacts as CSV text (RFC 4180): a header row of field names (or their captions), then one
// row per contact;
// fields that hold a comma, a quote, a line break or blanks at either end are quoted.
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "exchange/record.h"
#include "exchange/text_lines.h"

namespace sovrel::exchange {

// The header row: every field of kFields, ending CR LF.
std::string CsvHeader();
// One row of r's fields in the header's order, ending CR LF.
std::string CsvRow(const Record& r);

class CsvReader {
public:
    // aliases: other names a header may give a field, in lower case ("联系人姓名" -> cContactName).
    explicit CsvReader(LineReader& lines, std::map<std::string, std::string> aliases = {})
        : lines_(lines), aliases_(std::move(aliases)) {}
    // The next row as a record; false at the end. The first call reads the header row. A row
    // whose field count differs from the header's, whose quotes are broken or which holds bytes
    // that are no text carries a problem; a quote left open refuses its row only, and reading
    // goes on with the line after the row's first.
    bool Next(Record& record);
    // After the first Next: the header's columns that name no field.
    const std::vector<std::string>& IgnoredColumns() const { return ignoredColumns_; }
    // After the first Next: each column taken, as the header names it, with its field.
    std::vector<std::pair<std::string, std::string>> Mapping() const { return mapping_; }
    // After the first Next: set when the file has no header row naming a field.
    const std::optional<Problem>& HeaderProblem() const { return headerProblem_; }

private:
    bool NextLine(Line& line);
    // Reads one row of fields from its lines; false at the end of the input.
    bool ReadRow(std::vector<std::string>& fields, long& line, std::optional<Problem>& problem);
    bool ReadHeader();

    LineReader& lines_;
    std::map<std::string, std::string> aliases_;
    std::deque<Line> pending_;  // lines read ahead for a row that was refused
    bool headerRead_ = false;
    std::vector<std::string> columns_;  // the field of each column; empty: not taken
    std::vector<std::string> ignoredColumns_;
    std::vector<std::pair<std::string, std::string>> mapping_;
    std::optional<Problem> headerProblem_;
};

}  // namespace sovrel::exchange
