#pragma once
// What the SQL Server functions of sqlite/functions.cpp share: reading SQLite values, the helpers
// several subjects use, and each subject's list of functions to register.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "sqlite/api.h"

#include "platform/db/value.h"

namespace platform::db::sqlite_functions {

constexpr std::int64_t kSecondsPerDay = 86400;
inline constexpr const char* kDatetimeOverflow =
    "Arithmetic overflow error converting expression to data type datetime.";

// ---- values ---------------------------------------------------------------------------------

std::string_view Text(sqlite3_value* v);
bool IsNull(sqlite3_value* v);
bool AnyNull(int argc, sqlite3_value** argv);
void ResultText(sqlite3_context* ctx, const std::string& s);
void Fail(sqlite3_context* ctx, const std::string& message);

std::string_view WithoutTrailingSpaces(std::string_view s);
std::string_view Trimmed(std::string_view s);
// The case-folded character at s[i], moving i past it.
char32_t FoldAt(std::string_view s, std::size_t& i);
std::u32string Folded(std::string_view s);

// A number written as text: optional sign, digits with at most one point, optional exponent.
std::optional<double> ParseNumber(std::string_view s, bool& isInteger, std::int64_t& integer);
// A value as a number (a text that spells one included).
std::optional<double> NumberOf(sqlite3_value* v);

// ---- dates ----------------------------------------------------------------------------------

// A date from a stored value: text in the layer's forms (and yyyymmdd), or a number of days
// since 1900-01-01 as SQL Server reads numbers.
std::optional<DateTime> DateOf(sqlite3_value* v);
std::string TwoDigits(int v);
std::string FourDigits(int v);
// CONVERT(char, date, style) for the styles the component's world uses; nothing for others.
std::optional<std::string> FormatDate(const DateTime& d, long style);

// ---- registration ---------------------------------------------------------------------------

using Fn = void (*)(sqlite3_context*, int, sqlite3_value**);
struct Registration {
    const char* name;
    int args;
    bool deterministic;
    Fn fn;
};

std::span<const Registration> DateFunctions();
std::span<const Registration> LikeFunctions();
std::span<const Registration> ConvertFunctions();
std::span<const Registration> TextFunctions();
std::span<const Registration> NumberFunctions();

}  // namespace platform::db::sqlite_functions
