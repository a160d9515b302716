#include <gtest/gtest.h>

#include "demo_session.h"
#include "host/services.h"
#include "host/session.h"
#include "platform/error.h"
#include "thrown.h"

namespace host::test {
namespace {

using sovrel::test::DemoFolder;
using sovrel::test::DemoPassword;
using sovrel::test::Thrown;

class ServicesTest : public ::testing::Test {
protected:
    DemoFolder demo;
};

TEST_F(ServicesTest, rowAuthorityPerUser) {
    auto db = demo.System();
    db->Execute("INSERT INTO UA_User (cUser_Id, cUser_Name, cLanguage) VALUES ('nobody', N'无权用户', 'zh-CN')");
    db->Execute("INSERT INTO UA_User (cUser_Id, cUser_Name, cLanguage) VALUES ('spaced', N'空格', 'zh-CN')");
    db->Execute("INSERT INTO UA_User (cUser_Id, cUser_Name, cLanguage) VALUES ('broken', N'坏数据', 'zh-CN')");
    db->Execute("INSERT INTO UA_User (cUser_Id, cUser_Name, cLanguage, bDisabled) VALUES ('left', N'离职', 'zh-CN', 1)");
    db->Execute("INSERT INTO UA_RowAuth VALUES ('nobody', 'vendor', N'1=2')");
    db->Execute("INSERT INTO UA_RowAuth VALUES ('spaced', 'vendor', N' 5 , 7,, ')");
    db->Execute("INSERT INTO UA_RowAuth VALUES ('broken', 'vendor', N'1) or (1=1')");
    const struct { const char* user; const char* object; const char* expected; } cases[] = {
        {"demo", "vendor", ""},     {"LIMITED", "Vendor", "1,3"}, {"limited", "customer", ""},
        {"nobody", "vendor", "1=2"}, {"spaced", "vendor", "5,7"},  {"broken", "vendor", "1=2"},
        {"left", "vendor", "1=2"},   {"stranger", "vendor", "1=2"},
    };
    for (const auto& c : cases) {
        RowAuthService service;
        service.Init(demo.accountText(), c.user);
        EXPECT_EQ(service.GetAuthString(c.object), c.expected) << c.user << " " << c.object;
    }
    RowAuthService uninitialised;
    EXPECT_THROW(uninitialised.GetAuthString("vendor"), platform::Error);
}

TEST_F(ServicesTest, columnAuthorityAnswersTheRequestedFunction) {
    demo.System()->Execute("INSERT INTO UA_ColAuth VALUES ('limited', 'vendor', 'R', N'cVenCode, cVenName ,cVenAbbName')");
    demo.System()->Execute("INSERT INTO UA_ColAuth VALUES ('limited', 'vendor', 'W', N'cVenPerson')");
    ColAuthService limited;
    limited.Init(demo.accountText(), "limited");
    EXPECT_EQ(limited.GetAuthString("<hxColAuth cBusObId='vendor' cFuncId='R'/>"), "cVenCode,cVenName,cVenAbbName");
    EXPECT_EQ(limited.GetAuthString("<hxColAuth cBusObId=\"vendor\" cFuncId=\"w\"></hxColAuth>"), "cVenPerson");
    EXPECT_EQ(limited.GetAuthString("<hxColAuth cBusObId='Person' cFuncId='R'/>"), "");
    ColAuthService demoUser;
    demoUser.Init(demo.accountText(), "demo");
    EXPECT_EQ(demoUser.GetAuthString("<hxColAuth cBusObId='vendor' cFuncId='R'/>"), "");

    const std::string usage = "<hxColAuth cBusObId='vendor' cFuncId='R'/>";
    for (const char* bad :
         {"vendor", "<hxColAuth cBusObId='vendor' cFuncId='R'>", "<hxColAuth cBusObId='vendor' cFuncId='X'/>"})
        EXPECT_NE(Thrown([&] { limited.GetAuthString(bad); }).Description().find(usage), std::string::npos) << bad;
}

// Attribute `name` of every <Column>, in order.
std::vector<std::string> Attribute(const std::string& xml, const std::string& name) {
    std::vector<std::string> out;
    const std::string marker = " " + name + "=\"";
    for (std::size_t at = xml.find("<Column "); at != std::string::npos; at = xml.find("<Column ", at + 1)) {
        const std::size_t start = xml.find(marker, at) + marker.size();
        out.push_back(xml.substr(start, xml.find('"', start) - start));
    }
    return out;
}

std::vector<std::string> VisibleNames(const std::string& xml) {
    auto names = Attribute(xml, "name");
    auto visible = Attribute(xml, "visible");
    std::vector<std::string> out;
    for (std::size_t i = 0; i < names.size(); ++i)
        if (visible[i] == "1") out.push_back(names[i]);
    return out;
}

TEST_F(ServicesTest, defaultColumnsOfTheContactList) {
    ColumnSetService zh;
    zh.Init(demo.accountText(), "demo");
    const std::string xml = zh.getColInfo("Ven_Contact", 1);
    const auto names = Attribute(xml, "name");
    ASSERT_GT(names.size(), 27u);
    EXPECT_EQ(VisibleNames(xml),
              (std::vector<std::string>{"cSelect", "cContactCode", "cVenName", "cContactName", "cAppellation",
                                        "cSexName", "cSuperiorName", "cDutyName", "bMajor", "cPersonName",
                                        "cOfficePhone", "cMobilePhone", "cEmail"}));
    const auto captions = Attribute(xml, "caption");
    EXPECT_EQ(captions[1], "联系人编码");
    EXPECT_EQ(Attribute(xml, "expression")[5], "BaseCodeSex.cName");
    // User-defined items in use, named by the account, hidden, numbers with their digits.
    auto at = std::find(names.begin(), names.end(), "cConDefine13") - names.begin();
    ASSERT_LT(static_cast<std::size_t>(at), names.size());
    EXPECT_EQ(captions[at], "信用额度");
    EXPECT_EQ(Attribute(xml, "decimals")[at], "2");
    EXPECT_EQ(std::count(names.begin(), names.end(), "cConDefine3"), 0);  // not in use

    ColumnSetService en;
    en.Init(demo.accountText(), "demo_en");
    EXPECT_EQ(Attribute(en.getColInfo("ven_contact", 1), "caption")[1], "Contact Code");

    auto rs = zh.getColSet("Ven_Contact", 1);
    ASSERT_EQ(rs->RecordCount(), static_cast<long>(names.size()));
    EXPECT_TRUE(rs->Get("bFixed").ToBool());

    EXPECT_THROW(zh.getColInfo("Customer", 1), platform::Error);
    ColumnSetService uninitialised;
    EXPECT_THROW(uninitialised.getColInfo("Ven_Contact", 1), platform::Error);
}

TEST_F(ServicesTest, savedColumnsWinPerUser) {
    ColumnSetService demoUser;
    demoUser.Init(demo.accountText(), "demo");
    std::string message = "stale";
    const std::string mine =
        "<ColumnSet key='Ven_Contact'>"
        "<Column name='cContactName' width='150' visible='1' sort='desc' sortIndex='2'/>"
        "<Column name='cContactCode' width='90' visible='1' sort='asc' sortIndex='1'/>"
        "<Column name='cEmail' visible='0'/>"
        "<Column name='cMemo' visible='true' expression='(select password from UA_User)'/>"
        "</ColumnSet>";
    ASSERT_TRUE(demoUser.Save("Ven_Contact", mine, message)) << message;
    EXPECT_EQ(message, "");

    const std::string xml = demoUser.getColInfo("Ven_Contact", 1);
    EXPECT_EQ(VisibleNames(xml), (std::vector<std::string>{"cSelect", "cContactName", "cContactCode", "cMemo"}));
    EXPECT_EQ(Attribute(xml, "width")[1], "150");
    EXPECT_EQ(Attribute(xml, "sortIndex")[2], "1");
    EXPECT_EQ(Attribute(xml, "expression")[4], "Ven_Contact.cMemo");  // never taken from the text
    EXPECT_EQ(demoUser.getColInfo("Ven_Contact", 2), xml);
    const auto everything = Attribute(demoUser.getColInfo("Ven_Contact", 15), "visible");
    EXPECT_EQ(std::count(everything.begin(), everything.end(), "0"), 0);

    ColumnSetService other;
    other.Init(demo.accountText(), "limited");
    EXPECT_EQ(other.getColInfo("Ven_Contact", 1), demoUser.getColInfo("Ven_Contact", 0));

    // Refused descriptions leave the saved one as it was.
    const std::string refused[] = {
        "<ColumnSet><Column name='cPassword' visible='1'/></ColumnSet>",
        "<ColumnSet><Column name='cEmail' visible='1'/><Column name='cEmail'/></ColumnSet>",
        "<ColumnSet><Column name='cEmail' width='wide'/></ColumnSet>",
        "<ColumnSet><Column name='cEmail' visible='1'>",
    };
    for (const auto& text : refused) {
        EXPECT_FALSE(demoUser.Save("Ven_Contact", text, message)) << text;
        EXPECT_NE(message.find("栏目设置无效"), std::string::npos) << message;
    }
    EXPECT_FALSE(demoUser.Save("Ven_Contact", "<ColumnSet><Column name='cSelect'/></ColumnSet>", message));
    EXPECT_EQ(message, "至少要显示一个栏目。");
    EXPECT_EQ(demoUser.getColInfo("Ven_Contact", 1), xml);

    EXPECT_TRUE(demoUser.Reset("Ven_Contact"));
    EXPECT_EQ(demoUser.getColInfo("Ven_Contact", 1), demoUser.getColInfo("Ven_Contact", 0));
}

TEST_F(ServicesTest, archiveReferencesOfContacts) {
    auto login = LoginSession::Login(demo.path(), "demo", DemoPassword());  // messages in its language
    ArchiveService service;
    service.Init(demo.accountText());
    struct Case { platform::db::Value value; const char* table; bool free; const char* message; };
    const Case cases[] = {
        {"V0100000002", "ven_contact", false, "采购订单（1条）"},
        {"{6F1C2A10-0000-4000-8000-000000000103}", "Ven_Contact", false, "拜访记录（1条）"},
        {"{6F1C2A10-0000-4000-8000-000000000104}", "Ven_Contact", true, ""},  // its visit was withdrawn
        {"V0200000001", "Ven_Contact", true, ""},
        {"V01", "vendor", false, "供应商联系人（4条）、采购订单（1条）"},
        {"0002", "Person", false, "供应商联系人（2条）、采购订单（1条）"},
        {platform::db::Value::Null(), "Ven_Contact", true, ""},
        {"V0100000002", "Warehouse", true, ""},  // nothing refers to that table
    };
    for (const auto& c : cases) {
        std::string message = "stale";
        EXPECT_EQ(service.CheckArchRefed(c.value, c.table, "供应商联系人档案", message), c.free) << c.value.ToText();
        EXPECT_EQ(message, c.message) << c.value.ToText();
    }

    // A relation to a table this account does not have is an error, not a free pass.
    demo.Account()->Execute("INSERT INTO crm_ref_relation (creferencedtablename, creferencedtablekey, "
                            "creferencingtablename, creferencingtablecolumn, cwherepart, cObjName) VALUES "
                            "('Ven_Contact', 'cContactCode', 'SA_Quote', 'cContactCode', '', N'报价单')");
    std::string message;
    EXPECT_THROW(service.CheckArchRefed("V0200000001", "Ven_Contact", "", message), platform::Error);
    ArchiveService uninitialised;
    EXPECT_THROW(uninitialised.CheckArchRefed("V0200000001", "Ven_Contact", "", message), platform::Error);
}

TEST_F(ServicesTest, startedSubsystemsOfTheAccount) {
    SysStartService service;
    std::string started = "stale";
    EXPECT_TRUE(service.GetAllStartedSys(demo.accountText(), "001", started));
    EXPECT_EQ(started, "AS,CM,PU,SA");
    EXPECT_TRUE(service.GetAllStartedSys(demo.systemText(), "001", started));  // any year
    EXPECT_EQ(started, "AS,CM,PU,SA");
    EXPECT_FALSE(service.GetAllStartedSys(demo.accountText(), "002", started));
    EXPECT_EQ(started, "");
    const std::string otherYear = schema::SqliteConnectionText(demo.path(), "TKDATA_001_2023");
    EXPECT_FALSE(service.GetAllStartedSys(otherYear, "001", started));
    EXPECT_FALSE(service.GetAllStartedSys("Provider=SQLite;Data Source=/nonexistent", "001", started));
}

}  // namespace
}  // namespace host::test
