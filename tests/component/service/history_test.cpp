// The contacts' history: each way a contact changes leaves its rows in the change's own
// transaction, and a deleted contact comes back from them.
#include <sstream>

#include "exchange/contact_exchange.h"
#include "exchange/csv.h"
#include "service/history.h"
#include "service_fixture.h"

namespace sovrel::test {
namespace {

class History : public ServiceTest {
protected:
    void As(const std::string& user) {
        Ctx().UserId = user;
        Ctx().UserName = user + "'s name";  // a quote in what the history writes in
    }
    bool Modify(const std::string& code, const std::string& children) {
        return ServiceTest::Modify("<Ven_Contact><cContactCode>" + code + "</cContactCode>" + children + "</Ven_Contact>");
    }
    // The contact's history rows of one kind, oldest first: "column:old>new by user", one a line.
    std::string Rows(const std::string& code, const std::string& kind) {
        platform::db::Connection c;
        c.Open(connection);
        auto rs = c.OpenRowset("SELECT cColumn, cOldValue, cNewValue, cUserId, cUserName FROM Ven_ContactHistory "
                               "WHERE cContactCode = N'" + code + "' AND cKind = N'" + kind + "' ORDER BY ID");
        std::string out;
        for (; !rs->Eof(); rs->MoveNext())
            out += rs->Get(0).ToText() + ":" + (rs->Get(1).IsNull() ? "-" : rs->Get(1).ToText()) + ">" +
                   (rs->Get(2).IsNull() ? "-" : rs->Get(2).ToText()) + " by " + rs->Get(3).ToText() + "/" +
                   rs->Get(4).ToText() + "\n";
        return out;
    }
};

std::string NewContact(const std::string& code) {
    return "<Ven_Contact><cVenCode>V03</cVenCode><cContactCode>" + code + "</cContactCode><cContactName>O'Neil"
           "</cContactName><cAppellation></cAppellation><bcSexID>1</bcSexID><oid>{" + code + "}</oid></Ven_Contact>";
}

TEST_P(History, EveryChangeLeavesOneRowPerChangedColumnInItsOwnTransaction) {
    As("u1");
    ASSERT_TRUE(Add(NewContact("V0300000041"))) << msg;
    // Only the columns the add filled, in the table's order; the row version is no column of it.
    EXPECT_EQ(Rows("V0300000041", "add"),
              "oid:->{V0300000041} by u1/u1's name\ncContactCode:->V0300000041 by u1/u1's name\n"
              "cVenCode:->V03 by u1/u1's name\ncContactName:->O'Neil by u1/u1's name\nbcSexID:->1 by u1/u1's name\n"
              "bMajor:->False by u1/u1's name\n");

    // Two users in turn; an unchanged column leaves nothing.
    ASSERT_TRUE(Modify("V0300000041", "<cMobilePhone>139</cMobilePhone><cContactName>O'Neil</cContactName>")) << msg;
    As("u2");
    ASSERT_TRUE(Modify("V0300000041", "<cMobilePhone>138</cMobilePhone>")) << msg;
    const std::string modified = "cMobilePhone:->139 by u1/u1's name\ncMobilePhone:139>138 by u2/u2's name\n";
    EXPECT_EQ(Rows("V0300000041", "modify"), modified);

    // Changes the caller takes back leave no history, nor does a refused one.
    auto cnn = service->m_cnn();
    cnn->BeginTrans();
    ASSERT_TRUE(Modify("V0300000041", "<cMobilePhone>137</cMobilePhone>")) << msg;
    ASSERT_TRUE(Add(NewContact("V0300000042"))) << msg;
    cnn->RollbackTrans();
    EXPECT_FALSE(Modify("V0300000041", "<cConDefine15>next tuesday</cConDefine15>"));
    EXPECT_EQ(Rows("V0300000041", "modify"), modified);
    EXPECT_EQ(Count("Ven_ContactHistory WHERE cContactCode = N'V0300000042'"), 0);

    ASSERT_TRUE(Delete("V0300000041")) << msg;
    EXPECT_EQ(Rows("V0300000041", "delete"),
              "oid:{V0300000041}>- by u2/u2's name\ncContactCode:V0300000041>- by u2/u2's name\n"
              "cVenCode:V03>- by u2/u2's name\ncContactName:O'Neil>- by u2/u2's name\nbcSexID:1>- by u2/u2's name\n"
              "bMajor:False>- by u2/u2's name\ncMobilePhone:138>- by u2/u2's name\n");

    // An import's contacts are recorded as imported.
    exchange::Record r;
    r.Set("cVenCode", "V03");
    r.Set("cContactCode", "V0300000043");
    r.Set("cContactName", "Imported");
    std::istringstream in(exchange::CsvHeader() + exchange::CsvRow(r));
    exchange::ImportSummary summary;
    ASSERT_TRUE(exchange::ImportContacts(*service, in, {}, [](const exchange::RowReport&) {}, summary))
        << summary.message;
    EXPECT_NE(Rows("V0300000043", "import").find("cContactName:->Imported by u2/u2's name\n"), std::string::npos);
    EXPECT_EQ(Rows("V0300000043", "add"), "");
}

// A change whose history cannot be written is not made, and the connection goes on: alone and
// inside a transaction of the caller, whose own writes stay.
TEST_P(History, AChangeWhoseHistoryFailsIsRolledBackAndTheConnectionGoesOn) {
    // A trigger stands for whatever makes the history's insert fail on the server.
    platform::db::Connection c;
    c.Open(connection);
    c.ExecuteScript(RefusingTrigger(GetParam(), "refuse_history", "INSERT", "Ven_ContactHistory", "NEW.cUserId = 'refused'"));
    auto cnn = service->m_cnn();
    for (bool outer : {false, true}) {
        SCOPED_TRACE(outer ? "inside the caller's transaction" : "alone");
        const std::string kept = outer ? "V0300000052" : "V0300000051", refused = outer ? "V0300000054" : "V0300000053";
        if (outer) cnn->BeginTrans();
        As("u1");
        ASSERT_TRUE(Add(NewContact(kept))) << msg;
        As("refused");
        EXPECT_FALSE(Add(NewContact(refused)));
        EXPECT_FALSE(Modify(kept, "<cMobilePhone>135</cMobilePhone>"));
        EXPECT_FALSE(Delete(kept));
        As("u1");
        ASSERT_TRUE(Modify(kept, "<cMemo>after</cMemo>")) << msg;
        if (outer) cnn->CommitTrans();
        EXPECT_EQ(Count("Ven_Contact WHERE cContactCode = N'" + refused + "'"), 0);
        EXPECT_EQ(Count("Ven_Contact WHERE cContactCode = N'" + kept + "' AND cMobilePhone IS NULL AND cMemo = N'after'"), 1);
        EXPECT_EQ(Count("Ven_ContactHistory WHERE cContactCode IN (N'" + kept + "', N'" + refused + "') AND cKind <> N'add'"), 1);
    }
}

TEST_P(History, ADeletedContactComesBackThroughAddWithItsLastValues) {
    As("demo");
    ASSERT_TRUE(Modify("V0100000003", "<cMobilePhone>139 & 138</cMobilePhone><dBirthday>1985-04-12</dBirthday>")) << msg;
    ASSERT_TRUE(Delete("V0100000003")) << msg;
    // A contact that is there, or was never deleted, is not restored.
    for (const char* code : {"V0100000001", "V0100000099"}) {
        EXPECT_FALSE(history::Restore(*service, code, msg));
        EXPECT_EQ(msg, std::string("Hx.CRM.TkContact.History.NotDeleted(") + code + ")");
    }
    ASSERT_TRUE(history::Restore(*service, "V0100000003", msg)) << msg;
    for (const char* column : {"cContactName", "cMobilePhone", "dBirthday", "bcSexID", "oid", "bMajor", "cVenCode"})
        EXPECT_EQ(Scalar(std::string("SELECT ") + column + " FROM Ven_Contact WHERE cContactCode = N'V0100000003'"),
                  Scalar(std::string("SELECT cOldValue FROM Ven_ContactHistory WHERE cKind = N'delete' AND "
                                     "cContactCode = N'V0100000003' AND cColumn = N'") + column + "'"))
            << column;
    EXPECT_EQ(Scalar("SELECT cMobilePhone FROM Ven_Contact WHERE cContactCode = N'V0100000003'"), "139 & 138");
    EXPECT_NE(Rows("V0100000003", "restore").find("cMobilePhone:->139 & 138 by demo"), std::string::npos);
    // Restored, it is no deleted contact any more; deleted again, only its last values count.
    EXPECT_FALSE(history::Restore(*service, "V0100000003", msg));
    ASSERT_TRUE(Modify("V0100000003", "<cMobilePhone></cMobilePhone>")) << msg;
    ASSERT_TRUE(Delete("V0100000003")) << msg;
    ASSERT_TRUE(history::Restore(*service, "V0100000003", msg)) << msg;
    EXPECT_EQ(Scalar("SELECT count(*) FROM Ven_Contact WHERE cContactCode = N'V0100000003' AND cMobilePhone IS NULL"),
              "1");
    // A value the record XML cannot carry is refused by name rather than let in as markup.
    Exec("UPDATE Ven_Contact SET cMemo = N'x</cMemo><cConDefine3>y' WHERE cContactCode = N'V0100000003'");
    ASSERT_TRUE(Delete("V0100000003")) << msg;
    EXPECT_FALSE(history::Restore(*service, "V0100000003", msg));
    EXPECT_EQ(msg, "Hx.CRM.TkContact.History.CannotRestore(V0100000003,cMemo)");
    EXPECT_EQ(Count("Ven_Contact WHERE cContactCode = N'V0100000003'"), 0);
}

// The service keeps the table's structure and the user-defined items' settings, so that an Add and
// its history cost the write's own round trips; settings another process changes hold at once.
TEST_P(History, AnAddTakesTwoRoundTripsAndSettingsChangedElsewhereHoldAtOnce) {
    As("u1");
    auto contact = [](const std::string& code, const std::string& extra) {
        std::string xml = NewContact(code);
        return xml.insert(xml.rfind("</Ven_Contact>"), extra);
    };
    const std::string ranked = "<cConDefine2>A级</cConDefine2>";
    ASSERT_TRUE(Add(contact("V0300000051", ranked))) << msg;
    const long before = service->m_cnn()->RoundTrips();
    ASSERT_TRUE(Add(contact("V0300000052", ranked))) << msg;
    EXPECT_LE(service->m_cnn()->RoundTrips() - before, 2);
    EXPECT_NE(Rows("V0300000052", "add").find("cConDefine2:->A级 by u1"), std::string::npos);

    const struct {
        const char* change;  // by the other process
        const char* extra;
        const char* message;  // "" when added
    } steps[] = {
        {"DELETE FROM userdefine WHERE cId = N'VC02' AND cValue = N'A级'", "", "Hx.CRM.TkCompetitor.transxml.00034(联系人级别)"},
        {"INSERT INTO userdefine (cId, cValue) VALUES (N'VC02', N'A级')", "", ""},
        {"UPDATE userdef SET bInput = 1 WHERE cClass = N'供应商联系人' AND cItem = N'自定义项1'", "",
         "Hx.CRM.COMMON.CheckNull03(微信号)"},
        {"UPDATE userdef SET bInput = 0 WHERE cClass = N'供应商联系人' AND cItem = N'自定义项1'", "", ""},
        // An item taken into use keeps the value it was given.
        {"UPDATE userdef SET cItemName = N'备用' WHERE cClass = N'供应商联系人' AND cItem = N'自定义项3'",
         "<cConDefine3>kept</cConDefine3>", ""},
    };
    int n = 53;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.change);
        Exec(step.change);
        const std::string code = "V03000000" + std::to_string(n++);
        EXPECT_EQ(Add(contact(code, ranked + step.extra)), !*step.message) << msg;
        EXPECT_EQ(msg, step.message);
        EXPECT_EQ(Count("Ven_Contact WHERE cContactCode = N'" + code + "'"), *step.message ? 0 : 1);
    }
    EXPECT_EQ(Scalar("SELECT cConDefine3 FROM Ven_Contact WHERE cContactCode = N'V0300000057'"), "kept");
    // A Modify checks against them as well.
    Exec("DELETE FROM userdefine WHERE cId = N'VC02' AND cValue = N'B级'");
    EXPECT_FALSE(Modify("V0300000052", "<cConDefine2>B级</cConDefine2>"));
    EXPECT_EQ(msg, "Hx.CRM.TkCompetitor.transxml.00034(联系人级别)");
}

INSTANTIATE_TEST_SUITE_P(Backends, History, ::testing::ValuesIn(kBackends), BackendTestName);

}  // namespace
}  // namespace sovrel::test
