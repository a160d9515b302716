#include "ui/messaging/frm_send_sms.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include "common/context.h"
#include "common/host_objects.h"
#include "common/hosts/login.h"
#include "common/hosts/pickers.h"
#include "common/hosts/ref_edit.h"
#include "common/hosts/sms.h"
#include "common/messages.h"
#include "common/prog_ids.h"
#include "common/sql_text.h"
#include "common/texts.h"
#include "platform/error.h"
#include "platform/text.h"
#include "service/iclscommon.h"
#include "ui/widget_host.h"

namespace sovrel {

namespace txt = platform::text;

namespace {

constexpr const char* kLookupSettings =
    "<Ref><RefSet  bAuth='1' authFunID='W' iRetStyle='3' bMultiSel='1' bAutoCheck='0' iFilterStyle='0' /></Ref>";

// Keeps a message on one line: Enter and pasted line breaks are dropped.
class OneLineEdit final : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }
};

}  // namespace

void FilterMobileKey(int& keyAscii) {
    switch (keyAscii) {
        case 1: case 2: case 4: case 8: case 9: case 13: case 16: case 17: case 20: case 27: case 45: case 144:
            return;
        default:
            break;
    }
    const bool allowed = (keyAscii >= '0' && keyAscii <= '9') || keyAscii == ';' || keyAscii == ' ';
    if (!allowed) keyAscii = 0;
}

std::string RemoveRepeatedNumbers(const std::string& numbers) {
    std::string rebuilt;
    for (const std::string& part : txt::Split(numbers, ";")) {
        if (rebuilt.find(part) != std::string::npos) continue;
        rebuilt += rebuilt.empty() ? part : ";" + part;
    }
    return rebuilt;
}

frmSendSMS::frmSendSMS()
    : MessagingWindow("frmSendSMS", "Hx.CRM.TkContactUI.frmSendSMS", "Hx.CRM.TkContact.SendSMS", "发送短信", 90100302) {
    txtMobilePhone_ = platform::CreateRequired<IRefEdit>(progid::RefEdit, "frmSendSMS");
    QWidget* mobile = dynamic_cast<IWidgetHost&>(*txtMobilePhone_).Widget(this);
    mobile->setObjectName("txtMobilePhone");
    txtSender_ = new QLineEdit(this);
    txtSender_->setObjectName("txtSender");
    txtOpinion_ = new OneLineEdit(this);
    txtOpinion_->setObjectName("txtOpinion");
    auto* grid = BeginLayout(mobile, "frmSendSMS.cmd_Click()");
    grid->addWidget(NamedLabel("Label4"), 1, 1, 1, 2);
    grid->addWidget(NamedLabel("Label2"), 2, 0);
    grid->addWidget(txtSender_, 2, 1, 1, 2);
    grid->addWidget(NamedLabel("Label3"), 3, 0);
    grid->addWidget(txtOpinion_, 3, 1, 1, 2);
    EndLayout(grid, 4);
    grid->setRowStretch(5, 1);
    senderBox_ = std::make_unique<EditBox>(txtSender_);

    txtMobilePhone_->OnKeyPress([](int& key) { FilterMobileKey(key); });
    txtMobilePhone_->OnChange([this] { mobileList_ = txt::Trim(txtMobilePhone_->Text()); });
    // A pasted line break must not end up in the text either.
    connect(txtOpinion_, &QLineEdit::textChanged, this, [this](const QString& t) {
        if (t.contains('\r') || t.contains('\n')) txtOpinion_->setText(QString(t).remove('\r').remove('\n'));
    });
    resize(520, 180);
}

frmSendSMS::~frmSendSMS() = default;

void frmSendSMS::FormLoad() {
    Context& c = Ctx();
    auto* cmd = findChild<QPushButton*>("cmd");
    cmd->setIcon(QIcon::fromTheme("x-office-address-book", style()->standardIcon(QStyle::SP_FileDialogContentsView)));
    senderBox_->SetBadStrException("%*_|&\";'<>?");
    lookup_ = platform::Create<IRefLookup>(progid::RefLookup);
    if (lookup_) {
        lookup_->Init(c.Login, "Sovrel_Msg", false, kLookupSettings);
        lookup_->OnRowsReturned([this](std::shared_ptr<platform::db::Rowset> rows) { RowsReturned(rows); });
        txtMobilePhone_->SetButtonVisible(true);
        txtMobilePhone_->OnButtonClick([this] { lookup_->Show(); });
    }
    Guarded("frmSendSMS.GetEmployeeName", [this, &c] {
        if (!c.DataService || !c.Login) return;
        auto rs = c.DataService->OpenX("SELECT top 1 cPersonName FROM Person  WHERE cPersonCode = " +
                                       SqlText(c.Login->cEmployeeId()));
        if (rs && !rs->Eof()) txtSender_->setText(QString::fromStdString(rs->Get("cPersonName").ToText()));
    });
}

void frmSendSMS::SetMobilePhone(const std::string& numbers) {
    txtMobilePhone_->SetText(numbers);
    mobileList_ = txt::Trim(numbers);
}

void frmSendSMS::AppendNumber(const std::string& number) {
    const std::string text = txtMobilePhone_->Text();
    txtMobilePhone_->SetText(text.empty() ? number : text + ";" + number);
    mobileList_ = txt::Trim(txtMobilePhone_->Text());
}

void frmSendSMS::RowsReturned(const std::shared_ptr<platform::db::Rowset>& rows) {
    if (!platform::db::HasRows(rows)) return;
    try {
        for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
            const std::string number = txt::Trim(rows->Get("cMobilePhone").ToText());
            // A contact without a number ends the adding; the repeats stay as they are.
            if (number.empty()) return;
            AppendNumber(number);
        }
        SetMobilePhone(RemoveRepeatedNumbers(txtMobilePhone_->Text()));
    } catch (...) {
        // What was added before the error stays.
    }
}

void frmSendSMS::CmdClick() {
    auto picker = platform::Create<IContactPicker>(progid::ContactPicker);
    if (!picker) return;
    auto rows = picker->GetRecordRst(Ctx().Login, true, "cContactCode", "", true);
    if (!rows) return;
    std::string number;
    try {
        if (!rows->Eof()) number = txt::Trim(rows->Get("cMobilePhone").ToText());
    } catch (...) {
    }
    if (!number.empty()) AppendNumber(number);
}

void frmSendSMS::ClearForm() {
    SetMobilePhone("");
    txtOpinion_->clear();
    txtSender_->clear();
}

void frmSendSMS::CmdSendClick() {
    Guarded("frmSendSMS.cmdSend_Click", [this] {
        mobileList_ = txt::Trim(txtMobilePhone_->Text());
        sender_ = txt::Trim(txtSender_->text().toStdString());
        content_ = txt::Trim(txtOpinion_->text().toStdString());
        if (mobileList_.empty()) {
            ShowInfo(ResText("Hx.CRM.TkContact.frmsendsms.00014"));
            txtMobilePhone_->SetFocus();
            return;
        }
        if (content_.empty()) {
            ShowInfo(ResText("Hx.CRM.TkContact.frmsendsms.00015"));
            txtOpinion_->setFocus();
            return;
        }
        if (!sender_.empty()) content_ += ResText("Hx.CRM.TkContact.frmsendsms.00016") + sender_;
        configuration_ = CrmCommonSvc().GetSmsConfig();
        request_ = {SmsColumn{mobileList_, content_, ResText("Hx.CRM.TkContact.frmsendsms.00017")}};
        result_.clear();
        SendWhileBusy("Hx.CRM.TkContact.frmsendsms.Sending", [this] { sendSMS(configuration_, request_, result_); });
        ShowInfo(result_);
    });
    EndBusy();
}

}  // namespace sovrel
