// The list's print commands over the host's real objects: the export writes the grid the user
// sees, a confirmed page setup is stored and used by the next print.
#include <gtest/gtest.h>

#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QRadioButton>

#include "answered_print.h"
#include "demo_session.h"
#include "file_text.h"
#include "host/save_file.h"

namespace sovrel::test {
namespace {

namespace fs = std::filesystem;

class PrintOnHostTest : public DemoSessionTest, protected AnsweredPrintControl {
protected:
    const fs::path folder = demo.path();
};

TEST_F(PrintOnHostTest, ExportVCardWritesTheMarkedContactsWhereTheUserSays) {
    ASSERT_NE(OpenList(), nullptr);
    auto& grid = window->Grid();
    ASSERT_GE(grid.Rows(), 3);
    const long code = ColumnOf("联系人编码");
    ASSERT_GT(code, 0);
    grid.SetRow(1);
    grid.SetTextMatrix(1, 1, "\u221A ");
    grid.SetTextMatrix(2, 1, "\u221A ");
    std::vector<std::string> asked;
    std::string answer;  // the path the user gives; "" cancels
    auto previous = host::SetSaveFilePresenter([&](const host::SaveFileRequest& r) {
        asked.push_back(r.title + "|" + r.filter + "|" + r.suggestedName);
        return answer;
    });
    auto* item = window->findChild<QAction*>("mExportVCard");
    ASSERT_NE(item, nullptr);
    item->trigger();  // cancelled: nothing written, nothing said
    ASSERT_EQ(asked, std::vector<std::string>{"导出 vCard|vCard 文件 (*.vcf)|contacts.vcf"})
        << (shown.empty() ? "" : shown.back());
    const std::size_t said = shown.size();
    answer = (folder / "marked").string();
    window->Operating("ExportVCard");
    ASSERT_EQ(shown.size(), said + 1);
    EXPECT_EQ(shown.back(), "已输出 2 个联系人到 " + answer + ".vcf");
    const std::string cards = FileText(folder / "marked.vcf");
    for (long r : {1, 2}) EXPECT_NE(cards.find("X-SOVREL-CODE:" + grid.TextMatrix(r, code) + "\r\n"), std::string::npos);
    EXPECT_EQ(cards.find("X-SOVREL-CODE:" + grid.TextMatrix(3, code) + "\r\n"), std::string::npos);

    // Select All: every contact of the filtered list, the pages not shown too, and no other.
    window->SetFilterClause("Ven_Contact.cVenCode = N'V02'");
    window->findChild<QLineEdit*>("EdtPageSize")->setText("1");
    window->Operating("Refresh");
    ASSERT_EQ(grid.Rows(), 2);
    window->MarkAllRows();
    answer = (folder / "all").string();
    window->Operating("ExportVCard");
    host::SetSaveFilePresenter(std::move(previous));
    EXPECT_EQ(shown.back(), "已输出 2 个联系人到 " + answer + ".vcf");
    const std::string all = FileText(folder / "all.vcf");
    for (const char* listed : {"V0200000001", "V0200000002"})
        EXPECT_NE(all.find(std::string("X-SOVREL-CODE:") + listed + "\r\n"), std::string::npos) << listed;
}

TEST_F(PrintOnHostTest, ExportAndPageSetupThenPrintOfTheList) {
    ASSERT_NE(OpenList(), nullptr);
    auto& grid = window->Grid();
    ASSERT_GE(grid.Rows(), 2);

    answer = [this](QDialog& d) {
        auto& files = dynamic_cast<QFileDialog&>(d);
        files.selectNameFilter(files.nameFilters().at(1));  // CSV
        files.selectFile(QString::fromStdString((folder / "list").string()));
        return int(QDialog::Accepted);
    };
    window->Operating("SaveFile");
    ASSERT_TRUE(fs::exists(folder / "list.csv")) << (shown.empty() ? "" : shown.back());
    std::istringstream csv(FileText(folder / "list.csv").substr(3));
    std::string header, line;
    std::getline(csv, header);
    EXPECT_EQ(header.substr(0, header.find(',')), grid.TextMatrix(0, 2));
    long rows = 0;
    while (std::getline(csv, line)) EXPECT_EQ(line.substr(0, line.find(',')), grid.TextMatrix(++rows, 2));
    EXPECT_EQ(rows, grid.Rows() - 1);
    EXPECT_EQ(shown.back(), "已输出到 " + (folder / "list.csv").string());

    // The page setup turns the page; the next print reads the stored style.
    bool landscape = false;
    answer = [&](QDialog& d) {
        landscape = !d.findChild<QRadioButton*>("optLandscape")->isChecked();
        d.findChild<QRadioButton*>(landscape ? "optLandscape" : "optPortrait")->setChecked(true);
        return int(QDialog::Accepted);
    };
    window->Operating("SetUp");
    answer = [&](QDialog& d) {
        dynamic_cast<QPrintDialog&>(d).printer()->setOutputFileName(QString::fromStdString((folder / "p.pdf").string()));
        return int(QDialog::Accepted);
    };
    window->Operating("Print");
    const std::string info = CommandOutput("pdfinfo " + (folder / "p.pdf").string());
    EXPECT_NE(info.find(landscape ? "842 x 595" : "595 x 842"), std::string::npos) << info;

    // A list of one contact prints; an empty one only tells the user: no dialog opens.
    ASSERT_TRUE(Ctx().DataService->ExecuteX("DELETE FROM Ven_Contact WHERE cContactCode <> N'V0100000001'"));
    window->DataRefresh("");
    ASSERT_EQ(grid.Rows(), 2);
    fs::remove(folder / "p.pdf");
    window->Operating("Print");
    EXPECT_TRUE(fs::exists(folder / "p.pdf")) << (shown.empty() ? "" : shown.back());
    ASSERT_TRUE(Ctx().DataService->ExecuteX("DELETE FROM Ven_Contact"));
    window->DataRefresh("");
    bool asked = false;
    answer = [&](QDialog&) {
        asked = true;
        return int(QDialog::Rejected);
    };
    for (const char* key : {"Print", "SaveFile"}) {
        shown.clear();
        window->Operating(key);
        EXPECT_EQ(shown, std::vector<std::string>{"没有可打印或输出的数据。"}) << key;
    }
    EXPECT_FALSE(asked);
}

// The exported list says what the grid says: for an English user the account's English names of
// its base codes, as every file type is written from the same sheet.
TEST_F(PrintOnHostTest, AnEnglishUsersExportNamesTheBaseCodesInEnglish) {
    LoginAs("demo_en");
    ASSERT_NE(OpenList(), nullptr);
    answer = [this](QDialog& d) {
        auto& files = dynamic_cast<QFileDialog&>(d);
        files.selectNameFilter(files.nameFilters().at(1));  // CSV
        files.selectFile(QString::fromStdString((folder / "en").string()));
        return int(QDialog::Accepted);
    };
    window->Operating("SaveFile");
    const std::string csv = FileText(folder / "en.csv");
    ASSERT_FALSE(csv.empty()) << (shown.empty() ? "" : shown.back());
    EXPECT_NE(csv.find(",Male,"), std::string::npos) << csv.substr(0, 400);
    EXPECT_EQ(csv.find("男"), std::string::npos);
}

}  // namespace
}  // namespace sovrel::test
