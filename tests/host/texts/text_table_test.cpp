#include "host/texts/text_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using host::texts::BracesWellFormed;
using host::texts::FillPlaceholders;
using host::texts::PlaceholderNumbers;
using host::texts::TextTable;
using host::texts::TextTableError;

namespace {

using Params = std::vector<std::string>;

TEST(FillPlaceholders, PutsParametersInPlaceOnce) {
    const struct { const char* pattern; Params params; const char* expected; } cases[] = {
        {"{0}的长度必须为{1}个字符。", {"名称", "10"}, "名称的长度必须为10个字符。"},
        {"{1}{0}{1}", {"x", "y"}, "yxy"},
        {"{0} and {1}", {"a"}, "a and {1}"},  // missing parameter stays visible
        {"{0}-{1}", {"{1}", "z"}, "{1}-z"},  // a parameter is not filled again
        {"{{{0}}}", {"k"}, "{k}"},
        {"a{b}c{", {"p"}, "a{b}c{"},  // stray braces copied as they are
        {"{ 0}{-1}{x}{0 }", {"p"}, "{ 0}{-1}{x}{0 }"},
        {"{10}{1}", {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "ten"}, "ten1"},
        {"{1234567890}", {"p"}, "{1234567890}"},  // too long to be a number
        {"😀{0}é", {"\n"}, "😀\né"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FillPlaceholders(c.pattern, c.params), c.expected) << c.pattern;
}

TEST(FillPlaceholders, CountsAndChecksBraces) {
    const struct { const char* pattern; std::set<int> numbers; bool wellFormed; } cases[] = {
        {"plain", {}, true},    {"{0}{2}{0}", {0, 2}, true}, {"{{0}}", {}, true},
        {"{{{1}}}", {1}, true}, {"{0", {}, false},           {"0}", {}, false},
        {"{a}", {}, false},     {"}{1}", {1}, false},        {"{12}", {12}, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PlaceholderNumbers(c.pattern), c.numbers) << c.pattern;
        EXPECT_EQ(BracesWellFormed(c.pattern), c.wellFormed) << c.pattern;
    }
}

TEST(TextTableFile, ReadsCommentsBlankLinesCrLfAndEscapes) {
    const TextTable t = TextTable::FromTsv("xx",
                                           "# header\n"
                                           "A.1\tfirst\\nsecond\r\n"
                                           "\n"
                                           "A.2\ttab\\there, backslash \\\\n\n"
                                           "# comment between lines\n"
                                           "B\t你好 {0}",
                                           "t.tsv");
    EXPECT_EQ(t.Keys(), (std::vector<std::string>{"A.1", "A.2", "B"}));
    EXPECT_EQ(t.Get("A.1"), "first\nsecond");
    EXPECT_EQ(t.Get("A.2"), "tab\there, backslash \\n");
    EXPECT_EQ(t.Format("B", {"世界"}), "你好 世界");
    EXPECT_EQ(TextTable::FromTsv("xx", "", "t.tsv").Keys().size(), 0u);
}

TEST(TextTableFile, RefusesBrokenLinesNamingSourceAndLine) {
    const struct { const char* tsv; const char* where; const char* what; } cases[] = {
        {"A\tx\nB no tab\n", "t.tsv:2:", "no tab"},
        {"\tx\n", "t.tsv:1:", "empty key"},
        {"A B\tx\n", "t.tsv:1:", "space or control"},
        {"A\t\n", "t.tsv:1:", "empty text"},
        {"A\tbad \\q escape\n", "t.tsv:1:", "unknown escape \\q"},
        {"A\tends in \\", "t.tsv:1:", "lone backslash"},  // the text's last byte
        {"# c\nA\tx\nA\ty\n", "t.tsv:3:", "duplicate key 'A' (also on line 2)"},
        {"B\tx\nA\ty\n", "t.tsv:2:", "out of order"},
        {"A\t\xC0\xAF\n", "t.tsv:1:", "not valid UTF-8"},
    };
    for (const auto& c : cases) {
        try {
            TextTable::FromTsv("xx", c.tsv, "t.tsv");
            ADD_FAILURE() << "accepted: " << c.tsv;
        } catch (const TextTableError& e) {
            const std::string message = e.what();
            EXPECT_EQ(message.rfind(c.where, 0), 0u) << message;
            EXPECT_NE(message.find(c.what), std::string::npos) << message;
        }
    }
}

TEST(TextTableLanguages, PicksTableByCodeAndFallsBackToChinese) {
    const struct { const char* asked; const char* got; } cases[] = {
        {"ZH-cn", "zh-CN"}, {"en-us", "en-US"}, {"KEYS", "keys"}, {"", "zh-CN"}, {"en", "zh-CN"}, {"en-US ", "zh-CN"},
    };
    for (const auto& c : cases) EXPECT_EQ(TextTable::For(c.asked).Language(), c.got) << c.asked;
}

TEST(TextTableLanguages, KeysCompareExactlyAndAnUnknownOneFormatsAsItself) {
    for (const auto& language : TextTable::Languages()) {
        const TextTable& t = TextTable::For(language);
        EXPECT_TRUE(t.Get("Hx.CRM.COMMON.CheckLen02").has_value()) << language;
        for (const char* near : {"hx.crm.common.checklen02", "Hx.CRM.COMMON.CheckLen02 ", "Hx.AA.Admin.6134", ""})
            EXPECT_FALSE(t.Get(near).has_value()) << language << ": " << near;
        EXPECT_TRUE(t.Get("String.Hx.AA.Admin.6134").has_value()) << language;
        EXPECT_EQ(t.Format("Hx.CRM.NoSuch.Key", {"a", "b"}), "Hx.CRM.NoSuch.Key") << language << ": an unknown key shows itself";
    }
}

TEST(KeysLanguage, TextIsTheKeyFollowedByItsParameters) {
    const TextTable& t = TextTable::For("keys");
    EXPECT_EQ(t.Format("Hx.CRM.COMMON.CheckLen02", {"名称", ""}), "Hx.CRM.COMMON.CheckLen02(名称,)");
    EXPECT_EQ(t.Format("Hx.CRM.COMMON.DBMSG.0008", {}), "Hx.CRM.COMMON.DBMSG.0008");
    EXPECT_EQ(t.Get("Hx.CRM.COMMON.DBMSG.0008"), "Hx.CRM.COMMON.DBMSG.0008");
    EXPECT_EQ(t.Keys(), TextTable::For("zh-CN").Keys());
}

}  // namespace
