// The delete run's dialogs: the confirmation names the marked rows and needs a real yes; the
// result list keeps its captions and rows and its dialog copies them as text.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "../controls/qt_app.h"
#include "common/hosts/controls.h"
#include "common/prog_ids.h"
#include "host/controls.h"
#include "host/crm.h"
#include "host/pub_util.h"
#include "host/register.h"
#include "host/result_list.h"
#include "platform/error.h"
#include "platform/object_factory.h"

namespace host::test {
namespace {

class DeleteDialogsTest : public ::testing::Test {
protected:
    DeleteDialogsTest() {
        TestApp();
        RegisterControls();
        SetLanguageOverride("en-US");
        grid = platform::Create<sovrel::IFlexGrid>(sovrel::progid::FlexGrid);
        grid->SetCols(3);
        grid->SetRows(5);
        const char* marks[] = {"", "√", "", "x√", "√"};
        const char* codes[] = {"Code", "C01", "C02", "C03", "C04"};
        for (int r = 0; r < 5; ++r) {
            grid->SetTextMatrix(r, 1, marks[r]);
            grid->SetTextMatrix(r, 2, codes[r]);
        }
        previousBox_ = SetMessageBoxPresenter([this](const MessageBoxRequest& r) {
            asked.push_back(r);
            return answer;
        });
        previousList_ = SetResultListPresenter([this](const ResultListRequest& r) { shown.push_back(r); });
    }
    ~DeleteDialogsTest() override {
        SetMessageBoxPresenter(std::move(previousBox_));
        SetResultListPresenter(std::move(previousList_));
        SetLanguageOverride("");
    }
    int Confirm() {
        std::int16_t code = 2, next = 3;
        return util.ShowTipMsg(*grid, code, next, nullptr, nullptr, "Ven_Contact");
    }

    PubUtil util;
    std::shared_ptr<sovrel::IFlexGrid> grid;
    std::vector<MessageBoxRequest> asked;
    std::vector<ResultListRequest> shown;
    int answer = 6;

private:
    MessageBoxPresenter previousBox_;
    ResultListPresenter previousList_;
};

TEST_F(DeleteDialogsTest, TheConfirmationNamesTheMarkedRowsAndOnlyYesGoesOn) {
    const struct { int answer, expected; } cases[] = {{6, 1}, {7, 2}, {2, 2}};
    for (const auto& c : cases) {
        answer = c.answer;
        EXPECT_EQ(Confirm(), c.expected) << c.answer;
    }
    ASSERT_FALSE(asked.empty());
    // Rows whose mark is not at the start are not going.
    EXPECT_EQ(asked.back().prompt, "Delete 2 marked record(s) (C01, C04)? This cannot be undone.");
    EXPECT_EQ(MessageBoxDefaultAnswer(asked.back().style), 7);  // Enter does not delete

    for (long r = 1; r < 5; ++r) grid->SetTextMatrix(r, 1, "");
    asked.clear();
    EXPECT_EQ(Confirm(), 2);
    EXPECT_TRUE(asked.empty());
}

TEST_F(DeleteDialogsTest, TheResultListShowsItsCaptionsAndRowsAndCopiesThemAsText) {
    auto list = util.ModifyInitMsg("cContactCode,cErrMsg", "Contact Code,Description");
    util.ModifyAddMsg(list, "C01", "Deleted");
    util.ModifyAddMsg(list, "C04", "Referred to by: order 7, visit");
    util.ModifyShowMsg("Information", nullptr, nullptr, list);
    ASSERT_EQ(shown.size(), 1u);
    const ResultListRequest& r = shown.front();
    EXPECT_EQ(r.captions, (std::vector<std::string>{"Contact Code", "Description"}));
    EXPECT_EQ(r.rows, (std::vector<std::vector<std::string>>{{"C01", "Deleted"}, {"C04", "Referred to by: order 7, visit"}}));
    EXPECT_THROW(util.ModifyInitMsg("cContactCode,", "a,b"), platform::Error);

    // The dialog itself: Ctrl+C copies the selected rows under the captions, Escape closes it.
    QApplication::clipboard()->clear();
    std::string copied;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Information");
        auto* table = dialog->findChild<QTableWidget*>("Rows");
        table->selectRow(1);
        QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
        copied = QApplication::clipboard()->text().toStdString();
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    ShowResultListDialog(r);
    EXPECT_EQ(copied, "Contact Code\tDescription\nC04\tReferred to by: order 7, visit\n");
}

}  // namespace
}  // namespace host::test
