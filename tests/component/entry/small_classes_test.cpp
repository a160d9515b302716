#include <gtest/gtest.h>

#include <filesystem>

#include <regex>

#include "entry/authority.h"
#include "entry/small_classes.h"
#include "platform/error.h"

namespace sovrel {
namespace {

// The text's form and uniqueness are the platform's; here only what is removed.
TEST(GUIDGenerator, RemovesExactlyTheGivenCharacters) {
    GUIDGenerator g;
    EXPECT_TRUE(std::regex_match(g.CreateGUID("{}-"), std::regex("[0-9A-F]{32}")));
    EXPECT_EQ(g.CreateGUID("a").size(), 38u);  // digits are upper case: nothing to remove
}

TEST(AccountOf, ReadsTheAccountAndYearAfterTheCatalog) {
    struct Case {
        const char* text;
        const char* number;
        const char* year;
    } cases[] = {
        {"Provider=SQLite;Data Source=/d;Initial Catalog=TKDATA_007_2016", "007", "2016"},
        {"provider=x;initial catalog=tkdata_001_2024;user id=sa", "001", "2024"},
        {"Provider=SQLite;Data Source=/d", "", ""},
        {"Initial Catalog = TKDATA_007_2016", "", ""},  // the search is for the text exactly
    };
    for (const auto& c : cases) {
        auto a = AccountOf(c.text);
        EXPECT_EQ(a.number, c.number) << c.text;
        EXPECT_EQ(a.year, c.year) << c.text;
    }
}

TEST(VendorRowCondition, ThreeAnswersThreeConditions) {
    EXPECT_EQ(VendorRowCondition("1=2"), "(1=2)");
    EXPECT_EQ(VendorRowCondition(""), "(1=1)");
    EXPECT_EQ(VendorRowCondition("5) or (1=1"), "(1=2)");  // no id list: no vendor
}

TEST(ClsConn, OpenConKeepsAnOpenConnectionAsItIs) {
    clsConn holder;
    ASSERT_NE(holder.Conn(), nullptr);
    std::string bad = "Provider=SQLite;Data Source=/no/such/folder";
    EXPECT_THROW(holder.OpenCon(bad), platform::Error);  // the layer's error reaches the caller
    const auto folder = std::filesystem::temp_directory_path();
    std::string master = "Provider=SQLite;Data Source=" + folder.string();
    EXPECT_FALSE(holder.OpenCon(master));
    EXPECT_TRUE(holder.Conn()->IsOpen());
    const auto opened = holder.Conn();
    std::string other = "Provider=SQLite;Data Source=" + folder.parent_path().string();
    EXPECT_FALSE(holder.OpenCon(other));
    EXPECT_EQ(holder.Conn()->ConnectionString(), master);
    EXPECT_EQ(holder.Conn(), opened);
}

}  // namespace
}  // namespace sovrel
