#include "service_fixture.h"


namespace sovrel::test {
namespace {

using Frame = ServiceTest;

// A second Init keeps the first connection; after Terminate every operation fails cleanly until
// Init again; a failed statement leaves the database's text in PendingMessage.
TEST_P(Frame, TheConnectionsLife) {
    std::string other = "Provider=SQLite;Data Source=/nowhere";
    service->Init(other);
    EXPECT_EQ(service->m_CnnString(), connection);
    EXPECT_TRUE(service->Status());
    EXPECT_TRUE(service->ExecuteX("update vendor set cVenPerson = cVenPerson"));
    EXPECT_FALSE(service->ExecuteX("update nowhere set x = 1"));
    EXPECT_NE(Ctx().PendingMessage.find("nowhere"), std::string::npos) << Ctx().PendingMessage;

    service->Terminate();
    service->Terminate();  // a second one finds nothing to close
    EXPECT_FALSE(service->ExecuteX("update vendor set cVenPerson = cVenPerson"));
    EXPECT_EQ(service->OpenX("SELECT 1"), nullptr);
    std::string xml = "<Ven_Contact><cContactCode>V0300000001</cContactCode></Ven_Contact>", table = "Ven_Contact", msg;
    EXPECT_FALSE(service->Add(xml, table, msg));
    EXPECT_FALSE(msg.empty());
    std::string text = connection;
    service->Init(text);
    EXPECT_TRUE(service->OpenX("SELECT 1"));
}

TEST_P(Frame, UTLCaseLowersTagsOnlyAndEscapesAmpersandsOnRequest) {
    struct Case {
        std::string in, convert, keep;
    } cases[] = {
        {"<Ven_Contact><cContactName>Tom & Jerry</cContactName></Ven_Contact>",
         "<ven_contact><ccontactname>Tom &amp; Jerry</ccontactname></ven_contact>",
         "<ven_contact><ccontactname>Tom & Jerry</ccontactname></ven_contact>"},
        {"<A Operating='GetAuthFlds'>Ä &amp; Ö</A>", "<a operating='getauthflds'>Ä &amp;amp; Ö</a>",
         "<a operating='getauthflds'>Ä &amp; Ö</a>"},
        // A tag does not span a line break; text between tags keeps its case.
        {"<名字 X='Ü'>王 WANG</名字><B\n>", "<名字 x='ü'>王 WANG</名字><B\n>", "<名字 x='ü'>王 WANG</名字><B\n>"},
        {"a < b > C", "a < b > C", "a < b > C"},  // "< b >" is a tag; C is text
    };
    for (const auto& c : cases) {
        std::string converted = c.in, kept = c.in;
        service->UTLCase(converted, true);
        service->UTLCase(kept, false);
        EXPECT_EQ(converted, c.convert);
        EXPECT_EQ(kept, c.keep);
    }
}

TEST_P(Frame, ReIdVal) {
    EXPECT_EQ(service->ReIdVal(platform::db::Value::Null()), " is null ");
    EXPECT_EQ(service->ReIdVal(5), "= '5'");
    EXPECT_EQ(service->ReIdVal(platform::db::Value("O'Brien")), "= 'O''Brien'");
}

TEST_P(Frame, GetFunAuthAsksTheLoginOnlyForKnownOperations) {
    host.login->rights["AS020305"] = false;
    host.login->share = "no adding today";
    std::string err;
    std::shared_ptr<ILogin> login = host.login;
    EXPECT_FALSE(service->GetFunAuth(login, "Ven_Contact", 1, &err, 11));
    EXPECT_EQ(err, "no adding today");
    err.clear();
    EXPECT_TRUE(service->GetFunAuth(nullptr, "ven_contact", 0, &err, 11));  // kept login, lock 0: answer ignored
    EXPECT_TRUE(service->GetFunAuth(nullptr, "Ven_Contact", 1, &err, 5));   // no code for 5
    ClsCommon fresh;
    EXPECT_TRUE(fresh.GetFunAuth(nullptr, "Ven_Contact", 1, &err, 11));     // no login at all
}

TEST_P(Frame, ConvertDbSwitchesTheSharedConnection) {
    EXPECT_FALSE(service->zy_ConvertDB("", msg));
    EXPECT_TRUE(msg.empty());
    EXPECT_EQ(Ctx().PendingMessage, "Hx.CRM.COMMON.DBMSG.NoDB");
    EXPECT_TRUE(service->zy_ConvertDB("tksystem", msg));
    EXPECT_EQ(service->m_cnn()->CurrentDatabase(), "tksystem");
    EXPECT_FALSE(service->zy_ConvertDB("TKDATA_999_2099", msg));
}

TEST_P(Frame, AddInDiffDBWritesSubSystemRowsAndRunsTheStatementsAsOneUnit) {
    std::string xml = "<UA_Account_Sub><cAcc_Id>001</cAcc_Id><iyear>2024</iyear><cSub_Id>XX</cSub_Id></UA_Account_Sub>";
    std::string table = "UA_Account_Sub", msg;
    std::vector<std::string> sql{"update vendor set cVenPerson = N'first'", "", "update nowhere set x = 1"};
    EXPECT_FALSE(service->AddInDiffDB(xml, sql, "TKDATA_001_2024", table, msg));
    EXPECT_FALSE(msg.empty());
    EXPECT_EQ(Count("vendor WHERE cVenPerson = N'first'"), 0);  // rolled back
    platform::db::Connection sys;
    sys.Open(connection);
    sys.Execute("use tksystem");
    EXPECT_EQ(sys.OpenRowset("SELECT count(*) FROM UA_Account_Sub WHERE cSub_Id = N'XX'")->Get(0).ToInt(), 1);

    sql.pop_back();
    EXPECT_TRUE(service->AddInDiffDB(xml, sql, "TKDATA_001_2024", table, msg)) << msg;
    EXPECT_EQ(Count("vendor WHERE cVenPerson = N'first'"), 3);
    std::string other = "vendor";
    EXPECT_FALSE(service->AddInDiffDB("<vendor><x>1</x></vendor>", sql, "TKDATA_001_2024", other, msg));
    EXPECT_EQ(msg, "Hx.CRM.COMMON.DBMSG.NoTableParam(vendor)");
    const std::string twice = "<UA_Account_Sub><cAcc_Id>001</cAcc_Id><cacc_id>002</cacc_id></UA_Account_Sub>";
    EXPECT_FALSE(service->AddInDiffDB(twice, sql, "TKDATA_001_2024", table, msg));
    EXPECT_EQ(msg, "Hx.CRM.COMMON.XMLMSG003(cacc_id)");
}

INSTANTIATE_TEST_SUITE_P(Backends, Frame, ::testing::ValuesIn(kBackends), BackendTestName);

}  // namespace
}  // namespace sovrel::test
