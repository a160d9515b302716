// The card's history tab, driven by clicks and keys: two users' changes newest first, the field
// filter, a value put back and saved as a change of its own (SQLite and PostgreSQL), a value the
// save refuses, and a user who may not change contacts or see another vendor's rows.
#include <QComboBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>

#include "backends.h"
#include "card_fixture.h"
#include "common/texts.h"

namespace sovrel::test {
namespace {

constexpr const char* kContact = "V0100000002";

class HistoryTabTest : public CardTest {
protected:
    void OpenContact(const std::string& user) {
        OpenList(user);
        const std::int32_t row = RowOf(kContact);
        ASSERT_GT(row, 0) << user;
        OpenCard(cardmode::Modify, row);
        ASSERT_EQ(card->Edt(1).Text(), kContact);
    }
    QTableWidget* Grid() const { return card->findChild<QTableWidget*>("GridHistory"); }
    QPushButton* RestoreButton() const { return card->findChild<QPushButton*>("CmdRestore"); }
    // The grid's rows as "user|kind|field|old|new"; every time must read as a date and time.
    std::vector<std::string> Rows() const {
        std::vector<std::string> out;
        const QRegularExpression time("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$");
        for (int r = 0; r < Grid()->rowCount(); ++r) {
            EXPECT_TRUE(time.match(Grid()->item(r, 0)->text()).hasMatch()) << Grid()->item(r, 0)->text().toStdString();
            std::string row;
            for (int c = 1; c < 6; ++c) row += (c > 1 ? "|" : "") + Grid()->item(r, c)->text().toStdString();
            out.push_back(row);
        }
        return out;
    }
    void ClickRow(int row) {
        QTableWidget* grid = Grid();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualItemRect(grid->item(row, 1)).center());
    }
    // The user steps through the field filter with the arrow key until it shows caption.
    void Filter(const std::string& caption) {
        auto* combo = card->findChild<QComboBox*>("CboHistoryColumn");
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Home);
        for (int i = 0; i < combo->count() && combo->currentText().toStdString() != caption; ++i)
            QTest::keyClick(combo, Qt::Key_Down);
        ASSERT_EQ(combo->currentText().toStdString(), caption);
    }
    void AddHistoryRow(const std::string& vendor, const std::string& column, const std::string& oldValue,
                       const std::string& newValue, const std::string& contact = kContact) {
        Execute("INSERT INTO Ven_ContactHistory (cContactCode, cVenCode, cColumn, cOldValue, cNewValue, cUserId, "
                "cUserName, dChanged, cKind) VALUES ('" + contact + "', '" + vendor + "', '" + column +
                "', '" + oldValue + "', '" + newValue + "', 'demo_en', 'Demo User', '2026-01-05 09:00:00', 'modify')");
    }
    std::string HistoryCount() const {
        return Value("SELECT COUNT(*) FROM Ven_ContactHistory WHERE cContactCode = '" + std::string(kContact) + "'");
    }
    const std::string where = " FROM Ven_Contact WHERE cContactCode = 'V0100000002'";
    const std::string modify = "Hx.CRM.TkContact.History.Kind.modify";
};

class HistoryTabBackendTest : public HistoryTabTest, public ::testing::WithParamInterface<Backend> {
protected:
    HistoryTabBackendTest() : place(GetParam()) {}
    ~HistoryTabBackendTest() override { CloseAll(); }
    Place place;
};

TEST_P(HistoryTabBackendTest, TwoUsersChangesNewestFirstFilteredAndARestoredValueSavedAsANewChange) {
    SOVREL_SKIP_UNLESS_AVAILABLE(place);
    if (GetParam() == Backend::Postgres) UseAccount(CreateFixedAccount(place));
    OpenContact("demo_en");
    Type("Edt12", "13900000002");
    Key(Qt::Key_F6);
    ASSERT_TRUE(shown.empty()) << LastShown();
    CloseAll();
    OpenContact("demo");
    Type("Edt3", "李总监");
    Key(Qt::Key_F6);
    ASSERT_TRUE(shown.empty()) << LastShown();
    card->close();
    OpenCard(cardmode::Modify, RowOf(kContact));

    ClickTab(frmContactEdit::kHistoryTab);
    const std::string appellation = "演示用户|" + modify + "|Hx.CRM.LblCap.Appellation|李经理|李总监";
    const std::string mobile = "Demo User|" + modify + "|Hx.CRM.LblCap.Mobile|13812340002|13900000002";
    EXPECT_EQ(Rows(), (std::vector<std::string>{appellation, mobile}));
    EXPECT_FALSE(RestoreButton()->isEnabled());  // nothing chosen yet

    Filter("Hx.CRM.LblCap.Mobile");
    ASSERT_EQ(Rows(), std::vector<std::string>{mobile});
    ClickRow(0);
    ASSERT_TRUE(RestoreButton()->isEnabled());
    QTest::mouseClick(RestoreButton(), Qt::LeftButton);
    EXPECT_EQ(card->Edt(12).Text(), "13812340002");
    EXPECT_EQ(card->SSTab1()->currentIndex(), 1);  // where the field is
    EXPECT_TRUE(card->Tlb()->ButtonEnabled("SaveRs"));
    EXPECT_EQ(Value("SELECT cMobilePhone" + where), "13900000002");  // not before the save

    const std::string before = HistoryCount();
    Key(Qt::Key_F6);
    ASSERT_TRUE(shown.empty()) << LastShown();
    EXPECT_EQ(Value("SELECT cMobilePhone" + where), "13812340002");
    EXPECT_EQ(std::stoi(HistoryCount()), std::stoi(before) + 1);
    const std::string last = " FROM Ven_ContactHistory WHERE ID = (SELECT MAX(ID) FROM Ven_ContactHistory)";
    for (const auto& [column, expected] : std::vector<std::pair<std::string, std::string>>{
             {"cColumn", "cMobilePhone"}, {"cOldValue", "13900000002"}, {"cNewValue", "13812340002"},
             {"cUserId", "demo"}, {"cKind", "modify"}})
        EXPECT_EQ(Value("SELECT " + column + last), expected) << column;
}

INSTANTIATE_TEST_SUITE_P(Backends, HistoryTabBackendTest, ::testing::ValuesIn(kBackends), BackendTestName);

// A value the save refuses (no longer in its item's list) is refused as the same value typed is,
// and the card keeps it for the user to correct.
TEST_F(HistoryTabTest, ARestoredValueTheSaveRefusesWritesNothingAndStaysInItsField) {
    AddHistoryRow("V01", "cConDefine2", "D级", "B级");
    OpenContact("demo");
    ClickTab(2);
    Type("EdtU1", "D级", false);
    EXPECT_FALSE(card->Operating("SaveRs"));  // the toolbar's Save
    const std::string typed = LastShown();
    ASSERT_FALSE(typed.empty());
    answers = {msgbox::No};
    card->close();

    const std::string version = Value("SELECT convert(char, convert(money,tkts), 2)" + where);
    const std::string value = Value("SELECT cConDefine2" + where);
    const std::string count = HistoryCount();
    OpenCard(cardmode::Modify, RowOf(kContact));
    ClickTab(frmContactEdit::kHistoryTab);
    ASSERT_EQ(Grid()->rowCount(), 1);
    ClickRow(0);
    QTest::mouseClick(RestoreButton(), Qt::LeftButton);
    ASSERT_EQ(card->EdtU(1).Text(), "D级");
    shown.clear();
    Key(Qt::Key_F6);
    EXPECT_EQ(shown, std::vector<std::string>{typed});
    EXPECT_EQ(card->EdtU(1).Text(), "D级");
    EXPECT_EQ(Value("SELECT cConDefine2" + where), value);
    EXPECT_EQ(Value("SELECT convert(char, convert(money,tkts), 2)" + where), version);
    EXPECT_EQ(HistoryCount(), count);
}

// A change of a column the card does not show (written by a later version, or an item no longer
// in use) or does not let the user change (the creator) is listed and offered by the filter, and
// cannot be put back. The filter's choice stays on the next contact.
TEST_F(HistoryTabTest, AChangeOfAColumnTheCardDoesNotShowIsListedButCannotBePutBack) {
    AddHistoryRow("V01", "cFaxPhone", "010-1", "010-2");
    AddHistoryRow("V01", "cConDefine3", "x", "y");
    AddHistoryRow("V01", "cCreator", "someone", "演示用户");
    AddHistoryRow("V01", "cFaxPhone", "010-3", "010-4", "V0100000003");
    AddHistoryRow("V01", "cMemo", "a", "b", "V0100000003");
    OpenContact("demo");
    ClickTab(frmContactEdit::kHistoryTab);
    ASSERT_EQ(Grid()->rowCount(), 3);
    for (int row = 0; row < 3; ++row) {
        ClickRow(row);
        EXPECT_FALSE(RestoreButton()->isEnabled()) << Grid()->item(row, 3)->text().toStdString();
    }
    Filter("Hx.CRM.TkContact.History.UnusedItem(3)");
    EXPECT_EQ(Rows(), std::vector<std::string>{"Demo User|" + modify + "|Hx.CRM.TkContact.History.UnusedItem(3)|x|y"});
    Filter("cFaxPhone");
    EXPECT_EQ(Rows(), std::vector<std::string>{"Demo User|" + modify + "|cFaxPhone|010-1|010-2"});
    ASSERT_TRUE(card->Operating("Next"));
    ASSERT_EQ(card->Edt(1).Text(), "V0100000003");
    EXPECT_EQ(Rows(), std::vector<std::string>{"Demo User|" + modify + "|cFaxPhone|010-3|010-4"});
}

// "limited" may browse V01 and V03 but not change contacts: it sees the rows of V01 only and
// cannot put a value back, by the button or otherwise.
TEST_F(HistoryTabTest, WithoutTheModifyRightRestoreIsGreyedAndRefusedAndOtherVendorsRowsStayHidden) {
    AddHistoryRow("V01", "cAppellation", "李女士", "李经理");
    AddHistoryRow("V02", "cMemo", "seen at V02", "");
    OpenContact("limited");
    host::SetLanguageOverride("zh-CN");  // the tab's own words come from the host's tables
    ClickTab(frmContactEdit::kHistoryTab);
    const std::string modified = ResText(modify);
    ASSERT_EQ(Rows(), std::vector<std::string>{"Demo User|" + modified + "|Hx.CRM.LblCap.Appellation|李女士|李经理"});
    for (int c = 0; c < Grid()->columnCount(); ++c)
        EXPECT_FALSE(Grid()->horizontalHeaderItem(c)->text().startsWith("Hx.")) << c;
    EXPECT_FALSE(modified.starts_with("Hx.")) << modified;
    ClickRow(0);
    EXPECT_FALSE(RestoreButton()->isEnabled());
    QTest::mouseClick(RestoreButton(), Qt::LeftButton);
    shown.clear();
    EXPECT_FALSE(card->RestoreFromHistory());
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find("AS020301"), std::string::npos) << shown[0];
    EXPECT_EQ(card->Edt(3).Text(), "李经理");
    EXPECT_FALSE(card->Tlb()->ButtonEnabled("SaveRs"));
}

}  // namespace
}  // namespace sovrel::test
