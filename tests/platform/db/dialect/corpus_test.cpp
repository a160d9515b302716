// The statements the component sends, one of each form, with sample values, run through the
// connection against the fixed demo account; each answer is what SQL Server gives for the same rows.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/db/connection.h"
#include "platform/db/rowset.h"
#include "platform/error.h"
#include "backends.h"
#include "schema/demo.h"
#include "thrown.h"

using platform::db::Connection;

namespace {

using Row = std::vector<std::string>;
using Rows = std::vector<Row>;
const std::string N = "<null>";

// A select list as the column settings give it (the selection column's field first, then the
// contact code), and the joins the window's utilities build for it.
const std::string kColumns =
    "Ven_Contact.cContactCode as ID,Ven_Contact.cContactCode,Ven_Contact.cContactName,vendor.cVenName,"
    "Contact1.cContactName as cSuperiorName,BaseCodeDuty.cName as DutyName,BaseCodeSex.cName as SexName,"
    "BaseCodeTaste.cName as TasteName,BaseCodeMarriage.cName as MarriageName,Person3.cPersonName as "
    "cprincipalname,Ven_Contact.bMajor,Ven_Contact.dBirthday,Ven_Contact.cMobilePhone";
const std::string kJoins =
    " Left join vendor on vendor.cVenCode=Ven_Contact.cVenCode"
    " Left join Ven_Contact Contact1 on Contact1.cContactCode=Ven_Contact.cSuperiorID"
    " Left join Crm_BaseCode BaseCodeDuty on BaseCodeDuty.ID=Ven_Contact.bcDutyID"
    " Left join Crm_BaseCode BaseCodeSex on BaseCodeSex.ID=Ven_Contact.bcSexID"
    " Left join Crm_BaseCode BaseCodeTaste on BaseCodeTaste.ID=Ven_Contact.bcTasteID"
    " Left join Crm_BaseCode BaseCodeMarriage on BaseCodeMarriage.ID=Ven_Contact.bcMarriageID"
    " Left join Person Person3 on Person3.cPersonCode=Ven_Contact.cprincipal ";

// The list's statement, built in the list window's order.
std::string ListQuery(const std::string& rowAuth, const std::string& vendor, const std::string& where,
                      const std::string& filter) {
    std::string sql = "SELECT " + kColumns + " FROM Ven_Contact " + kJoins + "WHERE " + "(" +
                      rowAuth + ")  ";
    if (!vendor.empty()) sql += " and Ven_Contact.cVenCode = '" + vendor + "' ";
    if (!where.empty()) sql += " AND " + where;
    if (!filter.empty()) sql += " AND " + filter;
    return sql + " ORDER BY cContactCode";
}

// The statement the card runs after a save so that vendor v has a main contact.
std::string MainContactStatement(const std::string& v) {
    return "if (not exists( select * from Ven_Contact where oid in (select Vendor.cSovrelCode  from vendor where "
           "cVenCode='" + v + "')))" + " begin" + " update vendor set csovrelcode=t.oid,cVenPerson=t.cContactName" +
           " from (select top 1 oid,vendor.cvencode,cContactName" +
           " from Ven_Contact left join vendor on Vendor.cVenCode=Ven_Contact.cVenCode" +
           " where Ven_Contact.cVenCode='" + v + "' order by cContactCode desc) t" +
           " WHERE vendor.cvencode = t.cvencode" + " End";
}

std::string NextCodeQuery(const std::string& v) {
    return "Select max(RIGHT(cContactCode,8)) FROM Ven_Contact" " WHERE left(cContactCode," +
           std::to_string(v.size()) + ") = N'" + v + "' and LEN(cContactCode)-LEN(cVenCode )=8 ";
}

class CorpusTest : public ::testing::TestWithParam<sovrel::test::Backend> {
protected:
    void SetUp() override {
        SOVREL_SKIP_UNLESS_AVAILABLE(place_);
        conn_->Open(sovrel::test::CreateFixedAccount(place_));
    }

    Rows Read(const std::string& tsql) {
        auto rs = conn_->OpenRowset(tsql);
        Rows rows;
        while (!rs->Eof()) {
            Row row;
            for (std::size_t i = 0; i < rs->FieldCount(); ++i) {
                const auto v = rs->Get(i);
                row.push_back(v.IsNull() ? N : v.ToText());
            }
            rows.push_back(std::move(row));
            rs->MoveNext();
        }
        return rows;
    }
    std::string One(const std::string& tsql) {
        const Rows rows = Read(tsql);
        if (rows.size() != 1 || rows[0].size() != 1) {
            ADD_FAILURE() << tsql << ": " << rows.size() << " rows";
            return {};
        }
        return rows[0][0];
    }
    std::string Oid(const std::string& code) {
        return One("select oid from Ven_Contact where cContactCode = N'" + code + "'");
    }

    sovrel::test::Place place_{GetParam()};  // declared first: the connection closes before it goes
    std::shared_ptr<Connection> conn_ = std::make_shared<Connection>();
};

struct Query {
    std::string tsql;
    Rows rows;
};

TEST_P(CorpusTest, CardAndServiceLookupsFindWhatSqlServerFinds) {
    const std::vector<Query> queries = {
        // Base code lists and lookups (cType and cName compare without case).
        {"SELECT ID,cName FROM Crm_BaseCode WHERE cType = N'sex' order by ID ", {{"1", "男"}, {"2", "女"}}},
        {"Select ID FROM Crm_BaseCode WHERE cType = N'DUTY' AND cName = N'总经理'", {{"3"}}},
        {"select top 1 * from  Crm_BaseCode Where cType = N'Taste' and cName=N'钓鱼'", {}},
        // Contact code generation.
        {NextCodeQuery("v01"), {{"00000004"}}}, {NextCodeQuery("V03"), {{N}}},
        // Duplicate checks and look-ups: trailing spaces and case do not make a code new.
        {"Select top 1 cContactCode FROM Ven_Contact WHERE cContactCode = N'V0100000001 '", {{"V0100000001"}}},
        {"select top 1 cContactName from  Ven_Contact Where cContactCode='v0100000002'", {{"李娜"}}},
        {"SELECT cContactCode,cContactName FROM Ven_Contact WHERE  (cContactCode=N'anna schmidt' or  "
         "cContactName=N'anna schmidt')", {{"V0200000001", "Anna Schmidt"}}},
        {"SELECT cContactCode FROM Ven_Contact WHERE upper(cContactName) IN (N'anna schmidt', N'nobody')",
         {{"V0200000001"}}},
        {"SELECT  Top 1 cContactCode FROM Ven_Contact WHERE cSuperiorID = N'V0100000002'", {{"V0100000003"}}},
        {"Select cVenPerson,Person.cPersonName FROM vendor left join person on vendor.cVenPerson = "
         "Person.cPersonCode  WHERE cvenCode = N'V01'", {{"张伟", N}}},
        // Vendor resolution: LIKE ignores case, and the row authority narrows it.
        {"SELECT cVenCode,cVenName,cVenAbbName,cVenPPerson,Person.cPersonName FROM vendor left join Person on "
         "vendor.cVenPPerson = Person.cPersonCode WHERE  (cVenCode like N'%NORD%' or cVenName like N'%NORD%' or "
         "cVenAbbName like N'%NORD%')", {{"V02", "Nordwind Industrial Supplies GmbH", "Nordwind", "0004", "郑丽"}}},
        {"SELECT cVenCode FROM vendor left join Person on vendor.cVenPPerson = Person.cPersonCode WHERE  (cVenCode "
         "like N'%v0%' or cVenName like N'%v0%' or cVenAbbName like N'%v0%') and (vendor.iId in (1,3))",
         {{"V01"}, {"V03"}}},
        {"SELECT cVenCode FROM vendor WHERE  (cVenCode like N'%华东%' or cVenName like N'%华东%' or cVenAbbName like "
         "N'%华东%') and ((1=2))", {}},
        // Mail addresses.
        {"SELECT cContactCode, cEmail FROM Ven_Contact WHERE [cContactCode] IN ( N'V0100000001',N'v0100000004')",
         {{"V0100000001", "zhang.wei@hdem.com.cn"}, {"V0100000004", N}}},
        {"SELECT DISTINCT [cVenEmail] FROM vendor WHERE cVenCode IN ( N'V01',N'V01',N'V02') order by 1",
         {{"info@hdem.com.cn"}, {"info@nordwind-supplies.de"}}},
        // Organisation chart of the current contact's vendor.
        {"SELECT cContactCode,cContactName,Crm_BaseCode.cName as DutyName,coalesce(cSuperiorID,'NULL')  FROM "
         "Ven_Contact LEFT JOIN Crm_BaseCode ON Crm_BaseCode.ID = Ven_Contact.bcDutyID  WHERE cVenCode = (SELECT "
         "cVenCode FROM Ven_Contact WHERE cContactCode = N'V0100000002') Order by cContactCode",
         {{"V0100000001", "张伟", "总经理", "NULL"}, {"V0100000002", "李娜", "销售经理", "V0100000001"},
          {"V0100000003", "王芳", "业务员", "V0100000002"}, {"V0100000004", "刘洋", "技术工程师", "V0100000002"}}},
        // Archive captions.
        {"SELECT TableName,TableDefine FROM Rpt_GRPDef WHERE TableName = N'warehouse' ORDER BY SystemId, TableName",
         {{"Warehouse", N}}},
        // Names sort as the account's Chinese collation sorts them: Latin first, Chinese by pinyin.
        {"SELECT cContactName FROM Ven_Contact WHERE cContactName IN (N'张伟', N'李娜', N'anna schmidt') "
         "ORDER BY cContactName",
         {{"Anna Schmidt"}, {"李娜"}, {"张伟"}}},
        // Dates compared as texts.
        {"SELECT cContactCode FROM Ven_Contact WHERE cContactCode>='v02' AND dBirthday BETWEEN '1970-01-01' AND "
         "'1976-12-31'", {{"V0200000001"}}},
        {"SELECT cContactCode FROM Ven_Contact WHERE dCreateDate<='2019-03-01'", {{"V0100000001"}, {"V0200000001"}}},
    };
    for (const auto& q : queries) {
        SCOPED_TRACE(q.tsql);
        try {
            EXPECT_EQ(Read(q.tsql), q.rows);
        } catch (const platform::Error& e) {
            ADD_FAILURE() << e.Description();
        }
    }
}

TEST_P(CorpusTest, TheListQueryShowsJoinedTextsAndHonoursAuthorityVendorAndFilter) {
    const Rows v01 = {
        {"V0100000001", "V0100000001", "张伟", "上海华东电子材料有限公司", N, "总经理", "男", "运动", "已婚", "周明",
         "True", "1975-01-15", "13812340001"},
        {"V0100000002", "V0100000002", "李娜", "上海华东电子材料有限公司", "张伟", "销售经理", "女", "阅读", "已婚",
         "周明", "False", "1979-02-15", "13812340002"},
        {"V0100000003", "V0100000003", "王芳", "上海华东电子材料有限公司", "李娜", "业务员", "女", N, "未婚", "吴磊",
         "False", "1983-03-15", "13812340003"},
        {"V0100000004", "V0100000004", "刘洋", "上海华东电子材料有限公司", "李娜", "技术工程师", "男", "音乐", "未婚",
         N, "False", "1987-04-15", "13812340004"},
    };
    EXPECT_EQ(Read(ListQuery("(1=1)", "V01", "", "")), v01);
    EXPECT_EQ(Read(ListQuery("vendor.iId in (1,3)", "", "", "")), v01);
    EXPECT_EQ(Read(ListQuery("(1=2)", "", "", "")).size(), 0u);
    EXPECT_EQ(Read(ListQuery("(1=1)", "", "", "")).size(), 6u);
    // A filter and a refresh condition are ANDed; the same clause twice changes nothing.
    const std::string filter = "(Ven_Contact.cContactName like N'%ANNA%' or vendor.cVenName like N'%华东%')";
    EXPECT_EQ(Read(ListQuery("(1=1)", "", filter, filter)).size(), 5u);
    EXPECT_EQ(Read("SELECT DISTINCT cVenCode FROM Ven_Contact order by cVenCode"), (Rows{{"V01"}, {"V02"}}));
}

TEST_P(CorpusTest, NextContactCodeCountsOnlyCodesEightLongerThanTheirVendor) {
    conn_->Execute("insert into Ven_Contact (cContactCode, cVenCode, cContactName) values (N'V01ABC', N'V01', N'短码')");
    EXPECT_EQ(One(NextCodeQuery("V01")), "00000004");
    conn_->Execute("insert into Ven_Contact (cContactCode, cVenCode, cContactName) values (N'V0100000009', N'V01', N'九')");
    EXPECT_EQ(One(NextCodeQuery("V01")), "00000009");
    EXPECT_EQ(One(NextCodeQuery("V02")), "00000002");
    // The prefix test finds a code whatever follows the prefix (the index range must not cut any off).
    for (const char* tail : {"张", "ÿ", "Ω", "~", "\xEF\xBF\xBD", "\xF4\x8F\xBF\xBD", "-x", "''"})
        conn_->Execute("insert into Ven_Contact (cContactCode, cVenCode, cContactName) values (N'v01" +
                       std::string(tail) + "', N'V01', N'x')");
    EXPECT_EQ(One("select count(*) from Ven_Contact where left(cContactCode, 3) = N'V01'"),
              One("select count(*) from Ven_Contact where cContactCode like N'v01%'"));
    EXPECT_EQ(One("select count(*) from Ven_Contact where left(cContactCode, 3) = N'V01'"), "14");
}

TEST_P(CorpusTest, MainContactStatementRelinksOnlyAVendorWithoutAValidLink) {
    const std::string linked = Oid("V0100000001");
    const auto link = [&](const std::string& v) {
        return Read("select cSovrelCode, cVenPerson from vendor where cVenCode = N'" + v + "'");
    };
    // A valid link stays.
    conn_->Execute(MainContactStatement("V01"));
    EXPECT_EQ(link("V01"), (Rows{{linked, "张伟"}}));
    // A link to a contact that is gone: the highest code becomes the main contact.
    EXPECT_EQ(conn_->Execute("update vendor set cSovrelCode = N'{gone}' where cVenCode = N'V01'"), 1);
    EXPECT_EQ(conn_->Execute(MainContactStatement("V01")), 1);
    EXPECT_EQ(link("V01"), (Rows{{Oid("V0100000004"), "刘洋"}}));
    // A vendor without contacts keeps its empty link.
    conn_->Execute(MainContactStatement("V03"));
    EXPECT_EQ(link("V03"), (Rows{{N, ""}}));
    EXPECT_EQ(link("V02"), (Rows{{Oid("V0200000001"), "Anna Schmidt"}}));
}

// A base code differing only in case or trailing spaces is refused; quotes inside literals survive
// the round trip; a batch that cannot be translated fails before any of it runs.
TEST_P(CorpusTest, WritesAreRefusedOrKeptAsSqlServerWouldAndABadBatchRunsNothing) {
    EXPECT_THROW(conn_->Execute("insert into Crm_BaseCode (cCode, cType, cName) values (N'', N'duty', N'经理 ')"),
                 platform::Error);
    EXPECT_EQ(One("select count(*) from Crm_BaseCode where cType = N'Duty'"), "8");
    EXPECT_EQ(conn_->Execute("insert into Ven_Contact (cContactCode, cVenCode, cContactName) values "
                             "(N'V0300000001', N'V03', N'Sean O''Brien')"),
              1);
    EXPECT_EQ(Read("select cContactName from Ven_Contact where cContactName = N'sean o''brien'"),
              (Rows{{"Sean O'Brien"}}));
    EXPECT_EQ(Read("select cContactCode from Ven_Contact where cContactName like N'%''b%'"), (Rows{{"V0300000001"}}));
    const platform::Error e = sovrel::test::Thrown(
        [&] { conn_->Execute("update Ven_Contact set cMemo = N'lost' where cContactCode = N'V0100000001' exec sp_who"); });
    EXPECT_EQ(e.Number(), platform::errnum::CannotTranslate);
    EXPECT_NE(e.Description().find("EXEC"), std::string::npos) << e.Description();
    EXPECT_EQ(One("select count(*) from Ven_Contact where cMemo = N'lost'"), "0");
}

INSTANTIATE_TEST_SUITE_P(Backends, CorpusTest, ::testing::ValuesIn(sovrel::test::kBackends),
                         sovrel::test::BackendTestName);

}  // namespace
