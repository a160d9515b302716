#include "platform/guid.h"

#include <gtest/gtest.h>

#include <array>
#include <bitset>
#include <string>
#include <unordered_set>

namespace {

// The braced upper-case form, version 4, variant 8 to B; every other digit takes every value.
TEST(Guid, DrawsHaveTheFormAreUniqueAndEveryRandomDigitVaries) {
    constexpr int kDraws = 100000;
    std::unordered_set<std::string> seen;
    seen.reserve(kDraws);
    std::array<std::bitset<16>, 38> valuesAt{};
    const auto separator = [](std::size_t p) { return p == 0 || p == 37 || p == 9 || p == 14 || p == 19 || p == 24; };
    for (int i = 0; i < kDraws; ++i) {
        const std::string g = platform::NewGuidText();
        ASSERT_EQ(g.size(), 38u) << g;
        ASSERT_TRUE(g.front() == '{' && g.back() == '}' && g[9] == '-' && g[14] == '-' && g[19] == '-' && g[24] == '-') << g;
        ASSERT_TRUE(seen.insert(g).second) << "repeated " << g;
        for (std::size_t p = 0; p < g.size(); ++p) {
            const char c = g[p];
            if (c >= '0' && c <= '9') valuesAt[p].set(c - '0');
            else if (c >= 'A' && c <= 'F') valuesAt[p].set(c - 'A' + 10);
            else ASSERT_TRUE(separator(p)) << g;
        }
    }
    for (std::size_t p = 0; p < 38; ++p) {
        if (separator(p)) continue;
        if (p == 15) {
            EXPECT_EQ(valuesAt[p].to_ulong(), 1ul << 4) << "version digit";
        } else if (p == 20) {
            EXPECT_EQ(valuesAt[p].to_ulong(), 0xF00ul) << "variant digit";
        } else {
            EXPECT_TRUE(valuesAt[p].all()) << "position " << p << " does not take every digit";
        }
    }
}

}  // namespace
