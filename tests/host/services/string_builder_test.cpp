#include <gtest/gtest.h>

#include <random>

#include "host/services.h"
#include "platform/error.h"
#include "platform/text.h"

namespace host::test {
namespace {

std::u32string Decode(const std::string& s) {
    std::u32string out;
    for (std::size_t i = 0; i < s.size();) out += platform::text::DecodeUtf8(s, i);
    return out;
}

std::string Encode(const std::u32string& s) {
    std::string out;
    for (char32_t c : s) platform::text::AppendUtf8(out, c);
    return out;
}

TEST(StringBuilderTest, positionsOutsideTheTextAreRefusedAndChangeNothing) {
    StringBuilder b;
    b.Append("联系人");
    EXPECT_THROW(b.Remove(1, -1), platform::Error);
    EXPECT_THROW(b.Remove(2, 2), platform::Error);
    EXPECT_THROW(b.Insert(4, "x"), platform::Error);
    EXPECT_THROW(b.Insert(-1, "x"), platform::Error);
    EXPECT_EQ(b.ToString(), "联系人");
}

// Many random edits over text that spans many chunks agree with the same edits made on a
// plain array of code points.
TEST(StringBuilderTest, randomEditsMatchAPlainModel) {
    std::mt19937 rng(7);
    const std::u32string alphabet = U"ab<>/ 中文字😀é€";
    auto randomText = [&](int n) {
        std::u32string s;
        for (int i = 0; i < n; ++i) s += alphabet[rng() % alphabet.size()];
        return s;
    };
    std::u32string model = randomText(20000);
    StringBuilder b;
    b.SetChunkSize(100000);
    b.Append(Encode(model.substr(0, 7000)));
    b.Append(Encode(model.substr(7000)));
    for (int edit = 0; edit < 3000; ++edit) {
        const long at = static_cast<long>(rng() % (model.size() + 1));
        if (rng() % 2) {
            const long length = std::min<long>(static_cast<long>(rng() % 3000), static_cast<long>(model.size()) - at);
            model.erase(static_cast<std::size_t>(at), static_cast<std::size_t>(length));
            b.Remove(at, length);
        } else {
            const std::u32string text = randomText(static_cast<int>(rng() % (edit % 100 == 0 ? 5000 : 40)));
            model.insert(static_cast<std::size_t>(at), text);
            b.Insert(at, Encode(text));
        }
        ASSERT_EQ(b.Length(), static_cast<long>(model.size())) << "after edit " << edit;
    }
    EXPECT_EQ(Decode(b.ToString()), model);
}

}  // namespace
}  // namespace host::test
