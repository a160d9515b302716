// Refusal of text that is not UTF-8 before it reaches a backend: SQLite would store the bytes
// as they come and PostgreSQL refuses them in words of its own.
#include "backend.h"
#include "platform/error.h"
#include "platform/text.h"

namespace platform::db {

namespace {

// The text's name is made only for a refusal: a write checks every value it sends.
template <typename Name>
void Require(std::string_view text, const Name& name, const char* source) {
    const std::size_t at = text::Utf8ErrorAt(text);
    if (at == std::string_view::npos) return;
    throw Error(errnum::CommandFailed, source,
                name() + " holds bytes that are not UTF-8 text (at byte " + std::to_string(at + 1) +
                    "); the account stores text as UTF-8 only");
}

template <typename Name>
void RequireValue(const Value& value, const Name& name, const char* source) {
    if (const std::string* t = value.AsText()) Require(*t, name, source);
}

}  // namespace

void RequireUtf8(std::string_view text, const std::string& what, const char* source) {
    Require(text, [&] { return what; }, source);
}

void RequireUtf8Parameter(const Value& value, std::size_t number, const char* source) {
    RequireValue(value, [&] { return "parameter " + std::to_string(number); }, source);
}

void RequireUtf8Parameters(const std::vector<Value>& params, const char* source) {
    for (std::size_t i = 0; i < params.size(); ++i) RequireUtf8Parameter(params[i], i + 1, source);
}

void RequireUtf8(const RowWrite& row, const char* source) {
    for (std::size_t i = 0; i < row.setValues.size() && i < row.setColumns.size(); ++i)
        RequireValue(row.setValues[i], [&] { return "the value of " + row.setColumns[i]; }, source);
    for (std::size_t i = 0; i < row.whereValues.size() && i < row.whereColumns.size(); ++i)
        RequireValue(row.whereValues[i], [&] { return "the value of " + row.whereColumns[i]; }, source);
}

}  // namespace platform::db
