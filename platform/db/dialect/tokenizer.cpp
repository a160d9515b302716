#include "dialect/tokenizer.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

#include "platform/error.h"
#include "platform/text.h"

namespace platform::db::dialect {

namespace {

struct KeywordEntry {
    std::string_view upper;
    Kw kw;
};

// Sorted by name for binary search.
constexpr std::array kKeywords{
    KeywordEntry{"ALL", Kw::All},
    KeywordEntry{"ALTER", Kw::Alter},
    KeywordEntry{"AND", Kw::And},
    KeywordEntry{"ANY", Kw::Any},
    KeywordEntry{"APPLY", Kw::Apply},
    KeywordEntry{"AS", Kw::As},
    KeywordEntry{"ASC", Kw::Asc},
    KeywordEntry{"BEGIN", Kw::Begin},
    KeywordEntry{"BETWEEN", Kw::Between},
    KeywordEntry{"BREAK", Kw::Break},
    KeywordEntry{"BY", Kw::By},
    KeywordEntry{"CASE", Kw::Case},
    KeywordEntry{"CLOSE", Kw::Close},
    KeywordEntry{"COLLATE", Kw::Collate},
    KeywordEntry{"COMMIT", Kw::Commit},
    KeywordEntry{"COMPUTE", Kw::Compute},
    KeywordEntry{"CONTAINS", Kw::Contains},
    KeywordEntry{"CONTINUE", Kw::Continue},
    KeywordEntry{"CREATE", Kw::Create},
    KeywordEntry{"CROSS", Kw::Cross},
    KeywordEntry{"CURRENT_TIMESTAMP", Kw::Current_timestamp},
    KeywordEntry{"CURRENT_USER", Kw::Current_user},
    KeywordEntry{"CURSOR", Kw::Cursor},
    KeywordEntry{"DATABASE", Kw::Database},
    KeywordEntry{"DEALLOCATE", Kw::Deallocate},
    KeywordEntry{"DECLARE", Kw::Declare},
    KeywordEntry{"DEFAULT", Kw::Default},
    KeywordEntry{"DELETE", Kw::Delete},
    KeywordEntry{"DENY", Kw::Deny},
    KeywordEntry{"DESC", Kw::Desc},
    KeywordEntry{"DISTINCT", Kw::Distinct},
    KeywordEntry{"DROP", Kw::Drop},
    KeywordEntry{"ELSE", Kw::Else},
    KeywordEntry{"END", Kw::End},
    KeywordEntry{"ESCAPE", Kw::Escape},
    KeywordEntry{"EXCEPT", Kw::Except},
    KeywordEntry{"EXEC", Kw::Exec},
    KeywordEntry{"EXECUTE", Kw::Execute},
    KeywordEntry{"EXISTS", Kw::Exists},
    KeywordEntry{"FETCH", Kw::Fetch},
    KeywordEntry{"FOR", Kw::For},
    KeywordEntry{"FREETEXT", Kw::Freetext},
    KeywordEntry{"FROM", Kw::From},
    KeywordEntry{"FULL", Kw::Full},
    KeywordEntry{"GOTO", Kw::Goto},
    KeywordEntry{"GRANT", Kw::Grant},
    KeywordEntry{"GROUP", Kw::Group},
    KeywordEntry{"HAVING", Kw::Having},
    KeywordEntry{"IF", Kw::If},
    KeywordEntry{"IN", Kw::In},
    KeywordEntry{"INDEX", Kw::Index},
    KeywordEntry{"INNER", Kw::Inner},
    KeywordEntry{"INSERT", Kw::Insert},
    KeywordEntry{"INTERSECT", Kw::Intersect},
    KeywordEntry{"INTO", Kw::Into},
    KeywordEntry{"IS", Kw::Is},
    KeywordEntry{"JOIN", Kw::Join},
    KeywordEntry{"KILL", Kw::Kill},
    KeywordEntry{"LEFT", Kw::Left},
    KeywordEntry{"LIKE", Kw::Like},
    KeywordEntry{"MERGE", Kw::Merge},
    KeywordEntry{"NOT", Kw::Not},
    KeywordEntry{"NULL", Kw::Null},
    KeywordEntry{"OF", Kw::Of},
    KeywordEntry{"OFF", Kw::Off},
    KeywordEntry{"ON", Kw::On},
    KeywordEntry{"OPEN", Kw::Open},
    KeywordEntry{"OPTION", Kw::Option},
    KeywordEntry{"OR", Kw::Or},
    KeywordEntry{"ORDER", Kw::Order},
    KeywordEntry{"OUTER", Kw::Outer},
    KeywordEntry{"OVER", Kw::Over},
    KeywordEntry{"PERCENT", Kw::Percent},
    KeywordEntry{"PIVOT", Kw::Pivot},
    KeywordEntry{"PRINT", Kw::Print},
    KeywordEntry{"PROC", Kw::Proc},
    KeywordEntry{"PROCEDURE", Kw::Procedure},
    KeywordEntry{"RAISERROR", Kw::Raiserror},
    KeywordEntry{"REFERENCES", Kw::References},
    KeywordEntry{"RETURN", Kw::Return},
    KeywordEntry{"REVOKE", Kw::Revoke},
    KeywordEntry{"RIGHT", Kw::Right},
    KeywordEntry{"ROLLBACK", Kw::Rollback},
    KeywordEntry{"SAVE", Kw::Save},
    KeywordEntry{"SELECT", Kw::Select},
    KeywordEntry{"SESSION_USER", Kw::Session_user},
    KeywordEntry{"SET", Kw::Set},
    KeywordEntry{"SOME", Kw::Some},
    KeywordEntry{"SYSTEM_USER", Kw::System_user},
    KeywordEntry{"TABLE", Kw::Table},
    KeywordEntry{"TABLESAMPLE", Kw::Tablesample},
    KeywordEntry{"THEN", Kw::Then},
    KeywordEntry{"TO", Kw::To},
    KeywordEntry{"TOP", Kw::Top},
    KeywordEntry{"TRAN", Kw::Tran},
    KeywordEntry{"TRANSACTION", Kw::Transaction},
    KeywordEntry{"TRUNCATE", Kw::Truncate},
    KeywordEntry{"UNION", Kw::Union},
    KeywordEntry{"UNPIVOT", Kw::Unpivot},
    KeywordEntry{"UPDATE", Kw::Update},
    KeywordEntry{"USE", Kw::Use},
    KeywordEntry{"USER", Kw::User},
    KeywordEntry{"VALUES", Kw::Values},
    KeywordEntry{"WAITFOR", Kw::Waitfor},
    KeywordEntry{"WHEN", Kw::When},
    KeywordEntry{"WHERE", Kw::Where},
    KeywordEntry{"WHILE", Kw::While},
    KeywordEntry{"WITH", Kw::With},
};

// Where the keywords of each first letter start in kKeywords (A to Z, then the end), so that a
// word is compared with a handful of them.
constexpr std::array<std::uint8_t, 27> kByLetter = [] {
    std::array<std::uint8_t, 27> at{};
    std::size_t k = 0;
    for (std::size_t letter = 0; letter < 26; ++letter) {
        at[letter] = static_cast<std::uint8_t>(k);
        while (k < kKeywords.size() && kKeywords[k].upper[0] == static_cast<char>('A' + letter)) ++k;
    }
    at[26] = static_cast<std::uint8_t>(k);
    return at;
}();
static_assert(kByLetter[26] == kKeywords.size(), "the keywords are sorted and start with a letter");

// Per first letter, the lengths its keywords have (bit n: length n): most names are no keyword's
// length and are not compared at all.
constexpr std::array<std::uint32_t, 26> kLengths = [] {
    std::array<std::uint32_t, 26> bits{};
    for (const KeywordEntry& e : kKeywords) bits[static_cast<std::size_t>(e.upper[0] - 'A')] |= 1u << e.upper.size();
    return bits;
}();
constexpr std::size_t kLongestKeyword = 17;
static_assert(std::all_of(kKeywords.begin(), kKeywords.end(),
                          [](const KeywordEntry& e) { return e.upper.size() <= kLongestKeyword; }));

Kw LookupKeyword(std::string_view word) {
    if (word.size() > kLongestKeyword) return Kw::None;
    const char first = (word[0] >= 'a' && word[0] <= 'z') ? static_cast<char>(word[0] - 32) : word[0];
    if (first < 'A' || first > 'Z') return Kw::None;
    const auto letter = static_cast<std::size_t>(first - 'A');
    if (!((kLengths[letter] >> word.size()) & 1u)) return Kw::None;
    char buf[kLongestKeyword];
    for (std::size_t i = 0; i < word.size(); ++i) {
        char c = word[i];
        buf[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    }
    const std::string_view upper(buf, word.size());
    for (std::size_t k = kByLetter[letter]; k < kByLetter[letter + 1]; ++k)
        if (kKeywords[k].upper == upper) return kKeywords[k].kw;
    return Kw::None;
}

constexpr std::array<std::uint8_t, 256> kCharClass = [] {
    std::array<std::uint8_t, 256> c{};
    for (std::size_t i = 0; i < 256; ++i) {
        const bool start = (i >= 'a' && i <= 'z') || (i >= 'A' && i <= 'Z') || i == '_' || i == '#' || i >= 0x80;
        const bool word = start || (i >= '0' && i <= '9') || i == '@' || i == '$';
        c[i] = static_cast<std::uint8_t>((start ? 1 : 0) | (word ? 2 : 0));
    }
    return c;
}();
bool IsWordStart(unsigned char c) { return kCharClass[c] & 1; }
bool IsWordChar(unsigned char c) { return kCharClass[c] & 2; }

// The operators of two characters: <> != <= >= !< !> ::, and the compound assignments.
bool IsTwoCharOp(char a, char b) {
    switch (a) {
        case '<': return b == '>' || b == '=';
        case '!': return b == '=' || b == '<' || b == '>';
        case ':': return b == ':';
        case '>': case '+': case '-': case '*': case '/': case '%': case '&': case '|': case '^': return b == '=';
        default: return false;
    }
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

[[noreturn]] void Fail(std::string_view src, std::size_t at, std::initializer_list<MessagePart> what) {
    RefuseAt(src, at, what);
}

[[gnu::noinline]] Error Refusal(std::string_view tsql, std::size_t byteOffset,
                                std::initializer_list<MessagePart> parts) {
    std::string message;
    for (const MessagePart& p : parts) {
        const std::size_t from = message.size();
        message += p.text;
        if (p.upper)
            for (std::size_t i = from; i < message.size(); ++i)
                if (message[i] >= 'a' && message[i] <= 'z') message[i] = static_cast<char>(message[i] - 32);
    }
    message += " at position ";
    message += std::to_string(CharPosition(tsql, byteOffset));
    return Error(errnum::CannotTranslate, "dialect", std::move(message));
}

}  // namespace

void RefuseAt(std::string_view tsql, std::size_t byteOffset, std::initializer_list<MessagePart> parts) {
    throw Refusal(tsql, byteOffset, parts);
}

long CharPosition(std::string_view tsql, std::size_t byteOffset) {
    return static_cast<long>(text::Len(tsql.substr(0, std::min(byteOffset, tsql.size())))) + 1;
}

bool SameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

std::vector<Token> Tokenize(std::string_view s) {
    std::vector<Token> out;
    Tokenize(s, out);
    return out;
}

void Tokenize(std::string_view s, std::vector<Token>& out) {
    out.clear();
    out.reserve(s.size() / 4 + 8);
    const std::size_t n = s.size();
    std::size_t i = 0;
    bool space = false;
    auto push = [&](Tk kind, std::size_t start, std::size_t end, Kw kw = Kw::None) {
        out.push_back(Token{kind, kw, space, static_cast<std::uint32_t>(start),
                            static_cast<std::uint32_t>(end - start)});
        space = false;
    };
    // Quoted text ending in `close`, where a doubled `close` stands for one.
    auto quoted = [&](std::size_t start, std::size_t from, char close, const char* what) {
        std::size_t j = from;
        for (;;) {
            if (j >= n) Fail(s, start, {"unterminated ", what});
            if (s[j] == close) {
                if (j + 1 < n && s[j + 1] == close) {
                    j += 2;
                    continue;
                }
                return j + 1;
            }
            ++j;
        }
    };

    while (i < n) {
        const char c = s[i];
        const auto uc = static_cast<unsigned char>(c);
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
            space = true;
            ++i;
            continue;
        }
        if (c == '-' && i + 1 < n && s[i + 1] == '-') {
            while (i < n && s[i] != '\n') ++i;
            space = true;
            continue;
        }
        if (c == '/' && i + 1 < n && s[i + 1] == '*') {
            // Block comments nest in T-SQL.
            std::size_t start = i, depth = 0;
            while (i < n) {
                if (s[i] == '/' && i + 1 < n && s[i + 1] == '*') {
                    ++depth;
                    i += 2;
                } else if (s[i] == '*' && i + 1 < n && s[i + 1] == '/') {
                    i += 2;
                    if (--depth == 0) break;
                } else {
                    ++i;
                }
            }
            if (depth != 0) Fail(s, start, {"unterminated comment"});
            space = true;
            continue;
        }
        if ((c == 'N' || c == 'n') && i + 1 < n && s[i + 1] == '\'') {
            push(Tk::NString, i, quoted(i, i + 2, '\'', "string literal"));
            i = out.back().pos + out.back().len;
            continue;
        }
        if (c == '\'') {
            push(Tk::String, i, quoted(i, i + 1, '\'', "string literal"));
            i = out.back().pos + out.back().len;
            continue;
        }
        if (c == '[') {
            push(Tk::Bracketed, i, quoted(i, i + 1, ']', "bracketed name"));
            i = out.back().pos + out.back().len;
            continue;
        }
        if (c == '"') {
            push(Tk::DQuoted, i, quoted(i, i + 1, '"', "quoted name"));
            i = out.back().pos + out.back().len;
            continue;
        }
        if (c == '@') {
            std::size_t j = i + 1;
            if (j < n && s[j] == '@') ++j;
            while (j < n && IsWordChar(static_cast<unsigned char>(s[j]))) ++j;
            if (j == i + 1) Fail(s, i, {"a lone '@'"});
            push(Tk::Variable, i, j);
            i = j;
            continue;
        }
        if (IsWordStart(uc)) {
            std::size_t j = i + 1;
            while (j < n && IsWordChar(static_cast<unsigned char>(s[j]))) ++j;
            push(Tk::Ident, i, j, LookupKeyword(s.substr(i, j - i)));
            i = j;
            continue;
        }
        if (IsDigit(c) || (c == '.' && i + 1 < n && IsDigit(s[i + 1]))) {
            std::size_t j = i;
            if (c == '0' && i + 1 < n && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
                j = i + 2;
                while (j < n && std::isxdigit(static_cast<unsigned char>(s[j]))) ++j;
            } else {
                while (j < n && IsDigit(s[j])) ++j;
                if (j < n && s[j] == '.') {
                    ++j;
                    while (j < n && IsDigit(s[j])) ++j;
                }
                if (j < n && (s[j] == 'e' || s[j] == 'E')) {
                    std::size_t k = j + 1;
                    if (k < n && (s[k] == '+' || s[k] == '-')) ++k;
                    if (k < n && IsDigit(s[k])) {
                        j = k;
                        while (j < n && IsDigit(s[j])) ++j;
                    }
                }
            }
            if (j < n && IsWordStart(static_cast<unsigned char>(s[j])))
                Fail(s, i, {"malformed number '", s.substr(i, j + 1 - i), "'"});
            push(Tk::Number, i, j);
            i = j;
            continue;
        }
        switch (c) {
            case '(': push(Tk::LParen, i, i + 1); ++i; continue;
            case ')': push(Tk::RParen, i, i + 1); ++i; continue;
            case ',': push(Tk::Comma, i, i + 1); ++i; continue;
            case ';': push(Tk::Semicolon, i, i + 1); ++i; continue;
            case '.': push(Tk::Dot, i, i + 1); ++i; continue;
            case '?': push(Tk::Param, i, i + 1); ++i; continue;
            default: break;
        }
        // Operators: the two-character ones first.
        if (i + 1 < n) {
            if (IsTwoCharOp(c, s[i + 1])) {
                push(Tk::Op, i, i + 2);
                i += 2;
                continue;
            }
        }
        if (std::string_view("=<>+-*/%&|^~").find(c) != std::string_view::npos) {
            push(Tk::Op, i, i + 1);
            ++i;
            continue;
        }
        Fail(s, i, {"unexpected character '", s.substr(i, 1), "'"});
    }
    out.push_back(Token{Tk::End, Kw::None, space, static_cast<std::uint32_t>(n), 0});
}

}  // namespace platform::db::dialect
