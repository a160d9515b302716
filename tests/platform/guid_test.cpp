#include "platform/guid.h"

#include <gtest/gtest.h>

#include <array>
#include <bitset>
#include <regex>
#include <string>
#include <unordered_set>

namespace {

TEST(Guid, HasTheBracedUpperCaseForm) {
    const std::regex form("\\{[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\\}");
    for (int i = 0; i < 1000; ++i) {
        const std::string g = platform::NewGuidText();
        ASSERT_EQ(g.size(), 38u) << g;
        ASSERT_TRUE(std::regex_match(g, form)) << g;
    }
}

TEST(Guid, DrawsAreUniqueAndEveryRandomDigitVaries) {
    constexpr int kDraws = 100000;
    std::unordered_set<std::string> seen;
    seen.reserve(kDraws);
    std::array<std::bitset<16>, 38> valuesAt{};
    for (int i = 0; i < kDraws; ++i) {
        const std::string g = platform::NewGuidText();
        ASSERT_TRUE(seen.insert(g).second) << "repeated " << g;
        for (std::size_t p = 0; p < g.size(); ++p) {
            const char c = g[p];
            if (c >= '0' && c <= '9') valuesAt[p].set(c - '0');
            if (c >= 'A' && c <= 'F') valuesAt[p].set(c - 'A' + 10);
        }
    }
    for (std::size_t p = 0; p < 38; ++p) {
        if (p == 0 || p == 37 || p == 9 || p == 14 || p == 19 || p == 24) {
            EXPECT_TRUE(valuesAt[p].none()) << p;  // braces and hyphens
        } else if (p == 15) {
            EXPECT_EQ(valuesAt[p].to_ulong(), 1ul << 4) << "version digit";
        } else if (p == 20) {
            EXPECT_EQ(valuesAt[p].to_ulong(), 0xF00ul) << "variant digit";
        } else {
            EXPECT_TRUE(valuesAt[p].all()) << "position " << p << " does not take every digit";
        }
    }
}

}  // namespace
