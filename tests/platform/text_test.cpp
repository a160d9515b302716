#include "platform/diagnostics.h"
#include "platform/error.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace t = platform::text;

namespace {

// "中" is 3 bytes, "😀" 4, "é" 2; \xFF and a cut-off sequence are invalid bytes.
const std::string kMixed = "a中😀é";
const std::string kBroken = "x\xFF\xE4\xB8y";  // x, FF, E4, B8, y: five characters

TEST(Text, LenCountsCharactersAndInvalidBytesOneEach) {
    const struct { std::string s; std::size_t len; } cases[] = {
        {"", 0}, {"abc", 3}, {"中文字", 3}, {"😀😀", 2}, {kMixed, 4}, {kBroken, 5},
        {"\xC0\xAF", 2},          // overlong '/'
        {"\xED\xA0\x80", 3},      // encoded surrogate
        {"\xF4\x90\x80\x80", 4},  // above U+10FFFF
        {"\x80\x80", 2},          // stray continuation bytes
        {"\xF0\x9F\x98", 3},      // emoji cut short
    };
    for (const auto& c : cases) EXPECT_EQ(t::Len(c.s), c.len) << c.s;
}

TEST(Text, LeftRightCutOnCharacterBoundaries) {
    const struct { long n; const char* left; const char* right; } cases[] = {
        {-5, "", ""}, {0, "", ""}, {1, "a", "é"}, {2, "a中", "😀é"}, {3, "a中😀", "中😀é"}, {4, "a中😀é", "a中😀é"},
        {99, "a中😀é", "a中😀é"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(t::Left(kMixed, c.n), c.left) << c.n;
        EXPECT_EQ(t::Right(kMixed, c.n), c.right) << c.n;
    }
    EXPECT_EQ(t::Left(kBroken, 3), "x\xFF\xE4");
    EXPECT_EQ(t::Right(kBroken, 2), "\xB8y");
}

TEST(Text, MidTakesOneBasedStartAndOptionalLength) {
    const struct { long start, len; const char* expected; } cases[] = {
        {1, -1, "a中😀é"}, {2, -1, "中😀é"}, {2, 2, "中😀"}, {3, 1, "😀"}, {4, 10, "é"}, {5, -1, ""}, {50, 2, ""}, {2, 0, ""},
        {0, 2, "a中"},   // a start before the first character counts from the first
        {-3, -1, "a中😀é"},
    };
    for (const auto& c : cases) EXPECT_EQ(t::Mid(kMixed, c.start, c.len), c.expected) << c.start << "," << c.len;
    EXPECT_EQ(t::Mid(kBroken, 3, 2), "\xE4\xB8");
}

TEST(Text, InStrReturnsCharacterPositions) {
    const std::string s = "中a中b😀中";
    const struct { std::string find; long start; long expected; } cases[] = {
        {"中", 1, 1}, {"中", 2, 3}, {"中", 4, 6}, {"中", 7, 0}, {"b😀", 1, 4}, {"😀中", 1, 5}, {"x", 1, 0}, {"", 1, 1},
        {"", 3, 3}, {"", 7, 0}, {"中", 0, 1}, {"中", -4, 1},
        {"\xB8", 1, 0},  // a stray byte must not match inside a character
        {"\xE4", 1, 0},  // nor the first byte of one
    };
    for (const auto& c : cases) EXPECT_EQ(t::InStr(s, c.find, c.start), c.expected) << c.find << " from " << c.start;
    EXPECT_EQ(t::InStr("", "", 1), 0);
    EXPECT_EQ(t::InStr(kBroken, "\xB8", 1), 4);  // but an invalid byte of its own does match
}

TEST(Text, TrimRemovesSpacesOnly) {
    const struct { const char* in; const char* trim; const char* ltrim; const char* rtrim; } cases[] = {
        {"  a b  ", "a b", "a b  ", "  a b"}, {"\ta\t", "\ta\t", "\ta\t", "\ta\t"},
        {" \ta\n ", "\ta\n", "\ta\n ", " \ta\n"}, {"    ", "", "", ""}, {"", "", "", ""},
        {"\xE3\x80\x80x", "\xE3\x80\x80x", "\xE3\x80\x80x", "\xE3\x80\x80x"},  // ideographic space kept
    };
    for (const auto& c : cases) {
        EXPECT_EQ(t::Trim(c.in), c.trim) << '[' << c.in << ']';
        EXPECT_EQ(t::LTrim(c.in), c.ltrim) << '[' << c.in << ']';
        EXPECT_EQ(t::RTrim(c.in), c.rtrim) << '[' << c.in << ']';
    }
}

TEST(Text, CaseMappingAcrossScripts) {
    const struct { const char* upper; const char* lower; } pairs[] = {
        {"HELLO, WORLD 123", "hello, world 123"}, {"ÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖØÙÚÛÜÝÞ", "àáâãäåæçèéêëìíîïðñòóôõöøùúûüýþ"},
        {"ĀĂĄĆČĎĐĒĘĚĞĢĦĨĪĮĲĴĶĹĻĽĿŁŃŅŇŊŌŐŒŔŘŚŞŠŢŤŦŨŪŮŰŲŴŶŹŻŽ",
         "āăąćčďđēęěğģħĩīįĳĵķĺļľŀłńņňŋōőœŕřśşšţťŧũūůűųŵŷźżž"},
        {"ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ ΆΈΉΊΌΎΏ ΪΫ", "αβγδεζηθικλμνξοπρστυφχψω άέήίόύώ ϊϋ"},
        {"АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ ЁЂЃЄЅІЇЈЉЊЋЌЍЎЏ ѢѲҐҒӁӘ",
         "абвгдежзийклмнопрстуфхцчшщъыьэюя ёђѓєѕіїјљњћќѝўџ ѣѳґғӂә"},
        {"ＡＢＣＸＹＺ", "ａｂｃｘｙｚ"},
    };
    for (const auto& p : pairs) {
        EXPECT_EQ(t::LCase(p.upper), p.lower);
        EXPECT_EQ(t::UCase(p.lower), p.upper);
        EXPECT_TRUE(t::EqualsNoCase(p.upper, p.lower)) << p.upper;
    }
    // Mixed scripts, characters without case, and one-way mappings.
    EXPECT_EQ(t::LCase("Mix 中文 ÉΣЖ😀Ｚ ß ×÷"), "mix 中文 éσж😀ｚ ß ×÷");
    EXPECT_EQ(t::UCase("ÿ µ ς ß ı"), "Ÿ Μ Σ ß I");
    EXPECT_EQ(t::LCase("Ÿİ"), "ÿi");
    EXPECT_EQ(t::LCase("ς"), "ς");  // final sigma stays final in lower case
}

TEST(Text, CaseMappingKeepsInvalidBytesVerbatim) {
    const std::string in = "A\xFF\xC3Z\xE4\xB8";
    EXPECT_EQ(t::LCase(in), "a\xFF\xC3z\xE4\xB8");
    EXPECT_EQ(t::UCase("a\xFF\xC3z"), "A\xFF\xC3Z");
    // An invalid byte is not the character with the same number.
    EXPECT_FALSE(t::EqualsNoCase("\xC3", "\xC3\x83"));
    EXPECT_TRUE(t::EqualsNoCase("a\xFF", "A\xFF"));
}

// Every letter that lower-cases to something else must upper-case back to itself: catches a slip
// in the parity ranges or offsets of the tables.
TEST(Text, LowerAndUpperAreInversesOverTheCoveredBlocks) {
    const std::pair<char32_t, char32_t> blocks[] = {
        {0x41, 0x5A}, {0xC0, 0xDE}, {0x100, 0x17F}, {0x370, 0x3FF}, {0x400, 0x52F}, {0xFF21, 0xFF3A}};
    int mapped = 0;
    for (auto [from, to] : blocks) {
        for (char32_t c = from; c <= to; ++c) {
            std::string s;
            t::AppendUtf8(s, c);
            const std::string lower = t::LCase(s);
            // Dotted capital I and the capital theta symbol lower-case to letters with their own capital.
            if (lower == s || c == 0x130 || c == 0x3F4) continue;
            ++mapped;
            EXPECT_EQ(t::UCase(lower), s) << std::hex << static_cast<unsigned>(c);
            EXPECT_EQ(t::Len(lower), 1u);
        }
    }
    EXPECT_GT(mapped, 300);
}

TEST(Text, EqualsNoCaseFoldsSecondLowerForms) {
    const struct { const char* a; const char* b; bool equal; } cases[] = {
        {"Hx.CRM.COMMON", "hx.crm.common", true}, {"ΣΟΦΟΣ", "σοφος", true},
        {"ΣΟΦΟΣ", "σοφoς", false},  // Latin o
        {"µ", "Μ", true}, {"ſ", "S", true}, {"Straße", "STRASSE", false}, {"abc", "abcd", false}, {"", "", true},
        {"ＡＢＣ", "ABC", false},
    };
    for (const auto& c : cases) EXPECT_EQ(t::EqualsNoCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
    EXPECT_EQ(t::FoldCase(U'Σ'), t::FoldCase(U'ς'));
}

TEST(Text, ReplaceAndSplit) {
    EXPECT_EQ(t::Replace("a-b-c", "-", "中"), "a中b中c");
    EXPECT_EQ(t::Replace("aaa", "aa", "x"), "xa");
    EXPECT_EQ(t::Replace("abc", "", "x"), "abc");
    EXPECT_EQ(t::Replace("abcabc", "bc", ""), "aa");
    EXPECT_EQ(t::Replace("ABC", "b", "x"), "ABC");  // case-sensitive

    const struct { const char* s; const char* sep; std::vector<std::string> parts; } cases[] = {
        {"a,b,,c", ",", {"a", "b", "", "c"}}, {",a,", ",", {"", "a", ""}}, {"a||b", "||", {"a", "b"}},
        {"中；文", "；", {"中", "文"}}, {"abc", ",", {"abc"}}, {"abc", "", {"abc"}}, {"", ",", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(t::Split(c.s, c.sep), c.parts) << c.s;
}

TEST(Text, Utf8DecodeAndEncodeRoundTrip) {
    const char32_t points[] = {0x0, 0x41, 0x7F, 0x80, 0x7FF, 0x800, 0xD7FF, 0xE000, 0xFFFD, 0xFFFF,
                               0x10000, 0x1F600, 0x10FFFF};
    for (char32_t c : points) {
        std::string s;
        t::AppendUtf8(s, c);
        std::size_t i = 0;
        EXPECT_EQ(t::DecodeUtf8(s, i), c);
        EXPECT_EQ(i, s.size());
        EXPECT_EQ(t::Len(s), 1u);
    }
    std::string bad;
    t::AppendUtf8(bad, 0xD800);
    t::AppendUtf8(bad, 0x110000);
    EXPECT_EQ(bad, "\xEF\xBF\xBD\xEF\xBF\xBD");

    const std::string s = "\xFF\xE4\xB8\xAD";
    std::size_t i = 0;
    EXPECT_EQ(t::DecodeUtf8(s, i), 0xFFu);
    EXPECT_EQ(i, 1u);
    EXPECT_EQ(t::DecodeUtf8(s, i), U'中');
    EXPECT_EQ(i, 4u);
}

TEST(Text, HidePasswordsMasksEveryPasswordValue) {
    const std::pair<std::string, std::string> cases[] = {
        {"Provider=PostgreSQL;Data Source=db;Password=Sekr3tPw;User ID=sa",
         "Provider=PostgreSQL;Data Source=db;Password=****;User ID=sa"},
        {"pwd = 'a;b' ;Initial Catalog=x", "pwd =****;Initial Catalog=x"},
        {"PASSWORD=\"x y\"", "PASSWORD=****"},
        {"cannot open Provider=SQLite;Pwd=p1\nnext line", "cannot open Provider=SQLite;Pwd=****\nnext line"},
        {"a=1;password=one;x=2;Password=two", "a=1;password=****;x=2;Password=****"},
        {"cPasswordHash = 'kept'; mypassword=kept", "cPasswordHash = 'kept'; mypassword=kept"},  // other names
        {"Password", "Password"},
        {"Password=", "Password=****"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(t::HidePasswords(in), out) << in;
    // Messages and the diagnostic channel carry no password either.
    EXPECT_EQ(platform::Error(1, "x", "bad Password=Sekr3tPw;").Description(), "bad Password=****;");
    EXPECT_STREQ(platform::Error(1, "x", "Pwd=Sekr3tPw").what(), "Pwd=****");
    platform::DebugCapture capture;
    platform::DebugOutput("open Password=Sekr3tPw;Data Source=x");
    EXPECT_FALSE(capture.Contains("Sekr3tPw"));
    EXPECT_TRUE(capture.Contains("Password=****;Data Source=x"));
}

}  // namespace
