// A list far longer than the pages the rowset keeps (9,006 contacts, 19 pages of 500), driven
// as a clerk would over the host's real objects: the last page, a contact found on a far page,
// and the page shown exported as the grid shows it.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <sstream>

#include "answered_print.h"
#include "demo_session.h"
#include "file_text.h"
#include "platform/text.h"

namespace sovrel::test {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

constexpr int kAdded = 9000;
constexpr int kRare = 8000;  // list row 8,006, on page 17

Texts Split(const std::string& line, char separator) {
    Texts out;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, separator)) out.push_back(field);
    if (!line.empty() && line.back() == separator) out.emplace_back();
    return out;
}

std::string Code(int n) {
    char code[16];
    std::snprintf(code, sizeof code, "V05%08d", n);
    return code;
}

class LongListTest : public DemoSessionTest, protected AnsweredPrintControl {
protected:
    // Contacts added behind the demo's six: both sexes, every duty, flags on and off, Chinese
    // and Latin names, so that the far pages carry every formatted column.
    void AddContacts() {
        platform::db::Connection db;
        db.Open(demo.accountText());
        auto ids = [&](const char* type) {
            std::vector<long> out;
            for (auto rs = db.OpenRowset(std::string("SELECT ID FROM Crm_BaseCode WHERE cType = N'") + type + "' ORDER BY ID");
                 !rs->Eof(); rs->MoveNext())
                out.push_back(static_cast<long>(rs->Get(0).ToInt()));
            return out;
        };
        const auto sexes = ids("Sex"), duties = ids("Duty");
        ASSERT_GE(sexes.size(), 2u);
        ASSERT_GE(duties.size(), 3u);
        // One far contact alone among the added has the last duty, by its English name.
        auto rs = db.OpenRowset("SELECT cName FROM Crm_LocalName WHERE cTable = N'Crm_BaseCode' AND cLanguage = N'en-US' "
                                "AND cKey = N'" + std::to_string(duties.back()) + "'");
        ASSERT_FALSE(rs->Eof());
        rareDuty = rs->Get(0).ToText();
        rs = db.OpenRowset("SELECT cName FROM Crm_BaseCode WHERE ID = " + std::to_string(duties.back()));
        ASSERT_FALSE(rs->Eof());
        rareDutyStored = rs->Get(0).ToText();
        db.BeginTrans();
        for (int first = 1; first <= kAdded; first += 500) {
            std::string sql = "INSERT INTO Ven_Contact (cContactCode, cVenCode, cContactName, bcSexID, bcDutyID, bMajor, "
                              "cMobilePhone) VALUES ";
            for (int n = first; n < first + 500; ++n) {
                const std::string name = n % 2 ? "Far Contact " + std::to_string(n) : "远处联系人" + std::to_string(n);
                sql += (n > first ? ", (N'" : "(N'") + Code(n) + "', N'V01', N'" + name + "', " +
                       std::to_string(sexes[n % sexes.size()]) + ", " + std::to_string(n == kRare ? duties.back() : duties[n % 2]) + ", " +
                       std::to_string(n % 3 == 0) + ", N'139" + std::to_string(10000000 + n) + "')";
            }
            db.Execute(sql);
        }
        db.CommitTrans();
    }
    std::string Page() const { return window->findChild<QLineEdit*>("EdtiCurPage")->text().toStdString(); }
    std::string CurrentCode() const { return window->Grid().TextMatrix(window->Grid().Row(), 2); }

    std::string rareDuty, rareDutyStored;
};

TEST_F(LongListTest, TheLastPageAFarContactAndThePageShownExportedAsTheGridShowsIt) {
    AddContacts();
    LoginAs("demo_en");
    ASSERT_NE(OpenList(), nullptr);
    ASSERT_TRUE(window->DataLoaded()) << (shown.empty() ? "" : shown.back());
    window->activateWindow();
    QApplication::setActiveWindow(window);
    auto* view = window->findChild<QTableView*>("Grid");
    ASSERT_NE(view, nullptr);
    IFlexGrid& grid = window->Grid();
    ASSERT_EQ(window->ListRowset()->RecordCount(), kAdded + 6);

    std::vector<long> exported;  // grid columns, as the export writes them
    for (long c = 2; c < grid.Cols(); ++c)
        if (grid.ColWidth(c) != 0) exported.push_back(c);

    // The last page, by its label.
    QTest::mouseClick(window->findChild<QLabel*>("LblPage3"), Qt::LeftButton);
    EXPECT_EQ(Page(), "19");
    ASSERT_EQ(grid.Rows(), 7);
    EXPECT_EQ(grid.TextMatrix(6, 2), Code(kAdded));

    // A contact on page 10 found by name from the last page; from there the only one on a far
    // page with a duty, found by the name the grid shows for it (the account stores another).
    const std::pair<std::string, std::string> steps[] = {{"Far Contact 4693", "10 " + Code(4693)},
                                                         {rareDuty, "17 " + Code(kRare)}};
    Texts found;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        for (const auto& [typed, expected] : steps) {
            auto* text = dialog->findChild<QLineEdit*>("EdtText");
            text->clear();
            QTest::keyClicks(text, QString::fromStdString(typed));
            QTest::mouseClick(dialog->findChild<QPushButton*>("cmdFindNext"), Qt::LeftButton);
            found.push_back(Page() + " " + CurrentCode());
        }
        dialog->reject();
    });
    QTest::keyClick(view, Qt::Key_F3, Qt::ControlModifier);
    EXPECT_EQ(found, (Texts{steps[0].second, steps[1].second}));

    // The page shown to CSV through the save dialog.
    const fs::path file = fs::path(demo.path()) / "page.csv";
    answer = [&](QDialog& d) {
        auto& files = dynamic_cast<QFileDialog&>(d);
        files.selectNameFilter(files.nameFilters().at(1));  // CSV
        files.selectFile(QString::fromStdString(file.string()));
        return int(QDialog::Accepted);
    };
    auto* item = window->findChild<QAction*>("mSaveFile");
    ASSERT_NE(item, nullptr);
    item->trigger();
    EXPECT_EQ(shown.back(), "Exported to " + file.string());
    // The list stays where the user left it.
    EXPECT_EQ(Page() + " " + CurrentCode(), steps[1].second);

    // Each line the texts the grid shows, in its order (CSV's own quoting is tested with the
    // writers).
    auto csvLines = [&] {
        auto line = [](const Texts& fields) {
            std::string out;
            for (std::size_t i = 0; i < fields.size(); ++i) {
                if (i) out += ',';
                platform::text::AppendCsvField(out, fields[i]);
            }
            return out + "\r";
        };
        Texts out;
        for (long r = 0; r < grid.Rows(); ++r) {
            Texts fields;
            for (long c : exported) fields.push_back(grid.TextMatrix(r, c));
            out.push_back(line(fields));
        }
        return out;
    };
    auto fileLines = [&] {
        const std::string text = FileText(file);
        EXPECT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
        Texts lines = Split(text.size() > 3 ? text.substr(3) : std::string(), '\n');
        EXPECT_EQ(lines.empty() ? "-" : lines.back(), "");  // after the last line's end
        if (!lines.empty()) lines.pop_back();
        return lines;
    };
    const Texts lines = fileLines();
    ASSERT_EQ(lines.size(), 501u) << "the page's 500 rows and the captions";
    EXPECT_EQ(lines, csvLines());
    // The far rows name their base codes in English, as the grid does.
    const std::string text = FileText(file);
    EXPECT_NE(text.find("," + rareDuty + ","), std::string::npos);
    EXPECT_EQ(text.find("男"), std::string::npos);
    EXPECT_EQ(text.find("," + rareDutyStored + ","), std::string::npos);

    // The page sorted in place by the menu is exported as it is shown.
    const long name = ColumnOf("Contact Name");
    ASSERT_GT(name, 0);
    const QRect cell = view->visualRect(view->model()->index(0, static_cast<int>(name - 1)));
    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, cell.center());
    auto* menu = window->findChild<QMenu*>("mOrder");
    ASSERT_TRUE(menu && menu->isVisible());
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(window->findChild<QAction*>("mDesc")).center());
    const Texts sortedShown = csvLines();
    ASSERT_NE(sortedShown, lines);
    item->trigger();
    EXPECT_EQ(fileLines(), sortedShown);
}

}  // namespace
}  // namespace sovrel::test
