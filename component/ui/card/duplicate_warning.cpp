// The line under the card's fields that names an existing contact like the one being typed,
// with a button that shows it. It warns only: the save goes on as before.
#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "common/context.h"
#include "common/messages.h"
#include "common/sql_text.h"
#include "common/texts.h"
#include "platform/text.h"
#include "service/duplicates.h"
#include "service/iclscommon.h"
#include "ui/card/card_internal.h"
#include "ui/card/frm_contact_edit.h"

namespace sovrel {

using namespace card;
namespace txt = platform::text;

namespace {
constexpr int kTypingPause = 350;  // ms after the last key before the account is asked
}

QWidget* frmContactEdit::BuildDuplicateBar() {
    duplicateBar_ = new QWidget(this);
    duplicateBar_->setObjectName("DuplicateBar");
    duplicateBar_->setStyleSheet("#DuplicateBar{background:#fff6db;border:1px solid #e8c66a;border-radius:3px;}");
    auto* row = new QHBoxLayout(duplicateBar_);
    row->setContentsMargins(10, 5, 6, 5);
    lblDuplicate_ = new QLabel(duplicateBar_);
    lblDuplicate_->setObjectName("LblDuplicate");
    lblDuplicate_->setStyleSheet("color:#7a4b00;");
    lblDuplicate_->setWordWrap(true);
    cmdDuplicate_ = new QPushButton(duplicateBar_);
    cmdDuplicate_->setObjectName("CmdDuplicate");
    cmdDuplicate_->setFocusPolicy(Qt::NoFocus);  // the box being typed in keeps the caret
    row->addWidget(lblDuplicate_, 1);
    row->addWidget(cmdDuplicate_);
    duplicateBar_->hide();
    QObject::connect(cmdDuplicate_, &QPushButton::clicked, this,
                     [this] { Guarded("frmContactEdit.CmdDuplicate_Click()", [this] { OpenDuplicate(); }); });
    duplicateTimer_ = new QTimer(this);
    duplicateTimer_->setSingleShot(true);
    duplicateTimer_->setInterval(kTypingPause);
    QObject::connect(duplicateTimer_, &QTimer::timeout, this,
                     [this] { Guarded("frmContactEdit.DuplicateTimer()", [this] { CheckDuplicates(); }); });
    return duplicateBar_;
}

void frmContactEdit::CheckDuplicates() {
    if (!duplicateBar_) return;
    duplicateTimer_->stop();
    duplicateCode_.clear();
    IClsCommon* service = Ctx().DataService.get();
    std::vector<DuplicateMatch> found;
    if (iOpMode_ == cardmode::Add && service) {
        const DuplicateFields typed{txt::Trim(Edt(1).Text()), Edt(0).Tag(), Edt(2).Text(), Edt(12).Text(),
                                    Edt(18).Text()};
        found = FindDuplicates(*service, typed, 2);
    }
    if (found.empty()) {
        duplicateBar_->hide();
        return;
    }
    const DuplicateMatch& m = found.front();
    const char* key = m.reason == DuplicateReason::Name     ? "Hx.CRM.TkContact.frmcontactedit.DupName"
                      : m.reason == DuplicateReason::Mobile ? "Hx.CRM.TkContact.frmcontactedit.DupMobile"
                                                            : "Hx.CRM.TkContact.frmcontactedit.DupEmail";
    std::string text = ResTextParams(key, {platform::db::Value(m.contact.code), platform::db::Value(m.contact.name)});
    if (found.size() > 1) text += " " + ResText("Hx.CRM.TkContact.frmcontactedit.DupMore");
    duplicateCode_ = m.contact.code;
    lblDuplicate_->setText(QString::fromStdString(text));
    cmdDuplicate_->setText(QString::fromStdString(ResText("Hx.CRM.TkContact.frmcontactedit.DupOpen")));
    duplicateBar_->show();
}

void frmContactEdit::OpenDuplicate() {
    if (duplicateCode_.empty() || !Ctx().DataService) return;
    auto rs = Ctx().DataService->OpenX(
        "SELECT c.cContactCode, c.cVenCode, v.cVenName, c.cContactName, c.cOfficePhone, c.cMobilePhone, "
        "c.cEmail, c.cWorkAddress, c.cMemo FROM Ven_Contact c LEFT JOIN vendor v ON v.cVenCode = c.cVenCode "
        "WHERE c.cContactCode = " + SqlText(duplicateCode_));
    if (!rs || rs->Eof()) {
        ShowInfo(ResText("Hx.CRM.TkContact.frmcontactedit.00094"));
        CheckDuplicates();
        return;
    }
    // The captions are the card's own, so the view reads like the card in either language.
    QDialog view(this);
    view.setObjectName("FrmDuplicate");
    view.setWindowTitle(QString::fromStdString(ResTextParams("Hx.CRM.TkContact.frmcontactedit.DupTitle",
                                                             {platform::db::Value(duplicateCode_)})));
    auto* form = new QFormLayout(&view);
    auto add = [&](const char* label, const std::string& value) {
        auto* shown = new QLabel(QString::fromStdString(value), &view);
        shown->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(Label(label) ? Label(label)->text() : QString(), shown);
    };
    add("lblcContactCode", TxtValue(rs->Get("cContactCode")));
    add("lblcVenCode", TxtValue(rs->Get("cVenCode")) + "  " + TxtValue(rs->Get("cVenName")));
    add("lblcContactName", TxtValue(rs->Get("cContactName")));
    add("lblcOfficePhone", TxtValue(rs->Get("cOfficePhone")));
    add("lblcMobilePhone", TxtValue(rs->Get("cMobilePhone")));
    add("lblcEmail", TxtValue(rs->Get("cEmail")));
    add("lblcWorkAddress", TxtValue(rs->Get("cWorkAddress")));
    add("lblcMemo", TxtValue(rs->Get("cMemo")));
    auto* close = new QPushButton(QString::fromStdString(ResText("Hx.AA.PUB.Close")), &view);
    close->setObjectName("CmdClose");
    QObject::connect(close, &QPushButton::clicked, &view, &QDialog::reject);
    form->addRow(QString(), close);
    if (openDuplicateHook) openDuplicateHook(view);
    else view.exec();
}

}  // namespace sovrel
