// The card's window: modes, loading a contact, moving over the list's rows with the keyboard,
// the unsaved-changes prompt, closing, and the list's hand-off.
#include <QComboBox>
#include <QRegularExpression>
#include <QTabWidget>
#include <QToolBar>
#include <QTimer>

#include "card_fixture.h"
#include "common/host_objects.h"
#include "host/crm.h"

namespace sovrel::test {
namespace {

TEST_F(CardTest, ModifyLoadsTheRowsContactWithNamesForCodesAndLocksItsIdentity) {
    OpenList();
    OpenCard(cardmode::Modify, 2);
    EXPECT_EQ(card->OpMode(), cardmode::Modify);
    struct Expect {
        int editor;
        std::string text, tag;
    };
    const Expect expected[] = {{0, "上海华东电子材料有限公司", "V01"}, {1, "V0100000002", ""}, {2, "李娜", ""},
                               {4, "张伟", "V0100000001"},             {6, "销售经理", "6"},    {7, "阅读", "12"},
                               {8, "周明", "0002"}};
    for (const auto& e : expected) {
        EXPECT_EQ(card->Edt(e.editor).Text(), e.text) << "Edt(" << e.editor << ")";
        EXPECT_EQ(card->Edt(e.editor).Tag(), e.tag) << "Edt(" << e.editor << ")";
    }
    EXPECT_EQ(card->Edt(4).Description(), "Hx.CRM.TkContact.frmcontactedit.00095(V0100000001)");
    EXPECT_EQ(card->CboSex()->currentText().toStdString(), "女");
    EXPECT_EQ(card->CboMarriage()->currentText().toStdString(), "已婚");
    EXPECT_FALSE(card->Edt(0).Enabled());
    EXPECT_FALSE(card->Edt(1).Enabled());
    EXPECT_FALSE(Ctx().LoadedContactTs.empty());
    EXPECT_FALSE(card->Tlb()->ButtonEnabled("SaveRs"));
    EXPECT_FALSE(card->Edited());
    EXPECT_TRUE(Line("Edt2")->hasFocus());  // a loaded contact starts at the name
}

TEST_F(CardTest, PageKeysWalkTheListTheMoveButtonsFollowAndADeletedContactIsReported) {
    OpenList();
    ASSERT_EQ(list->Grid().Rows(), 7);
    struct Case {
        int start;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int row;
        std::vector<bool> moves;  // First, Previous, Next, Last
    };
    const Case cases[] = {
        {1, Qt::Key_PageDown, Qt::NoModifier, 2, {true, true, true, true}},
        {2, Qt::Key_PageUp, Qt::NoModifier, 1, {false, false, true, true}},
        {1, Qt::Key_PageDown, Qt::AltModifier, 6, {true, true, false, false}},
        {5, Qt::Key_PageUp, Qt::AltModifier, 1, {false, false, true, true}},
        {6, Qt::Key_PageDown, Qt::NoModifier, 6, {true, true, false, false}},  // Next is disabled on the last row
        {1, Qt::Key_PageUp, Qt::NoModifier, 1, {false, false, true, true}},
    };
    for (const auto& c : cases) {
        OpenCard(cardmode::Modify, c.start);
        Key(c.key, c.modifiers);
        EXPECT_EQ(card->CurrentRow(), c.row) << "from row " << c.start;
        EXPECT_EQ(card->Edt(1).Text(), list->Grid().TextMatrix(c.row, codeColumn)) << "from row " << c.start;
        EXPECT_EQ(Moves(), c.moves) << "from row " << c.start;
    }
    EXPECT_TRUE(shown.empty()) << shown.front();
    EXPECT_TRUE(card->Operating("Last"));
    EXPECT_FALSE(card->Operating("Next"));  // a refused move

    // A contact deleted meanwhile is reported, the list refreshed, the card keeps what it showed.
    OpenCard(cardmode::Modify, 1);
    Execute("DELETE FROM Ven_Contact WHERE cContactCode = 'V0100000002'");
    Key(Qt::Key_PageDown);
    EXPECT_EQ(LastShown(), "Hx.CRM.TkContact.frmcontactedit.00094");
    EXPECT_EQ(list->Grid().Rows(), 6);
    EXPECT_EQ(card->Edt(1).Text(), "V0100000001");
}

// A list of one contact offers no move; nor does an empty one once a move from a new contact
// finds it still empty.
TEST_F(CardTest, NoMoveIsOfferedOnAListOfOneContactOrNone) {
    Execute("DELETE FROM Ven_Contact WHERE cContactCode = 'V0200000002'");
    OpenList("demo", "V02", "Nordwind Industrial Supplies GmbH");
    ASSERT_EQ(list->Grid().Rows(), 2);
    OpenCard(cardmode::Modify, 1);
    ASSERT_EQ(card->Edt(1).Text(), "V0200000001");
    EXPECT_EQ(Moves(), std::vector<bool>(4, false));
    card->close();
    Execute("DELETE FROM Ven_Contact WHERE cVenCode = 'V02'");
    list->DataRefresh("");
    ASSERT_EQ(list->Grid().Rows(), 1);
    OpenCard(cardmode::Add, 0);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(Moves(), std::vector<bool>(4, false));
}

// A contact whose superior is gone shows none, and its next save stores what the card showed.
TEST_F(CardTest, AMoveToAContactWhoseSuperiorIsGoneLeavesTheSuperiorEmpty) {
    Execute("UPDATE Ven_Contact SET cSuperiorID = 'V0199999999' WHERE cContactCode = 'V0100000004'");
    OpenList();
    OpenCard(cardmode::Modify, 3);
    ASSERT_EQ(card->Edt(1).Text(), "V0100000003");
    ASSERT_EQ(card->Edt(4).Tag(), "V0100000002");
    Key(Qt::Key_PageDown);
    ASSERT_EQ(card->Edt(1).Text(), "V0100000004");
    EXPECT_EQ(card->Edt(4).Tag(), "");
    Type("Edt3", "王工");
    Key(Qt::Key_F6);
    EXPECT_EQ(Value("SELECT COALESCE(cSuperiorID, 'none') FROM Ven_Contact WHERE cContactCode = 'V0100000004'"), "none");
}

// No moves on without the edit; Cancel stays on the card with it.
TEST_F(CardTest, AMoveFromADirtyCardAsksFirstAndCancelStaysWithTheEdit) {
    OpenList();
    struct Case {
        int answer;
        std::int32_t row;
        const char* appellation;
        bool edited;
    };
    const Case cases[] = {{msgbox::No, 2, "李经理", false}, {msgbox::Cancel, 1, "王总", true}};
    for (const auto& c : cases) {
        OpenCard(cardmode::Modify, 1);
        Type("Edt3", "王总", false);
        EXPECT_TRUE(card->Edited());
        EXPECT_TRUE(card->Tlb()->ButtonEnabled("SaveRs"));
        shown.clear();
        answers = {c.answer};
        Key(Qt::Key_PageDown);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0], "Hx.CRM.COMMON.MsgExitSave(Hx.CRM.BizObjDic.WordContact)");
        EXPECT_EQ(styles.back(), msgbox::YesNoCancelQuestion);
        EXPECT_EQ(card->CurrentRow(), c.row) << "answer " << c.answer;
        EXPECT_EQ(card->Edt(3).Text(), c.appellation) << "answer " << c.answer;
        EXPECT_EQ(card->Edited(), c.edited) << "answer " << c.answer;
        answers = {msgbox::No};
        card->close();
    }
}

TEST_F(CardTest, EscapeClosesOnlyACardWithoutChangesAndCancelKeepsADirtyOneOpen) {
    OpenList();
    OpenCard(cardmode::Modify, 1);
    Type("Edt5", "上海", false);
    Key(Qt::Key_Escape);  // Save is enabled: nothing happens
    Key(Qt::Key_F2);      // nor with F2
    EXPECT_TRUE(card->isVisible());
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(card->Edited());

    // The host is told of the window's unload only when it goes.
    auto* host = dynamic_cast<host::CrmCommonService*>(&CrmCommonSvc());
    ASSERT_NE(host, nullptr);
    const int unloads = host->FormUnloadedCount();
    answers = {msgbox::Cancel};
    std::int16_t cancel = 0, mode = 0;
    card->ExitForm(cancel, mode);
    EXPECT_EQ(cancel, 1);
    EXPECT_EQ(mode, 1);
    EXPECT_TRUE(card->isVisible());
    EXPECT_EQ(host->FormUnloadedCount(), unloads);

    answers = {msgbox::No};
    card->ExitForm(cancel, mode);
    EXPECT_EQ(cancel, 0);
    EXPECT_FALSE(card->isVisible());
    EXPECT_FALSE(card->Loaded());
    EXPECT_EQ(host->FormUnloadedCount(), unloads + 1);

    OpenCard(cardmode::Modify, 1);  // loaded again
    shown.clear();
    Key(Qt::Key_Escape);
    EXPECT_FALSE(card->isVisible());
    EXPECT_TRUE(shown.empty());
}

TEST_F(CardTest, AddModeStartsClearedWithTheLoginsDefaults) {
    OpenList();
    OpenCard(cardmode::Add, 3);
    EXPECT_TRUE(card->Edt(0).Enabled());
    EXPECT_TRUE(Line("Edt0")->hasFocus());
    EXPECT_FALSE(card->Edt(1).Enabled());  // the code is made from the vendor's, not typed
    EXPECT_EQ(card->Edt(1).Text(), "");
    EXPECT_EQ(card->Edt(9).Text(), Ctx().UserName);
    EXPECT_TRUE(card->Edt(9).ReadOnly());
    EXPECT_EQ(card->DTPicker1(1).Text(), Ctx().LoginDate);
    Type("DTPicker1_1", "2020-01-01", false);  // the creation date is the login's, not typed
    EXPECT_EQ(card->DTPicker1(1).Text(), Ctx().LoginDate);
    EXPECT_EQ(card->EdtU(1).Text(), "B级");  // the item's default
    EXPECT_FALSE(card->Exists());
}

// Choosing a page by its tab puts the cursor where the clerk goes on typing: the second page's
// first box, back on the first page the first box that takes typing, on the user-defined page the
// first item in use. A card opened for a new contact starts on the first page, wherever the
// shared card was left.
TEST_F(CardTest, APageChosenByItsTabHasTheFocusOnItsFirstBox) {
    OpenList();
    const struct {
        std::int16_t mode;
        std::vector<std::pair<int, std::string>> clicks;  // the tab, and the box then focused
    } cases[] = {
        {cardmode::Modify, {{1, "Edt10"}, {0, "Edt2"}, {2, "EdtU0"}}},
        {cardmode::Add, {{1, "Edt10"}, {0, "Edt0"}}},
    };
    for (const auto& c : cases) {
        OpenCard(c.mode, 2);
        EXPECT_EQ(card->SSTab1()->currentIndex(), 0) << "mode " << c.mode;
        for (const auto& [page, box] : c.clicks) {
            ClickTab(page);
            EXPECT_EQ(FocusedBox(), box) << "mode " << c.mode << ", page " << page;
        }
        card->close();
    }
}

TEST_F(CardTest, TheListsAddAndModifyOpenTheSharedCardAtTheListsVendor) {
    OpenList("demo", "V02", "Nordwind Industrial Supplies GmbH");
    host::SetLanguageOverride("");
    for (const char* command : {"Add", "Modify"}) {
        bool visible = false;
        std::string vendor;
        QTimer::singleShot(0, [&] {
            frmContactEdit& shared = ContactCard();
            visible = shared.isVisible();
            vendor = shared.Edt(0).Tag();
            shared.close();
        });
        list->Grid().SetRow(2);
        list->Operating(command);
        EXPECT_TRUE(visible) << command;
        EXPECT_EQ(vendor, "V02") << command;
    }
}

// Enter goes on as Tab does; from the last box of a page it opens the next page. The card stays
// open and writes nothing.
TEST_F(CardTest, EnterGoesToTheNextBoxAndFromAPagesLastBoxToTheNextPage) {
    OpenList();
    OpenCard(cardmode::Modify, 2);
    auto* tabs = card->findChild<QTabWidget*>("SSTab1");
    const struct {
        const char* from;
        int page;
        const char* to;  // the box that has the focus after Enter
    } cases[] = {{"Edt2", 0, "Edt3"}, {"Edt8", 1, nullptr}, {"Edt20", 2, nullptr}};
    for (const auto& c : cases) {
        tabs->setCurrentIndex(c.page == 0 ? 0 : c.page - 1);
        Line(c.from)->setFocus();
        Key(Qt::Key_Return);
        EXPECT_EQ(tabs->currentIndex(), c.page) << c.from;
        if (c.to) {
            EXPECT_TRUE(Line(c.to)->hasFocus()) << c.from;
        }
    }
    EXPECT_TRUE(card->isVisible());
    EXPECT_TRUE(shown.empty()) << LastShown();
    EXPECT_FALSE(card->Edited());
}

// Tab goes through each page's boxes as they read, row by row, left then right (boxes a loaded
// contact locks are passed over); the move buttons' tooltips name their keys.
TEST_F(CardTest, TabFollowsTheLayoutOnEachPageAndTheButtonsNameTheirKeys) {
    OpenList();
    OpenCard(cardmode::Modify, 2);
    const std::vector<std::vector<std::string>> pages = {
        {"Edt2", "Edt3", "cboSex", "Edt4", "Edt5", "Edt6", "DTPicker1_0", "Edt7", "cboMarriage", "Edt8", "ChkbMajor"},
        {"Edt10", "Edt11", "Edt12", "Edt13", "Edt14", "Edt18", "Edt15", "Edt16", "Edt17", "Edt19", "Edt20"}};
    auto* tabs = card->findChild<QTabWidget*>("SSTab1");
    const QRegularExpression named("^(Edt|DTPicker1_|cbo|Chkb|lbl|Lbl)");
    for (std::size_t page = 0; page < pages.size(); ++page) {
        tabs->setCurrentIndex(static_cast<int>(page));
        // Nothing on the page covers anything else: every box and caption can be read and clicked.
        std::vector<std::pair<QString, QRect>> parts;
        for (QWidget* w : tabs->currentWidget()->findChildren<QWidget*>(named))
            if (w->isVisible()) parts.emplace_back(w->objectName(), QRect(w->mapTo(card, QPoint()), w->size()));
        for (std::size_t a = 0; a < parts.size(); ++a)
            for (std::size_t b = a + 1; b < parts.size(); ++b)
                EXPECT_FALSE(parts[a].second.intersects(parts[b].second))
                    << parts[a].first.toStdString() << " " << parts[b].first.toStdString();
        EXPECT_GT(parts.size(), 20u) << "page " << page;
        QWidget* first = card->findChild<QWidget*>(QString::fromStdString(pages[page][0]));
        first->setFocus();
        std::vector<std::string> walked{FocusedBox()};
        for (std::size_t i = 1; i < pages[page].size(); ++i) {
            Key(Qt::Key_Tab);
            walked.push_back(FocusedBox());
        }
        EXPECT_EQ(walked, pages[page]) << "page " << page;
    }
    EXPECT_TRUE(shown.empty()) << LastShown();
    for (const auto& [button, key] : {std::pair<const char*, const char*>{"SaveRs", "F6"}, {"First", "Alt+PgUp"},
                                      {"Previous", "PgUp"}, {"Next", "PgDn"}, {"Last", "Alt+PgDn"}}) {
        const QAction* action = card->findChild<QAction*>(button);
        ASSERT_NE(action, nullptr) << button;
        EXPECT_EQ(action->toolTip().toStdString(), action->text().toStdString() + " (" + key + ")");
    }
}

}  // namespace
}  // namespace sovrel::test
