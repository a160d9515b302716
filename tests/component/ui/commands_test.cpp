// The list's command frame: rights, record locks, the hooks, the six releases and their early
// exits, the error handler, the keyboard table and the grid's mouse.
#include <QLineEdit>

#include <algorithm>

#include "list_fixture.h"
#include "common/screen.h"
#include "platform/error.h"

namespace sovrel::test {
namespace {

class CommandsTest : public ListFixture {
protected:
    CommandsTest() {
        Load(ContactRows(3));
        auto& a = window->Actions();
        a.add = [this](frmContactList&, std::int16_t col) { host.log.Add("hook add " + std::to_string(col)); };
        a.modify = [this](frmContactList&, std::int16_t col) { host.log.Add("hook modify " + std::to_string(col)); };
        a.del = [this](frmContactList&, std::int16_t col) {
            host.log.Add("hook del " + std::to_string(col));
            return deleteRun;
        };
        a.filter = [this](frmContactList&) { host.log.Add("hook filter"); };
        a.pos = [this](frmContactList&) { host.log.Add("hook pos"); };
        a.findSet = [this](frmContactList&) { host.log.Add("hook findSet"); };
        a.print = [this](frmContactList&, const std::string& key) { host.log.Add("hook print " + key); };
        a.itemSet = [this](frmContactList&) { host.log.Add("hook itemSet"); };
        a.report = [this](frmContactList&) { host.log.Add("hook report"); };
        a.general = [this](frmContactList&) { host.log.Add("hook general"); };
        a.sendMail = [this](frmContactList&, const MailRecipients& to) {
            host.log.Add("hook sendMail " + to.codeList + (to.addressSql.empty() ? "" : "by " + to.addressSql));
        };
        a.sendMsg = [this](frmContactList&) { host.log.Add("hook sendMsg"); };
        window->helpViewer = [this](const std::string& file, int command, long id) {
            host.log.Add("help " + file + " " + std::to_string(command) + " " + std::to_string(id));
        };
        window->Grid().SetRow(1);
        window->Grid().SetTextMatrix(1, 1, kRowMark);
        ClearLog();
    }
    // The calls of the command frame, without the help report, the rights given back and the
    // text service's language questions.
    std::vector<std::string> Frame() const {
        std::vector<std::string> out;
        for (const auto& c : host.log.calls)
            if (c.rfind("ReleaseRight", 0) != 0 && c.rfind("HelpShow", 0) != 0 && c != "GetLanguage") out.push_back(c);
        return out;
    }
    DeleteRun deleteRun{true, false};
};

// Keys compare without regard to case ("preview").
TEST_F(CommandsTest, EachCommandRunsInsideItsRightAndLock) {
    deleteRun = {false, false};  // the user says no: the common exit runs
    const struct {
        const char* key;
        std::vector<std::string> frame;
    } cases[] = {
        {"Add", {"AcquireRight AS020305", "IsLockFun Ven_Contact 11", "hook add 2", "IsLockFun Ven_Contact -11"}},
        {"Modify", {"AcquireRight AS020301", "IsLockFun Ven_Contact 2", "hook modify 2", "IsLockFun Ven_Contact -2"}},
        {"Del", {"AcquireRight AS020306", "IsLockFun Ven_Contact 8", "hook del 2", "IsLockFun Ven_Contact -8"}},
        {"SendMail", {"AcquireRight AS020303", "IsLockFun Ven_Contact 3", "hook sendMail N'V0100000001'",
                      "IsLockFun Ven_Contact -3"}},
        {"SendMsg", {"AcquireRight AS020303", "IsLockFun Ven_Contact 3", "hook sendMsg", "IsLockFun Ven_Contact -3"}},
        {"Print", {"AcquireRight AS020304", "IsLockFun Ven_Contact 5", "hook print Print"}},
        {"preview", {"AcquireRight AS020304", "IsLockFun Ven_Contact 5", "hook print preview"}},
        {"Filter", {"AcquireRight AS020302", "hook filter"}},
        {"Find", {"AcquireRight AS020302", "hook filter"}},
        {"Report", {"AcquireRight AS020302", "hook report"}},
        {"General", {"AcquireRight AS020302", "hook general"}},
        {"Pos", {"hook pos"}},
        {"FindSet", {"hook findSet"}},
        {"ItemSet", {"hook itemSet"}},
        {"Help", {"help /help/sovrel.html 15 90100302"}},
        {"mStb", {"FrmOpt mStb", "Toolbar.SetVisible 0", "FrmResize", "Toolbar.SetVisible 1"}},
        {"About", {}},
        {"NoSuchCommand", {}},
    };
    for (const auto& c : cases) {
        ClearLog();
        window->Operating(c.key);
        EXPECT_EQ(Frame(), c.frame) << c.key;
        EXPECT_EQ(host.log.calls.front(), std::string("HelpShow ") + c.key);
        EXPECT_EQ(Releases(), kSixReleases) << c.key;
    }
}

// Where a command stops: the message it shows (nullptr: none), the hooks run and the record-lock
// calls made, and whether the six rights go back (the four early exits give none back).
TEST_F(CommandsTest, EachStopShowsItsMessageAndGivesBackWhatItTook) {
    IFlexGrid& g = window->Grid();
    auto mark = [&] { g.SetTextMatrix(1, 1, kRowMark); };
    auto noCode = [&] { g.SetTextMatrix(0, 2, "Code"); };
    auto empty = [&] {
        Load(ContactRows(0, {Field("ID", platform::db::adVarWChar, 20)}));
        window->MarkAllRows();
    };
    const struct {
        const char* name;
        std::function<void()> arrange;
        const char* key;
        const char* message;
        std::vector<std::string> hooksAndLocks;
        bool rightsBack;
    } cases[] = {
        {"right refused", [&] { host.rights->answer = false; }, "Del", nullptr, {}, true},
        {"lock held", [&] { host.pub->lockHeld = true; }, "Modify", nullptr, {"IsLockFun Ven_Contact 2"}, true},
        {"delete, none marked", [] {}, "Del", "Hx.CRM.TkContact.frmcontactlist.00029", {"IsLockFun Ven_Contact 8"}, true},
        {"mail, none marked", [] {}, "SendMail", "Hx.CRM.TkContact.frmcontactlist.00029", {"IsLockFun Ven_Contact 3"}, true},
        {"modify without the code column", noCode, "Modify", "Hx.CRM.TkContact.frmcontactlist.00054",
         {"IsLockFun Ven_Contact 2", "IsLockFun Ven_Contact -2"}, true},
        // Delete finds no code column only when a row is marked; its message then differs.
        {"delete without the code column", [&] { noCode(); mark(); }, "Del", "Hx.CRM.TkContact.frmcontactlist.00031",
         {"IsLockFun Ven_Contact 8", "IsLockFun Ven_Contact -8"}, true},
        // Mail has no message of its own for a missing code column: the marked rows go as they are.
        {"mail without the code column", [&] { noCode(); mark(); }, "SendMail", nullptr,
         {"IsLockFun Ven_Contact 3", "hook sendMail", "IsLockFun Ven_Contact -3"}, true},
        {"delete said yes to, nothing deleted", mark, "Del", nullptr,
         {"IsLockFun Ven_Contact 8", "hook del", "IsLockFun Ven_Contact -8"}, false},
        {"add without the code column", [&] { g.SetTextMatrix(0, 2, "Something else"); }, "Add",
         "Hx.CRM.TkContact.frmcontactlist.00054", {}, false},
        {"mail over all of an empty list", empty, "SendMail", "Hx.CRM.TkContact.frmcontactlist.00029", {"IsLockFun Ven_Contact 3"}, false},
        {"modify on an empty list", empty, "Modify", nullptr, {"IsLockFun Ven_Contact 2"}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        host.rights->answer = true;
        host.pub->lockHeld = false;
        Load(ContactRows(3));
        g.SetRow(1);
        window->ClearAllRows();
        g.SetTextMatrix(0, 2, kCodeCaption);
        c.arrange();
        const auto shown = Messages().size();
        ClearLog();
        window->Operating(c.key);
        if (c.message) {
            EXPECT_EQ(Messages().size(), shown + 1);
            EXPECT_EQ(Messages().back(), c.message);
        } else {
            EXPECT_EQ(Messages().size(), shown);
        }
        std::vector<std::string> hooksAndLocks;
        for (const auto& call : host.log.calls) {
            if (call.rfind("IsLockFun", 0) == 0) hooksAndLocks.push_back(call);
            if (call.rfind("hook", 0) == 0) hooksAndLocks.push_back(call.substr(0, call.find(' ', 5)));  // no arguments
        }
        EXPECT_EQ(hooksAndLocks, c.hooksAndLocks);
        EXPECT_EQ(Releases(), c.rightsBack ? kSixReleases : std::vector<std::string>{});
        EXPECT_EQ(host.log.Count("AcquireRight"), 1);
    }
}

TEST_F(CommandsTest, ADeleteReloadsOnceAContactWasDeletedAndKeepsThePlace) {
    deleteRun = {true, true};
    window->Grid().SetRow(2);
    const int queries = host.log.Count("OpenX");
    window->Operating("Del");
    EXPECT_EQ(host.log.Count("OpenX"), queries + 1);
    EXPECT_TRUE(host.log.Has("SetGridRow  2"));
    EXPECT_EQ(host.log.Count("IsLockFun Ven_Contact -8"), 2);
    EXPECT_EQ(Releases(), kSixReleases);

    // Once deleted, every later delete command reloads, whatever this one did.
    deleteRun = {true, false};
    window->Grid().SetTextMatrix(1, 1, kRowMark);
    ClearLog();
    window->Operating("Del");
    EXPECT_EQ(host.log.Count("OpenX"), 1);
    EXPECT_EQ(Releases(), kSixReleases);

    // A "no" gives the lock back and reloads nothing.
    deleteRun = {false, false};
    window->Grid().SetTextMatrix(1, 1, kRowMark);
    ClearLog();
    window->Operating("Del");
    EXPECT_EQ(host.log.Count("OpenX"), 0);
    EXPECT_EQ(host.log.Count("IsLockFun Ven_Contact -8"), 1);
    EXPECT_EQ(Releases(), kSixReleases);
}

TEST_F(CommandsTest, ACommandDroppedWhileTheListLoadsTakesNothingAndStillGivesTheRightsBack) {
    std::vector<std::string> during;
    bool once = false;
    auto previous = SetDoEventsHook([&] {
        if (once) return;
        once = true;
        const auto before = host.log.calls.size();
        window->Operating("Add");  // F5 pressed while the query runs
        during.assign(host.log.calls.begin() + static_cast<std::ptrdiff_t>(before), host.log.calls.end());
    });
    Load(ContactRows(2));
    SetDoEventsHook(previous);
    ASSERT_TRUE(once);
    EXPECT_EQ(during, kSixReleases);  // no right acquired, no lock, no card
    EXPECT_TRUE(window->DataLoaded());
}

TEST_F(CommandsTest, AnErrorInACommandIsLoggedNotShownAndTheRightsStillGoBack) {
    window->Actions().report = [](frmContactList&) {
        throw platform::Error(5, "test", "the chart could not be drawn");
    };
    const auto shown = Messages().size();
    window->Operating("Report");
    EXPECT_EQ(Messages().size(), shown);
    EXPECT_NE(ErrorLog().find("frmContactList.Operating()"), std::string::npos) << ErrorLog();
    EXPECT_NE(ErrorLog().find("the chart could not be drawn"), std::string::npos);
    EXPECT_EQ(Releases(), kSixReleases);
}

TEST_F(CommandsTest, MailCodesComeFromTheMarkedRowsOrFromTheWholeList) {
    window->ClearAllRows();
    window->Grid().SetTextMatrix(1, 1, kRowMark);
    window->Grid().SetTextMatrix(3, 1, "x\u221A");  // a mark after another character counts here
    window->Operating("SendMail");
    EXPECT_TRUE(host.log.Has("hook sendMail N'V0100000001',N'V0100000003'"));

    // Select All asks for every contact of the list, not only the page shown, by the list's
    // last condition and its filter rather than code by code.
    Child<QLineEdit>("EdtPageSize")->setText("5");
    window->SetFilterClause("Ven_Contact.cContactName LIKE N'%O''Brien%'");
    Load(ContactRows(7));
    window->DataRefresh(" Ven_Contact.bMajor = 1 ");
    window->MarkAllRows();
    ClearLog();
    window->Operating("SendMail");
    EXPECT_EQ(window->Grid().Rows(), 6);
    ASSERT_EQ(host.log.Count("hook sendMail by SELECT Ven_Contact.cEmail "), 1);
    const auto sent = std::find_if(host.log.calls.begin(), host.log.calls.end(),
                                   [](const std::string& call) { return call.starts_with("hook sendMail"); });
    for (const char* part : {"Ven_Contact.bMajor = 1", "LIKE N'%O''Brien%'"})
        EXPECT_NE(sent->find(part), std::string::npos) << *sent;
}

TEST_F(CommandsTest, ThePrintLockStaysHeldUntilTheWindowUnloads) {
    Ctx().ColumnInfo = "<ColumnSet/>";
    window->Operating("Print");
    EXPECT_EQ(host.log.Count("IsLockFun Ven_Contact -"), 0);
    ClearLog();
    window->close();
    EXPECT_TRUE(host.log.Has("IsLockFun Ven_Contact -1"));
    EXPECT_EQ(Releases(), (std::vector<std::string>{"ReleaseRight AS020305", "ReleaseRight AS020301",
                                                    "ReleaseRight AS020306", "ReleaseRight AS020303",
                                                    "ReleaseRight AS020302", "ReleaseRight AS020304"}));
    EXPECT_TRUE(host.log.Has("FormUnloaded"));
    EXPECT_TRUE(Ctx().ColumnInfo.empty());
    EXPECT_EQ(window->ListRowset(), nullptr);
}

TEST_F(CommandsTest, TheKeyboardTable) {
    const struct {
        int code, shift;
        const char* command;  // "" for none
        int after;
    } keys[] = {
        {112, 0, "Help", 112}, {114, 0, "Find", 114}, {114, 2, "Pos", 114}, {116, 0, "Add", 0},
        {118, 0, "Modify", 118}, {120, 0, "Refresh", 120}, {80, 2, "Print", 80}, {80, 0, "", 80},
    };
    for (const auto& k : keys) {
        ClearLog();
        EXPECT_EQ(host.keyHook->KeyDown(k.code, k.shift), k.after) << k.code << "/" << k.shift;
        const std::string expected = std::string(k.command).empty() ? "" : std::string("HelpShow ") + k.command;
        EXPECT_EQ(host.log.Count("HelpShow"), expected.empty() ? 0 : 1) << k.code << "/" << k.shift;
        if (!expected.empty()) {
            EXPECT_TRUE(host.log.Has(expected)) << k.code << "/" << k.shift;
        }
    }
    // Delete, which runs only in the grid, goes through the host's real key hook in the host test.
}

TEST_F(CommandsTest, ADoubleClickOnARowModifiesItAndOnTheHeaderNothing) {
    host.grid->DblClick(2, 3);
    EXPECT_TRUE(host.log.Has("hook modify"));
    ClearLog();
    host.grid->DblClick(0, 3);
    EXPECT_FALSE(host.log.Has("HelpShow"));
}

}  // namespace
}  // namespace sovrel::test
