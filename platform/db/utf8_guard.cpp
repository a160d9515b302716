// Refusal of text that is not UTF-8 before it reaches a backend: SQLite would store the bytes
// as they come and PostgreSQL refuses them in words of its own.
#include "backend.h"
#include "platform/error.h"
#include "platform/text.h"

namespace platform::db {

void RequireUtf8(std::string_view text, const std::string& what, const char* source) {
    const std::size_t at = text::Utf8ErrorAt(text);
    if (at == std::string_view::npos) return;
    throw Error(errnum::CommandFailed, source,
                what + " holds bytes that are not UTF-8 text (at byte " + std::to_string(at + 1) +
                    "); the account stores text as UTF-8 only");
}

void RequireUtf8Value(const Value& value, const std::string& what, const char* source) {
    if (const std::string* t = value.AsText()) RequireUtf8(*t, what, source);
}

void RequireUtf8(const RowWrite& row, const char* source) {
    for (std::size_t i = 0; i < row.setValues.size() && i < row.setColumns.size(); ++i)
        RequireUtf8Value(row.setValues[i], "the value of " + row.setColumns[i], source);
    for (std::size_t i = 0; i < row.whereValues.size() && i < row.whereColumns.size(); ++i)
        RequireUtf8Value(row.whereValues[i], "the value of " + row.whereColumns[i], source);
}

}  // namespace platform::db
