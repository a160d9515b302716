#pragma once
// T-SQL LIKE patterns read into their parts, once for every use: the SQLite LIKE function matches
// with them, and the translation rewrites a literal pattern into a backend's own syntax.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform::db::dialect {

struct LikePattern {
    enum class Kind : std::uint8_t {
        Char,  // one given character
        Any,   // _
        Many,  // %, a run of them read as one
        Set,   // [abc], [a-c], [^a-c]
    };
    struct Set {
        bool negate = false;
        std::vector<std::pair<char32_t, char32_t>> ranges;  // inclusive; one character is c..c
    };
    struct Item {
        Kind kind;
        char32_t c = 0;         // Char: as written
        std::uint32_t set = 0;  // Set: index into sets
    };
    std::vector<Item> items;
    std::vector<Set> sets;
};

// Reads a UTF-8 T-SQL pattern. The character after `escape` is itself; ']' right after '[' (or
// "[^") belongs to the set; a '[' without its ']' is an ordinary character.
LikePattern ParseLikePattern(std::string_view pattern, std::optional<char32_t> escape = std::nullopt);

// A pattern in the syntax of a backend whose LIKE escapes with backslash and knows no [sets]: a
// set of one character is that character; any other set makes the whole an anchored regular
// expression.
struct BackendPattern {
    std::string text;  // unquoted
    bool regex = false;
};
BackendPattern BackendLikePattern(const LikePattern& pattern);

}  // namespace platform::db::dialect
