// The card's command dispatcher, the moves over the list's rows, the unsaved-changes prompt and
// the keyboard.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTabWidget>

#include "common/context.h"
#include "common/host_objects.h"
#include "common/hosts/text_service.h"
#include "common/logs.h"
#include "common/messages.h"
#include "common/texts.h"
#include "common/traces.h"
#include "entry/small_classes.h"
#include "platform/text.h"
#include "ui/card/card_internal.h"
#include "ui/card/frm_contact_edit.h"
#include "ui/help_window.h"
#include "ui/list/frm_contact_list.h"

namespace sovrel {

using namespace card;
namespace txt = platform::text;

bool frmContactEdit::Operating(const std::string& key) {
    try {
        return RunCommand(key);
    } catch (...) {
        try {
            WriteErrorLog("frmContactEdit.Operating()", true, CurrentError());
        } catch (...) {
        }
        return false;
    }
}

bool frmContactEdit::RunCommand(const std::string& key) {
    CheckScope scope(checking_);
    const std::string k = txt::LCase(key);
    bool result = true;
    bool move = false;
    if (k == "savers") {
        result = saveChain ? saveChain(*this) : false;
        if (!result) return false;
        Ctx().DataChanged = true;
        if (change_) change_->bEdit = false;
        bValid_ = false;
        if (iOpMode_ == cardmode::Add) bAddedInSession_ = true;
    } else if (k == "first" || k == "previous" || k == "next" || k == "last") {
        result = Move(k);
        if (!result) return false;
        move = true;
    } else if (k == "help") {
        OpenHelp();
        return false;
    } else if (k == "exit") {
        nextUnloadMode_ = 1;  // unloaded by code
        close();
        nextUnloadMode_ = 0;
        return false;
    }
    if (Ctx().DataChanged && move && bAddedInSession_) {
        if (frmContactList* list = List()) list->DataRefresh("");
        bAddedInSession_ = false;
        IFlexGrid* grid = ListGrid();
        if (tlb_ && !tlb_->ButtonEnabled("Next") && grid && grid->Rows() >= 2) {
            tlb_->SetButtonEnabled("First", true);
            tlb_->SetButtonEnabled("Previous", true);
            ApplyToolbarStyle();
        }
    }
    return result;
}

bool frmContactEdit::Move(const std::string& key) {
    std::int16_t cancel = 0;
    // Cancel in the prompt keeps the card where it is with the user's edit; moving on anyway
    // would throw the edit away after the user asked to keep it. A refused save stays too.
    if (!AskSaveChanges(cancel, 0, Edited())) return false;
    if (!ButtonUsable(key)) return false;
    IFlexGrid* grid = ListGrid();
    if (!grid) return false;
    const std::int32_t last = static_cast<std::int32_t>(grid->Rows() - 1);
    if (key == "first") lCurRow_ = 1;
    else if (key == "previous") lCurRow_ = lCurRow_ <= 1 ? 1 : lCurRow_ - 1;
    else if (key == "next") lCurRow_ = std::min(lCurRow_ + 1, last);
    else lCurRow_ = last;
    Fillallfields();
    return true;
}

bool frmContactEdit::AskSaveChanges(std::int16_t& cancel, std::int16_t /*unloadMode*/, bool edited) {
    if (!edited) return true;
    const std::string prompt =
        ResTextParams("Hx.CRM.COMMON.MsgExitSave", {ResText("Hx.CRM.BizObjDic.WordContact")});
    const int answer = ShowMsgBox(prompt, msgbox::YesNoCancelQuestion, GetMsgTitle());
    if (answer == msgbox::Yes) {
        const bool saved = Operating("SaveRs");
        cancel = saved ? 0 : 1;
        return saved;
    }
    if (answer == msgbox::No) {
        if (cancel == 100) Operating("Back");
        cancel = 0;
        SetButton("SaveRs", false);
        return true;
    }
    if (answer == msgbox::Cancel) {
        cancel = 1;
        return false;
    }
    return true;
}

void frmContactEdit::SetButton(const std::string& key, bool enabled) {
    if (!tlb_) return;
    tlb_->SetButtonEnabled(key, enabled);
    ApplyToolbarStyle();
}

bool frmContactEdit::ButtonUsable(const std::string& key) const { return tlb_ && tlb_->ButtonEnabled(key); }

void frmContactEdit::OpenHelp() {
    ShowHelp(this, CrmCommonSvc().GetHelpFile(), helpcmd::Context, helpContextId_, "frmContactEdit");
}

void frmContactEdit::KeyDown(int& keyCode, int shift) {
    // Only while the card can take commands.
    if (!isEnabled() || !isVisible() || unloaded_) return;
    switch (keyCode) {
        case 112:  // F1: the card's help
            OpenHelp();
            break;
        case 113: break;  // F2 does nothing
        case 117:         // F6
            if (ButtonUsable("SaveRs")) {
                Operating("SaveRs");
                keyCode = 0;
            }
            break;
        case 33:
            Operating(shift == shift::Alt ? "First" : "Previous");
            keyCode = 0;
            break;
        case 34:
            Operating(shift == shift::Alt ? "Last" : "Next");
            keyCode = 0;
            break;
        case 27:
            if (!ButtonUsable("SaveRs")) Operating("Exit");
            keyCode = 0;
            break;
        default: break;
    }
}

void frmContactEdit::KeyPress(int& keyAscii) {
    if (keyAscii != 13 || !isVisible()) return;
    QWidget* focus = QApplication::focusWidget();
    if (!focus || !isAncestorOf(focus)) return;
    const bool box = qobject_cast<QLineEdit*>(focus) && focus->parentWidget() &&
                     focus->parentWidget()->objectName().size() > 0 && focus->objectName() == "Text";
    if (!box && !qobject_cast<QCheckBox*>(focus) && !qobject_cast<QComboBox*>(focus)) return;
    keyAscii = 0;
    // Enter at the end of a tab goes on to the next tab.
    const int tab = ssTab1_->currentIndex();
    if (box && Edt(8).HasFocus()) {
        Edt(8).SetFocus();  // the principal is checked when it is left
        ssTab1_->setCurrentIndex(1);
    } else if (box && Edt(20).HasFocus() && ssTab1_->isTabVisible(2)) {
        ssTab1_->setCurrentIndex(2);
    }
    if (ssTab1_->currentIndex() != tab) return;
    QKeyEvent tabKey(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QCoreApplication::sendEvent(focus, &tabKey);
}

}  // namespace sovrel
