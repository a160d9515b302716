// The list's command dispatcher: every toolbar button, menu item, key and grid double-click
// ends here as a command key. Each command runs in one frame: function right, record lock,
// checks, the action, the lock given back, then the six rights given back.
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "common/context.h"
#include "common/host_objects.h"
#include "common/hosts/pub_util.h"
#include "common/logs.h"
#include "common/messages.h"
#include "common/texts.h"
#include "platform/text.h"
#include "ui/card/hand_off.h"
#include "ui/list/delete.h"
#include "ui/columns/frm_item_set.h"
#include "ui/list/filter_locate.h"
#include "ui/list/hand_offs.h"
#include "ui/list/frm_contact_list.h"
#include "ui/list/list_internal.h"
#include "ui/list/list_statement.h"
#include "ui/list/print.h"
#include "ui/list/vcard_export.h"

namespace sovrel {

using namespace list;
namespace txt = platform::text;

namespace {

// The original's HtmlHelp commands.
constexpr int kHelpDisplayTopic = 0;
constexpr int kHelpContext = 15;

bool Right(const char* functionCode) { return RightChecker().AcquireRight(Ctx().Login, functionCode); }

bool IsEditBox(const QWidget* w) {
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
           qobject_cast<const QTextEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w);
}

}  // namespace

void frmContactList::Operating(const std::string& key) {
    // Pending events are processed while the list loads; a command arriving then is dropped
    // rather than run against a half-filled grid, but it ends as every command does.
    if (busy_ > 0) {
        ReleaseAllRights();
        return;
    }
    bool release = true;
    try {
        Pub().HelpShow(key, *this);
        release = RunCommand(key);
    } catch (...) {
        try {
            WriteErrorLog("frmContactList.Operating()", true, CurrentError());
        } catch (...) {
        }
    }
    if (release) ReleaseAllRights();
}

bool frmContactList::RunCommand(const std::string& key) {
    const std::string k = txt::LCase(key);
    Context& c = Ctx();

    if (k == "setup" || k == "print" || k == "preview" || k == "savefile") {
        if (!Right("AS020304") || TakeLock(5)) return true;
        if (actions_.print) actions_.print(*this, key);
        else PrintCommand(*this, key);
        // Lock 5 stays held until the window unloads.
        return true;
    }
    if (k == "add") {
        if (!Right("AS020305")) return true;
        std::int16_t column = 0;
        if (!LocateCodeColumn(column)) {
            ShowInfo(ResText("Hx.CRM.TkContact.frmcontactlist.00054"));
            return false;
        }
        if (TakeLock(11)) return true;
        if (actions_.add) actions_.add(*this, column);
        else OpenCardForAdd(*this, column);
        if (!ReleaseLock(11)) MarkCurrentRow();
        return true;
    }
    if (k == "del") {
        if (!Right("AS020306") || TakeLock(8)) return true;
        std::int16_t column = 0;
        if (!CheckDelete(column)) return true;
        grid_->SetCol(column);
        const DeleteRun run = actions_.del ? actions_.del(*this, column) : DeleteMarked(*this, column);
        ReleaseLock(8);
        if (!run.confirmed) return true;
        if (run.deleted) deleted_ = true;
        if (!deleted_) return false;
        const long row = grid_->Row(), top = grid_->TopRow();
        DataRefresh("");
        Pub().SetGridRow(*grid_, "", platform::db::Value(row), top);
        ReleaseLock(8);
        return true;
    }
    if (k == "modify") {
        if (!Right("AS020301") || TakeLock(2)) return true;
        if (grid_->Rows() < 2) return false;
        ClearAllRows();
        MarkCurrentRow();
        if (!CurrentRowValid()) {
            ShowInfo(ResText(kNoRowKey));  // lock 2 stays held until the window unloads
            return true;
        }
        std::int16_t column = 0;
        if (!LocateCodeColumn(column)) {
            ShowInfo(ResText("Hx.CRM.TkContact.frmcontactlist.00054"));
            ReleaseLock(2);
            return true;
        }
        if (actions_.modify) actions_.modify(*this, column);
        else OpenCardForModify(*this, column);
        if (!ReleaseLock(2)) MarkCurrentRow();
        return true;
    }
    if (k == "itemset") {
        if (actions_.itemSet) actions_.itemSet(*this);
        else OpenItemSet(*this);
        return true;
    }
    if (k == "report" || k == "general") {
        if (!Right("AS020302")) return true;
        auto& hook = k == "report" ? actions_.report : actions_.general;
        if (hook) hook(*this);
        else if (k == "report") ShowVendorChart(*this);
        else OpenContactOverview(*this);
        return true;
    }
    if (k == "sendmail" || k == "exportvcard") {
        // Both take the marked contacts; the vCard export reads only, so it takes no lock.
        const bool mail = k == "sendmail";
        if (!Right(mail ? "AS020303" : "AS020304") || (mail && TakeLock(3))) return true;
        std::vector<std::string> codes;
        MailRecipients recipients;
        if (SelectAllValue() != 1) {
            if (!CurrentRowValid()) {
                ShowInfo(ResText(kNoRowKey));
                return true;
            }
            std::int16_t column = 0;
            LocateCodeColumn(column);
            for (long r = 1; r < grid_->Rows(); ++r)
                if (HoldsMark(grid_->TextMatrix(r, 1))) codes.push_back(grid_->TextMatrix(r, column));
            if (codes.empty()) {
                ShowInfo(ResText(kNoRowKey));
                return true;
            }
            recipients.codeList = QuotedCodeList(codes);
        } else {
            if (!platform::db::HasRows(listRs_)) {
                ShowInfo(ResText(kNoRowKey));
                return false;
            }
            // Every contact of the list, not only the page shown, read by the list's own
            // conditions: a million codes would make a statement of megabytes.
            if (mail) {
                recipients = ListMailRecipients(Query(lastWhere_));
            } else {
                ExportVCards(*this, {}, ListCodeQuery(Query(lastWhere_)));
                return true;
            }
        }
        if (!mail) {
            ExportVCards(*this, codes);
            return true;
        }
        if (actions_.sendMail) actions_.sendMail(*this, recipients);
        else MailContacts(*this, recipients);
        ReleaseLock(3);
        return true;
    }
    if (k == "sendmsg") {
        if (!Right("AS020303") || TakeLock(3)) return true;
        if (!CurrentRowValid()) {
            ShowInfo(ResText(kNoRowKey));
            return true;
        }
        if (actions_.sendMsg) actions_.sendMsg(*this);
        else SmsCurrentContact(*this);
        ReleaseLock(3);
        return true;
    }
    if (k == "findset") {
        if (actions_.findSet) actions_.findSet(*this);
        else RunListFindSet(*this);
        return true;
    }
    if (k == "filter" || k == "find") {
        if (!Right("AS020302")) return true;
        if (actions_.filter) actions_.filter(*this);
        else RunListFilter(*this);
        return true;
    }
    if (k == "pos") {
        if (actions_.pos) actions_.pos(*this);
        else RunListPos(*this);
        return true;
    }
    if (k == "refresh") {
        DataRefresh("");
        return true;
    }
    if (k == "help") {
        OpenHelp();
        return true;
    }
    if (k == "mstb") {
        Pub().FrmOpt(*this, key, ResText(kFormTitleKey), c.Login, c.DataService);
        FormResize();
        return true;
    }
    if (k == "exit") {
        nextUnloadMode_ = 1;  // unloaded by code
        close();
        nextUnloadMode_ = 0;
        return true;
    }
    // Any other key ("About" among them) does nothing.
    return true;
}

bool frmContactList::CheckDelete(std::int16_t& codeColumn) {
    bool marked = false;
    for (long r = 1; r < grid_->Rows() && !marked && grid_->Cols() > 1; ++r)
        marked = BeginsWithMark(grid_->TextMatrix(r, 1));
    if (!marked) {
        ShowInfo(ResText(kNoRowKey));  // lock 8 stays held until the window unloads
        return false;
    }
    if (!LocateCodeColumn(codeColumn)) {
        ShowInfo(ResText("Hx.CRM.TkContact.frmcontactlist.00031"));
        ReleaseLock(8);
        return false;
    }
    return true;
}

bool frmContactList::LocateCodeColumn(std::int16_t& column) const {
    const std::string caption = txt::LCase(ResText(kCodeCaptionKey));
    for (long c = 0; c < grid_->Cols(); ++c)
        if (txt::LCase(grid_->TextMatrix(0, c)) == caption) {
            column = static_cast<std::int16_t>(c);
            return true;
        }
    return false;
}

bool frmContactList::CurrentRowValid() const {
    const long row = grid_->Row();
    return row >= 1 && row <= grid_->Rows() - 1;
}

bool frmContactList::TakeLock(int code) {
    Context& c = Ctx();
    return Pub().IsLockFun(c.DataService, c.Login, kTable, code);
}

bool frmContactList::ReleaseLock(int code) {
    Context& c = Ctx();
    return Pub().IsLockFun(c.DataService, c.Login, kTable, -code);
}

void frmContactList::ReleaseAllRights() {
    for (const char* code : {"AS020306", "AS020305", "AS020301", "AS020303", "AS020302", "AS020304"}) {
        try {
            RightChecker().ReleaseRight(Ctx().Login, code);
        } catch (...) {
            try {
                WriteErrorLog("frmContactList.Operating()", true, CurrentError());
            } catch (...) {
            }
        }
    }
}

void frmContactList::OpenHelp() {
    if (!helpViewer) return;
    if (helpContextId_ != 0) helpViewer(Ctx().HelpFile, kHelpContext, helpContextId_);
    else helpViewer(Ctx().HelpFile, kHelpDisplayTopic, 0);
}

void frmContactList::KeyDown(int& keyCode, int shift) {
    switch (keyCode) {
        case 112: Operating("Help"); break;
        case 114: Operating(shift == shift::Ctrl ? "Pos" : "Find"); break;
        case 116:
            Operating("Add");
            keyCode = 0;
            break;
        case 118: Operating("Modify"); break;
        case 120: Operating("Refresh"); break;
        case 121:
            // F10 opens the menu bar at its first menu; the arrows go on from there.
            if (shift == shift::None && menuBar_ && !menuBar_->actions().isEmpty()) {
                menuBar_->setActiveAction(menuBar_->actions().first());
                keyCode = 0;
            }
            break;
        case 46:
            if (grid_->HasFocus()) Operating("Del");
            break;
        case 80:
            if (shift == shift::Ctrl) Operating("Print");
            break;
        default: break;  // Page Up, Page Down and Enter among them
    }
}

void frmContactList::KeyPress(int& keyAscii) {
    if (keyAscii != 13) return;
    QWidget* focus = QApplication::focusWidget();
    if (!focus || !isAncestorOf(focus) || !IsEditBox(focus)) return;
    // In a pager box Enter also applies it; then, as in every edit box, it moves on like Tab.
    if (focus == edtPageSize_ || focus == edtCurPage_) TurnPage("enter");
    keyAscii = 0;
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QCoreApplication::sendEvent(focus, &tab);
}

void frmContactList::GridClick() {
    const long row = grid_->Row();
    if (row >= 1 && row < grid_->Rows() && SelectAllValue() != 1) ToggleRowMark(row);
}

void frmContactList::GridDblClick() {
    const long row = grid_->Row();
    if (row >= 1 && row <= grid_->Rows() - 1) Operating("Modify");
}

void frmContactList::GridMouseUp(int button) {
    if (button == 2 && grid_->Col() != 0) ShowOrderMenu();
}

}  // namespace sovrel
