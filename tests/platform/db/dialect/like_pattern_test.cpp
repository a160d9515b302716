// The one reading of T-SQL LIKE patterns, and the form it takes on a backend without [sets].
// What a pattern matches on SQLite is functions_test's part; what PostgreSQL is sent, here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialect/like_pattern.h"

using platform::db::dialect::BackendLikePattern;
using platform::db::dialect::LikePattern;
using platform::db::dialect::ParseLikePattern;

namespace {

// The pattern's parts written back compactly: c<char> _ % [set] with ranges lo-hi and ^.
std::string Shape(const LikePattern& p) {
    std::string out;
    for (const auto& item : p.items) {
        switch (item.kind) {
            case LikePattern::Kind::Char: out += "c" + std::string(1, static_cast<char>(item.c)); break;
            case LikePattern::Kind::Any: out += "_"; break;
            case LikePattern::Kind::Many: out += "%"; break;
            case LikePattern::Kind::Set: {
                const auto& set = p.sets[item.set];
                out += set.negate ? "[^" : "[";
                for (auto [lo, hi] : set.ranges) {
                    out += static_cast<char>(lo);
                    if (hi != lo) out += "-" + std::string(1, static_cast<char>(hi));
                }
                out += "]";
            }
        }
        out += ' ';
    }
    return out;
}

TEST(LikePattern, SetsRangesEscapesAndUnclosedBrackets) {
    struct Case {
        const char* pattern;
        char escape;  // 0: none
        const char* shape;
    };
    const Case cases[] = {
        {"a%%_", 0, "ca % _ "},                 // a run of % is one
        {"[a-cx]", 0, "[a-cx] "},
        {"[^a-c]", 0, "[^a-c] "},
        {"[]a]", 0, "[]a] "},                    // ']' first belongs to the set
        {"[a-]", 0, "[a-] "},                    // '-' before ']' is itself
        {"[abc", 0, "c[ ca cb cc "},             // no ']': an ordinary '['
        {"[a-", 0, "c[ ca c- "},
        {"5!%!_!", '!', "c5 c% c_ c! "},         // escaped, and a trailing escape is itself
        {"![x]", '!', "c[ cx c] "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        const auto escape = c.escape ? std::optional<char32_t>(static_cast<char32_t>(c.escape)) : std::nullopt;
        EXPECT_EQ(Shape(ParseLikePattern(c.pattern, escape)), c.shape);
    }
    const auto han = ParseLikePattern("张_");
    ASSERT_EQ(han.items.size(), 2u);
    EXPECT_EQ(han.items[0].c, U'张');
}

TEST(LikePattern, BackendFormEscapesWithBackslashAndSetsNeedARegularExpression) {
    struct Case {
        const char* pattern;
        const char* text;
        bool regex;
    };
    const Case cases[] = {
        {"5[%]_[_]a\\b[[]", "5\\%_\\_a\\\\b[", false},
        {"%x%", "%x%", false},
        {"[a-c].%", "^[a-c]\\..*$", true},
        {"[^a]_", "^[^a].$", true},
        {"[]^-]z(", "^[\\]\\^\\-]z\\($", true},
        {"[^x]", "^[^x]$", true},                // one character, negated: still a set
        {"", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        const auto backend = BackendLikePattern(ParseLikePattern(c.pattern));
        EXPECT_EQ(backend.text, c.text);
        EXPECT_EQ(backend.regex, c.regex);
    }
}

}  // namespace
