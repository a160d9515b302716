#include "platform/diagnostics.h"
#include "platform/error.h"
#include "platform/text.h"

#include <unicode/ucol.h>

#include <random>

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
        {"", 0}, {kMixed, 4}, {kBroken, 5}, {"\x80\x80", 2} /* stray continuations */, {"\xF0\x9F\x98", 3} /* cut */,
        {"\xC0\xAF", 2} /* overlong '/' */, {"\xED\xA0\x80", 3} /* surrogate */, {"\xF4\x90\x80\x80", 4} /* too high */,
    };
    for (const auto& c : cases) EXPECT_EQ(t::Len(c.s), c.len) << c.s;
}

TEST(Text, LeftRightCutOnCharacterBoundaries) {
    const struct { long n; const char* left; const char* right; } cases[] = {
        {-5, "", ""}, {0, "", ""}, {1, "a", "é"}, {3, "a中😀", "中😀é"}, {4, "a中😀é", "a中😀é"}, {99, "a中😀é", "a中😀é"},
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
        {2, -1, "中😀é"}, {2, 2, "中😀"}, {4, 10, "é"}, {5, -1, ""}, {50, 2, ""}, {2, 0, ""},
        {0, 2, "a中"}, {-3, -1, "a中😀é"},  // a start before the first character counts from the first
    };
    for (const auto& c : cases) EXPECT_EQ(t::Mid(kMixed, c.start, c.len), c.expected) << c.start << "," << c.len;
    EXPECT_EQ(t::Mid(kBroken, 3, 2), "\xE4\xB8");
}

TEST(Text, InStrReturnsCharacterPositions) {
    const std::string s = "中a中b😀中";
    const struct { std::string find; long start; long expected; } cases[] = {
        {"中", 2, 3}, {"中", 7, 0}, {"😀中", 1, 5}, {"x", 1, 0}, {"", 3, 3}, {"", 7, 0}, {"中", 0, 1}, {"中", -4, 1},
        {"\xB8", 1, 0},  // a stray byte must not match inside a character
        {"\xE4", 1, 0},  // nor the first byte of one
    };
    for (const auto& c : cases) EXPECT_EQ(t::InStr(s, c.find, c.start), c.expected) << c.find << " from " << c.start;
    EXPECT_EQ(t::InStr("", "", 1), 0);
    EXPECT_EQ(t::InStr(kBroken, "\xB8", 1), 4);  // but an invalid byte of its own does match
}

TEST(Text, TrimRemovesSpacesOnly) {
    const struct { const char* in; const char* trim; const char* ltrim; const char* rtrim; } cases[] = {
        {"  a b  ", "a b", "a b  ", "  a b"}, {" \ta\n ", "\ta\n", "\ta\n ", " \ta\n"}, {"    ", "", "", ""},
        {"\xE3\x80\x80x", "\xE3\x80\x80x", "\xE3\x80\x80x", "\xE3\x80\x80x"},  // ideographic space kept
    };
    for (const auto& c : cases) {
        EXPECT_EQ(t::Trim(c.in), c.trim) << '[' << c.in << ']';
        EXPECT_EQ(t::LTrim(c.in), c.ltrim) << '[' << c.in << ']';
        EXPECT_EQ(t::RTrim(c.in), c.rtrim) << '[' << c.in << ']';
    }
}

// ICU maps the characters; these rows keep the hand-over from the ASCII path and the simple
// (one character to one) mapping that keeps ß and a final sigma.
TEST(Text, CaseMappingAcrossScripts) {
    const struct { const char* upper; const char* lower; } pairs[] = {
        {"HELLO, WORLD 123", "hello, world 123"}, {"ÀÉÎÕÜÞ ΣΟΦΙΑ", "àéîõüþ σοφια"},
        {"A\xFF\xC3Z\xE4\xB8", "a\xFF\xC3z\xE4\xB8"},  // invalid bytes are kept verbatim
    };
    for (const auto& p : pairs) {
        EXPECT_EQ(t::LCase(p.upper), p.lower);
        EXPECT_EQ(t::UCase(p.lower), p.upper);
        EXPECT_TRUE(t::EqualsNoCase(p.upper, p.lower)) << p.upper;
    }
    // Characters without case, and one-way mappings.
    EXPECT_EQ(t::UCase("ÿ µ ς ß ı"), "Ÿ Μ Σ ß I");
    EXPECT_EQ(t::LCase("Ÿİ"), "ÿi");
    EXPECT_EQ(t::LCase("ς"), "ς");  // final sigma stays final in lower case
}

// The collator orders; these rows keep its strength: case and width do not count, accents do.
TEST(Text, CollateNoCaseOrdersAsTheDefaultCollation) {
    const struct { const char* a; const char* b; int sign; } cases[] = {
        {"abc", "ABC", 0}, {"a", "B", -1}, {"Straße", "STRASSE", 0}, {"ä", "a", 1}, {"ＡＢＣ", "abc", 0}, {"张", "张伟", -1},
        {"周", "张", 1}, {"Zz", "李", -1},  // Chinese by pinyin, after Latin
    };
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (const auto& c : cases) {
        EXPECT_EQ(sign(t::CollateNoCase(c.a, c.b)), c.sign) << c.a << " / " << c.b;
        EXPECT_EQ(sign(t::CollateNoCase(c.b, c.a)), -c.sign) << c.b << " / " << c.a;
    }
    EXPECT_EQ(t::CollateNoCase("a\xFF", "a\xFF"), 0);  // invalid bytes compare, never crash
}

// ASCII texts are compared by a rank table derived from the collator; it must order exactly as the
// collator does, or an index built with one path is searched with the other.
TEST(Text, CollateNoCaseAsciiShortcutAgreesWithTheCollator) {
    UErrorCode status = U_ZERO_ERROR;
    UCollator* root = ucol_open("zh-u-kr-latn-hani", &status);  // the pinyin order; ASCII as the root has it
    ASSERT_TRUE(U_SUCCESS(status));
    ucol_setStrength(root, UCOL_SECONDARY);
    const std::string alphabet = std::string("aAbBzZ09 _-.'~\t\x01\x7F") + '\0';
    std::mt19937 random(17);
    auto word = [&] {
        std::string w;
        for (std::size_t n = random() % 5; n > 0; --n) w += alphabet[random() % alphabet.size()];
        return w;
    };
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (int i = 0; i < 20000; ++i) {
        std::string a = word(), b = word();
        if (i % 2) {  // the collator takes over at the first non-ASCII character
            a += "é" + word();
            b += (i % 4 == 1 ? "é" : "e") + word();
        }
        const int expected = ucol_strcollUTF8(root, a.data(), static_cast<int32_t>(a.size()), b.data(),
                                              static_cast<int32_t>(b.size()), &status);
        ASSERT_EQ(sign(t::CollateNoCase(a, b)), expected) << '[' << a << "] [" << b << ']';
    }
    ucol_close(root);
}

TEST(Text, EqualsNoCaseFoldsSecondLowerForms) {
    const struct { const char* a; const char* b; bool equal; } cases[] = {
        {"Hx.CRM.COMMON", "hx.crm.common", true}, {"ΣΟΦΟΣ", "σοφος", true}, {"ΣΟΦΟΣ", "σοφoς", false} /* Latin o */,
        {"µ", "Μ", true}, {"ſ", "S", true}, {"Straße", "STRASSE", false}, {"abc", "abcd", false}, {"ＡＢＣ", "ABC", false},
        {"\xC3", "\xC3\x83", false},  // an invalid byte is not the character with the same number
    };
    for (const auto& c : cases) EXPECT_EQ(t::EqualsNoCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
    EXPECT_EQ(t::FoldCase(U'Σ'), t::FoldCase(U'ς'));
}

TEST(Text, ReplaceAndSplit) {
    const struct { const char* s; const char* find; const char* by; const char* replaced; } replaces[] = {
        {"a-b-c", "-", "中", "a中b中c"}, {"aaa", "aa", "x", "xa"}, {"abc", "", "x", "abc"}, {"ABC", "b", "x", "ABC"}};
    for (const auto& r : replaces) EXPECT_EQ(t::Replace(r.s, r.find, r.by), r.replaced) << r.s;

    const struct { const char* s; const char* sep; std::vector<std::string> parts; } cases[] = {
        {"a,b,,c", ",", {"a", "b", "", "c"}}, {",a,", ",", {"", "a", ""}}, {"中||文", "||", {"中", "文"}},
        {"abc", "", {"abc"}}, {"", ",", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(t::Split(c.s, c.sep), c.parts) << c.s;
}

// What cannot be encoded becomes U+FFFD; an invalid byte decodes as itself and takes one byte.
TEST(Text, Utf8EncodingReplacesWhatIsNotACharacterAndDecodingKeepsInvalidBytes) {
    std::string s;
    for (char32_t c : {char32_t(0x7FF), char32_t(0xD800), char32_t(0x10FFFF), char32_t(0x110000)}) t::AppendUtf8(s, c);
    EXPECT_EQ(s, "\xDF\xBF" "\xEF\xBF\xBD" "\xF4\x8F\xBF\xBF" "\xEF\xBF\xBD");
    s = "\xFF\xE4\xB8\xAD";
    std::size_t i = 0;
    EXPECT_EQ(t::DecodeUtf8(s, i), 0xFFu);
    EXPECT_EQ(i, 1u);
    EXPECT_EQ(t::DecodeUtf8(s, i), U'中');
    EXPECT_EQ(i, 4u);
}

TEST(Text, PinyinInitialsTakeTheFirstLetterOfEachHanReading) {
    const struct { std::string s, initials; } cases[] = {
        {"张三", "zs"}, {"欧阳娜娜", "oynn"}, {"吕布", "lb"}, {"刘洋", "ly"},
        {"王 Anna 芳", "wf"},       // other characters are left out
        {"㐀鿃", ""},               // encoded later than the main block: no letter rather than a wrong one
        {"Anna Schmidt", ""}, {"", ""}, {"O'Brien_%", ""}, {kBroken, ""},
        {"\xE5\xBC", ""},          // a Han character cut short
    };
    for (const auto& c : cases) EXPECT_EQ(t::PinyinInitials(c.s), c.initials) << c.s;
}

TEST(Text, CellTextsASpreadsheetWouldRunGetAnApostropheThatComesOffAgain) {
    const std::pair<std::string, std::string> cases[] = {
        {"=1+2", "'=1+2"},   {"+1+1", "'+1+1"}, {"@SUM(1)", "'@SUM(1)"}, {"-2+3", "'-2+3"},
        {"\t=1", "'\t=1"},   {"\r=1", "'\r=1"}, {"'=1", "''=1"},         {"''@x", "'''@x"},
        {"-5", "-5"},        {"+1.5", "+1.5"},  {"-1e-3", "-1e-3"},      {"-.5", "-.5"},
        {"-1e", "'-1e"},     {"+", "'+"},       {"'plain", "'plain"},    {"", ""},
        {"a=b", "a=b"},      {"张=1", "张=1"},
    };
    for (const auto& [text, neutral] : cases) {
        EXPECT_EQ(t::NeutralCellText(text), neutral) << text;
        EXPECT_EQ(t::RestoredCellText(neutral), text) << neutral;
    }
    std::string row;
    t::AppendCsvField(row, "=HYPERLINK(\"x\")");
    EXPECT_EQ(row, "\"'=HYPERLINK(\"\"x\"\")\"");
}

TEST(Text, HidePasswordsMasksEveryPasswordValue) {
    const std::pair<std::string, std::string> cases[] = {
        {"Provider=PostgreSQL;Data Source=db;Password=Sekr3tPw;User ID=sa",
         "Provider=PostgreSQL;Data Source=db;Password=****;User ID=sa"},
        {"pwd = 'a;b' ;Initial Catalog=x", "pwd =****;Initial Catalog=x"}, {"PASSWORD=\"x y\"", "PASSWORD=****"},
        {"cannot open Provider=SQLite;Pwd=p1\nnext line", "cannot open Provider=SQLite;Pwd=****\nnext line"},
        {"a=1;password=one;x=2;Password=two", "a=1;password=****;x=2;Password=****"},
        {"cPasswordHash = 'kept'; mypassword=kept", "cPasswordHash = 'kept'; mypassword=kept"},  // other names
        {"Password", "Password"}, {"Password=", "Password=****"},
        // A login's token opens the server as its user, as a password would.
        {"User ID=sovrel_clerk;Login Token=6c69.ab12;Initial Catalog=x", "User ID=sovrel_clerk;Login Token=****;Initial Catalog=x"},
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

namespace platform::text {
namespace {

// What an address may not hold is what would make it a second SMTP command, header or argument.
TEST(Text, MailAddressesAreOneLocalPartAtOneDottedDomain) {
    struct Case { std::string_view text; bool address; };
    const Case cases[] = {
        {"li.na@hdem.com.cn", true},          {"o'brien+orders@example.ie", true},
        {"张伟@例子.中国", true},              {"a@b.c", true},
        {"", false},                          {"no-at-sign.example.com", false},
        {"@example.com", false},              {"a@", false},
        {"a@localhost", false},               {"a@@b.cn", false},
        {"a b@example.com", false},           {"a@exa mple.com", false},
        {".a@example.com", false},            {"a.@example.com", false},
        {"a..b@example.com", false},          {"a@example..com", false},
        {"a@example.com.", false},            {"a@-x_y.com", false},
        {"a@b.c\r\nRCPT TO:<x@y.z>", false},  {"a@b.c\n", false},
        {"a\t@b.c", false},                   {"a@b.c\x7f", false},
        {"<a@b.c>", false},                   {"a,b@c.d", false},
        {"a;b@c.d", false},                   {"\"a\"@b.c", false},
        {"a@b.c\xC2\x85", false},             {"a@b.\xff", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsMailAddress(c.text), c.address) << c.text;
    EXPECT_EQ(FirstBadMailAddress(" a@b.cn; ,c@d.cn "), "");
    EXPECT_EQ(FirstBadMailAddress("a@b.cn;x y@d.cn;bad"), "x y@d.cn");
    EXPECT_TRUE(HasControlCharacters("a\x1b[2J"));
    EXPECT_FALSE(HasControlCharacters("张伟 O'Brien"));
}

}  // namespace
}  // namespace platform::text
