#include "key_scan.h"

#include <cctype>

namespace sovrel::testing {

namespace {

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// A ' right after a number is a digit separator (1'000), not a character literal.
bool InsideNumber(std::string_view s, std::size_t quote) {
    std::size_t start = quote;
    while (start > 0 && (IsWordChar(s[start - 1]) || s[start - 1] == '\'')) --start;
    return start < quote && std::isdigit(static_cast<unsigned char>(s[start]));
}

// R"delim(...)delim", also with an encoding prefix (u8R, uR, UR, LR).
bool StartsRawString(std::string_view s, std::size_t r) {
    if (s.substr(r, 2) != "R\"") return false;
    std::size_t start = r;
    while (start > 0 && IsWordChar(s[start - 1])) --start;
    const std::string_view token = s.substr(start, r + 1 - start);
    return token == "R" || token == "u8R" || token == "uR" || token == "UR" || token == "LR";
}

}  // namespace

bool LooksLikeResourceKey(std::string_view literal) {
    if (literal.starts_with("String.")) literal.remove_prefix(7);
    if (!literal.starts_with("Hx.")) return false;
    int segments = 0;
    std::size_t length = 0;
    for (const char c : literal) {
        if (c == '.') {
            if (length == 0) return false;
            ++segments;
            length = 0;
        } else if (IsWordChar(c)) {
            ++length;
        } else {
            return false;
        }
    }
    return length > 0 && segments >= 2;
}

std::vector<KeyUse> ResourceKeysIn(std::string_view s) {
    std::vector<KeyUse> keys;
    int line = 1;
    std::size_t i = 0;
    auto advance = [&](std::size_t to) {
        for (; i < to && i < s.size(); ++i)
            if (s[i] == '\n') ++line;
    };
    while (i < s.size()) {
        const char c = s[i];
        if (s.substr(i, 2) == "//") {
            const std::size_t end = s.find('\n', i);
            advance(end == std::string_view::npos ? s.size() : end);
        } else if (s.substr(i, 2) == "/*") {
            const std::size_t end = s.find("*/", i + 2);
            advance(end == std::string_view::npos ? s.size() : end + 2);
        } else if (c == 'R' && StartsRawString(s, i)) {
            // R"delim( ... )delim"
            const std::size_t open = s.find('(', i + 2);
            if (open == std::string_view::npos) break;
            const std::string close = ")" + std::string(s.substr(i + 2, open - i - 2)) + "\"";
            const std::size_t end = s.find(close, open + 1);
            const std::size_t stop = end == std::string_view::npos ? s.size() : end;
            const int startLine = line;
            const std::string_view body = s.substr(open + 1, stop - open - 1);
            if (LooksLikeResourceKey(body)) keys.push_back({std::string(body), startLine});
            advance(end == std::string_view::npos ? s.size() : end + close.size());
        } else if (c == '"' || (c == '\'' && !InsideNumber(s, i))) {
            std::string literal;
            const int startLine = line;
            std::size_t j = i + 1;
            while (j < s.size() && s[j] != c && s[j] != '\n') {
                if (s[j] == '\\' && j + 1 < s.size()) {
                    literal += s[j];
                    ++j;
                }
                literal += s[j];
                ++j;
            }
            if (c == '"' && LooksLikeResourceKey(literal)) keys.push_back({literal, startLine});
            advance(j + 1);
        } else {
            advance(i + 1);
        }
    }
    return keys;
}

}  // namespace sovrel::testing
