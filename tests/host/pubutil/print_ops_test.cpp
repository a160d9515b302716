#include <gtest/gtest.h>

#include "demo_session.h"
#include "common/hosts/controls.h"
#include "common/prog_ids.h"
#include "host/export.h"
#include "host/pub_util.h"
#include "host/register.h"
#include "host/session.h"
#include "platform/db/field.h"
#include "platform/error.h"

namespace host::test {
namespace {

using sovrel::test::DemoFolder;
using sovrel::test::DemoPassword;
using sovrel::test::ShownMessages;

namespace db = platform::db;

class PrintOpsTest : public ::testing::Test {
protected:
    PrintOpsTest() {
        RegisterControls();
        grid = platform::Create<sovrel::IFlexGrid>(sovrel::progid::FlexGrid);
        // Column 0 marks rows, 1 holds the selection mark, 3 is hidden.
        grid->SetCols(5);
        grid->SetRows(3);
        const char* cells[3][5] = {{"", "选", "编码", "Hidden", "Memo"},
                                   {"", "√ ", "C001", "h", "  spaced\r\nline  "},
                                   {"", "", "C002", "h", "<b>&amp;</b>"}};
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 5; ++c) grid->SetTextMatrix(r, c, cells[r][c]);
        grid->SetColWidth(2, 84);
        grid->SetColWidth(3, 0);
        grid->SetColWidth(4, 140);
    }
    DemoFolder demo;
    std::shared_ptr<sovrel::IClsCommon> noService;
    std::shared_ptr<sovrel::IFlexGrid> grid;
};

TEST_F(PrintOpsTest, StylesAreKeptPerUserAndTable) {
    auto demoUser = LoginSession::Login(demo.path(), "demo", DemoPassword());
    PubUtil util;
    std::string style;
    util.GetPrnStyle("", style, "Ven_Contact", noService, *grid);
    const auto fallback = print::ParseStyle(style);
    ASSERT_TRUE(fallback) << style;
    ASSERT_EQ(fallback->columns.size(), 2u) << "the grid's printed columns";
    EXPECT_EQ(fallback->columns[0].caption, "编码");
    EXPECT_EQ(fallback->columns[1].caption, "Memo");

    print::PageStyle mine = *fallback;
    mine.landscape = true;
    mine.headerText = "O'Brien's \"list\"";
    util.SavePrnStyle(noService, "Ven_Contact", print::StyleText(mine));
    mine.footerText = "second";  // replaces the first
    util.SavePrnStyle(noService, "Ven_Contact", print::StyleText(mine));
    util.GetPrnStyle("", style, "ven_contact", noService, *grid);
    EXPECT_EQ(style, print::StyleText(mine));
    EXPECT_EQ(demo.SystemValue("SELECT COUNT(*) FROM UA_PrintStyle"), "1");

    util.GetPrnStyle("", style, "vendor", noService, *grid);  // another table
    EXPECT_FALSE(print::ParseStyle(style)->landscape);
    auto other = LoginSession::Login(demo.path(), "demo_en", DemoPassword());
    PubUtil util2;
    util2.GetPrnStyle("", style, "Ven_Contact", noService, *grid);  // another user
    EXPECT_FALSE(print::ParseStyle(style)->landscape);

    EXPECT_THROW(util.SavePrnStyle(noService, "Ven_Contact", "<table/>"), platform::Error);
    EXPECT_THROW(util.SavePrnStyle(noService, "", print::StyleText(mine)), platform::Error);
    EXPECT_EQ(demo.SystemValue("SELECT COUNT(*) FROM UA_PrintStyle"), "1");
}

TEST_F(PrintOpsTest, ParametersDataTextAndTypeSizes) {
    PubUtil util;
    const struct { const char* text; bool ok; } parameters[] = {
        {"<TableName><g_bPrnNo>true</g_bPrnNo><g_Year>2024</g_Year></TableName>", true},
        {"<TableName><g_Year>20a4</g_Year></TableName>", false},
        {"<TableName><g_Year>2024", false},
    };
    for (const auto& p : parameters) {
        std::string text = p.text;
        EXPECT_EQ(util.InitParameter(text), p.ok) << p.text;
        EXPECT_EQ(text == p.text, p.ok) << "a refusal says why: " << text;
    }
    EXPECT_TRUE(util.Parameters().printNumbers);

    std::string data;
    util.GetData(noService, *grid, "演示用户", "demo", "", "联系人档案列表", data);
    const auto sheet = print::ParseData(data);
    ASSERT_TRUE(sheet) << data;
    EXPECT_EQ(sheet->title, "联系人档案列表");
    EXPECT_EQ(sheet->user, "演示用户 (demo)");
    EXPECT_EQ(sheet->year, "2024") << "the year of the last parameters";
    ASSERT_EQ(sheet->columns.size(), 2u);
    EXPECT_EQ(sheet->columns[1].field, 4);
    EXPECT_EQ(sheet->columns[1].size, 20);
    EXPECT_EQ(sheet->rows, (std::vector<std::vector<std::string>>{{"C001", "  spaced\r\nline  "}, {"C002", "<b>&amp;</b>"}}));

    auto rs = db::Rowset::CreateDetached({{"cSelect", db::adVarWChar, 2}, {"bMajor", db::adBoolean, 2},
                                          {"iNo", db::adInteger, 4}, {"dBirthday", db::adDBTimeStamp, 16},
                                          {"cMemo", db::adVarWChar, 255}, {"n", db::adNumeric, 19}});
    std::string types, sizes;
    util.GetTypeSize(rs, types, sizes);
    EXPECT_EQ(types, ",202,11,3,135,202,131,");
    EXPECT_EQ(sizes, ",2,1,11,19,80,15,");
}

TEST_F(PrintOpsTest, ExportOutcomesAreToldInTheLoginsLanguage) {
    auto english = LoginSession::Login(demo.path(), "demo_en", DemoPassword());
    ShownMessages shown;
    PubUtil util;
    print::SetLastOutcome({print::result::CannotWrite, "/no/such/a.xlsx", "No such file or directory"});
    util.PrintMsg(print::result::CannotWrite, "Ven_Contact");
    print::SetLastOutcome({print::result::Cancelled, "", ""});
    util.PrintMsg(print::result::Cancelled, "Ven_Contact");
    print::SetLastOutcome({print::result::TooLong, "/t/a.xlsx", "12,Memo, long"});
    util.PrintMsg(print::result::TooLong, "Ven_Contact");
    ASSERT_EQ(shown.prompts.size(), 2u) << "a cancelled export says nothing";
    EXPECT_EQ(shown.titles[0], "Export");
    EXPECT_EQ(shown.prompts[0],
              "The file /no/such/a.xlsx could not be written: No such file or directory\nNo file was created.");
    EXPECT_NE(shown.prompts[1].find("Row 12, column \"Memo, long\""), std::string::npos) << shown.prompts[1];
}

}  // namespace
}  // namespace host::test
