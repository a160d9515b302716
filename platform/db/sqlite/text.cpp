// Text functions counted in characters, as SQL Server counts them for Unicode text.
#include "sqlite/functions_internal.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/guid.h"
#include "platform/text.h"

namespace platform::db::sqlite_functions {
using platform::text::DecodeUtf8;

namespace {

void Len(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (IsNull(argv[0])) return sqlite3_result_null(ctx);
    if (sqlite3_value_type(argv[0]) == SQLITE_BLOB) return sqlite3_result_int(ctx, sqlite3_value_bytes(argv[0]));
    sqlite3_result_int64(ctx, static_cast<std::int64_t>(platform::text::Len(WithoutTrailingSpaces(Text(argv[0])))));
}

void LeftRight(sqlite3_context* ctx, sqlite3_value** argv, bool left) {
    if (IsNull(argv[0]) || IsNull(argv[1])) return sqlite3_result_null(ctx);
    const std::int64_t n = sqlite3_value_int64(argv[1]);
    if (n < 0)
        return Fail(ctx, std::string("Invalid length parameter passed to the ") + (left ? "left" : "right") +
                             " function.");
    const std::string_view s = Text(argv[0]);
    ResultText(ctx, left ? platform::text::Left(s, static_cast<long>(n)) : platform::text::Right(s, static_cast<long>(n)));
}
void Left(sqlite3_context* ctx, int, sqlite3_value** argv) { LeftRight(ctx, argv, true); }
void Right(sqlite3_context* ctx, int, sqlite3_value** argv) { LeftRight(ctx, argv, false); }

void Substring(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
    const std::int64_t start = sqlite3_value_int64(argv[1]), len = sqlite3_value_int64(argv[2]);
    if (len < 0) return Fail(ctx, "Invalid length parameter passed to the substring function.");
    // Characters start .. start+len-1, of those that exist.
    const std::int64_t first = std::max<std::int64_t>(start, 1), end = start + len;
    if (end <= first) return ResultText(ctx, std::string());
    ResultText(ctx, platform::text::Mid(Text(argv[0]), static_cast<long>(first), static_cast<long>(end - first)));
}

void CharIndex(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (IsNull(argv[0]) || IsNull(argv[1])) return sqlite3_result_null(ctx);
    const std::u32string find = Folded(Text(argv[0])), in = Folded(Text(argv[1]));
    std::int64_t start = argc == 3 && !IsNull(argv[2]) ? sqlite3_value_int64(argv[2]) : 1;
    if (start < 1) start = 1;
    if (find.empty() || static_cast<std::size_t>(start - 1) > in.size()) return sqlite3_result_int(ctx, 0);
    const auto at = in.find(find, static_cast<std::size_t>(start - 1));
    sqlite3_result_int64(ctx, at == std::u32string::npos ? 0 : static_cast<std::int64_t>(at) + 1);
}

void Upper(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (IsNull(argv[0])) return sqlite3_result_null(ctx);
    ResultText(ctx, platform::text::UCase(Text(argv[0])));
}
void Lower(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (IsNull(argv[0])) return sqlite3_result_null(ctx);
    ResultText(ctx, platform::text::LCase(Text(argv[0])));
}

// REPLACE finds its text without regard to case, as under SQL Server's default collation.
void Replace(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
    const std::string_view s = Text(argv[0]), find = Text(argv[1]), with = Text(argv[2]);
    if (find.empty()) return ResultText(ctx, std::string(s));
    const std::u32string pattern = Folded(find);
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        std::size_t j = i, k = 0;
        while (k < pattern.size() && j < s.size() && FoldAt(s, j) == pattern[k]) ++k;
        if (k == pattern.size()) {
            out += with;
            i = j;
        } else {
            std::size_t next = i;
            DecodeUtf8(s, next);
            out.append(s.substr(i, next - i));
            i = next;
        }
    }
    ResultText(ctx, out);
}

// The server cuts these results at 8000 bytes: 8000 characters of single-byte text, 4000 of
// Unicode text (every column here is Unicode; a text of ASCII only stands for a plain literal).
constexpr std::int64_t kVarcharBytes = 8000, kNvarcharCharacters = 4000;

void Space(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (IsNull(argv[0]) || sqlite3_value_int64(argv[0]) < 0) return sqlite3_result_null(ctx);
    const std::int64_t n = std::min<std::int64_t>(sqlite3_value_int64(argv[0]), kVarcharBytes);
    ResultText(ctx, std::string(static_cast<std::size_t>(n), ' '));
}
void Replicate(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (IsNull(argv[0]) || IsNull(argv[1]) || sqlite3_value_int64(argv[1]) < 0) return sqlite3_result_null(ctx);
    const std::string_view s = Text(argv[0]);
    const bool ascii = std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    const std::int64_t limit = ascii ? kVarcharBytes : kNvarcharCharacters;
    const auto each = static_cast<std::int64_t>(platform::text::Len(s));
    const std::int64_t n = sqlite3_value_int64(argv[1]);
    const std::int64_t target = each == 0 ? 0 : (n >= limit ? limit : std::min<std::int64_t>(n * each, limit));
    std::string out;
    std::int64_t chars = 0;
    for (; chars + each <= target; chars += each) out += s;
    if (chars < target) out += platform::text::Left(s, static_cast<long>(target - chars));
    ResultText(ctx, out);
}

void Reverse(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (IsNull(argv[0])) return sqlite3_result_null(ctx);
    const std::string_view s = Text(argv[0]);
    std::vector<char32_t> cps;
    for (std::size_t i = 0; i < s.size();) cps.push_back(DecodeUtf8(s, i));
    std::string out;
    for (auto it = cps.rbegin(); it != cps.rend(); ++it) platform::text::AppendUtf8(out, *it);
    ResultText(ctx, out);
}

// Bytes as SQL Server stores them: nvarchar in UTF-16, int in 4 bytes, float in 8.
void DataLength(sqlite3_context* ctx, int, sqlite3_value** argv) {
    switch (sqlite3_value_type(argv[0])) {
        case SQLITE_NULL: return sqlite3_result_null(ctx);
        case SQLITE_INTEGER: {
            const std::int64_t v = sqlite3_value_int64(argv[0]);
            return sqlite3_result_int(ctx, v >= INT32_MIN && v <= INT32_MAX ? 4 : 8);
        }
        case SQLITE_FLOAT: return sqlite3_result_int(ctx, 8);
        case SQLITE_BLOB: return sqlite3_result_int(ctx, sqlite3_value_bytes(argv[0]));
        default: {
            const std::string_view s = Text(argv[0]);
            std::int64_t units = 0;
            for (std::size_t i = 0; i < s.size();) units += DecodeUtf8(s, i) > 0xFFFF ? 2 : 1;
            sqlite3_result_int64(ctx, units * 2);
        }
    }
}

// The quick search's index text of a contact: each text folded as LIKE compares it, a line each
// (a NULL as an empty line), so that a searched text is found in it wherever LIKE finds it in
// one of them.
void SearchText(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    std::string out;
    for (int k = 0; k < argc; ++k) {
        if (k > 0) out += '\n';
        if (IsNull(argv[k])) continue;
        const std::string_view s = Text(argv[k]);
        for (std::size_t i = 0; i < s.size();) platform::text::AppendUtf8(out, FoldAt(s, i));
    }
    ResultText(ctx, out);
}

void NewId(sqlite3_context* ctx, int, sqlite3_value**) {
    const std::string g = platform::NewGuidText();
    ResultText(ctx, g.substr(1, g.size() - 2));
}

}  // namespace

std::span<const Registration> TextFunctions() {
    static constexpr Registration kFunctions[] = {
        {"sv_charindex", 2, true, CharIndex},
        {"sv_charindex", 3, true, CharIndex},
        {"sv_datalength", 1, true, DataLength},
        {"sv_left", 2, true, Left},
        {"sv_len", 1, true, Len},
        {"sv_lower", 1, true, Lower},
        {"sv_newid", 0, false, NewId},
        {"sv_replace", 3, true, Replace},
        {"sv_replicate", 2, true, Replicate},
        {"sv_reverse", 1, true, Reverse},
        {"sv_right", 2, true, Right},
        {"sv_searchtext", 6, true, SearchText},
        {"sv_space", 1, true, Space},
        {"sv_substring", 3, true, Substring},
        {"sv_upper", 1, true, Upper},
    };
    return kFunctions;
}

}  // namespace platform::db::sqlite_functions
