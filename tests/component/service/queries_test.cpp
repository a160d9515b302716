#include "platform/text.h"
#include "service_fixture.h"

namespace sovrel::test {
namespace {

using Queries = ServiceTest;

TEST_P(Queries, OpenXAnswersRowsAndReportsAFailureThreeWays) {
    bool flag = false;
    auto rs = service->OpenX("SELECT cContactCode FROM Ven_Contact ORDER BY cContactCode", &flag, &msg);
    ASSERT_TRUE(rs);
    EXPECT_TRUE(flag);
    EXPECT_EQ(rs->RecordCount(), 6);
    EXPECT_EQ(service->OpenX("SELECT * FROM NoSuchTable", &flag, &msg), nullptr);
    EXPECT_FALSE(flag);
    EXPECT_NE(platform::text::LCase(msg).find("nosuchtable"), std::string::npos) << msg;  // the database's own text
    EXPECT_EQ(Ctx().PendingMessage, "Hx.CRM.COMMON.DBMSG.Sel0511");
}

TEST_P(Queries, OpenForwardReadsOnceAndOpenRsLeavesPendingMessageAlone) {
    auto rs = service->OpenForward("SELECT cContactCode FROM Ven_Contact");
    ASSERT_TRUE(rs);
    EXPECT_TRUE(rs->IsForwardOnly());
    Ctx().PendingMessage = "earlier";
    ConnectionPtr none;
    bool flag = true;
    EXPECT_EQ(service->OpenRs("SELECT nothing FROM nowhere", none, flag, msg), nullptr);
    EXPECT_FALSE(flag);
    EXPECT_EQ(Ctx().PendingMessage, "earlier");
    EXPECT_EQ(none, service->m_cnn());  // the shared connection is handed back
}

TEST_P(Queries, OpenPageArithmetic) {
    // Six contacts; page size 4 gives two pages, the last one short.
    const std::string all = "SELECT cContactCode, cContactName FROM Ven_Contact ORDER BY cContactCode";
    const struct {
        std::string sql;
        long size, page;
        long expectPage, expectCount, expectRows;
        const char* firstCode;
    } cases[] = {
        {all, 4, 0, 2, 2, 2, "V0200000001"},
        {all, 4, 9, 2, 2, 2, "V0200000001"},
        {all, 4, 1, 1, 2, 4, "V0100000001"},
        {all, 10, 1, 1, 1, 6, "V0100000001"},
        {"SELECT cContactCode, cContactName FROM Ven_Contact WHERE 1=2", 10, 0, 0, 1, 0, ""},
        {"  select DISTINCT cVenCode FROM Ven_Contact ORDER BY cVenCode", 1, 2, 2, 2, 1, "V02"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql + " page " + std::to_string(c.page));
        long size = c.size, page = c.page, count = -1;
        RowsetPtr rs;
        bool flag = false;
        service->OpenPage(c.sql, size, page, count, rs, nullptr, &flag);
        ASSERT_TRUE(rs);
        EXPECT_TRUE(flag);
        EXPECT_EQ(page, c.expectPage);
        EXPECT_EQ(count, c.expectCount);
        EXPECT_EQ(rs->RecordCount(), c.expectRows);
        EXPECT_EQ(rs->FieldCount(), c.sql[2] == 's' ? 1u : 2u);
        if (c.expectRows) {
            EXPECT_EQ(rs->Get(0).ToText(), c.firstCode);
        }
    }
}

TEST_P(Queries, OpenPageWithoutAPageSizeOrWithABadQuery) {
    long size = 0, page = 7, count = 9;
    RowsetPtr rs;
    service->OpenPage("SELECT cContactCode FROM Ven_Contact", size, page, count, rs);
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->RecordCount(), 6);
    EXPECT_EQ(page, 7);
    EXPECT_EQ(count, 9);

    size = 10;  // rs holds a page from before: it is not left behind
    bool flag = true;
    Ctx().PendingMessage = "untouched";
    service->OpenPage("SELECT nothing FROM nowhere", size, page, count, rs, &msg, &flag);
    EXPECT_FALSE(flag);
    EXPECT_EQ(msg, "Hx.CRM.COMMON.DBMSG.Sel0511");
    EXPECT_FALSE(rs);
    EXPECT_EQ(Ctx().PendingMessage, "untouched");
}

TEST_P(Queries, FindBuildsItsConditionFromTheXmlAndSkipsBlankTables) {
    std::vector<std::string> tables{"Ven_Contact", "  ", "vendor"}, shown;
    std::string xml = "<Cond><cContactCode>V0100000002</cContactCode><iId>1</iId></Cond>";
    auto rs = service->Find(xml, tables, shown, msg);
    ASSERT_TRUE(rs) << Ctx().PendingMessage;
    // Comma join of the two tables: every vendor row with the one contact.
    EXPECT_EQ(rs->RecordCount(), 1);
    EXPECT_EQ(rs->Get("cContactName").ToText(), "李娜");

    std::vector<std::string> one{"Ven_Contact"};
    std::string range = "<c><cContactCode>V0100000002,V0100000004</cContactCode></c>";
    rs = service->Find(range, one, shown, msg);
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->RecordCount(), 3);

    std::string bad = "<c><nosuch>1</nosuch></c>";
    EXPECT_EQ(service->Find(bad, one, shown, msg), nullptr);
    EXPECT_EQ(Ctx().PendingMessage, "Hx.CRM.COMMON.DBMSG.Sel0511");
    std::string broken = "<c><open></c>";
    EXPECT_EQ(service->Find(broken, one, shown, msg), nullptr);
    EXPECT_EQ(Ctx().PendingMessage, "Hx.CRM.COMMON.XMLMSGParseErr01\r\nHx.CRM.COMMON.XMLMSGParseErr02");
    EXPECT_TRUE(msg.empty());
}

INSTANTIATE_TEST_SUITE_P(Backends, Queries, ::testing::ValuesIn(kBackends), BackendTestName);

}  // namespace
}  // namespace sovrel::test
