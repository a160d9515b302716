// The list's print, preview and export: what it hands the print control and the public utility,
// the year and parameter text, the size widening, and the empty list.
#include "common/account_year.h"
#include "common/hosts/print.h"
#include "common/hosts/pub_util_print.h"
#include "list_fixture.h"
#include "ui/list/print.h"

namespace sovrel::test {
namespace {

class PrintingPub : public fakes::PubUtil, public IPubUtilPrint {
public:
    using fakes::PubUtil::PubUtil;
    void GetPrnStyle(const std::string& name, std::string& style, const std::string& table,
                     const std::shared_ptr<IClsCommon>&, IFlexGrid&) override {
        log_.Add("GetPrnStyle [" + name + "] " + table);
        style = "<PrintStyle/>";
    }
    void SavePrnStyle(std::shared_ptr<IClsCommon>&, const std::string& table, const std::string& style) override {
        log_.Add("SavePrnStyle " + table + " " + style);
    }
    bool InitParameter(std::string& parameter) override {
        log_.Add("InitParameter " + parameter);
        if (!parameterOk) parameter = "bad year";
        return parameterOk;
    }
    void GetData(const std::shared_ptr<IClsCommon>&, IFlexGrid& grid, const std::string& userName,
                 const std::string& userId, const std::string& year, const std::string& title, std::string& data) override {
        log_.Add("GetData " + userName + "|" + userId + "|" + year + "|" + title + "|" + std::to_string(grid.Rows()));
        data = "<PrintData/>";
    }
    void GetTypeSize(const std::shared_ptr<platform::db::Rowset>& rs, std::string& types, std::string& sizes) override {
        log_.Add(std::string("GetTypeSize ") + (rs ? "rowset" : "none"));
        types = ",202,202,11,";
        sizes = ",1,30,1,";
    }
    void PrintMsg(long result, const std::string& table) override {
        log_.Add("PrintMsg " + std::to_string(result) + " " + table);
    }
    bool parameterOk = true;
};

class RecordingPrint : public IPrintControl {
public:
    explicit RecordingPrint(fakes::CallLog& log) : log_(log) {}
    void SetVisible(bool v) override { log_.Add(std::string("Prn.Visible ") + (v ? "true" : "false")); }
    long SetDataStyleXML(const std::string& data, const std::string& style, bool r1, bool r2,
                         const std::string& name) override {
        log_.Add("Prn.SetDataStyleXML " + data + " " + style + " " + (r1 || r2 ? "flag" : "-") + " " + name);
        return setAnswer;
    }
    bool PageSetup() override {
        log_.Add("Prn.PageSetup");
        return setupAnswer;
    }
    void TriggerEvent(int id) override {
        log_.Add("Prn.TriggerEvent " + std::to_string(id));
        if (id == 0 && handler_) handler_("<PrintStyle name=\"Default\">", "<Page/></PrintStyle>");
    }
    void DoPrint() override { log_.Add("Prn.DoPrint"); }
    void SetOwner(IForm& owner) override { log_.Add("Prn.SetOwner " + owner.Name()); }
    void PrintPreview() override { log_.Add("Prn.PrintPreview"); }
    void ExportToFile(const std::string& name, const std::string& type, const std::string& types,
                      const std::string& sizes, long& result) override {
        log_.Add("Prn.ExportToFile [" + name + "][" + type + "] " + types + " " + sizes);
        result = 2;
    }
    void OnStyleEvent(std::function<void(const std::string&, const std::string&)> h) override { handler_ = std::move(h); }
    long setAnswer = 0;
    bool setupAnswer = false;

private:
    fakes::CallLog& log_;
    std::function<void(const std::string&, const std::string&)> handler_;
};

class PrintTest : public ListFixture {
protected:
    PrintTest() {
        Ctx().PubUtil = pub;
        Ctx().DbName = "Provider=SQLite;Data Source=/x;Initial Catalog=TKDATA_001_2024";
        Ctx().UserName = "演示用户";
        Ctx().ColumnSelectList = pub->selectList;
        Load(ContactRows(3));
        ClearLog();
    }
    // The calls of the print command, from the print control's first call on.
    std::vector<std::string> PrintCalls() const {
        std::vector<std::string> out;
        bool started = false;
        for (const auto& c : host.log.calls) {
            started = started || c.rfind("Prn.", 0) == 0;
            if (started && c.rfind("ReleaseRight", 0) != 0 && c != "GetLanguage" && c.rfind("GetTitle", 0) != 0)
                out.push_back(c);
        }
        return out;
    }
    std::shared_ptr<PrintingPub> pub = std::make_shared<PrintingPub>(host.log);
    std::shared_ptr<RecordingPrint> prn = std::make_shared<RecordingPrint>(host.log);
    platform::ScopedRegistration registration{progid::PrintControl, [this] { return prn; }};
};

TEST_F(PrintTest, EachKeyLoadsTheTextsThenRunsItsCommand) {
    const std::vector<std::string> load = {
        "Prn.Visible false", "HelpHide", "GetPrnStyle [] Ven_Contact",
        "InitParameter <TableName><g_bPrnNo>true</g_bPrnNo><g_Year>2024</g_Year></TableName>",
        "GetData 演示用户|demo|2024|Hx.CRM.BizObjDic.WordContactRecString.Hx.AA.Admin.6134|4",
        "Prn.SetDataStyleXML <PrintData/> <PrintStyle/> - Default"};
    const std::string typeQuery = "OpenX SELECT " + pub->selectList + " FROM Ven_Contact  WHERE 1=2";
    const struct {
        const char* key;
        bool setupAnswer;
        std::vector<std::string> then;
    } cases[] = {
        {"SetUp", false,
         {"Prn.PageSetup", "Prn.TriggerEvent 0",
          "SavePrnStyle Ven_Contact <PrintStyle name=\"Default\"><Page/></PrintStyle>"}},
        {"setup", true, {"Prn.PageSetup"}},  // cancelled: nothing to save
        {"PRINT", false, {"Prn.DoPrint"}},
        {"Preview", false, {"Prn.SetOwner frmContactList", "Prn.PrintPreview"}},
        {"SaveFile", false,
         {typeQuery, "GetTypeSize rowset", "Prn.ExportToFile [][] ,202,202,11, ,10,30,10,", "PrintMsg 2 Ven_Contact"}},
    };
    for (const auto& c : cases) {
        prn->setupAnswer = c.setupAnswer;
        ClearLog();
        window->Operating(c.key);
        std::vector<std::string> expected = load;
        expected.insert(expected.end(), c.then.begin(), c.then.end());
        EXPECT_EQ(PrintCalls(), expected) << c.key;
    }
}

TEST_F(PrintTest, AnEmptyListOnlyTellsTheUser) {
    Load(ContactRows(0));
    ClearLog();
    window->Operating("Print");
    EXPECT_EQ(PrintCalls(), (std::vector<std::string>{"Prn.Visible false",
                                                      "ShowMessage Hx.CRM.TkContact.frmcontactlist.00055"}));
}

TEST_F(PrintTest, ARefusedDataTextEndsTheCommand) {
    prn->setAnswer = 3;
    pub->parameterOk = false;
    window->Operating("SaveFile");
    EXPECT_EQ(PrintCalls().back(), "Prn.SetDataStyleXML <PrintData/> <PrintStyle/> - Default");
    EXPECT_FALSE(host.log.Has("PrintMsg"));
}

TEST(PrintTextsTest, YearParameterAndSizes) {
    const struct {
        const char* dbName;
        const char* year;
    } years[] = {
        {"Provider=SQLite;Data Source=/d;Initial CATALOG=TKDATA_001_2024", "2024"},
        {"provider=x;initial catalog=tkdata_002_1999;timeout=5", "1999"},
        {"Initial Catalog=TKDATA_001_20", ""},      // too short for a year
        {"Initial Catalog = TKDATA_001_2024", ""},  // the marker has no spaces
        {"", ""},
    };
    for (const auto& y : years) {
        std::string year = "stale";
        EXPECT_EQ(ReadYear(AccountPart(y.dbName), year), *y.year != '\0') << y.dbName;
        EXPECT_EQ(year, y.year) << y.dbName;
    }
    EXPECT_EQ(list::PrintParameterText("2024"), "<TableName><g_bPrnNo>true</g_bPrnNo><g_Year>2024</g_Year></TableName>");

    const std::pair<const char*, const char*> sizes[] = {
        {",1,8,1,", ",10,8,10,"}, {",11,21,", ",11,21,"}, {",", ","}, {",202,1,", ",202,10,"},
    };
    for (const auto& [in, out] : sizes) EXPECT_EQ(list::WidenSizes(in), out) << in;
}

}  // namespace
}  // namespace sovrel::test
