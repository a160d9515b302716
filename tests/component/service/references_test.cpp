#include "service_fixture.h"

namespace sovrel::test {
namespace {

using References = ServiceTest;

TEST_P(References, DeletingAMainContactClearsItsVendorLinkFirst) {
    ASSERT_TRUE(Delete("V0200000002")) << msg;  // not a main contact: the link stays
    EXPECT_EQ(Scalar("SELECT cVenPerson FROM vendor WHERE cVenCode = N'V02'"), "Anna Schmidt");
    ASSERT_TRUE(Delete("V0200000001")) << msg;
    EXPECT_EQ(Scalar("SELECT count(*) FROM vendor WHERE cVenCode = N'V02' AND cSovrelCode IS NULL AND cVenPerson = N''"), "1");
    EXPECT_EQ(Count("Ven_Contact WHERE cVenCode = N'V02'"), 0);
}

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

TEST_P(References, ADeleteThatFailsAfterTheLinkWasClearedLeavesTheLinkCleared) {
    // A trigger stands for whatever makes the delete statement fail on the server.
    platform::db::Connection c;
    c.Open(connection);
    c.ExecuteScript(GetParam() == Backend::Sqlite
                        ? "CREATE TRIGGER refuse_delete BEFORE DELETE ON Ven_Contact BEGIN SELECT RAISE(ABORT, 'refused'); END;"
                        : "CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN RAISE EXCEPTION 'refused'; END$$;"
                          "CREATE TRIGGER refuse_delete BEFORE DELETE ON Ven_Contact FOR EACH ROW EXECUTE FUNCTION refuse();");
    EXPECT_FALSE(Delete("V0100000001"));
    EXPECT_EQ(msg, "Hx.CRM.COMMON.DBMSG.Del01\r\nHx.CRM.COMMON.DBMSG.Del02");
    EXPECT_EQ(Count("Ven_Contact WHERE cContactCode = N'V0100000001'"), 1);
    EXPECT_EQ(Scalar("SELECT count(*) FROM vendor WHERE cVenCode = N'V01' AND cSovrelCode IS NULL"), "1");
}

TEST_P(References, CheckRefedFollowsTheRelationTableJoiningEveryReferrerOrStoppingAtTheFirst) {
    std::string table = "Ven_Contact", none = "NoRelations", ret;
    bool all = true;
    platform::db::Value ordered("V0100000002"), free("V0200000002");
    EXPECT_TRUE(service->CheckRefed(free, table, all, &ret));
    EXPECT_TRUE(ret.empty());
    EXPECT_TRUE(service->CheckRefed(free, none, all, &ret));
    EXPECT_FALSE(service->CheckRefed(ordered, table, all, &ret));
    EXPECT_FALSE(ret.empty());
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
    platform::db::Value used("V01"), unused("V03");
    EXPECT_TRUE(service->BArchIsUsed(table, field, used));
    EXPECT_EQ(Ctx().PendingMessage, "Hx.CRM.COMMON.DBMSG.Ref01");
    EXPECT_FALSE(service->BArchIsUsed(table, field, unused));
    std::string bad = "NoTable";
    EXPECT_FALSE(service->BArchIsUsed(bad, field, used));
    EXPECT_EQ(Ctx().PendingMessage, "Hx.CRM.COMMON.DBMSG.0008");
}

INSTANTIATE_TEST_SUITE_P(Backends, References, ::testing::ValuesIn(kBackends), BackendTestName);

}  // namespace
}  // namespace sovrel::test
