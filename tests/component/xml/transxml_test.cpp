#include "xml/transxml.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <sstream>

#include "../support/fakes.h"
#include "platform/error.h"

namespace sovrel {
namespace {

using platform::db::FieldInfo;
using platform::db::Value;

std::string Serialize(pugi::xml_node node) {
    std::ostringstream out;
    node.print(out, "", pugi::format_raw);
    return out.str();
}

// The first record of a loaded text.
pugi::xml_node Record(pugi::xml_document& doc, const std::string& text) {
    const auto result = LoadXmlText(doc, text);
    EXPECT_TRUE(result) << text << ": " << result.description();
    return doc.document_element().first_child();
}

// A detached rowset with these (name, type code) fields.
RowsetPtr RowsetOf(std::initializer_list<std::pair<const char*, int>> columns) {
    std::vector<FieldInfo> fields;
    for (const auto& [name, type] : columns) {
        FieldInfo& f = fields.emplace_back();
        f.name = name;
        f.type = type;
    }
    return platform::db::Rowset::CreateDetached(std::move(fields));
}

class TransXml : public ::testing::Test {
protected:
    fakes::Host host;  // texts come back as their keys with the parameters in parentheses
    pugi::xml_document doc;
    std::string& pending = Ctx().PendingMessage;
};

TEST(LoadXmlText, WrapsUnlessTheTextAlreadyStartsWithData) {
    struct Case {
        const char* text;
        const char* root;
        const char* records;  // names of the root's children, one letter each
    } cases[] = {
        {"<a>1</a><b/>", "data", "ab"},
        {"  <data><a/></data>  ", "data", "a"},
        {"<DaTa><a/></DaTa>", "DaTa", "a"},
        {"\r\n<data><a/></data>\n", "data", "a"},
        {"<datax/>", "data", "datax"},  // "<data>" is the whole prefix, not a name's beginning
        {"", "data", ""},
        {"<a>x &amp; y</a>", "data", "a"},
        {"<a/><!-- a note - with dashes --><b/>", "data", "ab"},  // comments are checked, then dropped
        {"<a x=\"1\" y=\"2\"/><b y=\"3\" x=\"4\"/>", "data", "ab"},  // a name repeats only within one element
    };
    for (const auto& c : cases) {
        pugi::xml_document doc;
        const auto result = LoadXmlText(doc, c.text);
        ASSERT_TRUE(result) << c.text << ": " << result.description();
        EXPECT_STREQ(doc.document_element().name(), c.root) << c.text;
        std::string names;
        for (auto child : doc.document_element().children()) names += child.name();
        EXPECT_EQ(names, c.records) << c.text;
    }
}

// The write path escapes every "&" before parsing, so a value its writer escaped arrives as entity
// text; it is read once more, and only the five predefined entities are.
TEST(DecodeEscapedText, ReadsThePredefinedEntitiesOfEveryTextOnceMore) {
    pugi::xml_document doc;
    ASSERT_TRUE(LoadXmlText(doc, "<a>R&amp;amp;D</a><b>&amp;lt;x&amp;gt; &amp;quot;q&amp;quot; &amp;apos;</b>"
                                 "<c>R&amp;D &amp;unknown; &amp;amp;lt;</c><d><e>&amp;amp;</e><![CDATA[x&amp;y]]></d>"));
    DecodeEscapedText(doc.document_element());
    std::string texts;
    for (const auto& text : doc.select_nodes("//text()")) texts += std::string(text.node().value()) + "|";
    EXPECT_EQ(texts, "R&D|<x> \"q\" '|R&D &unknown; &lt;|&|x&y|");
}

TEST(LoadXmlText, RefusesTextThatIsNotOneWellFormedDocument) {
    // A bad comment under 80000 levels of markup is found without recursion (values under deep
    // markup are read, and found, through the service's own tests).
    std::string deep = "<a>";
    for (int i = 0; i < 80000; ++i) deep += "<i>";
    for (int i = 0; i < 80000; ++i) deep += "</i>";
    const std::string cases[] = {
        "<a>",
        "<data><a/></data><data><b/></data>",  // a second record set would be dropped unread
        "<data><a/></data>trailing",
        "<data><a/></data><!-- -->x",
        "<?xml version=\"1.0\"?><a/>",  // wrapped, the declaration no longer stands first
        "<a x='1' y='2' x='3'/>",
        "<a><b/><c X='1' x='2' X='3'/></a>",
        "<a><!-- a -- b --></a>",
        "<a/><!-- ends in a dash ---><b/>",
        deep + "<!-- -- --></a>",
    };
    for (const std::string& text : cases) {
        SCOPED_TRACE(text.substr(0, 60));
        pugi::xml_document doc;
        doc.append_child("stale");
        EXPECT_FALSE(LoadXmlText(doc, text));
        EXPECT_FALSE(doc.first_child()) << "a refused text leaves nothing behind";
    }
    // A second record set is refused where it starts.
    pugi::xml_document doc;
    EXPECT_EQ(LoadXmlText(doc, "<data><a/></data>trailing").offset, 17);
}

TEST(RepeatedChildName, IsTheFirstElementNameSeenTwice) {
    struct Case {
        const char* text;
        const char* repeated;
    } cases[] = {
        {"<r><a/><b/>a<c/></r>", ""},  // text beside the elements is no child
        {"<r><a/><b/><b/><a/></r>", "b"},
        {"<r><a/><A/></r>", ""},
    };
    for (const auto& c : cases) {
        pugi::xml_document doc;
        EXPECT_EQ(RepeatedChildName(Record(doc, c.text)), c.repeated) << c.text;
    }
}

TEST_F(TransXml, LookupsLowerTheNameAndTakeTheFirstChildOfExactlyThatName) {
    auto rec = Record(doc,
                      "<ven_contact><ccontactcode>C01</ccontactcode><ccontactname>Zhang</ccontactname>"
                      "<ccontactname>second</ccontactname><cMemo>kept</cMemo><ç>accent</ç>"
                      "<ccontactcodex>long</ccontactcodex><x><cvencode>deep</cvencode></x>"
                      "<cmix>a<b>b</b><![CDATA[c]]></cmix></ven_contact>");
    struct Case {
        const char* name;
        const char* expected;
    } cases[] = {
        {"cContactCode", "C01"},
        {"CCONTACTCODE", "C01"},
        {"ccontactname", "Zhang"},
        {"Ç", "accent"},
        {"cmix", "abc"},
        {"cMemo", "-"},  // a tag that escaped normalisation is not found by its own spelling
        {"ccontact", "-"},
        {"ccontactcodexy", "-"},
        {"cvencode", "-"},  // grandchildren do not count
    };
    for (const auto& c : cases) EXPECT_EQ(GetEleVal(rec, c.name, "-"), c.expected) << c.name;
}

TEST_F(TransXml, GetEleValLeavesAMessageOnlyForAMissingElement) {
    auto rec = Record(doc, "<ven_contact><ccontactcode>C01</ccontactcode><cmemo/></ven_contact>");
    pending = "before";
    EXPECT_EQ(GetEleVal(rec, "cMemo", "d"), "");  // present and empty is not missing
    EXPECT_EQ(GetEleVal(rec, "", "d"), "d");
    EXPECT_EQ(GetEleVal(pugi::xml_node(), "cContactCode", "d"), "d");
    EXPECT_EQ(pending, "before");

    EXPECT_EQ(GetEleVal(rec, "cConDefine3", "d"), "d");
    EXPECT_EQ(pending, "Hx.CRM.COMMON.XMLMSG002(ccondefine3)");
    EXPECT_EQ(GetEleVal(rec, "cContactCode", "d"), "C01");
    EXPECT_EQ(pending, "Hx.CRM.COMMON.XMLMSG002(ccondefine3)");  // success does not clear it
}

TEST_F(TransXml, SetEleValReplacesTheContentAndNeverAddsAChild) {
    auto rec = Record(doc, "<ven_contact><ccontactcode>C01</ccontactcode><cmemo/><cnested>a<b>x</b></cnested>"
                           "</ven_contact>");
    struct Case {
        const char* name;
        const char* value;
    } cases[] = {
        {"cContactCode", "C02"},
        {"cMemo", "filled"},
        {"cNested", "flat"},
        {"cContactCode", "<&'\">"},
        {"cContactCode", ""},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(SetEleVal(rec, c.name, c.value)) << c.name;
        EXPECT_EQ(GetEleVal(rec, c.name, "-"), c.value) << c.name;
    }
    EXPECT_EQ(Serialize(rec.child("cnested")), "<cnested>flat</cnested>");

    pending = "";
    const std::string before = Serialize(rec);
    EXPECT_FALSE(SetEleVal(rec, "cConDefine16", "x"));
    EXPECT_FALSE(SetEleVal(rec, "", "x"));
    EXPECT_FALSE(SetEleVal(pugi::xml_node(), "cmemo", "x"));
    EXPECT_EQ(pending, "Hx.CRM.COMMON.XMLMSG001(ccondefine16)");  // no name or no element: nothing to report
    EXPECT_EQ(Serialize(rec), before);
}

TEST_F(TransXml, GetAttrValTrimsAndLowersTheAttributeName) {
    auto rec = Record(doc, "<ven_contact operating='  GetAuthFlds ' Mixed='m'><operating>child</operating></ven_contact>");
    EXPECT_EQ(GetAttrVal(rec, "Operating"), "GetAuthFlds");
    EXPECT_EQ(GetAttrVal(rec, "Mixed"), "");
    EXPECT_EQ(GetAttrVal(rec, "absent"), "");
    EXPECT_EQ(GetAttrVal(pugi::xml_node(), "operating"), "");
}

const int kUnquotedTypes[] = {2, 3, 4, 5, 6, 14, 16, 17, 18, 19, 20, 21, 128, 131, 139, 204, 205};
const int kQuotedTypes[] = {7, 11, 72, 129, 130, 135, 200, 201, 202, 203};

TEST_F(TransXml, ConditionsQuoteTextButNotNumbersOrBytes) {
    auto cond = Record(doc, "<ven_contact><c>10</c><c>,20</c><c>30,</c><c>5,9</c></ven_contact>");
    for (int type : kUnquotedTypes) {
        std::string where = "old";
        EXPECT_TRUE(BuildWhereFromXml(cond, where, RowsetOf({{"c", type}}))) << type;
        EXPECT_EQ(where, "c=10 AND c<=20 AND c>=30 AND c BETWEEN 5 AND 9") << type;
    }
    for (int type : kQuotedTypes) {
        std::string where;
        EXPECT_TRUE(BuildWhereFromXml(cond, where, RowsetOf({{"c", type}}))) << type;
        EXPECT_EQ(where, "c=N'10' AND c<=N'20' AND c>=N'30' AND c BETWEEN N'5' AND N'9'") << type;
    }
}

// A number or byte column takes only a number or a byte string; blank children add nothing; only
// the first comma makes a range; a child that is no field fails, keeping what was built.
TEST_F(TransXml, ConditionChildrenAndTheirValues) {
    auto rs = RowsetOf({{"n", platform::db::adInteger}, {"b", platform::db::adVarBinary},
                        {"cVenCode", platform::db::adVarWChar}});
    struct Case {
        const char* children;
        bool ok;
        const char* where;  // nullptr: not looked at
    } cases[] = {
        {"<n> -1.5e3 </n><n>+.5</n><n>7.</n>", true, "n=-1.5e3 AND n=+.5 AND n=7."},
        {"<b>0x1F</b><b>0X</b><b>12</b>", true, "b=0x1F AND b=0X AND b=12"},
        {"<b>0x09afAF</b>", true, "b=0x09afAF"},
        {"<b>0y1</b>", false, nullptr},
        {"<b>1x</b>", false, nullptr},
        {"<n>1 or 1=1</n>", false, nullptr},
        {"<n>0x1F</n>", false, nullptr},
        {"<n>1,2,3</n>", false, nullptr},  // only the first comma counts: "2,3" is no number
        {"<n>,1,2</n>", false, nullptr},
        {"<n>.</n>", false, nullptr},
        {"<n>1e</n>", false, nullptr},
        {"<n>--1</n>", false, nullptr},
        {"<b>0x1G</b>", false, nullptr},
        {"<n>10</n><n>  </n><n/>", true, "n=10 "},  // trailing blanks leave no dangling AND
        {"<n>1</n><n> </n><n>2</n>", true, "n=1 AND n=2"},
        {"<n>1</n><n>&#32; </n><n><![CDATA[ ]]></n>", true, "n=1 "},  // spaces that survive parsing are blank too
        {"<n> </n><cvencode/>", true, ""},
        {"", true, ""},
        {"<n>1,2</n>", true, "n BETWEEN 1 AND 2"},
        {"<cvencode>,</cvencode>", true, "cvencode<=N''"},
        {"<cvencode>a,b,c</cvencode>", true, "cvencode BETWEEN N'a' AND N'b,c'"},
        {"<cvencode>O'Brien</cvencode>", true, "cvencode=N'O''Brien'"},
        {"<cvencode>x' or '1'='1</cvencode>", true, "cvencode=N'x'' or ''1''=''1'"},
        {"<cvencode> v01 </cvencode>", true, "cvencode=N' v01 '"},
        {"<cvencode>brand</cvencode><n>1</n>", true, "cvencode=N'brand' AND n=1"},
        {"<n>1</n><bogus>2</bogus><n>3</n>", false, "n=1 AND "},
        {"<bogus>2</bogus>", false, ""},
        {"<n>1</n>stray<n>3</n>", false, "n=1 AND "},
        {"<bogus> </bogus><n>3</n>", true, "n=3"},  // a blank child is never looked up
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.children);
        pugi::xml_document d;
        std::string where = "old";
        EXPECT_EQ(BuildWhereFromXml(Record(d, std::string("<cond>") + c.children + "</cond>"), where, rs), c.ok);
        if (c.where) {
            EXPECT_EQ(where, c.where);
        }
    }

    auto cond = Record(doc, "<cond><n>1</n></cond>");
    std::string where = "old";
    EXPECT_FALSE(BuildWhereFromXml(cond, where, nullptr));
    EXPECT_EQ(where, "");
    EXPECT_FALSE(BuildWhereFromXml(pugi::xml_node(), where, rs));
    pugi::xml_document blank;
    EXPECT_TRUE(BuildWhereFromXml(Record(blank, "<cond><n> </n></cond>"), where, nullptr));
}

TEST_F(TransXml, CheckDateTextBoundariesAndGarbage) {
    struct Case {
        const char* value;
        const char* message;  // "" = passes
    } cases[] = {
        {"1760-01-01", ""},
        {"1760/1/1", ""},
        {"2299-12-31", ""},
        {"2299-12-31 23:59:59", ""},
        {"1759-12-31", "Hx.CRM.COMMON.CheckDate11(生日)"},
        {"1759-12-31 23:59:59", "Hx.CRM.COMMON.CheckDate11(生日)"},
        {"2300-01-01", "Hx.CRM.COMMON.CheckDate12(生日)"},
        {"2300/01/01 00:00:01", "Hx.CRM.COMMON.CheckDate12(生日)"},
        {"garbage", "Hx.CRM.COMMON.CheckDate01(生日)"},
        {"2024-02-30", "Hx.CRM.COMMON.CheckDate01(生日)"},
        {"2024-05-01x", "Hx.CRM.COMMON.CheckDate01(生日)"},
        {" ", "Hx.CRM.COMMON.CheckDate01(生日)"},
    };
    for (const auto& c : cases) {
        pending = "before";
        const bool passes = *c.message == '\0';
        EXPECT_EQ(CheckDateText(c.value, "生日"), passes) << c.value;
        EXPECT_EQ(pending, passes ? "before" : c.message) << c.value;
    }
    pending = "before";
    EXPECT_TRUE(CheckDateText("", "生日"));
    EXPECT_EQ(pending, "before");
}

RowsetPtr CaptionRows() {
    auto rs = RowsetOf({{"TableName", platform::db::adVarWChar}, {"TableDefine", platform::db::adVarWChar}});
    const std::pair<const char*, Value> rows[] = {
        {"vendor", Value("供应商")}, {"Ven_Contact", Value("供应商联系人")}, {"Person", Value::Null()}, {"Blank", Value("")}};
    for (const auto& [name, caption] : rows) {
        rs->AddNew();
        rs->Set("TableName", Value(name));
        rs->Set("TableDefine", caption);
        rs->Update();
    }
    return rs;
}

// How a filter matches is the rowset's; the captions below show it applied.
TEST(FilterRs, FiltersTheSameRowsetInPlace) {
    auto rs = CaptionRows();
    EXPECT_EQ(FilterRs(rs, "TableName='none'"), rs);
    EXPECT_TRUE(rs->Eof());
    EXPECT_THROW(FilterRs(nullptr, "TableName='x'"), platform::Error);
}

TEST_F(TransXml, GetArchiveCaptionFallsBackOnNullAndIsEmptyOnFailure) {
    host.data->openResult = CaptionRows();
    struct Case {
        Value table;
        const char* caption;
    } cases[] = {
        {Value("Ven_Contact"), "供应商联系人"},
        {Value("VENDOR"), "供应商"},
        {Value("Person"), "Hx.CRM.TkBaseCodeRefer.transxml.00009"},
        {Value("Blank"), ""},
        {Value("Missing"), ""},
        {Value("it's"), ""},
        {Value::Null(), ""},
    };
    for (const auto& c : cases) EXPECT_EQ(GetArchiveCaption(*host.data, c.table), c.caption) << c.table.ToText();
    EXPECT_EQ(host.log.Count("OpenX SELECT TableName,TableDefine FROM Rpt_GRPDef ORDER BY SystemId, TableName"),
              static_cast<int>(std::size(cases)));

    host.data->openResult = nullptr;
    EXPECT_EQ(GetArchiveCaption(*host.data, Value("Ven_Contact")), "");
}

class ConnectedService : public fakes::DataService {
public:
    using fakes::DataService::DataService;
    std::string m_CnnString() const override { return "Provider=SQLite;Initial Catalog=TKDATA_001_2024"; }
};

TEST_F(TransXml, GetColAuthStringAsksTheHostAndLowersItsAnswerOrIsEmpty) {
    auto& auth = *host.colAuth;
    auth.read = auth.write = "cVenCode,cVenName,cVenAbbName";
    ConnectedService service(host.log);
    auto initFor = [&](const std::string& user) {
        return std::count(host.log.calls.begin(), host.log.calls.end(), "ColAuth.Init " + user);
    };

    auto req = Record(doc, "<ven_contact operating='getauthflds'><userid>u01</userid><rw>W</rw></ven_contact>");
    EXPECT_EQ(GetColAuthString(service, req, "vendor"), "cvencode,cvenname,cvenabbname");
    EXPECT_EQ(auth.connection, "Provider=SQLite;Initial Catalog=TKDATA_001_2024");
    EXPECT_EQ(initFor("u01"), 1);
    EXPECT_EQ(auth.request, "<hxColAuth cBusObId='vendor' cFuncId='W'/>");

    pugi::xml_document bare;
    GetColAuthString(service, Record(bare, "<ven_contact><rw>R</rw></ven_contact>"), "Ven_Contact");
    EXPECT_EQ(initFor(""), 1);
    EXPECT_EQ(auth.request, "<hxColAuth cBusObId='Ven_Contact' cFuncId='R'/>");
    pugi::xml_document quoted;
    GetColAuthString(service, Record(quoted, "<r><rw>R' x='&amp;&lt;\"</rw></r>"), "vendor");
    EXPECT_EQ(auth.request, "<hxColAuth cBusObId='vendor' cFuncId='R&apos; x=&apos;&amp;&lt;&quot;'/>");

    auth.fail = true;
    EXPECT_EQ(GetColAuthString(service, req, "vendor"), "");
    auth.fail = false;
    host.Withdraw(progid::ColAuthSvc);
    EXPECT_EQ(GetColAuthString(service, req, "vendor"), "");
}

}  // namespace
}  // namespace sovrel
