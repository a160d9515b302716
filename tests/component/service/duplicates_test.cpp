// The duplicate rule, alone and on the account.
#include "service/duplicates.h"
#include "service_fixture.h"

namespace sovrel::test {
namespace {

struct RuleCase {
    DuplicateFields a, b;
    bool duplicate;
    DuplicateReason reason;
};

TEST(DuplicateRule, NameAtOneVendorOrMobileOrEmailAnywhere) {
    using R = DuplicateReason;
    const RuleCase cases[] = {
        {{"1", "V01", "张三", "", ""}, {"2", "V01", "张三", "", ""}, true, R::Name},
        {{"1", "V01", "张三", "", ""}, {"2", "V02", "张三", "", ""}, false, R::Name},  // other vendor
        {{"1", "V01", "Li Ming", "", ""}, {"2", "V01", "li-ming ", "", ""}, true, R::Name},
        {{"1", "V01", "A", "138-0013 8000", ""}, {"2", "V02", "B", "13800138000", ""}, true, R::Mobile},
        {{"1", "V01", "A", "", "Li.Ming@Example.COM"}, {"2", "V09", "B", "", " li.ming@example.com"}, true, R::Email},
        {{"1", "V01", "A", "", ""}, {"2", "V01", "B", "", ""}, false, R::Name},  // blanks never match
        {{"1", "V01", "", " - ", ""}, {"2", "V01", "", "", ""}, false, R::Name},
        {{"1", "V01", "A", "1380", "a@x"}, {"2", "V01", "B", "13800", "a@y"}, false, R::Name},
    };
    for (const auto& c : cases) {
        DuplicateReason r = R::Name;
        EXPECT_EQ(LooksDuplicate(c.a, c.b, &r), c.duplicate) << c.a.name << "/" << c.b.name;
        EXPECT_EQ(LooksDuplicate(c.b, c.a), c.duplicate);
        if (c.duplicate) {
            EXPECT_EQ(r, c.reason) << c.a.name;
        }
    }
}

TEST(DuplicateRule, ChainsOfMatchesMakeOneGroupAndLoneContactsNone) {
    // 3 shares a mobile with 1 and an e-mail with 5; 2 and 4 share nothing.
    const auto groups = GroupDuplicates({{"5", "V02", "E", "", "e@x"},
                                         {"3", "V01", "C", "139", "E@X"},
                                         {"1", "V01", "A", "1-39", ""},
                                         {"2", "V01", "B", "", ""},
                                         {"4", "V03", "A", "", ""},
                                         {"7", "V03", "a", "", ""}});
    ASSERT_EQ(groups.size(), 2u);
    std::vector<std::string> first, second;
    for (const auto& c : groups[0]) first.push_back(c.code);
    for (const auto& c : groups[1]) second.push_back(c.code);
    EXPECT_EQ(first, (std::vector<std::string>{"1", "3", "5"}));
    EXPECT_EQ(second, (std::vector<std::string>{"4", "7"}));
}

using Duplicates = ServiceTest;

TEST_P(Duplicates, FoundOnTheAccountWithQuotesInTheValuesAndTheCandidateItselfLeftOut) {
    ASSERT_TRUE(service->ExecuteX("UPDATE Ven_Contact SET cContactName = N'O''Brien', cMobilePhone = N'138 0000-1111', "
                                  "cEmail = N'Quote''s@Mail.cn' WHERE cContactCode = N'V0100000001'"));
    const std::string vendor = Scalar("SELECT cVenCode FROM Ven_Contact WHERE cContactCode = N'V0100000001'");
    auto codes = [](const std::vector<DuplicateMatch>& found) {
        std::vector<std::string> out;
        for (const auto& m : found) out.push_back(m.contact.code);
        return out;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(codes(FindDuplicates(*service, {"", vendor, "o'brien", "", ""})), V{"V0100000001"});
    EXPECT_EQ(codes(FindDuplicates(*service, {"", "V99", "O'Brien", "", ""})), V{});
    EXPECT_EQ(codes(FindDuplicates(*service, {"", "V99", "X", "13800001111", ""})), V{"V0100000001"});
    auto byMail = FindDuplicates(*service, {"", "V99", "X", "", "quote's@mail.cn"});
    ASSERT_EQ(byMail.size(), 1u);
    EXPECT_EQ(byMail[0].reason, DuplicateReason::Email);
    EXPECT_EQ(byMail[0].contact.name, "O'Brien");
    EXPECT_EQ(codes(FindDuplicates(*service, {"V0100000001", vendor, "O'Brien", "", ""})), V{});

    std::vector<std::vector<DuplicateFields>> groups;
    ASSERT_TRUE(service->ExecuteX("UPDATE Ven_Contact SET cEmail = N'quotes@mail.cn' WHERE cContactCode = N'V0200000001'"));
    ASSERT_TRUE(DuplicateGroups(*service, "", groups));
    EXPECT_TRUE(groups.empty());
    ASSERT_TRUE(service->ExecuteX("UPDATE Ven_Contact SET cEmail = N'QUOTE''S@mail.cn' WHERE cContactCode = N'V0200000001'"));
    ASSERT_TRUE(DuplicateGroups(*service, "", groups));
    ASSERT_EQ(groups.size(), 1u);
    ASSERT_EQ(groups[0].size(), 2u);
    EXPECT_EQ(groups[0][1].code, "V0200000001");
    ASSERT_TRUE(DuplicateGroups(*service, vendor, groups));  // the pair spans two vendors
    EXPECT_TRUE(groups.empty());
}

INSTANTIATE_TEST_SUITE_P(Backends, Duplicates, ::testing::ValuesIn(kBackends), BackendTestName);

}  // namespace
}  // namespace sovrel::test
