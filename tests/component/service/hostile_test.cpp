// Values and names that a careless caller or an attacker hands the data service: every value is
// stored and found as typed, byte for byte; every name that is no plain name is refused; and
// nothing else in the account changes.
#include "service_fixture.h"

namespace sovrel::test {
namespace {

// No "<" (the record XML carries values as the card writes them, with only "&" left bare), no
// comma (a condition value's comma makes a range) and no two that differ only in case.
const std::string kHostileValues[] = {
    "O'Brien",
    "x' or '1'='1",
    "';delete from Person--",
    "N'x'",
    "a--b /* c */ d",
    "a;b; drop table vendor",
    "back\\slash\\",
    "\\' or 1=1 --",
    "100%_done",
    "[%] [_] [[]",
    "\u200F\u202Eevil\u202C",
    "\U0001F600 emoji 表情",
    "it''s \"quoted\" & amp",
};

const std::string kHostileNames[] = {
    "1=1 or cContactCode", "cContactCode--", "Ven_Contact;delete from Person", "Ven_Contact v",
    "[cContactCode]",      "cContactCode/*", "ç",
};

class Hostile : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        if (IsSkipped()) return;
        // Memos of contacts count as references, so CheckRefed meets each value in a statement.
        Exec("insert into crm_ref_relation (creferencedtablename, creferencedtablekey, creferencingtablename, "
                  "creferencingtablecolumn, cwherepart, cObjName) values (N'Ven_Contact', N'cContactCode', "
                  "N'Ven_Contact', N'cMemo', N'', N'备注')");
        before = Untouchable();
    }
    // What no operation below may change: the fixed contacts, the other tables' rows, the links.
    std::string Untouchable() {
        std::string s;
        platform::db::Connection c;
        c.Open(connection);
        for (const char* sql :
             {"SELECT oid, cContactCode, cContactName, cMemo, cSuperiorID FROM Ven_Contact WHERE oid LIKE N'{6F1C%' ORDER BY oid",
              "SELECT cPersonCode, cPersonName FROM Person ORDER BY cPersonCode",
              "SELECT cVenCode, cVenPerson, cSovrelCode FROM vendor ORDER BY cVenCode",
              "SELECT cDepCode, cDepName FROM Department ORDER BY cDepCode",
              "SELECT count(*) FROM Crm_BaseCode WHERE cType <> N'Duty'"}) {
            for (auto rs = c.OpenRowset(sql); !rs->Eof(); rs->MoveNext())
                for (std::size_t f = 0; f < rs->FieldCount(); ++f) s += rs->Get(f).ToText() + "|";
            s += "\n";
        }
        return s;
    }
    std::string Contact(const std::string& code, const std::string& oid, const std::string& extra) {
        return "<Ven_Contact><cVenCode>V03</cVenCode><cContactCode>" + code + "</cContactCode>" + extra + "<oid>" + oid +
               "</oid></Ven_Contact>";
    }
    std::string before;
};

TEST_P(Hostile, EveryValueIsStoredAndFoundAsTypedThroughEveryOperation) {
    int n = 0;
    for (const std::string& v : kHostileValues) {
        SCOPED_TRACE(v);
        const std::string oid = "{H" + std::to_string(++n) + "}";
        const std::string where = " FROM Ven_Contact WHERE oid = N'" + oid + "'";
        std::string table = "Ven_Contact";

        // Add, with the value as code, name, memo and a value the growing list takes in.
        ASSERT_TRUE(Add(Contact(v, oid, "<cContactName>" + v + "</cContactName><cMemo>" + v + "</cMemo><cConDefine5>" + v +
                                            "</cConDefine5>")))
            << msg;
        for (const char* column : {"cContactCode", "cContactName", "cMemo", "cConDefine5"})
            EXPECT_EQ(Scalar(std::string("SELECT ") + column + where), v) << column;
        EXPECT_EQ(Scalar("SELECT count(*) FROM userdefine WHERE cId = N'VC05' AND cValue = (SELECT cConDefine5" + where + ")"),
                  "1");
        EXPECT_FALSE(Add(Contact(v, oid, "<cContactName>x</cContactName>")));
        EXPECT_EQ(msg, "Hx.CRM.COMMON.CheckDuplication02");
        // A value an archive must hold is looked up there and in the list, found in neither.
        EXPECT_FALSE(Add(Contact("V03H" + std::to_string(n), "{H0}", "<cContactName>x</cContactName><cConDefine4>" + v +
                                                                         "</cConDefine4>")));
        EXPECT_EQ(msg.rfind("Hx.CRM.TkCompetitor.transxml.00033(对接部门", 0), 0u) << msg;

        // A base code: added once, then found as existing.
        const std::string code = "<Crm_BaseCode><cCode>H" + std::to_string(n) + "</cCode><cType>Duty</cType><cName>" + v +
                                 "</cName><bEdit>True</bEdit></Crm_BaseCode>";
        EXPECT_TRUE(Add(code, "Crm_BaseCode")) << msg;
        EXPECT_EQ(Scalar("SELECT cName FROM Crm_BaseCode WHERE cCode = N'H" + std::to_string(n) + "'"), v);
        EXPECT_FALSE(Add(code, "Crm_BaseCode"));
        EXPECT_TRUE(msg.empty()) << msg;

        // Find, BArchIsUsed and CheckRefed find exactly this row by the value.
        std::vector<std::string> tables{"Ven_Contact"}, shown;
        std::string condition = "<c><cContactName>" + v + "</cContactName></c>";
        auto rows = service->Find(condition, tables, shown, msg);
        ASSERT_TRUE(rows) << Ctx().PendingMessage;
        EXPECT_EQ(rows->RecordCount(), 1);
        EXPECT_EQ(rows->Get("oid").ToText(), oid);
        std::string field = "cMemo";
        platform::db::Value value(v), other(v + "x");
        EXPECT_TRUE(service->BArchIsUsed(table, field, value));
        EXPECT_FALSE(service->BArchIsUsed(table, field, other));
        bool all = true;
        std::string refs;
        EXPECT_FALSE(service->CheckRefed(value, table, all, &refs));
        EXPECT_EQ(refs, "备注");
        refs.clear();
        EXPECT_TRUE(service->CheckRefed(other, table, all, &refs)) << refs;
        std::string valueAsTable = v;
        EXPECT_TRUE(service->CheckRefed(other, valueAsTable, all, &refs)) << refs;  // no relations, no error

        // Modify finds the row by the value and writes a new one.
        Ctx().LoadedContactTs.clear();
        EXPECT_TRUE(Modify("<Ven_Contact><cContactCode>" + v + "</cContactCode><cContactName>" + v +
                           "2</cContactName></Ven_Contact>"))
            << msg;
        EXPECT_EQ(Scalar("SELECT cContactName" + where), v + "2");

        // Delete by the value removes this row and no other.
        EXPECT_TRUE(Delete(value)) << msg;
        EXPECT_EQ(Scalar("SELECT count(*)" + where), "0");
        EXPECT_EQ(Count("Ven_Contact"), 6);
        EXPECT_EQ(Untouchable(), before);
    }
}

TEST_P(Hostile, NamesThatAreNoPlainNamesAreRefusedBeforeAnyStatement) {
    for (const std::string& name : kHostileNames) {
        SCOPED_TRACE(name);
        const std::string refused = "Hx.CRM.COMMON.DBMSG.BadName(" + name + ")";
        std::string key = name, table = "Ven_Contact", msg;
        platform::db::Value id("V0100000001");
        EXPECT_FALSE(service->Delete(id, key, table, msg));
        EXPECT_EQ(msg, refused);

        std::vector<std::string> tables{"vendor", name}, shown;
        std::string condition = "<c/>";
        EXPECT_EQ(service->Find(condition, tables, shown, msg), nullptr);
        EXPECT_EQ(Ctx().PendingMessage, refused);

        std::string field = "cContactCode", asTable = name, asField = name;
        Ctx().PendingMessage.clear();
        EXPECT_FALSE(service->BArchIsUsed(asTable, field, id));
        EXPECT_EQ(Ctx().PendingMessage, refused);
        Ctx().PendingMessage.clear();
        EXPECT_FALSE(service->BArchIsUsed(table, asField, id));
        EXPECT_EQ(Ctx().PendingMessage, refused);

        EXPECT_FALSE(service->zy_ConvertDB(name, msg));
        EXPECT_EQ(Ctx().PendingMessage, refused);
        std::vector<std::string> none;
        std::string sub = "UA_Account_Sub";
        EXPECT_FALSE(service->AddInDiffDB("<UA_Account_Sub/>", none, name, sub, msg));
        EXPECT_EQ(msg, refused);
    }
    EXPECT_EQ(Count("Ven_Contact"), 6);
    EXPECT_EQ(Untouchable(), before);
}

TEST_P(Hostile, SubSystemRowsAreFoundByTheirValuesOnly) {
    auto rows = [&] {
        platform::db::Connection sys;
        sys.Open(connection);
        sys.Execute("use tksystem");
        std::string s;
        for (auto rs = sys.OpenRowset("SELECT cAcc_Id, iYear, cSub_Id, cSub_Name FROM UA_Account_Sub ORDER BY 1, 2, 3");
             !rs->Eof(); rs->MoveNext())
            for (std::size_t f = 0; f < rs->FieldCount(); ++f) s += rs->Get(f).ToText() + "|";
        return s;
    };
    const std::string start = rows();
    std::vector<std::string> none;
    std::string table = "UA_Account_Sub", msg;
    const char* attacks[] = {
        "<cAcc_Id>001</cAcc_Id><iyear>2024</iyear><cSub_Id>' or '1'='1</cSub_Id>",
        "<cAcc_Id>' or 1=1 --</cAcc_Id><iyear>2024</iyear><cSub_Id>AP</cSub_Id>",
        "<cAcc_Id>001</cAcc_Id><iyear>2024 or 1=1</iyear><cSub_Id>AP</cSub_Id>",
    };
    for (const char* attack : attacks) {
        std::string xml = std::string("<UA_Account_Sub>") + attack + "<cSub_Name>hacked</cSub_Name></UA_Account_Sub>";
        EXPECT_FALSE(service->AddInDiffDB(xml, none, "TKDATA_001_2024", table, msg)) << attack;
        EXPECT_EQ(rows(), start) << attack;
    }
    // A quote that fits the two-character code is just a character of it.
    const std::string xml = "<UA_Account_Sub><cAcc_Id>001</cAcc_Id><iyear>2024</iyear><cSub_Id>Q'</cSub_Id>"
                            "<cSub_Name>O'Neil</cSub_Name></UA_Account_Sub>";
    ASSERT_TRUE(service->AddInDiffDB(xml, none, "TKDATA_001_2024", table, msg)) << msg;
    ASSERT_TRUE(service->AddInDiffDB(xml, none, "TKDATA_001_2024", table, msg)) << msg;  // found, not added again
    EXPECT_NE(rows().find("001|2024|Q'|O'Neil|"), std::string::npos) << rows();
    EXPECT_EQ(rows().size(), start.size() + std::string("001|2024|Q'|O'Neil|").size());
}

INSTANTIATE_TEST_SUITE_P(Backends, Hostile, ::testing::ValuesIn(kBackends), BackendTestName);

}  // namespace
}  // namespace sovrel::test
