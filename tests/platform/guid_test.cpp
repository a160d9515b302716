#include "platform/guid.h"

#include <gtest/gtest.h>

#include <array>
#include <bitset>
#include <string>
#include <unordered_set>

namespace {

// The braced upper-case form, version 4, variant 8 to B; every other digit takes every value.
TEST(Guid, DrawsHaveTheFormAreUniqueAndEveryRandomDigitVaries) {
    const std::string form = "{########-####-4###-v###-############}";
    std::unordered_set<std::string> seen;
    std::array<std::bitset<16>, 38> valuesAt{};
    for (int i = 0; i < 100000; ++i) {
        const std::string g = platform::NewGuidText();
        ASSERT_EQ(g.size(), form.size()) << g;
        ASSERT_TRUE(seen.insert(g).second) << "repeated " << g;
        for (std::size_t p = 0; p < g.size(); ++p) {
            const auto digit = std::string("0123456789ABCDEF").find(g[p]);
            ASSERT_TRUE(form[p] == '#' || form[p] == 'v' ? digit != std::string::npos : g[p] == form[p]) << g;
            if (digit != std::string::npos) valuesAt[p].set(digit);
        }
    }
    for (std::size_t p = 0; p < form.size(); ++p)
        EXPECT_TRUE(form[p] != '#' || valuesAt[p].all()) << "position " << p << " does not take every digit";
    EXPECT_EQ(valuesAt[20].to_ulong(), 0xF00ul) << "variant digit";
}

}  // namespace
