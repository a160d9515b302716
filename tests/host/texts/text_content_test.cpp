// Checks over the shipped tables: what a translator or a careless edit gets wrong.
#include "host/texts/text_table.h"

#include <gtest/gtest.h>

#include "platform/text.h"

using host::texts::BracesWellFormed;
using host::texts::PlaceholderNumbers;
using host::texts::TextTable;

namespace {

// Han characters and the full-width punctuation that goes with them.
bool IsCjk(char32_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFFEF) ||
           (c >= 0x20000 && c <= 0x3FFFF);
}

// Both languages fill the same parameters, with no gap, and no English text is left in Chinese.
TEST(TextContent, BothLanguagesHaveTheSameKeysAndPlaceholders) {
    const TextTable& zh = TextTable::For("zh-CN");
    const TextTable& en = TextTable::For("en-US");
    EXPECT_EQ(zh.Keys(), en.Keys());
    EXPECT_GT(zh.Keys().size(), 100u);
    for (const auto& key : zh.Keys()) {
        const auto zhText = zh.Get(key), enText = en.Get(key);
        if (!enText) continue;
        for (const auto* text : {&*zhText, &*enText})
            EXPECT_TRUE(BracesWellFormed(*text)) << key << ": stray brace in " << *text;
        const auto numbers = PlaceholderNumbers(*zhText);
        EXPECT_EQ(numbers, PlaceholderNumbers(*enText)) << key;
        int expected = 0;
        for (const int n : numbers) EXPECT_EQ(n, expected++) << key << ": placeholders leave a gap";
        for (std::size_t i = 0; i < enText->size();)
            if (IsCjk(platform::text::DecodeUtf8(*enText, i))) {
                ADD_FAILURE() << key << " looks untranslated: " << *enText;
                break;
            }
    }
}

}  // namespace
