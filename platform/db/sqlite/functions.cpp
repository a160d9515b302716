#include "sqlite/functions.h"

#include "sqlite/api.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/db/dialect.h"
#include "platform/db/value.h"
#include "platform/error.h"
#include "platform/guid.h"
#include "platform/text.h"

namespace {

using platform::db::DateTime;
using platform::text::DecodeUtf8;
using platform::text::FoldCase;

constexpr std::int64_t kSecondsPerDay = 86400;

// ---- values ---------------------------------------------------------------------------------

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

// A number written as text: optional sign, digits with at most one point, optional exponent.
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

// ---- dates ----------------------------------------------------------------------------------

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int DaysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m < 1 || m > 12) return 31;  // callers check the month; never read outside the table
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

const DateTime kNumericDateBase{1900, 1, 1, 0, 0, 0};  // what 0 means as a datetime
// Days from kNumericDateBase to 1753-01-01 and to the end of 9999-12-31: datetime's range.
constexpr double kFirstDatetimeDay = -53690.0, kEndDatetimeDay = 2958464.0;
constexpr const char* kDatetimeOverflow = "Arithmetic overflow error converting expression to data type datetime.";

// A date from a stored value: text in the layer's forms (and yyyymmdd), or a number of days
// since 1900-01-01 as SQL Server reads numbers.
std::optional<DateTime> DateOf(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
        case SQLITE_INTEGER:
        case SQLITE_FLOAT: {
            const double days = sqlite3_value_double(v);
            if (!(days >= kFirstDatetimeDay && days < kEndDatetimeDay)) return std::nullopt;
            return DateTime::FromSerial(kNumericDateBase.Serial() + std::llround(days * kSecondsPerDay));
        }
        case SQLITE_TEXT: {
            const std::string_view t = Trimmed(Text(v));
            if (auto d = DateTime::Parse(t)) return d;
            if (t.size() == 8 && t.find_first_not_of("0123456789") == std::string_view::npos) {
                const std::string s(t);
                return DateTime::Parse(s.substr(0, 4) + "-" + s.substr(4, 2) + "-" + s.substr(6, 2));
            }
            return std::nullopt;
        }
        default: return std::nullopt;
    }
}

std::int64_t DayNumber(const DateTime& d) {
    const std::int64_t s = d.Serial();
    return s >= 0 ? s / kSecondsPerDay : -((-s + kSecondsPerDay - 1) / kSecondsPerDay);
}
// 0 = Sunday; 0001-01-01 was a Monday.
int WeekdayOf(const DateTime& d) { return static_cast<int>((DayNumber(d) + 1) % 7); }
int DayOfYear(const DateTime& d) {
    return static_cast<int>(DayNumber(d) - DayNumber(DateTime{d.year, 1, 1, 0, 0, 0})) + 1;
}

std::optional<std::int64_t> DatePart(std::string_view part, const DateTime& d) {
    if (part == "year") return d.year;
    if (part == "quarter") return (d.month - 1) / 3 + 1;
    if (part == "month") return d.month;
    if (part == "dayofyear") return DayOfYear(d);
    if (part == "day") return d.day;
    if (part == "weekday") return WeekdayOf(d) + 1;  // Sunday is 1, SQL Server's default
    if (part == "week") {
        const int jan1 = WeekdayOf(DateTime{d.year, 1, 1, 0, 0, 0});
        return (DayOfYear(d) - 1 + jan1) / 7 + 1;
    }
    if (part == "hour") return d.hour;
    if (part == "minute") return d.minute;
    if (part == "second") return d.second;
    return std::nullopt;
}

// Nothing when the result falls outside datetime's years.
std::optional<DateTime> AddMonths(DateTime d, std::int64_t months) {
    const std::int64_t total = d.year * 12LL + (d.month - 1) + months;
    if (total < 1753 * 12LL || total >= 10000 * 12LL) return std::nullopt;
    d.year = static_cast<int>(total / 12);
    d.month = static_cast<int>(total % 12) + 1;
    d.day = std::min(d.day, DaysInMonth(d.year, d.month));
    return d;
}

std::string TwoDigits(int v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", v % 100);
    return buf;
}
std::string FourDigits(int v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04d", v);
    return buf;
}

// CONVERT(char, date, style) for the styles the component's world uses.
std::optional<std::string> FormatDate(const DateTime& d, long style) {
    const std::string yyyy = FourDigits(d.year), yy = TwoDigits(d.year), mm = TwoDigits(d.month),
                      dd = TwoDigits(d.day), time = TwoDigits(d.hour) + ":" + TwoDigits(d.minute) + ":" +
                                                     TwoDigits(d.second);
    switch (style) {
        case 0:
        case 100: {
            static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
            char buf[40];
            const int h12 = d.hour % 12 == 0 ? 12 : d.hour % 12;
            std::snprintf(buf, sizeof buf, "%s %2d %04d %2d:%02d%s", kMonths[d.month - 1], d.day, d.year, h12,
                          d.minute, d.hour < 12 ? "AM" : "PM");
            return std::string(buf);
        }
        case 1: return mm + "/" + dd + "/" + yy;
        case 101: return mm + "/" + dd + "/" + yyyy;
        case 2: return yy + "." + mm + "." + dd;
        case 102: return yyyy + "." + mm + "." + dd;
        case 3: return dd + "/" + mm + "/" + yy;
        case 103: return dd + "/" + mm + "/" + yyyy;
        case 4: return dd + "." + mm + "." + yy;
        case 104: return dd + "." + mm + "." + yyyy;
        case 5: return dd + "-" + mm + "-" + yy;
        case 105: return dd + "-" + mm + "-" + yyyy;
        case 8:
        case 108: return time;
        case 10: return mm + "-" + dd + "-" + yy;
        case 110: return mm + "-" + dd + "-" + yyyy;
        case 11: return yy + "/" + mm + "/" + dd;
        case 111: return yyyy + "/" + mm + "/" + dd;
        case 12: return yy + mm + dd;
        case 112: return yyyy + mm + dd;
        case 20:
        case 120: return yyyy + "-" + mm + "-" + dd + " " + time;
        case 21:
        case 121: return yyyy + "-" + mm + "-" + dd + " " + time + ".000";
        case 23: return yyyy + "-" + mm + "-" + dd;
        case 126: return yyyy + "-" + mm + "-" + dd + "T" + time;
        default: return std::nullopt;
    }
}

// ---- the collation ---------------------------------------------------------------------------

// Case-insensitive and accent-sensitive; the shorter text compares as if padded with spaces, as
// SQL Server's collations do.
int CompareNoCase(void*, int n1, const void* p1, int n2, const void* p2) {
    return platform::text::CollateNoCase(
        WithoutTrailingSpaces(std::string_view(static_cast<const char*>(p1), n1 < 0 ? 0 : static_cast<std::size_t>(n1))),
        WithoutTrailingSpaces(std::string_view(static_cast<const char*>(p2), n2 < 0 ? 0 : static_cast<std::size_t>(n2))));
}

// ---- LIKE -----------------------------------------------------------------------------------

// A compiled T-SQL pattern: %, _, [set], [^set], [a-z], with an optional escape character.
struct Pattern {
    enum class Kind : std::uint8_t { Char, Any, Many, Set };
    struct Item {
        Kind kind;
        char32_t c = 0;        // Char: folded
        std::uint32_t set = 0; // Set: index into sets
    };
    struct Set {
        bool negate = false;
        std::vector<std::pair<char32_t, char32_t>> ranges;
        bool Contains(char32_t c) const {
            const char32_t variants[] = {c, FoldCase(c), platform::text::UpperCase(c)};
            for (auto [lo, hi] : ranges)
                for (char32_t v : variants)
                    if (v >= lo && v <= hi) return !negate;
            return negate;
        }
    };
    std::vector<Item> items;
    std::vector<Set> sets;
    // The pattern is %text% of ASCII and Han characters only (ASCII folded here): a text matches
    // when it holds them, compared byte by byte without decoding (Han characters have no case).
    bool plainContains = false;
    std::string plainText;

    static Pattern Compile(std::string_view p, std::optional<char32_t> escape) {
        Pattern out;
        std::vector<char32_t> cps;
        for (std::size_t i = 0; i < p.size();) cps.push_back(DecodeUtf8(p, i));
        for (std::size_t i = 0; i < cps.size(); ++i) {
            const char32_t c = cps[i];
            if (escape && c == *escape && i + 1 < cps.size()) {
                out.items.push_back({Kind::Char, FoldCase(cps[++i])});
            } else if (c == U'%') {
                if (out.items.empty() || out.items.back().kind != Kind::Many) out.items.push_back({Kind::Many});
            } else if (c == U'_') {
                out.items.push_back({Kind::Any});
            } else if (c == U'[') {
                std::size_t j = i + 1;
                Set set;
                if (j < cps.size() && cps[j] == U'^') {
                    set.negate = true;
                    ++j;
                }
                bool closed = false;
                for (bool first = true; j < cps.size(); first = false) {
                    if (cps[j] == U']' && !first) {
                        closed = true;
                        break;
                    }
                    if (j + 2 < cps.size() && cps[j + 1] == U'-' && cps[j + 2] != U']') {
                        set.ranges.emplace_back(cps[j], cps[j + 2]);
                        j += 3;
                    } else {
                        set.ranges.emplace_back(cps[j], cps[j]);
                        ++j;
                    }
                }
                if (!closed) {  // an unclosed '[' is just a character
                    out.items.push_back({Kind::Char, U'['});
                    continue;
                }
                out.items.push_back({Kind::Set, 0, static_cast<std::uint32_t>(out.sets.size())});
                out.sets.push_back(std::move(set));
                i = j;
            } else {
                out.items.push_back({Kind::Char, FoldCase(c)});
            }
        }
        const auto& it = out.items;
        auto plain = [](const Item& i) {
            return i.kind == Kind::Char && (i.c < 0x80 || (i.c >= 0x3400 && i.c <= 0x9FFF) ||
                                            (i.c >= 0xF900 && i.c <= 0xFAFF) || (i.c >= 0x20000 && i.c <= 0x3FFFF));
        };
        out.plainContains = it.size() >= 2 && it.front().kind == Kind::Many && it.back().kind == Kind::Many &&
                            std::all_of(it.begin() + 1, it.end() - 1, plain);
        if (out.plainContains)
            for (auto i = it.begin() + 1; i != it.end() - 1; ++i) platform::text::AppendUtf8(out.plainText, i->c);
        return out;
    }

    // plainContains: whether t holds plainText, ASCII case aside. Only a text whose characters
    // fold to themselves or to a non-ASCII character can be compared so.
    bool HoldsPlainText(std::string_view t) const {
        const std::size_t n = plainText.size();
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        for (std::size_t at = 0; at + n <= t.size(); ++at) {
            std::size_t k = 0;
            while (k < n && lower(t[at + k]) == plainText[k]) ++k;
            if (k == n) return true;
        }
        return false;
    }

    bool One(const Item& item, char32_t raw, char32_t folded) const {
        switch (item.kind) {
            case Kind::Char: return item.c == folded;
            case Kind::Any: return true;
            case Kind::Set: return sets[item.set].Contains(raw);
            case Kind::Many: return false;
        }
        return false;
    }

    // Greedy match with backtracking to the last %: linear in practice, never exponential.
    bool Match(const std::u32string& raw, const std::u32string& folded) const {
        std::size_t t = 0, p = 0, starP = std::string::npos, starT = 0;
        while (t < raw.size()) {
            if (p < items.size() && items[p].kind == Kind::Many) {
                starP = p++;
                starT = t;
            } else if (p < items.size() && One(items[p], raw[t], folded[t])) {
                ++p;
                ++t;
            } else if (starP != std::string::npos) {
                p = starP + 1;
                t = ++starT;
            } else {
                return false;
            }
        }
        while (p < items.size() && items[p].kind == Kind::Many) ++p;
        return p == items.size();
    }
};

// True when a non-ASCII character of t folds to an ASCII one.
bool FoldsIntoAscii(std::string_view t) {
    static const std::vector<char32_t> folding = [] {
        std::vector<char32_t> found;
        for (char32_t c = 0x80; c <= 0x10FFFF; ++c)
            if (FoldCase(c) < 0x80) found.push_back(c);
        return found;
    }();
    for (std::size_t i = 0; i < t.size();) {
        if (static_cast<unsigned char>(t[i]) < 0x80) {
            ++i;
            continue;
        }
        if (std::binary_search(folding.begin(), folding.end(), DecodeUtf8(t, i))) return true;
    }
    return false;
}

void Like(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
    std::optional<char32_t> escape;
    if (argc == 3) {
        const std::string_view e = Text(argv[2]);
        std::size_t i = 0;
        if (e.empty() || (DecodeUtf8(e, i), i != e.size()))
            return Fail(ctx, "the ESCAPE expression must be one character");
        i = 0;
        escape = DecodeUtf8(e, i);
    }
    // A constant pattern is compiled once per statement.
    const Pattern* compiled = argc == 2 ? static_cast<const Pattern*>(sqlite3_get_auxdata(ctx, 0)) : nullptr;
    Pattern local;
    if (!compiled) {
        local = Pattern::Compile(Text(argv[0]), escape);
        compiled = &local;
        if (argc == 2) sqlite3_set_auxdata(ctx, 0, new Pattern(local), [](void* p) { delete static_cast<Pattern*>(p); });
    }
    // Trailing spaces of the text do not count, unless the pattern asks for them.
    const std::string_view full = Text(argv[1]);
    const std::string_view text = WithoutTrailingSpaces(full);
    auto match = [&](std::string_view t) {
        // Called for every row a search scans: a text under a %text% pattern is compared as it
        // is unless one of its characters folds to an ASCII one (the Kelvin sign to k); otherwise
        // the buffers are reused, and ASCII folds inline.
        if (compiled->plainContains && !FoldsIntoAscii(t)) return compiled->HoldsPlainText(t);
        thread_local std::u32string raw, folded;
        raw.clear();
        folded.clear();
        for (std::size_t i = 0; i < t.size();) {
            const char32_t c = DecodeUtf8(t, i);
            raw += c;
            folded += c < 0x80 ? (c >= U'A' && c <= U'Z' ? c + 32 : c) : FoldCase(c);
        }
        return compiled->Match(raw, folded);
    };
    sqlite3_result_int(ctx, match(text) || (text.size() != full.size() && match(full)) ? 1 : 0);
}

// ---- text functions -------------------------------------------------------------------------

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

void NewId(sqlite3_context* ctx, int, sqlite3_value**) {
    const std::string g = platform::NewGuidText();
    ResultText(ctx, g.substr(1, g.size() - 2));
}

// ---- numbers --------------------------------------------------------------------------------

// T-SQL's +: texts join, numbers add; a text meets a number as the number it spells (or, when
// it is a date, as that date plus days), as SQL Server's type precedence converts it.
void Add(sqlite3_context* ctx, int, sqlite3_value** argv) {
    sqlite3_value* a = argv[0];
    sqlite3_value* b = argv[1];
    const int ta = sqlite3_value_type(a), tb = sqlite3_value_type(b);
    if (ta == SQLITE_NULL || tb == SQLITE_NULL) return sqlite3_result_null(ctx);
    if ((ta == SQLITE_TEXT && tb == SQLITE_TEXT) || (ta == SQLITE_BLOB && tb == SQLITE_BLOB)) {
        std::string s(Text(a));
        s += Text(b);
        return ta == SQLITE_TEXT ? ResultText(ctx, s)
                                 : sqlite3_result_blob(ctx, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    }
    // Numeric value of each side.
    bool intA = ta == SQLITE_INTEGER, intB = tb == SQLITE_INTEGER;
    std::int64_t ia = sqlite3_value_int64(a), ib = sqlite3_value_int64(b);
    double da = sqlite3_value_double(a), db = sqlite3_value_double(b);
    auto fromText = [&](sqlite3_value* text, sqlite3_value* number, bool& isInt, std::int64_t& i, double& d) {
        const std::string_view t = Text(text);
        if (auto n = ParseNumber(t, isInt, i)) {
            d = *n;
            return true;
        }
        if (auto date = DateOf(text)) {
            const double days = sqlite3_value_double(number);
            ResultText(ctx, DateTime::FromSerial(date->Serial() + std::llround(days * kSecondsPerDay)).ToText());
            return false;
        }
        Fail(ctx, "Conversion failed when converting the nvarchar value '" + std::string(t) + "' to a number.");
        return false;
    };
    if (ta == SQLITE_TEXT && !fromText(a, b, intA, ia, da)) return;
    if (tb == SQLITE_TEXT && !fromText(b, a, intB, ib, db)) return;
    if (ta == SQLITE_BLOB || tb == SQLITE_BLOB) return Fail(ctx, "cannot add binary data to a number");
    if (intA && intB) {
        std::int64_t sum;
        if (__builtin_add_overflow(ia, ib, &sum)) return Fail(ctx, "Arithmetic overflow error converting expression to data type bigint.");
        return sqlite3_result_int64(ctx, sum);
    }
    sqlite3_result_double(ctx, da + db);
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

// ROUND(x, n[, truncate]); n may be negative, and integers stay integers.
void Round(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (IsNull(argv[0]) || IsNull(argv[1])) return sqlite3_result_null(ctx);
    const std::int64_t n = sqlite3_value_int64(argv[1]);
    const bool truncate = argc == 3 && !IsNull(argv[2]) && sqlite3_value_int64(argv[2]) != 0;
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER) {
        const std::int64_t v = sqlite3_value_int64(argv[0]);
        if (n >= 0) return sqlite3_result_int64(ctx, v);
        if (n < -18) return sqlite3_result_int64(ctx, 0);
        std::int64_t scale = 1;
        for (std::int64_t k = 0; k < -n; ++k) scale *= 10;
        std::int64_t q = v / scale, r = v % scale;
        if (!truncate && std::llabs(r) * 2 >= scale) q += v < 0 ? -1 : 1;
        return sqlite3_result_int64(ctx, q * scale);
    }
    const auto x = NumberOf(argv[0]);
    if (!x) return Fail(ctx, "ROUND needs a number");
    const double scale = std::pow(10.0, static_cast<double>(n));
    const double scaled = *x * scale;
    sqlite3_result_double(ctx, (truncate ? std::trunc(scaled) : std::round(scaled)) / scale);
}

void FloorCeiling(sqlite3_context* ctx, sqlite3_value** argv, bool floor) {
    if (IsNull(argv[0])) return sqlite3_result_null(ctx);
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER) return sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]));
    const auto x = NumberOf(argv[0]);
    if (!x) return Fail(ctx, std::string(floor ? "FLOOR" : "CEILING") + " needs a number");
    sqlite3_result_double(ctx, floor ? std::floor(*x) : std::ceil(*x));
}
void Floor(sqlite3_context* ctx, int, sqlite3_value** argv) { FloorCeiling(ctx, argv, true); }
void Ceiling(sqlite3_context* ctx, int, sqlite3_value** argv) { FloorCeiling(ctx, argv, false); }

// The level of a row of a recursive WITH: the statement stops past the limit (0: none).
void RecursionLevel(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const std::int64_t level = sqlite3_value_int64(argv[0]), limit = sqlite3_value_int64(argv[1]);
    if (limit > 0 && level > limit)
        return Fail(ctx, "The statement terminated. The maximum recursion " + std::to_string(limit) +
                             " has been exhausted before statement completion.");
    sqlite3_result_int64(ctx, level);
}

// The divisor of / and %: the server refuses to divide by zero, where SQLite gives NULL.
void Divisor(sqlite3_context* ctx, int, sqlite3_value** argv) {
    sqlite3_value* v = argv[0];
    const int t = sqlite3_value_type(v);
    const bool zero = ((t == SQLITE_INTEGER || t == SQLITE_FLOAT) && sqlite3_value_double(v) == 0.0) ||
                      (t == SQLITE_TEXT && NumberOf(v) && *NumberOf(v) == 0.0);
    if (zero) return Fail(ctx, "Divide by zero error encountered.");
    sqlite3_result_value(ctx, v);
}

void IsNumeric(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const int t = sqlite3_value_type(argv[0]);
    sqlite3_result_int(ctx, t == SQLITE_INTEGER || t == SQLITE_FLOAT || (t == SQLITE_TEXT && NumberOf(argv[0])) ? 1 : 0);
}

// The row version counter read as money: SQL Server reads the 8 bytes as money's
// ten-thousandths, so counter 2001 is 0.2001.
void RowVersionMoney(sqlite3_context* ctx, int, sqlite3_value** argv) {
    switch (sqlite3_value_type(argv[0])) {
        case SQLITE_NULL: return sqlite3_result_null(ctx);
        case SQLITE_BLOB: {
            if (sqlite3_value_bytes(argv[0]) != 8) return Fail(ctx, "a row version has 8 bytes");
            const auto* p = static_cast<const unsigned char*>(sqlite3_value_blob(argv[0]));
            std::uint64_t v = 0;
            for (int i = 0; i < 8; ++i) v = (v << 8) | p[i];
            return sqlite3_result_double(ctx, static_cast<double>(static_cast<std::int64_t>(v)) / 10000.0);
        }
        default: return sqlite3_result_double(ctx, static_cast<double>(sqlite3_value_int64(argv[0])) / 10000.0);
    }
}

// ---- CONVERT --------------------------------------------------------------------------------

struct TargetType {
    std::string base;
    long length = -1;  // -1: not given; 0: max
    long scale = 0;
};

TargetType ParseType(std::string_view t) {
    TargetType out;
    const auto open = t.find('(');
    out.base = std::string(t.substr(0, open));
    if (open != std::string_view::npos) {
        const std::string_view args = t.substr(open + 1, t.size() - open - 2);
        const auto comma = args.find(',');
        const std::string first(args.substr(0, comma));
        out.length = first == "max" ? 0 : std::atol(first.c_str());
        if (comma != std::string_view::npos) out.scale = std::atol(std::string(args.substr(comma + 1)).c_str());
    }
    return out;
}

// Money (4 decimal places) as SQL Server writes it: style 0 two decimals, 1 two decimals with
// thousands separators, 2 (and 126) four decimals.
// The largest money value; as a double it rounds up past the 64-bit range of ten-thousandths.
constexpr double kMoneyLimit = 922337203685477.5807;
constexpr const char* kMoneyOverflow = "Arithmetic overflow error converting expression to data type money.";

// Nothing when the style is not a money style; the value must be within money's range.
std::optional<std::string> FormatMoney(double value, long style) {
    // Held as ten-thousandths, as the server holds money; the ends of the range are clamped
    // onto the 64-bit range they stand for.
    const long double scaled = std::round(static_cast<long double>(value) * 10000.0L);
    const std::int64_t q = scaled >= 9223372036854775807.0L    ? INT64_MAX
                           : scaled <= -9223372036854775807.0L ? -INT64_MAX
                                                               : static_cast<std::int64_t>(scaled);
    const bool negative = q < 0;
    std::uint64_t u = negative ? static_cast<std::uint64_t>(-q) : static_cast<std::uint64_t>(q);
    int decimals = 4;
    if (style == 0 || style == 1) {
        u = (u + 50) / 100;
        decimals = 2;
    } else if (style != 2 && style != 126) {
        return std::nullopt;
    }
    const std::uint64_t unit = decimals == 4 ? 10000 : 100;
    std::string whole = std::to_string(u / unit);
    if (style == 1)
        for (int i = static_cast<int>(whole.size()) - 3; i > 0; i -= 3) whole.insert(static_cast<std::size_t>(i), ",");
    std::string frac = std::to_string(u % unit);
    frac.insert(0, static_cast<std::size_t>(decimals) - frac.size(), '0');
    return (negative ? "-" : "") + whole + "." + frac;
}

bool IsTextTypeName(const std::string& b) {
    return b == "char" || b == "varchar" || b == "nchar" || b == "nvarchar" || b == "text" || b == "ntext" ||
           b == "uniqueidentifier";
}

void ConvertToText(sqlite3_context* ctx, const TargetType& type, sqlite3_value* v, std::optional<long> style,
                   bool money) {
    std::string s;
    bool number = false;
    const int vt = sqlite3_value_type(v);
    if (money) {
        if (!(std::fabs(sqlite3_value_double(v)) <= kMoneyLimit)) return Fail(ctx, kMoneyOverflow);
        const auto text = FormatMoney(sqlite3_value_double(v), style.value_or(0));
        if (!text) return Fail(ctx, "style " + std::to_string(*style) + " is not a money style");
        s = *text;
        number = true;
    } else if (vt == SQLITE_INTEGER) {
        s = std::to_string(sqlite3_value_int64(v));
        number = true;
    } else if (vt == SQLITE_FLOAT) {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.15g", sqlite3_value_double(v));
        s = buf;
        number = true;
    } else {
        s = std::string(Text(v));
        if (style && *style != 0) {
            if (auto d = DateOf(v)) {
                const auto text = FormatDate(*d, *style);
                if (!text) return Fail(ctx, "style " + std::to_string(*style) + " is not a date style");
                s = *text;
            }
        }
    }
    // char without a length is char(30), as in CONVERT.
    const long length = type.length < 0 ? 30 : type.length;
    const bool fixed = type.base == "char" || type.base == "nchar";
    if (length > 0 && type.base != "text" && type.base != "ntext" && type.base != "uniqueidentifier") {
        const std::size_t chars = platform::text::Len(s);
        if (chars > static_cast<std::size_t>(length)) {
            if (number && vt == SQLITE_INTEGER && !money) return ResultText(ctx, "*");
            if (number) return Fail(ctx, "Arithmetic overflow error converting numeric to data type " + type.base + ".");
            s = platform::text::Left(s, length);
        } else if (fixed) {
            s.append(static_cast<std::size_t>(length) - chars, ' ');
        }
    }
    ResultText(ctx, s);
}

void Convert(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (IsNull(argv[1])) return sqlite3_result_null(ctx);
    const TargetType type = ParseType(Text(argv[0]));
    std::optional<long> style;
    if (argc >= 3 && !IsNull(argv[2])) style = static_cast<long>(sqlite3_value_int64(argv[2]));
    const bool money = argc >= 4 && Text(argv[3]) == "money";
    sqlite3_value* v = argv[1];
    const int vt = sqlite3_value_type(v);
    const std::string& b = type.base;
    auto conversionFailed = [&](const std::string& to) {
        Fail(ctx, "Conversion failed when converting the value '" + std::string(Text(v)) + "' to data type " + to + ".");
    };

    if (IsTextTypeName(b)) return ConvertToText(ctx, type, v, style, money);

    if (b == "int" || b == "bigint" || b == "smallint" || b == "tinyint" || b == "bit") {
        std::int64_t i = 0;
        if (vt == SQLITE_INTEGER) {
            i = sqlite3_value_int64(v);
        } else if (vt == SQLITE_FLOAT) {
            const double d = std::trunc(sqlite3_value_double(v));
            // 2^63 is the first double past the 64-bit range; NaN fails both tests.
            if (!(d >= -9223372036854775808.0 && d < 9223372036854775808.0))
                return Fail(ctx, "Arithmetic overflow error converting expression to data type " + b + ".");
            i = static_cast<std::int64_t>(d);
        } else {
            const std::string_view t = Trimmed(Text(v));
            bool isInt = false;
            std::int64_t parsed = 0;
            if (t.empty()) {
                i = 0;
            } else if (b == "bit" && (platform::text::EqualsNoCase(t, "true") || platform::text::EqualsNoCase(t, "false"))) {
                i = platform::text::EqualsNoCase(t, "true") ? 1 : 0;
            } else if (ParseNumber(t, isInt, parsed) && isInt) {
                i = parsed;
            } else {
                return conversionFailed(b);
            }
        }
        if (b == "bit") return sqlite3_result_int(ctx, i != 0 ? 1 : 0);
        const std::int64_t lo = b == "int" ? INT32_MIN : b == "smallint" ? INT16_MIN : b == "tinyint" ? 0 : INT64_MIN;
        const std::int64_t hi = b == "int" ? INT32_MAX : b == "smallint" ? INT16_MAX : b == "tinyint" ? 255 : INT64_MAX;
        if (i < lo || i > hi) return Fail(ctx, "Arithmetic overflow error converting expression to data type " + b + ".");
        return sqlite3_result_int64(ctx, i);
    }

    if (b == "money" || b == "smallmoney" || b == "decimal" || b == "numeric" || b == "float" || b == "real") {
        double d;
        if (vt == SQLITE_INTEGER || vt == SQLITE_FLOAT) {
            d = sqlite3_value_double(v);
        } else {
            bool isInt;
            std::int64_t ignored;
            const auto n = ParseNumber(Text(v), isInt, ignored);
            if (!n) return conversionFailed(b);
            d = *n;
        }
        const std::string overflow = "Arithmetic overflow error converting expression to data type " + b + ".";
        if (!std::isfinite(d)) return Fail(ctx, overflow);
        if (b == "money" || b == "smallmoney") {
            if (std::fabs(d) > (b == "money" ? kMoneyLimit : 214748.3647)) return Fail(ctx, overflow);
            return sqlite3_result_double(ctx, std::round(d * 10000.0) / 10000.0);
        }
        if (b == "real" && std::fabs(d) > 3.40282347e38) return Fail(ctx, overflow);
        if (b == "decimal" || b == "numeric") {
            const long precision = type.length > 0 ? type.length : 18;
            const double scaled = std::round(d * std::pow(10.0, static_cast<double>(type.scale)));
            if (std::fabs(scaled) >= std::pow(10.0, static_cast<double>(precision))) return Fail(ctx, overflow);
            if (type.scale == 0) return sqlite3_result_int64(ctx, static_cast<std::int64_t>(scaled));
            const double scale = std::pow(10.0, static_cast<double>(type.scale));
            return sqlite3_result_double(ctx, std::round(d * scale) / scale);
        }
        return sqlite3_result_double(ctx, d);
    }

    if (b == "datetime" || b == "smalldatetime" || b == "date" || b == "datetime2") {
        std::optional<DateTime> d;
        if (vt == SQLITE_TEXT && style && (*style == 101 || *style == 103 || *style == 1 || *style == 3)) {
            // mm/dd/yyyy (101) and dd/mm/yyyy (103)
            int x = 0, y = 0, z = 0;
            const std::string t(Trimmed(Text(v)));
            if (std::sscanf(t.c_str(), "%d/%d/%d", &x, &y, &z) == 3) {
                if (z < 100) z += z < 50 ? 2000 : 1900;
                const bool us = *style == 101 || *style == 1;
                d = DateTime::Parse(FourDigits(z) + "-" + TwoDigits(us ? x : y) + "-" + TwoDigits(us ? y : x));
            }
        } else {
            d = DateOf(v);
            if (!d && (vt == SQLITE_INTEGER || vt == SQLITE_FLOAT)) return Fail(ctx, kDatetimeOverflow);
        }
        if (!d) return Fail(ctx, "Conversion failed when converting date and/or time from character string.");
        if (b == "date") d->hour = d->minute = d->second = 0;
        return ResultText(ctx, d->ToText());
    }
    Fail(ctx, "CONVERT to " + b + " is not supported");
}

// ---- dates ----------------------------------------------------------------------------------

void GetDate(sqlite3_context* ctx, int, sqlite3_value**) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const DateTime d{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
    ResultText(ctx, d.ToText());
}

void DatePartFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (IsNull(argv[1])) return sqlite3_result_null(ctx);
    const auto d = DateOf(argv[1]);
    if (!d) return Fail(ctx, "Conversion failed when converting date and/or time from character string.");
    const auto v = DatePart(Text(argv[0]), *d);
    if (!v) return Fail(ctx, "unknown date part " + std::string(Text(argv[0])));
    sqlite3_result_int64(ctx, *v);
}

// Boundaries crossed between two dates, as SQL Server counts them.
void DateDiff(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (IsNull(argv[1]) || IsNull(argv[2])) return sqlite3_result_null(ctx);
    const auto a = DateOf(argv[1]), b = DateOf(argv[2]);
    if (!a || !b) return Fail(ctx, "Conversion failed when converting date and/or time from character string.");
    const std::string_view part = Text(argv[0]);
    auto floorDiv = [](std::int64_t x, std::int64_t y) { return x >= 0 ? x / y : -((-x + y - 1) / y); };
    std::int64_t r;
    if (part == "year") r = b->year - a->year;
    else if (part == "quarter") r = (b->year * 4 + (b->month - 1) / 3) - (a->year * 4 + (a->month - 1) / 3);
    else if (part == "month") r = (b->year * 12 + b->month) - (a->year * 12 + a->month);
    else if (part == "day" || part == "dayofyear" || part == "weekday") r = DayNumber(*b) - DayNumber(*a);
    else if (part == "week") r = floorDiv(DayNumber(*b) + 1, 7) - floorDiv(DayNumber(*a) + 1, 7);
    else if (part == "hour") r = floorDiv(b->Serial(), 3600) - floorDiv(a->Serial(), 3600);
    else if (part == "minute") r = floorDiv(b->Serial(), 60) - floorDiv(a->Serial(), 60);
    else if (part == "second") r = b->Serial() - a->Serial();
    else return Fail(ctx, "unknown date part " + std::string(part));
    sqlite3_result_int64(ctx, r);
}

void DateAdd(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (IsNull(argv[1]) || IsNull(argv[2])) return sqlite3_result_null(ctx);
    auto d = DateOf(argv[2]);
    if (!d) return Fail(ctx, "Conversion failed when converting date and/or time from character string.");
    // The number is an int, as the server takes it.
    const double number = std::trunc(sqlite3_value_double(argv[1]));
    if (!(number >= -2147483648.0 && number <= 2147483647.0))
        return Fail(ctx, "Arithmetic overflow error converting expression to data type int.");
    const auto n = static_cast<std::int64_t>(number);
    const std::string_view part = Text(argv[0]);
    std::int64_t seconds = 0;
    std::optional<DateTime> moved = d;
    if (part == "year") moved = AddMonths(*d, n * 12);
    else if (part == "quarter") moved = AddMonths(*d, n * 3);
    else if (part == "month") moved = AddMonths(*d, n);
    else if (part == "day" || part == "dayofyear" || part == "weekday") seconds = n * kSecondsPerDay;
    else if (part == "week") seconds = n * 7 * kSecondsPerDay;
    else if (part == "hour") seconds = n * 3600;
    else if (part == "minute") seconds = n * 60;
    else if (part == "second") seconds = n;
    else return Fail(ctx, "unknown date part " + std::string(part));
    if (!moved) return Fail(ctx, "Adding a value to a 'datetime' column caused an overflow.");
    const DateTime result = DateTime::FromSerial(moved->Serial() + seconds);
    if (result.year < 1753 || result.year > 9999) return Fail(ctx, "Adding a value to a 'datetime' column caused an overflow.");
    ResultText(ctx, result.ToText());
}

// ---- registration ---------------------------------------------------------------------------

void Check(sqlite3* db, int rc, const char* what) {
    if (rc != SQLITE_OK)
        throw platform::Error(platform::errnum::ConnectionFailed, "sqlite",
                              std::string("cannot register ") + what + ": " + sqlite3_errmsg(db), rc);
}

using Fn = void (*)(sqlite3_context*, int, sqlite3_value**);
struct Registration {
    const char* name;
    int args;
    bool deterministic;
    Fn fn;
};

constexpr Registration kFunctions[] = {
    {"like", 2, true, Like},
    {"like", 3, true, Like},
    {"sv_add", 2, true, Add},
    {"sv_ceiling", 1, true, Ceiling},
    {"sv_charindex", 2, true, CharIndex},
    {"sv_charindex", 3, true, CharIndex},
    {"sv_convert", 2, true, Convert},
    {"sv_convert", 3, true, Convert},
    {"sv_convert", 4, true, Convert},
    {"sv_datalength", 1, true, DataLength},
    {"sv_dateadd", 3, true, DateAdd},
    {"sv_divisor", 1, true, Divisor},
    {"sv_datediff", 3, true, DateDiff},
    {"sv_datepart", 2, true, DatePartFn},
    {"sv_floor", 1, true, Floor},
    {"sv_getdate", 0, false, GetDate},
    {"sv_isnumeric", 1, true, IsNumeric},
    {"sv_left", 2, true, Left},
    {"sv_len", 1, true, Len},
    {"sv_lower", 1, true, Lower},
    {"sv_newid", 0, false, NewId},
    {"sv_recursion_level", 2, true, RecursionLevel},
    {"sv_replace", 3, true, Replace},
    {"sv_replicate", 2, true, Replicate},
    {"sv_reverse", 1, true, Reverse},
    {"sv_right", 2, true, Right},
    {"sv_round", 2, true, Round},
    {"sv_round", 3, true, Round},
    {"sv_rowversion_money", 1, true, RowVersionMoney},
    {"sv_space", 1, true, Space},
    {"sv_substring", 3, true, Substring},
    {"sv_upper", 1, true, Upper},
};

}  // namespace

void RegisterSqlServerFunctions(sqlite3* db) {
    const std::string collation(platform::db::kSqliteTextCollation);
    for (const char* name : {collation.c_str(), "TSQL_CI"})
        Check(db, sqlite3_create_collation_v2(db, name, SQLITE_UTF8, nullptr, CompareNoCase, nullptr), name);
    for (const auto& f : kFunctions) {
        // Pure functions may also run inside the schema's triggers and defaults.
        const int flags = SQLITE_UTF8 | (f.deterministic ? SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS : 0);
        Check(db, sqlite3_create_function_v2(db, f.name, f.args, flags, nullptr, f.fn, nullptr, nullptr, nullptr),
              f.name);
    }
}

void RegisterLegacyNoCase(sqlite3* db) {
    Check(db, sqlite3_create_collation_v2(db, "NOCASE", SQLITE_UTF8, nullptr, CompareNoCase, nullptr), "NOCASE");
}
