// The list's commands over the host's real objects and the fixed demo account, as a clerk meets
// them: each inside its function right and record lock, where each stops and what it says, the
// filter, the keys and the mouse, the pager's labels and boxes, and the row marks.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>

#include "common/host_objects.h"
#include "common/prog_ids.h"
#include "common/screen.h"
#include "demo_session.h"
#include "file_text.h"
#include "host/filter.h"
#include "platform/error.h"
#include "platform/object_factory.h"

namespace sovrel::test {
namespace {

using Texts = std::vector<std::string>;

const char* const kMark = "\u221A ";
const char* const kNoRow = "请先选择联系人。";
const char* const kNoCodeColumn = "列表中没有联系人编码列，请在栏目设置中显示该列。";
// The user's columns, the code under a caption of the user's own: no column is the code column.
const char* const kCodeRenamed =
    "<ColumnSet key=\"Ven_Contact\" version=\"1\"><Column name=\"cContactCode\" caption=\"编号\" "
    "expression=\"Ven_Contact.cContactCode\" alias=\"cContactCode\" visible=\"1\"/></ColumnSet>";

class ListCommandsTest : public DemoSessionTest {
public:
    void Open(const std::string& user = "demo", const std::string& columns = "") {
        CloseList();
        LoginAs(user);
        ASSERT_NE(OpenList("", "", columns), nullptr);
        ASSERT_TRUE(window->DataLoaded()) << (shown.empty() ? "" : shown.back());
        window->show();
        window->activateWindow();
        QApplication::setActiveWindow(window);
        view = window->findChild<QTableView*>("Grid");
        ASSERT_NE(view, nullptr);
        shown.clear();
    }
    // The record locks on the contacts, as the system database holds them, but the one the list
    // holds while it is open.
    std::string Locks() const {
        std::string out;
        for (auto rs = demo.System()->OpenRowset(
                 "SELECT iLockCode FROM UA_Lock WHERE cTableName = N'Ven_Contact' AND iLockCode <> 1 ORDER BY iLockCode");
             !rs->Eof(); rs->MoveNext())
            out += (out.empty() ? "" : ",") + rs->Get(0).ToText();
        return out;
    }
    // The function rights this login holds now.
    std::string Rights() const {
        auto& checker = dynamic_cast<host::RightChecker&>(RightChecker());
        std::string out;
        for (const char* code : {"AS020301", "AS020302", "AS020303", "AS020304", "AS020305", "AS020306"})
            if (checker.HeldCount(login.get(), code) > 0) out += (out.empty() ? "" : ",") + std::string(code);
        return out;
    }
    void Trigger(const char* item) const { window->findChild<QAction*>(item)->trigger(); }
    QPoint Cell(long row, long col) const {
        return view->visualRect(view->model()->index(static_cast<int>(row - 1), static_cast<int>(col - 1))).center();
    }
    QLineEdit* Box(const char* name) const { return window->findChild<QLineEdit*>(name); }
    void Type(QLineEdit* box, const char* text) const {
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, text);
    }
    // Every hook of the window records its call, with the locks and rights held while it runs.
    void Record(std::string& ran, DeleteRun del = {}) {
        auto seen = [this, &ran](const std::string& what) { ran = what + " | " + Locks() + " | " + Rights(); };
        auto named = [seen](const char* what) { return [seen, what](frmContactList&) { seen(what); }; };
        auto& a = window->Actions();
        a.add = [seen](frmContactList&, std::int16_t col) { seen("add " + std::to_string(col)); };
        a.modify = [seen](frmContactList&, std::int16_t col) { seen("modify " + std::to_string(col)); };
        a.del = [seen, del](frmContactList&, std::int16_t col) {
            seen("del " + std::to_string(col));
            return del;
        };
        a.sendMail = [seen](frmContactList&, const MailRecipients& to) { seen("mail " + to.codeList); };
        a.print = [seen](frmContactList&, const std::string& key) { seen("print " + key); };
        for (auto [hook, what] : {std::pair{&a.sendMsg, "sms"}, {&a.filter, "filter"}, {&a.report, "report"},
                                  {&a.general, "general"}, {&a.pos, "pos"}, {&a.findSet, "findset"}, {&a.itemSet, "itemset"}})
            *hook = named(what);
    }

    QTableView* view = nullptr;
};

// Seen from inside each command: its right and its lock. Both go back after it, but the print's
// lock, which the window gives back as it closes.
TEST_F(ListCommandsTest, EachCommandRunsInsideItsRightAndLock) {
    Open();
    window->Grid().SetRow(1);
    const struct {
        const char* item;
        std::string inside, locksAfter;
    } cases[] = {
        {"mAdd", "add 2 | 11 | AS020305", ""},           {"mModify", "modify 2 | 2 | AS020301", ""},
        {"mDelete", "del 2 | 8 | AS020306", ""},         {"mCRMSendMsg", "sms | 3 | AS020303", ""},
        {"mCRMSendMail", "mail N'V0100000001',N'V0100000003' | 3 | AS020303", ""},
        {"mFilter", "filter |  | AS020302", ""},         {"mCRMReport", "report |  | AS020302", ""},
        {"mCRMGenerals", "general |  | AS020302", ""},   {"mPos", "pos |  | ", ""},
        {"mFindset", "findset |  | ", ""},              {"mFieldset", "itemset |  | ", ""},
        {"mPrint", "print Print | 5 | AS020304", "5"},
    };
    for (const auto& c : cases) {
        std::string ran = "<not run>";
        Record(ran);
        window->Grid().SetTextMatrix(1, 1, kMark);
        window->Grid().SetTextMatrix(3, 1, "x\u221A");  // a mark after another character counts for mail
        Trigger(c.item);
        EXPECT_EQ(ran, c.inside) << c.item;
        EXPECT_EQ(Locks(), c.locksAfter) << c.item;
        EXPECT_EQ(Rights(), "") << c.item;
        EXPECT_TRUE(shown.empty()) << c.item << ": " << shown.front();
    }

    // Mail to all of a filtered list goes to every contact of it, read by the list's conditions.
    window->SetFilterClause("Ven_Contact.cVenCode = N'V02'");
    Trigger("mRefresh");
    QTest::mouseClick(window->findChild<QCheckBox*>("chkSelectAll"), Qt::LeftButton);
    MailRecipients to{"<not asked>", "", ""};
    window->Actions().sendMail = [&](frmContactList&, const MailRecipients& r) { to = r; };
    Trigger("mCRMSendMail");
    EXPECT_EQ(to.codeList, "");
    Texts addresses;
    for (auto rs = Ctx().DataService->OpenX(to.addressSql, nullptr, nullptr); rs && !rs->Eof(); rs->MoveNext())
        addresses.push_back(rs->Get(0).ToText());
    EXPECT_EQ(addresses.size(), 2u) << to.addressSql;
    EXPECT_NE(std::find(addresses.begin(), addresses.end(), "anna.schmidt@nordwind-supplies.de"), addresses.end());

    CloseList();
    EXPECT_EQ(demo.SystemValue("SELECT COUNT(*) FROM UA_Lock"), "0");
}

// Where a command stops: what it says, whether its action ran, and the locks and rights left.
// The early exits keep theirs (the lock until the window closes).
TEST_F(ListCommandsTest, EachStopSaysWhyAndKeepsOnlyWhatItsExitKeeps) {
    using Arrange = std::function<void(ListCommandsTest&)>;
    const auto heldElsewhere = [](int code) -> Arrange {
        return [code](ListCommandsTest& t) {
            t.demo.System()->Execute(
                "INSERT INTO UA_Lock (cTableName, iLockCode, cLoginId, cUser_Id, iProcessId, cHostName, dTakenAt) "
                "VALUES ('Ven_Contact', " + std::to_string(code) +
                ", 'other-login', 'limited', 1, N'another-machine', '2001-01-01 00:00:00')");
        };
    };
    const Arrange markAfter = [](ListCommandsTest& t) { t.window->Grid().SetTextMatrix(1, 1, "x\u221A"); };
    const Arrange unmarked = [](ListCommandsTest& t) { t.window->Grid().SetTextMatrix(1, 1, ""); };
    const Arrange emptied = [](ListCommandsTest& t) {
        ASSERT_TRUE(Ctx().DataService->ExecuteX("DELETE FROM Ven_Contact"));
        t.Trigger("mRefresh");
        QTest::mouseClick(t.window->findChild<QCheckBox*>("chkSelectAll"), Qt::LeftButton);
    };
    const struct {
        const char *name, *user, *columns;
        Arrange arrange;
        const char* item;
        std::string said;  // a part of the one message shown, "" for none
        bool ran;
        std::string locks, rights;
        DeleteRun del = {};
    } cases[] = {
        // The limited user's menu greys Delete; the key still asks.
        {"no right", "limited", "", nullptr, "DeleteKey", "AS020306", false, "", ""},
        {"lock held elsewhere", "demo", "", heldElsewhere(2), "mModify", "another-machine", false, "2", ""},
        {"delete's lock held elsewhere", "demo", "", heldElsewhere(8), "mDelete", "another-machine", false, "8", ""},
        // Only a mark at the start of the text counts for a delete.
        {"delete, none marked", "demo", "", markAfter, "mDelete", kNoRow, false, "8", ""},
        {"mail, none marked", "demo", "", unmarked, "mCRMSendMail", kNoRow, false, "3", ""},
        {"modify without the code column", "demo", kCodeRenamed, nullptr, "mModify", kNoCodeColumn, false, "", ""},
        {"delete without the code column", "demo", kCodeRenamed, nullptr, "mDelete", "列表中没有联系人编码列，无法删除。",
         false, "", ""},
        {"add without the code column", "demo", kCodeRenamed, nullptr, "mAdd", kNoCodeColumn, false, "", "AS020305"},
        {"delete said yes to, nothing deleted", "demo", "", nullptr, "mDelete", "", true, "", "AS020306", {true, false}},
        {"mail to all of an empty list", "demo", "", emptied, "mCRMSendMail", kNoRow, false, "3", "AS020303"},
        {"modify on an empty list", "demo", "", emptied, "mModify", "", false, "2", "AS020301"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        demo.System()->Execute("DELETE FROM UA_Lock");
        Open(c.user, c.columns);
        if (window->Grid().Rows() > 1) {  // the empty list's cases come last
            window->Grid().SetRow(1);
            window->Grid().SetTextMatrix(1, 1, kMark);
        }
        if (c.arrange) c.arrange(*this);
        std::string ran;
        Record(ran, c.del);
        shown.clear();
        if (std::string(c.item) == "DeleteKey") {
            view->setFocus();
            QTest::keyClick(view, Qt::Key_Delete);
        } else {
            Trigger(c.item);
        }
        ASSERT_EQ(shown.size(), c.said.empty() ? 0u : 1u);
        if (!c.said.empty()) {
            EXPECT_NE(shown.back().find(c.said), std::string::npos) << shown.back();
        }
        EXPECT_EQ(!ran.empty(), c.ran) << ran;
        EXPECT_EQ(Locks(), c.locks);
        EXPECT_EQ(Rights(), c.rights);
    }
}

// A delete that deleted reloads the list at the same place and gives everything back; a command
// that arrives while the list loads is dropped, taking nothing; one that fails is logged, not
// shown.
TEST_F(ListCommandsTest, ADeleteReloadsACommandDuringTheLoadIsDroppedAndAFailureIsLogged) {
    Open();
    std::string ran;
    Record(ran, {true, true});
    window->Grid().SetRow(2);
    window->Grid().SetTextMatrix(2, 1, kMark);
    ASSERT_TRUE(Ctx().DataService->ExecuteX("DELETE FROM Ven_Contact WHERE cContactCode = N'V0100000002'"));
    Trigger("mDelete");
    EXPECT_EQ(Column(2), (Texts{"V0100000001", "V0100000003", "V0100000004", "V0200000001", "V0200000002"}));
    EXPECT_EQ(window->Grid().Row(), 2);
    EXPECT_EQ(Locks() + "/" + Rights(), "/");

    bool once = false;
    std::string during = "<not run>";
    ran.clear();
    auto previous = SetDoEventsHook([&] {
        if (once) return;
        once = true;
        QTest::keyClick(view, Qt::Key_F5);
        during = Locks() + "/" + Rights();
    });
    Trigger("mRefresh");
    SetDoEventsHook(previous);
    EXPECT_EQ(during, "/");
    EXPECT_EQ(ran, "");
    EXPECT_TRUE(window->DataLoaded());

    window->Actions().report = [](frmContactList&) { throw platform::Error(5, "test", "the chart could not be drawn"); };
    Trigger("mCRMReport");
    EXPECT_TRUE(shown.empty()) << shown.front();
    const std::string log = FileText(std::filesystem::path(demo.path()) / "error.log");
    EXPECT_NE(log.find("frmContactList.Operating()"), std::string::npos) << log;
    EXPECT_NE(log.find("the chart could not be drawn"), std::string::npos) << log;
    EXPECT_EQ(Rights(), "");
}

// The keys of the list's commands, through the host's key hook, wherever the focus is but Delete,
// which deletes only from the grid; and the mouse: a double-click on a row modifies it.
TEST_F(ListCommandsTest, TheKeysAndADoubleClickRunTheirCommands) {
    Open();
    std::string ran;
    Record(ran);
    window->Grid().SetTextMatrix(1, 1, kMark);
    QWidget* pageSize = Box("EdtPageSize");
    const struct {
        QWidget* focus;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* command;
    } keys[] = {{view, Qt::Key_F3, Qt::NoModifier, "filter"},     {view, Qt::Key_F3, Qt::ControlModifier, "pos"},
                {pageSize, Qt::Key_F5, Qt::NoModifier, "add"},    {view, Qt::Key_F7, Qt::NoModifier, "modify"},
                {view, Qt::Key_P, Qt::ControlModifier, "print"},  {view, Qt::Key_P, Qt::NoModifier, ""},
                {pageSize, Qt::Key_Delete, Qt::NoModifier, ""},   {view, Qt::Key_Delete, Qt::NoModifier, "del"}};
    for (const auto& k : keys) {
        ran.clear();
        k.focus->setFocus();
        QTest::keyClick(k.focus, k.key, k.modifiers);
        EXPECT_EQ(ran.substr(0, ran.find(' ')), k.command) << k.command;
    }
    ASSERT_TRUE(Ctx().DataService->ExecuteX("UPDATE Ven_Contact SET cContactName = N'O''Brien' WHERE cContactCode = N'V0100000001'"));
    QTest::keyClick(view, Qt::Key_F9);
    EXPECT_EQ(Column(ColumnOf("联系人姓名")).at(0), "O'Brien");

    ran.clear();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, Cell(3, 3));
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, Cell(3, 3));
    EXPECT_EQ(ran.substr(0, ran.find(' ')), "modify");
    EXPECT_EQ(window->Grid().Row(), 3);
    EXPECT_EQ(Column(1)[2], kMark);
}

// A confirmed filter narrows the list and stays with it, marked in the status bar; a cancelled
// one changes nothing, an empty one clears it, as does the status bar's button; one the database
// refuses, a missing filter service or a missing right say so and leave the list as it was.
TEST_F(ListCommandsTest, TheFilterNarrowsTheListOrLeavesItAsItWas) {
    Open();
    bool confirm = true;
    int asked = 0;
    std::vector<host::FilterCondition> conditions;
    auto previous = host::SetFilterPresenter([&](host::FilterDialogRequest& r) {
        asked += r.filterName == "AA[__]供应商联系人档案";
        r.conditions = conditions;
        return confirm;
    });
    const Texts all = Column(2), v02 = {"V0200000001", "V0200000002"};
    auto* mark = window->findChild<QLabel*>("StbFilter");
    auto* clear = window->findChild<QToolButton*>("CmdClearFilter");
    const host::FilterCondition byVendor{false, "cContactCode", host::FilterOp::BeginsWith, "V02", ""};
    const struct {
        const char* name;
        bool confirm;
        std::vector<host::FilterCondition> conditions;
        Texts codes;
    } steps[] = {{"cancelled", false, {byVendor}, all}, {"confirmed", true, {byVendor}, v02}, {"cleared", true, {}, all}};
    for (const auto& s : steps) {
        confirm = s.confirm;
        conditions = s.conditions;
        Trigger("mFilter");
        EXPECT_EQ(Column(2), s.codes) << s.name;
        Trigger("mRefresh");
        EXPECT_EQ(Column(2), s.codes) << s.name << ", refreshed";
        EXPECT_EQ(window->FilterClause().empty(), s.codes == all) << s.name;
        EXPECT_EQ(mark->isVisibleTo(window), s.codes != all) << s.name;  // the status bar says a filter is in force
    }
    EXPECT_EQ(asked, 3);

    struct Refused : IFilterSrv {
        bool OpenFilter(const std::shared_ptr<ILogin>&, const std::string&, const std::string&, const std::string&,
                        std::string&) override { return true; }
        std::string GetSQLWhere() override { return "(Ven_Contact.cNoSuchColumn = 1)"; }
    };
    window->SetFilterClause("Ven_Contact.cVenCode = N'V02'");
    Trigger("mRefresh");
    {
        platform::ScopedRegistration refused(progid::FilterSrv, [] { return std::make_shared<Refused>(); });
        Trigger("mFilter");
    }
    {
        platform::ScopedRegistration none(progid::FilterSrv, platform::Creator{});
        Trigger("mFilter");
    }
    demo.System()->Execute("DELETE FROM UA_FuncRight WHERE cUser_Id = 'demo' AND cFuncId = 'AS020302'");
    Trigger("mFilter");
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].rfind("数据库拒绝了这个过滤条件，列表未改变：", 0), 0u) << shown[0];
    EXPECT_EQ(shown[1], "无法创建过滤服务 TkGeneralFilter.FilterSrv，请检查程序是否完整安装。");
    EXPECT_NE(shown[2].find("AS020302"), std::string::npos) << shown[2];
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(Column(2), v02);
    EXPECT_EQ(window->FilterClause(), "Ven_Contact.cVenCode = N'V02'");
    // The status bar's button takes the filter away.
    EXPECT_EQ(mark->text().toStdString() + "|" + clear->text().toStdString(), "已过滤|清除过滤");
    QTest::mouseClick(clear, Qt::LeftButton);
    EXPECT_EQ(Column(2), all);
    EXPECT_EQ(window->FilterClause(), "");
    EXPECT_FALSE(mark->isVisibleTo(window) || clear->isVisibleTo(window));
    host::SetFilterPresenter(previous);
}

// Six contacts two a page: the labels offer what lies before and after the page shown, a left
// click turns to it, the boxes take back what is out of range, their keys step and go to the
// bounds, and Enter in a box applies it.
TEST_F(ListCommandsTest, ThePageLabelsAndBoxesKeepToTheList) {
    Open();
    Type(Box("EdtPageSize"), "2");
    QTest::keyClick(Box("EdtPageSize"), Qt::Key_Return);
    ASSERT_EQ(window->Grid().Rows(), 3);
    auto labels = [&] {
        std::string s;
        for (int i = 0; i < 4; ++i) {
            const QLabel* l = window->findChild<QLabel*>(("LblPage" + std::to_string(i)).c_str());
            const bool hand = l->cursor().shape() == Qt::PointingHandCursor;  // the pointer tells a link
            s += l->isEnabled() ? (hand ? '1' : '?') : (hand ? '?' : '0');
        }
        return s;
    };
    QTest::mouseClick(window->findChild<QLabel*>("LblPage2"), Qt::RightButton);  // only the left button turns
    EXPECT_EQ(Box("EdtiCurPage")->text().toStdString() + " " + labels(), "1 0011");
    EXPECT_EQ(window->findChild<QLabel*>("LblTotalPage")->text().toStdString(), "/ 3");
    const struct {
        int label;
        const char *page, *enabled, *first;
    } clicks[] = {{2, "2", "1111", "V0100000003"}, {3, "3", "1100", "V0200000001"}, {1, "2", "1111", "V0100000003"},
                  {0, "1", "0011", "V0100000001"}};
    for (const auto& c : clicks) {
        QTest::mouseClick(window->findChild<QLabel*>(("LblPage" + std::to_string(c.label)).c_str()), Qt::LeftButton);
        EXPECT_EQ(Box("EdtiCurPage")->text().toStdString() + " " + labels() + " " + window->Grid().TextMatrix(1, 2),
                  std::string(c.page) + " " + c.enabled + " " + c.first)
            << c.label;
    }
    const struct {
        const char *box, *typed, *kept;
    } typed[] = {{"EdtiCurPage", "9", "3"}, {"EdtiCurPage", "0", "1"}, {"EdtiCurPage", "", ""}, {"EdtPageSize", "20000", "10000"}};
    for (const auto& t : typed) {
        Type(Box(t.box), t.typed);
        EXPECT_EQ(Box(t.box)->text().toStdString(), t.kept) << t.box << " " << t.typed;
    }
    // Up and Down step as the arrows do, Page Up and Page Down go to the bounds.
    Type(Box("EdtPageSize"), "10");
    for (const auto& [key, size] :
         {std::pair{Qt::Key_Up, "15"}, {Qt::Key_Down, "10"}, {Qt::Key_PageDown, "10000"}, {Qt::Key_PageUp, "5"}}) {
        QTest::keyClick(Box("EdtPageSize"), key);
        EXPECT_EQ(Box("EdtPageSize")->text().toStdString(), size) << key;
    }
    Type(Box("EdtPageSize"), "2");
    Type(Box("EdtiCurPage"), "2");
    QTest::keyClick(Box("EdtiCurPage"), Qt::Key_Return);
    EXPECT_EQ(window->Grid().TextMatrix(1, 2), "V0100000003");
}

// Select All marks every row and unticking clears them; a click marks or unmarks its row, but
// not while all are selected.
TEST_F(ListCommandsTest, SelectAllAndClicksMarkTheRows) {
    Open();
    auto* all = window->findChild<QCheckBox*>("chkSelectAll");
    window->Grid().SetTextMatrix(2, 1, "x\u221A");
    QTest::mouseClick(all, Qt::LeftButton);
    EXPECT_EQ(Column(1), (Texts{kMark, "x\u221A", kMark, kMark, kMark, kMark}));  // a sign anywhere counts as marked
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, Cell(1, 3));
    EXPECT_EQ(Column(1)[0], kMark);
    QTest::mouseClick(all, Qt::LeftButton);
    EXPECT_EQ(Column(1), Texts(6, ""));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, Cell(2, 3));
    EXPECT_EQ(Column(1), (Texts{"", kMark, "", "", "", ""}));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, Cell(2, 4));
    EXPECT_EQ(Column(1), Texts(6, ""));
}

// A list that cannot be read says so and keeps what it showed; an empty one shows its header.
TEST_F(ListCommandsTest, AnUnreadableListSaysSoAndAnEmptyOneShowsItsHeader) {
    Open();
    platform::db::Connection owner;
    owner.Open(demo.accountText());
    owner.ExecuteScript("ALTER TABLE Ven_Contact RENAME TO Ven_Contact_Away");
    Trigger("mRefresh");
    EXPECT_EQ(shown, Texts{"读取联系人数据失败。"});
    EXPECT_EQ(window->Grid().Rows(), 7);
    owner.ExecuteScript("ALTER TABLE Ven_Contact_Away RENAME TO Ven_Contact");
    ASSERT_TRUE(Ctx().DataService->ExecuteX("DELETE FROM Ven_Contact"));
    Trigger("mRefresh");
    EXPECT_EQ(window->Grid().Rows(), 1);
    EXPECT_EQ(window->Grid().TextMatrix(0, 2), "联系人编码");
    EXPECT_EQ(window->StatusText(), "本页0条记录");
}

// The column settings from the list's menu: Close changes nothing; Apply shows the list as ticked
// and is what the settings show again; Save and Apply is what the next list shows, and the
// settings' buttons bring back the default or the saved columns.
TEST_F(ListCommandsTest, TheColumnSettingsRebuildTheListAppliedOrSaved) {
    Open();
    const long before = window->Grid().Cols();
    auto inSettings = [&](const std::function<void(QWidget&, QTreeWidget&)>& act) {
        bool opened = false;
        QTimer::singleShot(0, [&] {
            QWidget* d = QApplication::activeModalWidget();
            if (!d || d->objectName() != "frmItemSet") return;
            opened = true;
            act(*d, *d->findChild<QTreeWidget*>("tvwColumns"));
        });
        Trigger("mFieldset");
        EXPECT_TRUE(opened);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the settings stayed open";
    };
    auto click = [](QWidget& d, const char* button) { QTest::mouseClick(d.findChild<QPushButton*>(button), Qt::LeftButton); };
    auto row = [](QTreeWidget& tree, const char* caption) {
        const auto found = tree.findItems(QString::fromUtf8(caption), Qt::MatchExactly);
        return found.isEmpty() ? new QTreeWidgetItem(&tree) : found.front();  // a new row: neither ticked nor wanted
    };
    auto untick = [&](QTreeWidget& tree, const char* caption) { row(tree, caption)->setCheckState(0, Qt::Unchecked); };
    auto ticked = [&](QTreeWidget& tree, const char* caption) { return row(tree, caption)->checkState(0) == Qt::Checked; };

    inSettings([&](QWidget& d, QTreeWidget& tree) {
        untick(tree, "主要联系人");
        click(d, "cmdClose");
    });
    EXPECT_EQ(window->Grid().Cols(), before);
    // Sorted by a header, the list goes back to its own order with the new columns.
    const Texts byCode = Column(2);
    QHeaderView* header = view->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(static_cast<int>(ColumnOf("联系人姓名") - 1)) + 6, header->height() / 2));
    ASSERT_NE(Column(2), byCode);
    inSettings([&](QWidget& d, QTreeWidget& tree) {
        untick(tree, "主要联系人");
        click(d, "cmdApply");
    });
    EXPECT_EQ(ColumnOf("主要联系人"), -1);
    EXPECT_EQ(window->Grid().Cols(), before - 1);
    EXPECT_EQ(Column(2), byCode);
    EXPECT_FALSE(header->isSortIndicatorShown());
    std::string seen;
    inSettings([&](QWidget& d, QTreeWidget& tree) {
        seen = ticked(tree, "主要联系人") ? "ticked" : "unticked";
        click(d, "cmdClose");
    });
    EXPECT_EQ(seen, "unticked");
    Open();
    EXPECT_GT(ColumnOf("主要联系人"), 0) << "applied, not saved";

    inSettings([&](QWidget& d, QTreeWidget& tree) {
        untick(tree, "直接上级");
        click(d, "cmdSave");
    });
    Open();
    EXPECT_EQ(ColumnOf("直接上级"), -1);
    inSettings([&](QWidget& d, QTreeWidget& tree) {
        click(d, "cmdDefault");
        seen = ticked(tree, "直接上级") ? "ticked" : "unticked";
        click(d, "cmdMine");
        seen += ticked(tree, "直接上级") ? " ticked" : " unticked";
        click(d, "cmdClose");
    });
    EXPECT_EQ(seen, "ticked unticked");
    EXPECT_TRUE(shown.empty()) << shown.front();
}

}  // namespace
}  // namespace sovrel::test
