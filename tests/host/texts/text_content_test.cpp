// Checks over the shipped tables: what a translator or a careless edit gets wrong.
#include "host/texts/text_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/text.h"

using host::texts::BracesWellFormed;
using host::texts::PlaceholderNumbers;
using host::texts::TextTable;

namespace {

const char* const kRealLanguages[] = {"zh-CN", "en-US"};

std::u32string CodePoints(const std::string& s) {
    std::u32string out;
    for (std::size_t i = 0; i < s.size();) out += platform::text::DecodeUtf8(s, i);
    return out;
}

// Han characters and the full-width punctuation that goes with them.
bool IsCjk(char32_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x3FFFF);
}

bool IsBlank(char32_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == 0x3000 || c == 0xA0; }

TEST(TextContent, BothLanguagesHaveTheSameKeysAndPlaceholders) {
    const TextTable& zh = TextTable::For("zh-CN");
    const TextTable& en = TextTable::For("en-US");
    const auto zhKeys = zh.Keys(), enKeys = en.Keys();
    const std::set<std::string> zhSet(zhKeys.begin(), zhKeys.end()), enSet(enKeys.begin(), enKeys.end());
    for (const auto& k : enSet) EXPECT_TRUE(zhSet.count(k)) << "no zh-CN text for " << k;
    EXPECT_GT(zhKeys.size(), 100u);
    for (const auto& key : zhKeys) {
        const auto zhText = zh.Get(key), enText = en.Get(key);
        if (!enText) {
            ADD_FAILURE() << "no en-US text for " << key;
            continue;
        }
        for (const auto* text : {&*zhText, &*enText})
            EXPECT_TRUE(BracesWellFormed(*text)) << key << ": stray brace in " << *text;
        const auto numbers = PlaceholderNumbers(*zhText);
        EXPECT_EQ(numbers, PlaceholderNumbers(*enText)) << key;
        int expected = 0;
        for (const int n : numbers) EXPECT_EQ(n, expected++) << key << ": placeholders leave a gap";
    }
}

// No blanks around a text; no Chinese left in English; full-width punctuation after Chinese.
TEST(TextContent, EveryTextIsTidyForItsLanguage) {
    const std::u32string halfWidth = U",.;:?!()";
    for (const char* language : kRealLanguages) {
        const TextTable& t = TextTable::For(language);
        const bool english = std::string(language) == "en-US";
        for (const auto& key : t.Keys()) {
            const auto cps = CodePoints(*t.Get(key));
            ASSERT_FALSE(cps.empty()) << language << " " << key;
            EXPECT_FALSE(IsBlank(cps.front()) || IsBlank(cps.back())) << language << " " << key << ": [" << *t.Get(key) << "]";
            for (std::size_t i = 0; i < cps.size(); ++i) {
                if (english && IsCjk(cps[i])) {
                    ADD_FAILURE() << key << " looks untranslated: " << *t.Get(key);
                    break;
                }
                if (!english && i > 0 && IsCjk(cps[i - 1]) && cps[i - 1] < 0xFF00 &&
                    halfWidth.find(cps[i]) != std::u32string::npos)
                    ADD_FAILURE() << key << ": half-width punctuation after a Chinese character in " << *t.Get(key);
            }
        }
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
