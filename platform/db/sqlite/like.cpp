// LIKE with T-SQL patterns, case-insensitive as under SQL Server's default collation.
#include "sqlite/functions_internal.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "dialect/like_pattern.h"
#include "platform/text.h"

namespace platform::db::sqlite_functions {
using platform::text::DecodeUtf8;
using platform::text::FoldCase;

namespace {

// Every character that case folding changes, beside what it folds to; read once.
const std::vector<std::pair<char32_t, char32_t>>& Foldings() {
    static const std::vector<std::pair<char32_t, char32_t>> foldings = [] {
        std::vector<std::pair<char32_t, char32_t>> found;
        for (char32_t c = 0x80; c <= 0x10FFFF; ++c)
            if (const char32_t f = FoldCase(c); f != c) found.emplace_back(c, f);
        return found;
    }();
    return foldings;
}

// A T-SQL pattern ready to match: characters folded, and a fast path for %text%.
struct Pattern {
    using Kind = dialect::LikePattern::Kind;
    using Item = dialect::LikePattern::Item;  // a Char folded
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
    bool plainHasLetters = false;  // plainText holds an ASCII letter: compared without regard to case
    // The pattern is %text% of characters alone: a text matches when its folded form holds the
    // folded text (UTF-8 finds a character's bytes only where the character starts).
    bool foldedContains = false;
    std::string foldedText;
    // Its first character outside ASCII in each form that folds to it: a text without any of
    // them cannot hold it, and is passed over without folding.
    std::vector<std::string> anchors;

    static Pattern Compile(std::string_view p, std::optional<char32_t> escape) {
        dialect::LikePattern parsed = dialect::ParseLikePattern(p, escape);
        Pattern out;
        out.items = std::move(parsed.items);
        for (auto& item : out.items)
            if (item.kind == Kind::Char) item.c = FoldCase(item.c);
        for (auto& set : parsed.sets) out.sets.push_back({set.negate, std::move(set.ranges)});
        const auto& it = out.items;
        auto plain = [](const Item& i) {
            return i.kind == Kind::Char && (i.c < 0x80 || (i.c >= 0x3400 && i.c <= 0x9FFF) ||
                                            (i.c >= 0xF900 && i.c <= 0xFAFF) || (i.c >= 0x20000 && i.c <= 0x3FFFF));
        };
        out.plainContains = it.size() >= 2 && it.front().kind == Kind::Many && it.back().kind == Kind::Many &&
                            std::all_of(it.begin() + 1, it.end() - 1, plain);
        if (out.plainContains)
            for (auto i = it.begin() + 1; i != it.end() - 1; ++i) platform::text::AppendUtf8(out.plainText, i->c);
        out.plainHasLetters = std::any_of(out.plainText.begin(), out.plainText.end(), [](char c) { return c >= 'a' && c <= 'z'; });
        out.foldedContains = it.size() >= 2 && it.front().kind == Kind::Many && it.back().kind == Kind::Many &&
                             std::all_of(it.begin() + 1, it.end() - 1, [](const Item& i) { return i.kind == Kind::Char; });
        if (out.foldedContains) {
            for (auto i = it.begin() + 1; i != it.end() - 1; ++i) platform::text::AppendUtf8(out.foldedText, i->c);
            const auto anchor = std::find_if(it.begin() + 1, it.end() - 1, [](const Item& i) { return i.c >= 0x80; });
            if (anchor != it.end() - 1) {
                out.anchors.emplace_back();
                platform::text::AppendUtf8(out.anchors.back(), anchor->c);
                for (const auto& [from, to] : Foldings())
                    if (to == anchor->c) {
                        out.anchors.emplace_back();
                        platform::text::AppendUtf8(out.anchors.back(), from);
                    }
            }
        }
        return out;
    }

    // plainContains: whether t holds plainText, ASCII case aside. Only a text whose characters
    // fold to themselves or to a non-ASCII character can be compared so.
    bool HoldsPlainText(std::string_view t) const {
        // Without a letter, case plays no part: the bytes are found as they are.
        if (!plainHasLetters) return t.find(plainText) != std::string_view::npos;
        const std::size_t n = plainText.size();
        if (n > t.size()) return false;
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        // Where the first character may start, in either case: each found by memchr, and looked
        // for again only once passed.
        const char first = plainText[0];
        const char upper = first >= 'a' && first <= 'z' ? static_cast<char>(first - 32) : first;
        const std::size_t last = t.size() - n;  // the last place the text may start
        auto next = [&](char c, std::size_t from) {
            const void* at = from <= last ? std::memchr(t.data() + from, c, last - from + 1) : nullptr;
            return at ? static_cast<std::size_t>(static_cast<const char*>(at) - t.data()) : std::string_view::npos;
        };
        std::size_t nextFirst = next(first, 0), nextUpper = upper == first ? std::string_view::npos : next(upper, 0);
        while (true) {
            const std::size_t at = std::min(nextFirst, nextUpper);
            if (at == std::string_view::npos) return false;
            std::size_t k = 1;
            while (k < n && lower(t[at + k]) == plainText[k]) ++k;
            if (k == n) return true;
            if (at == nextFirst) nextFirst = next(first, at + 1);
            else nextUpper = next(upper, at + 1);
        }
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
    struct Folding {
        std::vector<char32_t> chars;
        bool lead[256] = {};  // the first bytes of their UTF-8
    };
    static const Folding folding = [] {
        Folding f;
        for (const auto& [c, folded] : Foldings())
            if (folded < 0x80) {
                f.chars.push_back(c);
                std::string bytes;
                platform::text::AppendUtf8(bytes, c);
                f.lead[static_cast<unsigned char>(bytes[0])] = true;
            }
        return f;
    }();
    // Called for every row a search scans: a character is decoded only when its first byte is
    // one of theirs (none of a Chinese text's is).
    for (std::size_t i = 0; i < t.size();) {
        const auto b = static_cast<unsigned char>(t[i]);
        if (!folding.lead[b]) {
            ++i;
            continue;
        }
        if (std::binary_search(folding.chars.begin(), folding.chars.end(), DecodeUtf8(t, i))) return true;
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
        if (compiled->foldedContains) {
            if (!compiled->anchors.empty() &&
                std::none_of(compiled->anchors.begin(), compiled->anchors.end(),
                             [&](const std::string& a) { return t.find(a) != std::string_view::npos; }))
                return false;
            thread_local std::string folded;
            folded.clear();
            for (std::size_t i = 0; i < t.size();) {
                const auto b = static_cast<unsigned char>(t[i]);
                if (b < 0x80) {
                    folded += static_cast<char>(b >= 'A' && b <= 'Z' ? b + 32 : b);
                    ++i;
                } else {
                    platform::text::AppendUtf8(folded, FoldCase(DecodeUtf8(t, i)));
                }
            }
            return folded.find(compiled->foldedText) != std::string::npos;
        }
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

}  // namespace

std::span<const Registration> LikeFunctions() {
    static constexpr Registration kFunctions[] = {
        {"like", 2, true, Like},
        {"like", 3, true, Like},
    };
    return kFunctions;
}

}  // namespace platform::db::sqlite_functions
