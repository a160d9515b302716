#include "platform/text.h"

#include <unicode/uchar.h>
#include <unicode/ucol.h>
#include <unicode/uscript.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>

namespace platform::text {

namespace {

// A byte that does not start a well-formed sequence decodes to this base plus the byte: outside
// Unicode, so it never equals (or case-maps to) a real character and is written back verbatim.
constexpr char32_t kInvalidBase = 0x110000;

inline bool IsCont(unsigned char b) { return (b & 0xC0) == 0x80; }

// Length in bytes of the well-formed sequence at s[i], or 0 when s[i] does not start one.
// Overlong forms, surrogates and values above U+10FFFF are not well formed.
inline std::size_t SequenceLength(std::string_view s, std::size_t i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) return 1;
    const std::size_t left = s.size() - i;
    auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
    if (b0 >= 0xC2 && b0 <= 0xDF) return left >= 2 && IsCont(at(1)) ? 2 : 0;
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        if (left < 3) return 0;
        const unsigned char b1 = at(1);
        const bool ok1 = b0 == 0xE0 ? (b1 >= 0xA0 && b1 <= 0xBF)
                        : b0 == 0xED ? (b1 >= 0x80 && b1 <= 0x9F)
                                     : IsCont(b1);
        return ok1 && IsCont(at(2)) ? 3 : 0;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        if (left < 4) return 0;
        const unsigned char b1 = at(1);
        const bool ok1 = b0 == 0xF0 ? (b1 >= 0x90 && b1 <= 0xBF)
                        : b0 == 0xF4 ? (b1 >= 0x80 && b1 <= 0x8F)
                                     : IsCont(b1);
        return ok1 && IsCont(at(2)) && IsCont(at(3)) ? 4 : 0;
    }
    return 0;
}

// Bytes taken by the character at s[i]: an invalid byte is a character of its own.
inline std::size_t CharBytes(std::string_view s, std::size_t i) {
    const std::size_t n = SequenceLength(s, i);
    return n ? n : 1;
}

// Decodes at s[i] and advances; invalid bytes come back as kInvalidBase + byte.
inline char32_t Next(std::string_view s, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    const std::size_t n = SequenceLength(s, i);
    auto cont = [&](std::size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(s[i + k]) & 0x3F); };
    char32_t c;
    switch (n) {
        case 1: c = b0; break;
        case 2: c = (char32_t(b0 & 0x1F) << 6) | cont(1); break;
        case 3: c = (char32_t(b0 & 0x0F) << 12) | (cont(1) << 6) | cont(2); break;
        case 4: c = (char32_t(b0 & 0x07) << 18) | (cont(1) << 12) | (cont(2) << 6) | cont(3); break;
        default: ++i; return kInvalidBase + b0;
    }
    i += n;
    return c;
}

// Byte offset of the character after the first `count` characters (s.size() when it has fewer).
std::size_t OffsetOfChar(std::string_view s, std::size_t count, std::size_t from = 0) {
    std::size_t i = from;
    while (count > 0 && i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        i += b < 0x80 ? 1 : CharBytes(s, i);
        --count;
    }
    return i;
}

// Simple (one to one) case mapping of a code point, as SQL Server's UPPER and LOWER do: ß stays ß.
inline char32_t MapCase(char32_t c, bool upper) {
    return static_cast<char32_t>(upper ? u_toupper(static_cast<UChar32>(c)) : u_tolower(static_cast<UChar32>(c)));
}

template <bool Upper>
std::string ConvertCase(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            if (Upper ? (b >= 'a' && b <= 'z') : (b >= 'A' && b <= 'Z'))
                out.push_back(static_cast<char>(b ^ 0x20));
            else
                out.push_back(static_cast<char>(b));
            ++i;
            continue;
        }
        const std::size_t start = i;
        const char32_t c = Next(s, i);
        if (c >= kInvalidBase) {
            out.push_back(s[start]);
            continue;
        }
        const char32_t m = MapCase(c, Upper);
        if (m == c)
            out.append(s.substr(start, i - start));
        else
            AppendUtf8(out, m);
    }
    return out;
}

}  // namespace

char32_t FoldCase(char32_t c) {
    if (c < 0x80) return (c >= U'A' && c <= U'Z') ? c + 32 : c;
    if (c >= kInvalidBase) return c;
    return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
}

bool Caseless(char32_t c) {
    if (c >= kInvalidBase) return false;
    const auto u = static_cast<UChar32>(c);
    // The lower case of a character is cased, or case-ignorable (İ gives i and a combining dot);
    // a character unassigned here may have a case on a server of a later Unicode.
    return !u_hasBinaryProperty(u, UCHAR_CASED) && !u_hasBinaryProperty(u, UCHAR_CASE_IGNORABLE) &&
           u_charType(u) != U_UNASSIGNED;
}

char32_t UpperCase(char32_t c) {
    if (c < 0x80) return (c >= U'a' && c <= U'z') ? c - 32 : c;
    if (c >= kInvalidBase) return c;
    return MapCase(c, true);
}

char32_t DecodeUtf8(std::string_view s, std::size_t& i) {
    if (i >= s.size()) return 0;
    const char32_t c = Next(s, i);
    return c >= kInvalidBase ? c - kInvalidBase : c;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;  // not encodable
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::size_t Len(std::string_view s) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < s.size(); ++n) {
        const auto b = static_cast<unsigned char>(s[i]);
        i += b < 0x80 ? 1 : CharBytes(s, i);
    }
    return n;
}

std::string Left(std::string_view s, long n) {
    if (n <= 0) return {};
    return std::string(s.substr(0, OffsetOfChar(s, static_cast<std::size_t>(n))));
}

std::string Right(std::string_view s, long n) {
    if (n <= 0) return {};
    const std::size_t len = Len(s);
    if (static_cast<std::size_t>(n) >= len) return std::string(s);
    return std::string(s.substr(OffsetOfChar(s, len - static_cast<std::size_t>(n))));
}

std::string Mid(std::string_view s, long start, long len) {
    if (start < 1) start = 1;
    if (len == 0) return {};
    const std::size_t from = OffsetOfChar(s, static_cast<std::size_t>(start - 1));
    if (len < 0) return std::string(s.substr(from));
    const std::size_t to = OffsetOfChar(s, static_cast<std::size_t>(len), from);
    return std::string(s.substr(from, to - from));
}

std::string LTrim(std::string_view s) {
    const std::size_t b = s.find_first_not_of(' ');
    return b == std::string_view::npos ? std::string() : std::string(s.substr(b));
}

std::string RTrim(std::string_view s) {
    const std::size_t e = s.find_last_not_of(' ');
    return e == std::string_view::npos ? std::string() : std::string(s.substr(0, e + 1));
}

std::string Trim(std::string_view s) {
    const std::size_t b = s.find_first_not_of(' ');
    if (b == std::string_view::npos) return {};
    const std::size_t e = s.find_last_not_of(' ');
    return std::string(s.substr(b, e - b + 1));
}

std::string LCase(std::string_view s) { return ConvertCase<false>(s); }
std::string UCase(std::string_view s) { return ConvertCase<true>(s); }

std::string Replace(std::string_view s, std::string_view find, std::string_view with) {
    if (find.empty()) return std::string(s);
    std::string out;
    out.reserve(s.size());
    std::size_t pos = 0;
    for (std::size_t hit; (hit = s.find(find, pos)) != std::string_view::npos; pos = hit + find.size()) {
        out.append(s.substr(pos, hit - pos));
        out.append(with);
    }
    out.append(s.substr(pos));
    return out;
}

long InStr(std::string_view s, std::string_view find, long start) {
    if (start < 1) start = 1;
    if (s.empty()) return 0;
    // Walk character by character so that a match must begin and end on character boundaries
    // (a stray byte in `find` must not match inside a multi-byte character).
    std::size_t i = OffsetOfChar(s, static_cast<std::size_t>(start - 1));
    long pos = start;
    if (i >= s.size()) return 0;
    if (find.empty()) return pos;
    while (i < s.size()) {
        const std::size_t hit = s.find(find, i);
        if (hit == std::string_view::npos) return 0;
        while (i < hit) {
            i += CharBytes(s, i);
            ++pos;
        }
        if (i == hit) {
            std::size_t end = i;
            while (end < hit + find.size()) end += CharBytes(s, end);
            if (end == hit + find.size()) return pos;
            i += CharBytes(s, i);
            ++pos;
        }
    }
    return 0;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[j]);
        if ((x | y) < 0x80) {
            if (x != y && FoldCase(x) != FoldCase(y)) return false;
            ++i;
            ++j;
            continue;
        }
        const char32_t c = Next(a, i);
        const char32_t d = Next(b, j);
        if (c != d && (c >= kInvalidBase || d >= kInvalidBase || FoldCase(c) != FoldCase(d))) return false;
    }
    return i == a.size() && j == b.size();
}

namespace {

// ß (and its capital) equal to ss, where ICU only tells them apart by the accent level.
constexpr char16_t kSharpS[] = u" &ss=\u00DF &SS=\u1E9E";

// Opens a collator at secondary strength (case and width do not count, accents do) from rules.
UCollator* OpenRules(const std::u16string& rules) {
    UErrorCode status = U_ZERO_ERROR;
    UCollator* c = ucol_openRules(rules.data(), static_cast<int32_t>(rules.size()), UCOL_DEFAULT, UCOL_SECONDARY,
                                  nullptr, &status);
    if (U_FAILURE(status)) std::abort();  // fixed rules over ICU's own data
    return c;
}

// Chinese in pinyin order after Latin, as an account's Chinese collation sorts names, and the
// root order for everything else. Building it takes about 60 ms, so it is built once, when a text that is not
// all ASCII is first compared, and each thread gets a copy (a collator's state is not shared
// safely).
UCollator* Collator() {
    static const UCollator* master = [] {
        UErrorCode status = U_ZERO_ERROR;
        UCollator* zh = ucol_open("zh", &status);
        if (U_FAILURE(status)) std::abort();
        int32_t length = 0;
        const UChar* pinyin = ucol_getRules(zh, &length);
        UCollator* c = OpenRules(std::u16string(pinyin, static_cast<std::size_t>(length)) + kSharpS);
        ucol_close(zh);
        // Latin before Chinese, as the account's collation has it (the Chinese order puts Han first).
        const int32_t scripts[] = {USCRIPT_LATIN, USCRIPT_HAN};
        ucol_setReorderCodes(c, scripts, 2, &status);
        if (U_FAILURE(status)) std::abort();
        return c;
    }();
    thread_local std::unique_ptr<UCollator, void (*)(UCollator*)> collator{[] {
        UErrorCode status = U_ZERO_ERROR;
        UCollator* c = ucol_clone(master, &status);
        if (U_FAILURE(status)) std::abort();
        return c;
    }(), ucol_close};
    return collator.get();
}

// The primary rank of each ASCII character under Collator() (0: ignored, as control characters
// are), so that ASCII texts compare without converting; derived from the collator itself.
const std::array<std::uint8_t, 128>& AsciiRanks() {
    static const std::array<std::uint8_t, 128> ranks = [] {
        std::array<char, 128> order{};
        for (int i = 0; i < 128; ++i) order[static_cast<std::size_t>(i)] = static_cast<char>(i);
        // The pinyin tailoring leaves ASCII as the root orders it: the quick root collator serves.
        std::unique_ptr<UCollator, void (*)(UCollator*)> root{OpenRules(kSharpS), ucol_close};
        UCollator* c = root.get();
        UErrorCode status = U_ZERO_ERROR;
        auto cmp = [&](char a, char b) { return ucol_strcollUTF8(c, &a, 1, &b, 1, &status); };
        std::stable_sort(order.begin(), order.end(), [&](char a, char b) { return cmp(a, b) < 0; });
        std::array<std::uint8_t, 128> r{};
        std::uint8_t rank = 0;
        for (std::size_t i = 0; i < order.size(); ++i) {
            const char ch = order[i];
            if (ucol_strcollUTF8(c, &ch, 1, "", 0, &status) == UCOL_EQUAL) continue;  // ignorable: rank 0
            if (i == 0 || r[static_cast<unsigned char>(order[i - 1])] == 0 || cmp(order[i - 1], ch) != 0) ++rank;
            r[static_cast<unsigned char>(ch)] = rank;
        }
        return r;
    }();
    return ranks;
}

}  // namespace

int CollateNoCase(std::string_view a, std::string_view b) {
    const auto& rank = AsciiRanks();
    std::size_t i = 0, j = 0;
    for (;;) {
        while (i < a.size() && static_cast<unsigned char>(a[i]) < 0x80 && rank[static_cast<unsigned char>(a[i])] == 0) ++i;
        while (j < b.size() && static_cast<unsigned char>(b[j]) < 0x80 && rank[static_cast<unsigned char>(b[j])] == 0) ++j;
        const bool endA = i == a.size(), endB = j == b.size();
        if (endA && endB) return 0;
        // Past a non-ASCII character contractions and expansions may apply: the collator decides.
        if ((!endA && static_cast<unsigned char>(a[i]) >= 0x80) || (!endB && static_cast<unsigned char>(b[j]) >= 0x80))
            break;
        if (endA || endB) return endA ? -1 : 1;
        const std::uint8_t x = rank[static_cast<unsigned char>(a[i])], y = rank[static_cast<unsigned char>(b[j])];
        if (x != y) return x < y ? -1 : 1;
        ++i;
        ++j;
    }
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult r = ucol_strcollUTF8(Collator(), a.data(), static_cast<int32_t>(a.size()), b.data(),
                                                static_cast<int32_t>(b.size()), &status);
    if (U_FAILURE(status)) return a.compare(b) < 0 ? -1 : a.compare(b) > 0 ? 1 : 0;
    return r == UCOL_LESS ? -1 : r == UCOL_GREATER ? 1 : 0;
}

namespace {

// A decimal number as a spreadsheet reads one: sign, digits, a point, an exponent.
bool IsPlainNumber(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) ++digits;
    if (i < s.size() && s[i] == '.')
        for (++i; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) ++digits;
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        const std::size_t start = i;
        for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        }
        if (i == start) return false;
    }
    return i == s.size();
}

// Whether a spreadsheet would take the text for a formula, or it is such a text behind the
// apostrophes that protect it (so that protecting and restoring undo each other).
bool NeedsApostrophe(std::string_view s) {
    while (!s.empty() && s.front() == '\'') s.remove_prefix(1);
    return !s.empty() && std::string_view("=+-@\t\r").find(s.front()) != std::string_view::npos && !IsPlainNumber(s);
}

}  // namespace

std::string NeutralCellText(std::string_view text) {
    return NeedsApostrophe(text) ? "'" + std::string(text) : std::string(text);
}

std::string RestoredCellText(std::string_view text) {
    return text.starts_with('\'') && NeedsApostrophe(text.substr(1)) ? std::string(text.substr(1)) : std::string(text);
}

void AppendCsvField(std::string& out, std::string_view raw, bool quoteEdgeSpaces) {
    const std::string neutral = NeutralCellText(raw);
    const std::string_view field = neutral;
    const bool quote = field.find_first_of(",\"\r\n") != std::string_view::npos ||
                       (quoteEdgeSpaces && !field.empty() && (field.front() == ' ' || field.back() == ' '));
    if (!quote) {
        out += field;
        return;
    }
    out += '"';
    for (char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

std::vector<std::string> Split(std::string_view s, std::string_view sep) {
    std::vector<std::string> parts;
    if (s.empty()) return parts;
    if (sep.empty()) {
        parts.emplace_back(s);
        return parts;
    }
    std::size_t pos = 0;
    for (std::size_t hit; (hit = s.find(sep, pos)) != std::string_view::npos; pos = hit + sep.size())
        parts.emplace_back(s.substr(pos, hit - pos));
    parts.emplace_back(s.substr(pos));
    return parts;
}

bool HasControlCharacters(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const char32_t c = DecodeUtf8(s, i);
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) return true;
    }
    return false;
}

namespace {

// Dot-separated parts, none empty.
bool DottedParts(std::string_view s, bool (*allowed)(char32_t)) {
    if (s.empty() || s.front() == '.' || s.back() == '.' || s.find("..") != std::string_view::npos) return false;
    for (std::size_t i = 0; i < s.size();)
        if (char32_t c = DecodeUtf8(s, i); c != '.' && !allowed(c)) return false;
    return true;
}

}  // namespace

bool IsMailAddress(std::string_view s) {
    if (!IsValidUtf8(s) || HasControlCharacters(s)) return false;
    const auto at = s.rfind('@');
    if (at == std::string_view::npos) return false;
    const std::string_view local = s.substr(0, at), domain = s.substr(at + 1);
    if (local.size() > 64 || s.size() > 254) return false;
    const bool localOk = DottedParts(local, [](char32_t c) {
        return c > 0x20 && std::u32string_view(U"<>()[],;:\\\"@").find(c) == std::u32string_view::npos;
    });
    const bool domainOk = DottedParts(domain, [](char32_t c) {
        return c >= 0x80 || c == '-' || (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z');
    });
    return localOk && domainOk && domain.find('.') != std::string_view::npos;
}

std::string FirstBadMailAddress(std::string_view list) {
    for (const std::string& part : Split(Replace(list, ",", ";"), ";"))
        if (const std::string a = Trim(part); !a.empty() && !IsMailAddress(a)) return a;
    return {};
}

std::string HidePasswords(std::string_view s) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    auto keyAt = [&](std::size_t i, std::string_view key) {
        if (i + key.size() > s.size()) return false;
        for (std::size_t k = 0; k < key.size(); ++k)
            if (lower(s[i + k]) != key[k]) return false;
        return true;
    };
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const bool boundary = i == 0 || !(std::isalnum(static_cast<unsigned char>(s[i - 1])) || s[i - 1] == '_');
        std::size_t keyLen = !boundary ? 0 : keyAt(i, "password") ? 8 : keyAt(i, "pwd") ? 3
                               : keyAt(i, "login token") ? 11 : 0;
        std::size_t eq = i + keyLen;
        while (keyLen && eq < s.size() && (s[eq] == ' ' || s[eq] == '\t')) ++eq;
        if (!keyLen || eq >= s.size() || s[eq] != '=') {
            out += s[i++];
            continue;
        }
        out.append(s.substr(i, eq + 1 - i));
        std::size_t v = eq + 1;
        while (v < s.size() && (s[v] == ' ' || s[v] == '\t')) ++v;
        std::size_t end = v;
        if (v < s.size() && (s[v] == '\'' || s[v] == '"')) {
            const std::size_t close = s.find(s[v], v + 1);
            end = close == std::string_view::npos ? s.size() : close + 1;
        }
        while (end < s.size() && s[end] != ';' && s[end] != '\n' && s[end] != '\r') ++end;
        out += "****";
        i = end;
    }
    return out;
}

}  // namespace platform::text
