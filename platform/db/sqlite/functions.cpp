#include "sqlite/functions.h"

#include "sqlite/functions_internal.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "platform/db/dialect.h"
#include "platform/error.h"
#include "platform/text.h"

namespace platform::db::sqlite_functions {

using platform::text::DecodeUtf8;
using platform::text::FoldCase;

std::string_view Text(sqlite3_value* v) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return p ? std::string_view(p, static_cast<std::size_t>(sqlite3_value_bytes(v))) : std::string_view();
}
bool IsNull(sqlite3_value* v) { return sqlite3_value_type(v) == SQLITE_NULL; }
bool AnyNull(int argc, sqlite3_value** argv) {
    for (int i = 0; i < argc; ++i)
        if (IsNull(argv[i])) return true;
    return false;
}
void ResultText(sqlite3_context* ctx, const std::string& s) {
    sqlite3_result_text(ctx, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}
void Fail(sqlite3_context* ctx, const std::string& message) { sqlite3_result_error(ctx, message.c_str(), -1); }

std::string_view WithoutTrailingSpaces(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}
std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

char32_t FoldAt(std::string_view s, std::size_t& i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
        ++i;
        return (b >= 'A' && b <= 'Z') ? b + 32 : b;
    }
    return FoldCase(DecodeUtf8(s, i));
}

std::u32string Folded(std::string_view s) {
    std::u32string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) out += FoldAt(s, i);
    return out;
}

std::optional<double> ParseNumber(std::string_view s, bool& isInteger, std::int64_t& integer) {
    s = Trimmed(s);
    if (s.empty()) return std::nullopt;
    std::size_t i = 0;
    if (s[i] == '+' || s[i] == '-') ++i;
    std::size_t digits = 0, point = 0;
    bool exponent = false;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c >= '0' && c <= '9') {
            ++digits;
        } else if (c == '.' && !point && !exponent) {
            point = 1;
        } else if ((c == 'e' || c == 'E') && digits && !exponent) {
            exponent = true;
            if (i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-')) ++i;
            if (i + 1 >= s.size()) return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    if (!digits) return std::nullopt;
    const std::string copy(s);
    isInteger = !point && !exponent;
    if (isInteger) {
        errno = 0;
        integer = std::strtoll(copy.c_str(), nullptr, 10);
        if (errno == ERANGE) isInteger = false;
    }
    return std::strtod(copy.c_str(), nullptr);
}

std::optional<double> NumberOf(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
        case SQLITE_INTEGER:
        case SQLITE_FLOAT: return sqlite3_value_double(v);
        case SQLITE_TEXT: {
            bool isInt;
            std::int64_t i;
            return ParseNumber(Text(v), isInt, i);
        }
        default: return std::nullopt;
    }
}

}  // namespace platform::db::sqlite_functions

namespace {

using namespace platform::db::sqlite_functions;

// ---- the collation ---------------------------------------------------------------------------

// Case-insensitive and accent-sensitive; the shorter text compares as if padded with spaces, as
// SQL Server's collations do.
int CompareNoCase(void*, int n1, const void* p1, int n2, const void* p2) {
    return platform::text::CollateNoCase(
        WithoutTrailingSpaces(std::string_view(static_cast<const char*>(p1), n1 < 0 ? 0 : static_cast<std::size_t>(n1))),
        WithoutTrailingSpaces(std::string_view(static_cast<const char*>(p2), n2 < 0 ? 0 : static_cast<std::size_t>(n2))));
}

// ---- registration ---------------------------------------------------------------------------

void Check(sqlite3* db, int rc, const char* what) {
    if (rc != SQLITE_OK)
        throw platform::Error(platform::errnum::ConnectionFailed, "sqlite",
                              std::string("cannot register ") + what + ": " + sqlite3_errmsg(db), rc);
}

}  // namespace

void RegisterSqlServerFunctions(sqlite3* db) {
    const std::string collation(platform::db::kSqliteTextCollation);
    for (const char* name : {collation.c_str(), "TSQL_CI"})
        Check(db, sqlite3_create_collation_v2(db, name, SQLITE_UTF8, nullptr, CompareNoCase, nullptr), name);
    for (auto subject : {DateFunctions(), LikeFunctions(), ConvertFunctions(), TextFunctions(), NumberFunctions()})
        for (const auto& f : subject) {
            // Pure functions may also run inside the schema's triggers and defaults.
            const int flags = SQLITE_UTF8 | (f.deterministic ? SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS : 0);
            Check(db, sqlite3_create_function_v2(db, f.name, f.args, flags, nullptr, f.fn, nullptr, nullptr, nullptr),
                  f.name);
        }
}

void RegisterLegacyNoCase(sqlite3* db) {
    Check(db, sqlite3_create_collation_v2(db, "NOCASE", SQLITE_UTF8, nullptr, CompareNoCase, nullptr), "NOCASE");
}