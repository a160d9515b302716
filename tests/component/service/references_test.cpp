#include "service_fixture.h"

namespace sovrel::test {
namespace {

using References = ServiceTest;

TEST_P(References, RefusalsBeforeAnythingIsDeleted) {
    struct Case {
        platform::db::Value id;
        std::string idName, table, message;
    } cases[] = {
        {platform::db::Value::Null(), "cContactCode", "Ven_Contact", "Hx.CRM.COMMON.DBMSG.NoKeyID"},
        {"", "cContactCode", "Ven_Contact", "Hx.CRM.COMMON.DBMSG.NoKeyID"},
        {"V0100000001", "cContactCode", "vendor", "Hx.CRM.TkBaseCodeRefer.clscommon.00083"},
        {"V0100000001", "  ", "Ven_Contact", "Hx.CRM.TkCompetitor.iclscommon.00059"},
        {"V0900000009", "cContactCode", "Ven_Contact", "Hx.CRM.COMMON.DBMSG.Sel0512"},
        // Referenced, in the archive service's words.
        {"V0100000002", "cContactCode", "Ven_Contact",
         "Hx.CRM.COMMON.CheckRef02(Hx.AA.ARCHIVE.COMMON.vendorcontactmanagement,采购订单 PO2024000001)"},
    };
    archive->referenced = {"V0100000002"};
    for (auto& c : cases) {
        EXPECT_FALSE(Delete(c.id, c.idName, c.table)) << c.message;
        EXPECT_EQ(msg, c.message);
    }
    EXPECT_EQ(Count("Ven_Contact"), 6);
    EXPECT_EQ(archive->connection, connection);
}

// Deleting a main contact clears its vendor's link first, so that a delete that then fails leaves
// it cleared; deleting another contact leaves it.
TEST_P(References, ADeleteThatFailsAfterTheLinkWasClearedLeavesTheLinkCleared) {
    // A trigger stands for whatever makes the delete statement fail on the server.
    platform::db::Connection c;
    c.Open(connection);
    c.ExecuteScript(RefusingTrigger(GetParam(), "refuse_delete", "DELETE", "Ven_Contact"));
    EXPECT_FALSE(Delete("V0100000003"));
    EXPECT_EQ(Count("vendor WHERE cVenCode = N'V01' AND cSovrelCode IS NOT NULL AND cVenPerson <> N''"), 1);
    EXPECT_FALSE(Delete("V0100000001"));
    EXPECT_EQ(msg, "Hx.CRM.COMMON.DBMSG.Del01\r\nHx.CRM.COMMON.DBMSG.Del02");
    EXPECT_EQ(Count("Ven_Contact WHERE cContactCode = N'V0100000001'"), 1);
    EXPECT_EQ(Count("vendor WHERE cVenCode = N'V01' AND cSovrelCode IS NULL AND cVenPerson = N''"), 1);
}

TEST_P(References, CheckRefedFollowsTheRelationTableJoiningEveryReferrerOrStoppingAtTheFirst) {
    std::string table = "Ven_Contact", ret;
    bool all = true;
    platform::db::Value ordered("V0100000002");
    // The ordered contact is a superior too.
    ASSERT_TRUE(service->ExecuteX(
        "insert into crm_ref_relation (creferencedtablename, creferencedtablekey, creferencingtablename, "
        "creferencingtablecolumn, cwherepart, cObjName) values (N'Ven_Contact', N'cContactCode', N'Ven_Contact', "
        "N'cSuperiorID', N'', N'下级联系人')"));
    for (const bool every : {true, false}) {
        ret.clear();
        all = every;
        EXPECT_FALSE(service->CheckRefed(ordered, table, all, &ret));
        EXPECT_EQ(ret.find("、") != std::string::npos, every) << ret;
    }
}

TEST_P(References, BArchIsUsed) {
    std::string table = "Ven_Contact", field = "cVenCode";
    platform::db::Value used("V01");
    EXPECT_TRUE(service->BArchIsUsed(table, field, used));
    EXPECT_EQ(Ctx().PendingMessage, "Hx.CRM.COMMON.DBMSG.Ref01");
    std::string bad = "NoTable";
    EXPECT_FALSE(service->BArchIsUsed(bad, field, used));
    EXPECT_EQ(Ctx().PendingMessage, "Hx.CRM.COMMON.DBMSG.0008");
}

INSTANTIATE_TEST_SUITE_P(Backends, References, ::testing::ValuesIn(kBackends), BackendTestName);

}  // namespace
}  // namespace sovrel::test
