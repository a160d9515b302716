// Saving from the card: the checks that stop a save, a new contact and a changed one written
// through the data service.
#include <QCheckBox>
#include <QComboBox>
#include <QTabWidget>
#include <QToolButton>

#include "card_fixture.h"
#include "file_text.h"

namespace sovrel::test {
namespace {

TEST_F(CardTest, ANewContactIsSavedAndTheCardClearedForTheNextOfTheSameVendor) {
    OpenList();
    OpenCard(cardmode::Add);
    Type("Edt0", "杭州");
    ASSERT_EQ(card->Edt(1).Text(), "V0300000001");
    Type("Edt2", "赵磊");
    Type("Edt6", "经理");
    card->ChkbMajor()->click();
    card->CboSex()->setCurrentIndex(0);
    Key(Qt::Key_F6);
    ASSERT_TRUE(shown.empty()) << shown.front();
    const std::string oid = Value("SELECT oid FROM Ven_Contact WHERE cContactCode = 'V0300000001'");
    EXPECT_EQ(oid.size(), 38u);
    const std::string where = " FROM Ven_Contact WHERE cContactCode = 'V0300000001'";
    EXPECT_EQ(Value("SELECT cContactName" + where), "赵磊");
    EXPECT_EQ(Value("SELECT bcDutyID" + where), "4");
    EXPECT_EQ(Value("SELECT bMajor" + where), "True");
    EXPECT_EQ(Value("SELECT bcSexID" + where), "1");
    EXPECT_EQ(Value("SELECT cCreator" + where), Ctx().UserName);
    // The vendor had no main contact: now it has this one.
    EXPECT_EQ(Value("SELECT cSovrelCode FROM vendor WHERE cVenCode = 'V03'"), oid);
    EXPECT_EQ(Value("SELECT cVenPerson FROM vendor WHERE cVenCode = 'V03'"), "赵磊");
    EXPECT_EQ(card->Edt(0).Tag(), "V03");
    EXPECT_EQ(card->Edt(1).Text(), "V0300000002");
    EXPECT_EQ(card->Edt(2).Text(), "");
    EXPECT_FALSE(card->Tlb()->ButtonEnabled("SaveRs"));
    EXPECT_TRUE(Ctx().DataChanged);
    EXPECT_EQ(list->CurrentContactCode(), "V0300000001");

    Type("Edt2", "钱芳");  // the second contact leaves the main contact as it is
    Key(Qt::Key_F6);
    EXPECT_EQ(Value("SELECT cVenPerson FROM vendor WHERE cVenCode = 'V03'"), "赵磊");
    EXPECT_EQ(Value("SELECT bMajor FROM Ven_Contact WHERE cContactCode = 'V0300000002'"), "False");

    // Moving on from the card brings the list up to date with what was added.
    const long rows = list->Grid().Rows();
    Key(Qt::Key_PageUp);
    EXPECT_EQ(list->Grid().Rows(), rows + 2);
}

// The card's moves had nowhere to go on the empty list it opened over; once a contact is added
// there, a move brings the list up to date and the way back to the added contact opens.
TEST_F(CardTest, TheFirstContactAddedToAnEmptyListCanBeMovedBackTo) {
    OpenList("demo", "V03", "杭州西湖包装制品厂");
    ASSERT_EQ(list->Grid().Rows(), 1);
    OpenCard(cardmode::Add);
    Type("Edt2", "赵磊");
    Key(Qt::Key_F6);
    ASSERT_TRUE(shown.empty()) << shown.front();
    Key(Qt::Key_PageDown, Qt::AltModifier);
    EXPECT_EQ(list->Grid().Rows(), 2);
    EXPECT_EQ(Moves(), (std::vector<bool>{true, true, false, false}));
    Key(Qt::Key_PageUp);
    EXPECT_EQ(card->Edt(2).Text(), "赵磊");
    EXPECT_EQ(card->windowTitle().toStdString(), "Hx.CRM.COMMON.CaptionMod(Hx.CRM.BizObjDic.WordContactRec)");
}

// A save refused for a change made meanwhile is tested with a second process, on both backends.
TEST_F(CardTest, AChangedContactIsSavedAndTheCardClearedForANewOneOfTheSameVendor) {
    OpenList();
    OpenCard(cardmode::Modify, 1);
    EXPECT_EQ(card->windowTitle().toStdString(), "Hx.CRM.COMMON.CaptionMod(Hx.CRM.BizObjDic.WordContactRec)");
    // A loaded contact's vendor has no list to choose another from; the new contact's has.
    auto vendorList = [this] { return card->findChild<QWidget*>("Edt0")->findChild<QToolButton*>("Lookup"); };
    EXPECT_FALSE(vendorList()->isVisibleTo(card));
    Type("Edt3", "张董");
    Key(Qt::Key_F6);
    ASSERT_TRUE(shown.empty()) << shown.front();
    EXPECT_EQ(Value("SELECT cAppellation FROM Ven_Contact WHERE cContactCode = 'V0100000001'"), "张董");
    EXPECT_EQ(card->OpMode(), cardmode::Add);
    EXPECT_TRUE(vendorList()->isVisibleTo(card));
    EXPECT_EQ(card->Edt(1).Text(), "V0100000005");
    // The cleared card takes a new contact and is titled so.
    EXPECT_EQ(card->windowTitle().toStdString(), "Hx.CRM.COMMON.CaptionAdd(Hx.CRM.BizObjDic.WordContactRec)");
}

TEST_F(CardTest, EachCheckStopsTheSaveWithItsMessageAtItsField) {
    OpenList();
    struct Case {
        const char* name;
        std::int16_t mode;
        std::function<void()> setUp;
        std::string message, focus;
    };
    const Case cases[] = {
        {"no vendor", cardmode::Add, [] {}, "Hx.AA.SRVTRANS.xx_notnull(Hx.AA.ARCHIVE.FIELD.refvendor)", "Edt0"},
        {"no name", cardmode::Add, [this] { Type("Edt0", "华东"); }, "Hx.CRM.TkContact.frmcontactedit.00080", "Edt2"},
        {"itself as superior", cardmode::Modify, [this] { card->Edt(4).SetTag("V0100000002"); },
         "Hx.CRM.FrameCaption.Contact01", "Edt4"},
        {"a subordinate as superior", cardmode::Modify, [this] { card->Edt(4).SetTag("V0100000003"); },
         "Hx.CRM.FrameCaption.Contact01", "Edt4"},
        {"principal gone", cardmode::Modify, [this] { Execute("DELETE FROM Person WHERE cPersonCode = '0002'"); },
         "Hx.CRM.BO.SurveyAcitve.surveyaction.00027(周明)", "Edt8"},
        // The code is generated, so there is no box to send the user to.
        {"no code", cardmode::Add, [this] { Type("Edt0", "华东"); Type("Edt2", "周"); card->Edt(1).SetText(" "); },
         "Hx.CRM.TkContact.frmcontactedit.00079", ""},
        {"code taken", cardmode::Add, [this] { Type("Edt0", "华东"); Type("Edt2", "周"); card->Edt(1).SetText("V0100000003"); },
         "Hx.CRM.TkContact.frmcontactedit.00087", ""},
        // Typed but not yet left: the save checks the box that still has the focus.
        {"birthday not a date", cardmode::Modify, [this] { Type("DTPicker1_0", "2024-02-30", false); },
         "Hx.CRM.COMMON.CheckLegal02(Hx.CRM.LblCap.Birthday)", "DTPicker1_0"},
        // A line break would take the address to the mail server as a second command.
        {"address with a line break", cardmode::Add,
         [this] {
             Type("Edt0", "华东");
             Type("Edt2", "周");
             card->Edt(18).SetText("zhou@v01.cn\nRCPT TO:<spy@x.cn>");
         },
         "Hx.CRM.COMMON.BadEmail(zhou@v01.cn\nRCPT TO:<spy@x.cn>)", "Edt18"},
        {"vendor gone", cardmode::Add,
         [this] {
             Type("Edt0", "华东");
             Type("Edt2", "周");
             Execute("DELETE FROM vendor WHERE cVenCode = 'V01'");
         },
         "Hx.AA.SRVTRANS.xx_notnull(Hx.AA.ARCHIVE.FIELD.refvendor)", "Edt0"},
    };
    for (const auto& c : cases) {
        OpenCard(c.mode, 2);
        c.setUp();
        shown.clear();
        EXPECT_FALSE(card->Operating("SaveRs")) << c.name;
        EXPECT_EQ(LastShown(), c.message) << c.name;
        if (!c.focus.empty()) {
            EXPECT_TRUE(Line(c.focus)->hasFocus()) << c.name;
        }
        for (int box : {0, 4, 8}) {  // a refused reference keeps no hint of its code
            if (c.focus == "Edt" + std::to_string(box)) {
                EXPECT_EQ(card->Edt(box).Description(), "") << c.name;
            }
        }
        EXPECT_EQ(Value("SELECT COUNT(*) FROM Ven_Contact"), "6") << c.name;
        answers = {msgbox::No};
        card->close();
    }
}

// The card reaches other contacts by its moves and becomes an Add card after a save: whatever
// brought it to its mode, the save needs the right of that mode.
TEST_F(CardTest, ASaveNeedsTheRightOfTheCardsModeAndKeepsWhatWasTyped) {
    for (const auto& [mode, right] : {std::pair{cardmode::Modify, "AS020301"}, std::pair{cardmode::Add, "AS020305"}}) {
        OpenList("limited");  // browses V01 and V03, changes nothing
        OpenCard(mode, 1);
        if (mode == cardmode::Add) Type("Edt0", "V01");
        Type("Edt2", "无权者");
        const std::string count = Value("SELECT COUNT(*) FROM Ven_Contact"), tkts = Value("SELECT MAX(tkts) FROM Ven_Contact");
        shown.clear();
        Key(Qt::Key_F6);
        ASSERT_EQ(shown.size(), 1u) << right;
        EXPECT_NE(shown[0].find(right), std::string::npos) << shown[0];
        EXPECT_EQ(Value("SELECT COUNT(*) FROM Ven_Contact"), count) << right;
        EXPECT_EQ(Value("SELECT MAX(tkts) FROM Ven_Contact"), tkts) << right;
        EXPECT_EQ(card->Edt(2).Text(), "无权者") << right;
        CloseAll();
    }
}

// Closing with a change, the user asks to save it and the save fails: the card stays open with
// what was typed rather than closing on the edit.
TEST_F(CardTest, ASaveThatFailsWhileClosingKeepsTheCardOpenWithTheEdit) {
    OpenList();
    OpenCard(cardmode::Modify, 1);
    Type("Edt3", "未存");
    card->saveChain = [](frmContactEdit&) -> bool {
        throw platform::Error(platform::errnum::CommandFailed, "IClsCommon", "the server went away");
    };
    answers = {msgbox::Yes};
    card->close();
    EXPECT_TRUE(card->isVisible());
    EXPECT_EQ(card->Edt(3).Text(), "未存");
    EXPECT_NE(Value("SELECT cAppellation FROM Ven_Contact WHERE cContactCode = 'V0100000001'"), "未存");
    // Saved with its key, it fails the same way, and the reason is logged for the administrator.
    Key(Qt::Key_F6);
    EXPECT_EQ(card->Edt(3).Text(), "未存");
    const std::string log = FileText(std::filesystem::path(TempFolder()) / "error.log");
    EXPECT_NE(log.find("frmContactEdit.Operating()"), std::string::npos) << log;
    EXPECT_NE(log.find("the server went away"), std::string::npos) << log;
    card->saveChain = [](frmContactEdit& c) { return c.Save(); };
}

// Chosen from the superior's list, a refused superior is refused at once, as a typed one is.
TEST_F(CardTest, ARefusedSuperiorChosenFromTheListIsClearedAtOnce) {
    OpenList();
    OpenCard(cardmode::Modify, 2);
    ASSERT_EQ(card->Edt(1).Text(), "V0100000002");
    host::SetChoicePresenter([](const host::ChoiceRequest&, platform::db::Rowset& rows) {
        auto copy = rows.Clone();
        long at = 0;
        for (copy->MoveFirst(); !copy->Eof(); copy->MoveNext(), ++at)
            if (copy->Get("cContactCode").ToText() == "V0100000003") return at;  // one who reports to it
        return -1L;
    });
    shown.clear();
    QTest::mouseClick(card->findChild<QWidget*>("Edt4")->findChild<QToolButton*>("Lookup"), Qt::LeftButton);
    EXPECT_EQ(shown, std::vector<std::string>{"Hx.CRM.FrameCaption.Contact01"});
    EXPECT_EQ(card->Edt(4).Text(), "");
    EXPECT_EQ(card->Edt(4).Tag(), "");
    answers = {msgbox::No};
}

// Typed into the superior box and refused, on leaving it by Tab or when F6 checks it: the
// message once (the box that shows it takes the focus), the box emptied so that it shows what a
// save would store, the focus back on it, and the stored superior untouched.
TEST_F(CardTest, ARefusedSuperiorIsToldOnceClearedAndNothingIsSaved) {
    OpenList();
    realBoxes = true;
    const std::string where = " FROM Ven_Contact WHERE cContactCode = 'V0100000002'";
    const std::string version = Value("SELECT convert(char, convert(money,tkts), 2)" + where);
    for (const bool byTab : {true, false}) {
        for (const char* typed : {"V0100000002", "V0100000003"}) {  // itself; one who reports to it
            OpenCard(cardmode::Modify, 2);
            ASSERT_EQ(card->Edt(1).Text(), "V0100000002");
            shown.clear();
            Type("Edt4", typed, byTab);
            if (!byTab) Key(Qt::Key_F6);
            const std::string label = std::string(byTab ? "Tab " : "F6 ") + typed;
            EXPECT_EQ(shown, std::vector<std::string>{"Hx.CRM.FrameCaption.Contact01"}) << label;
            EXPECT_EQ(card->Edt(4).Text(), "") << label;
            EXPECT_EQ(card->Edt(4).Tag(), "") << label;
            EXPECT_EQ(card->Edt(4).Description(), "") << label;
            EXPECT_EQ(card->focusWidget(), Line("Edt4")) << label;
            EXPECT_EQ(Value("SELECT cSuperiorID" + where), "V0100000001") << label;
            EXPECT_EQ(Value("SELECT convert(char, convert(money,tkts), 2)" + where), version) << label;
            answers = {msgbox::No};
            card->close();
        }
    }
}

// The principal that comes with a vendor is its person in charge, whether the vendor is typed
// or chosen from the box's list, and it is what the box shows.
TEST_F(CardTest, AVendorTypedOrChosenBringsItsPersonInChargeAsPrincipal) {
    OpenList();
    OpenCard(cardmode::Add);
    Type("Edt0", "V01");
    const std::string typedTag = card->Edt(8).Tag(), typedText = card->Edt(8).Text();
    EXPECT_EQ(typedTag, "0002");
    EXPECT_EQ(typedText, "周明");
    answers = {msgbox::No};
    card->close();
    OpenCard(cardmode::Add);
    choice = 0;  // the vendor list's first vendor, V01
    card->CmdClick(0);
    ASSERT_EQ(card->Edt(0).Tag(), "V01");
    EXPECT_EQ(card->Edt(8).Tag(), typedTag);
    EXPECT_EQ(card->Edt(8).Text(), typedText);
    Type("Edt2", "吴敏");
    shown.clear();
    Key(Qt::Key_F6);
    EXPECT_TRUE(shown.empty()) << LastShown();
    EXPECT_EQ(Value("SELECT cPrincipal FROM Ven_Contact WHERE cContactName = '吴敏'"), "0002");
}

}  // namespace
}  // namespace sovrel::test
