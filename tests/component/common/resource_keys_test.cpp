// Every resource key the component's code names must have a text in each shipped language.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "host/texts/text_table.h"
#include "key_scan.h"

namespace sovrel::testing {
namespace {

namespace fs = std::filesystem;
using host::texts::TextTable;

std::vector<std::string> Keys(std::string_view source) {
    std::vector<std::string> out;
    for (const auto& use : ResourceKeysIn(source)) out.push_back(use.key);
    return out;
}

TEST(KeyScan, FindsKeysInStringLiteralsOnly) {
    const std::string source = R"src(
// ShowInfo(ResText("Hx.CRM.Commented.Out"));
/* "Hx.CRM.Block.Comment"
   "Hx.CRM.Block.Comment2" */
const char* a = "Hx.CRM.COMMON.CheckNull02";
auto b = ResTextParams("Hx.CRM.COMMON.CheckLen02", {name, 10});
auto c = "String.Hx.AA.Admin.6134";
char q = '"'; auto d = "Hx.CRM.After.Quote";
long n = 1'000'000; auto e = "Hx.CRM.After.Separator";
auto f = "say \"Hx.CRM.Not.Alone\" here";
auto g = u8R"x(Hx.CRM.Raw.String)x";
auto h = "HxPub.IPub";
auto i = "Hx.CRM.TkContactUI." + name;
auto j = "Hx.CRM";
auto k = "http://Hx.CRM.x";
)src";
    EXPECT_EQ(Keys(source), (std::vector<std::string>{"Hx.CRM.COMMON.CheckNull02", "Hx.CRM.COMMON.CheckLen02",
                                                      "String.Hx.AA.Admin.6134", "Hx.CRM.After.Quote",
                                                      "Hx.CRM.After.Separator", "Hx.CRM.Raw.String"}));
}

TEST(ResourceKeys, EveryKeyTheComponentNamesHasATextInEveryLanguage) {
    const fs::path root = SOVREL_COMPONENT_DIR;
    ASSERT_TRUE(fs::is_directory(root)) << root;
    std::map<std::string, std::string> firstUse;  // key -> file:line
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp" && ext != ".hpp" && ext != ".cc")) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string source(std::istreambuf_iterator<char>(in), {});
        for (const auto& use : ResourceKeysIn(source))
            firstUse.emplace(use.key, fs::relative(entry.path(), root).string() + ":" + std::to_string(use.line));
    }
    ASSERT_FALSE(firstUse.empty()) << "no resource key found under " << root;
    for (const char* language : {"zh-CN", "en-US"}) {
        const TextTable& table = TextTable::For(language);
        for (const auto& [key, where] : firstUse)
            EXPECT_TRUE(table.Get(key).has_value()) << language << " has no text for " << key << " (" << where << ")";
    }
}

}  // namespace
}  // namespace sovrel::testing
