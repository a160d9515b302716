#include "ui/messaging/frm_send_email.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>

#include "common/context.h"
#include "common/hosts/pickers.h"
#include "common/logs.h"
#include "common/messages.h"
#include "common/prog_ids.h"
#include "common/texts.h"
#include "common/window_utils.h"
#include "platform/text.h"

namespace sovrel {

namespace txt = platform::text;

namespace {
constexpr int kSubjectLength = 256;
}

frmSendEMail::frmSendEMail()
    : MessagingWindow("frmSendEMail", "Hx.CRM.TkContactUI.frmSendEMail", "Hx.CRM.TkContact.SendMail", "发送邮件",
                      90100189) {
    txtAddressed_ = new QLineEdit(this);
    txtAddressed_->setObjectName("txtAddressed");
    txtSubject_ = new QLineEdit(this);
    txtSubject_->setObjectName("txtSubject");
    txtOpinion_ = new QPlainTextEdit(this);
    txtOpinion_->setObjectName("txtOpinion");
    auto* grid = BeginLayout(txtAddressed_, "frmSendEmail.cmd_Click()");
    grid->addWidget(NamedLabel("Label2"), 1, 0);
    grid->addWidget(txtSubject_, 1, 1, 1, 2);
    grid->addWidget(NamedLabel("Label3"), 2, 0, Qt::AlignTop);
    grid->addWidget(txtOpinion_, 2, 1, 1, 2);
    EndLayout(grid, 3);
    addressBox_ = std::make_unique<EditBox>(txtAddressed_, "|&\"'%*<>?");
    resize(560, 380);
}

frmSendEMail::~frmSendEMail() = default;

void frmSendEMail::FormLoad() {
    txtSubject_->setMaxLength(kSubjectLength);
    auto* cmd = findChild<QPushButton*>("cmd");
    cmd->setIcon(QIcon::fromTheme("x-office-address-book", style()->standardIcon(QStyle::SP_FileDialogContentsView)));
    AllowAddressChars(addressBox_.get());
}

void frmSendEMail::SetAddresses(const std::string& addresses) {
    txtAddressed_->setText(QString::fromStdString(addresses));
}

void frmSendEMail::CmdClick() {
    auto picker = platform::Create<IContactPicker>(progid::ContactPicker);
    if (!picker) return;
    auto rows = picker->GetRecordRst(Ctx().Login, true, "cContactCode", "", true);
    if (!rows) return;
    std::string address;
    try {
        if (!rows->Eof()) address = txt::Trim(rows->Get("cEmail").ToText());
    } catch (...) {
        // A picker without the column gives no address.
    }
    if (address.empty()) return;
    const std::string current = txt::Trim(txtAddressed_->text().toStdString());
    txtAddressed_->setText(QString::fromStdString(current.empty() ? address : current + ";" + address));
}

void frmSendEMail::CmdSendClick() {
    Guarded("frmSendEMail.cmdSend_Click", [this] {
        address_ = txt::Trim(txtAddressed_->text().toStdString());
        subject_ = txt::Trim(txtSubject_->text().toStdString());
        body_ = "<html><body>" + txt::Trim(txtOpinion_->toPlainText().toStdString()) + "</body></html>";
        if (address_.empty()) {
            ShowInfo(ResText("Hx.CRM.TkContact.frmsendemail.00012"));
            return;
        }
        // A line break is carriage return and line feed in the mail; the return becomes "</br>".
        std::string html = txt::Replace(txt::Replace(body_, "\r\n", "\n"), "\n", "\r\n");
        html = txt::Replace(html, "\r", "</br>");
        request_ = {MailColumn{address_, subject_, html, ""}};
        result_.clear();
        SendWhileBusy("Hx.CRM.TkContact.frmsendemail.Sending", [this] { sendMail(request_, result_); });
        ShowInfo(result_);
    });
    EndBusy();
}

}  // namespace sovrel
