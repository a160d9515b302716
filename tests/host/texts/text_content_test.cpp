// Checks over the shipped tables: what a translator or a careless edit gets wrong.
#include "host/texts/text_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using host::texts::BracesWellFormed;
using host::texts::PlaceholderNumbers;
using host::texts::TextTable;

namespace {

const char* const kRealLanguages[] = {"zh-CN", "en-US"};

std::vector<char32_t> CodePoints(const std::string& s) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const std::size_t len = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : 4;
        char32_t cp = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
        for (std::size_t k = 1; k < len && i + k < s.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out.push_back(cp);
        i += len;
    }
    return out;
}

// Han characters and the full-width punctuation that goes with them.
bool IsCjk(char32_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x3FFFF);
}

bool IsBlank(char32_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == 0x3000 || c == 0xA0;
}

TEST(TextContent, BothLanguagesHaveTheSameKeys) {
    const auto zh = TextTable::For("zh-CN").Keys();
    const auto en = TextTable::For("en-US").Keys();
    const std::set<std::string> zhSet(zh.begin(), zh.end()), enSet(en.begin(), en.end());
    for (const auto& k : zhSet) EXPECT_TRUE(enSet.count(k)) << "no en-US text for " << k;
    for (const auto& k : enSet) EXPECT_TRUE(zhSet.count(k)) << "no zh-CN text for " << k;
    EXPECT_GT(zh.size(), 100u);
}

TEST(TextContent, PlaceholdersMatchAcrossLanguagesAndRunFromZero) {
    const TextTable& zh = TextTable::For("zh-CN");
    const TextTable& en = TextTable::For("en-US");
    for (const auto& key : zh.Keys()) {
        const auto zhText = zh.Get(key), enText = en.Get(key);
        if (!enText) continue;  // reported by BothLanguagesHaveTheSameKeys
        for (const auto* text : {&*zhText, &*enText})
            EXPECT_TRUE(BracesWellFormed(*text)) << key << ": stray brace in " << *text;
        const auto numbers = PlaceholderNumbers(*zhText);
        EXPECT_EQ(numbers, PlaceholderNumbers(*enText)) << key;
        int expected = 0;
        for (const int n : numbers) EXPECT_EQ(n, expected++) << key << ": placeholders leave a gap";
    }
}

TEST(TextContent, NoTextStartsOrEndsWithBlanks) {
    for (const char* language : kRealLanguages) {
        const TextTable& t = TextTable::For(language);
        for (const auto& key : t.Keys()) {
            const auto cps = CodePoints(*t.Get(key));
            ASSERT_FALSE(cps.empty()) << language << " " << key;
            EXPECT_FALSE(IsBlank(cps.front()) || IsBlank(cps.back()))
                << language << " " << key << ": [" << *t.Get(key) << "]";
        }
    }
}

TEST(TextContent, EnglishTextsHoldNoChinese) {
    const TextTable& en = TextTable::For("en-US");
    for (const auto& key : en.Keys())
        for (const char32_t c : CodePoints(*en.Get(key)))
            if (IsCjk(c)) {
                ADD_FAILURE() << key << " looks untranslated: " << *en.Get(key);
                break;
            }
}

TEST(TextContent, ChineseTextsUseFullWidthPunctuationAfterChinese) {
    const std::u32string halfWidth = U",.;:?!()";
    const TextTable& zh = TextTable::For("zh-CN");
    for (const auto& key : zh.Keys()) {
        const auto cps = CodePoints(*zh.Get(key));
        for (std::size_t i = 1; i < cps.size(); ++i)
            if (IsCjk(cps[i - 1]) && cps[i - 1] < 0xFF00 &&
                halfWidth.find(cps[i]) != std::u32string::npos)
                ADD_FAILURE() << key << ": half-width punctuation after a Chinese character in "
                              << *zh.Get(key);
    }
}

TEST(TextContent, ListLookupCaptionsEqualTheColumnCaptions) {
    const struct {
        const char* lookup;
        const char* column;
    } pairs[] = {
        {"Hx.CRM.TkContact.frmcontactlist.00027", "Hx.CRM.TkContact.Column.cContactCode"},
        {"Hx.CRM.CONTACT.iclscommon.00022", "Hx.CRM.TkContact.Column.cContactName"},
    };
    for (const char* language : kRealLanguages)
        for (const auto& p : pairs) {
            const TextTable& t = TextTable::For(language);
            ASSERT_TRUE(t.Get(p.lookup) && t.Get(p.column)) << language << " " << p.lookup;
            EXPECT_EQ(*t.Get(p.lookup), *t.Get(p.column)) << language << " " << p.lookup;
        }
}

}  // namespace
