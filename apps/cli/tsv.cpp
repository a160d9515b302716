#include "tsv.h"

#include "platform/db/rowset.h"
#include "terminal.h"

namespace sovrel::cli {

void AppendEscaped(std::string& line, std::string_view text) {
    for (char c : text) {
        switch (c) {
            case '\t': line += "\\t"; break;
            case '\n': line += "\\n"; break;
            case '\r': line += "\\r"; break;
            case '\\': line += "\\\\"; break;
            case '\0': line += "\\0"; break;
            default: line += c;
        }
    }
}

void PrintRowset(platform::db::Rowset& rows, std::FILE* to) {
    const std::size_t fields = rows.FieldCount();
    if (fields == 0) return;
    std::string line;
    for (std::size_t i = 0; i < fields; ++i) {
        if (i) line += '\t';
        AppendEscaped(line, rows.Field(i).name);
    }
    line += '\n';
    Write(to, line);
    if (!rows.IsForwardOnly() && rows.RecordCount() > 0) rows.MoveFirst();
    for (; !rows.Eof(); rows.MoveNext()) {
        line.clear();
        for (std::size_t i = 0; i < fields; ++i) {
            if (i) line += '\t';
            AppendEscaped(line, rows.Get(i).ToText());
        }
        line += '\n';
        Write(to, line);
    }
}

}  // namespace sovrel::cli
