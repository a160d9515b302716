#include "ui/messaging/messaging_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <functional>

#include "common/context.h"
#include "common/window_utils.h"
#include "common/host_objects.h"
#include "common/hosts/portal.h"
#include "common/hosts/pub_util.h"
#include "common/logs.h"
#include "common/prog_ids.h"
#include "common/texts.h"
#include "common/traces.h"
#include "platform/text.h"
#include "ui/help_window.h"

namespace sovrel {

EditBox::EditBox(QLineEdit* line, std::string badStr) : badStr_(std::move(badStr)) {
    QObject::connect(line, &QLineEdit::textEdited, line, [this, line](const QString& text) {
        QString kept;
        for (const QChar ch : text)
            if (Accepts(ch.unicode())) kept += ch;
        if (kept != text) {
            const int cursor = line->cursorPosition() - static_cast<int>(text.size() - kept.size());
            line->setText(kept);
            line->setCursorPosition(std::max(0, cursor));
        }
    });
}

bool EditBox::Accepts(char32_t c) const {
    std::string s;
    platform::text::AppendUtf8(s, c);
    return badStr_.find(s) == std::string::npos || exceptions_.find(s) != std::string::npos;
}

MessagingWindow::MessagingWindow(const char* name, const char* windowKey, const char* captionKey,
                                 const char* helpTopic, long fallbackHelpId)
    : name_(name), windowKey_(windowKey), captionKey_(captionKey), helpTopic_(helpTopic),
      fallbackHelpId_(fallbackHelpId) {
    setObjectName(name);
    setAttribute(Qt::WA_DeleteOnClose, false);
}

MessagingWindow::~MessagingWindow() { UnregisterOpenForm(this); }

void MessagingWindow::LoadForShow() { if (!loaded_) LoadCommon(); }

bool MessagingWindow::SetControlText(const std::string& control, const std::string& text) {
    QWidget* w = findChild<QWidget*>(QString::fromStdString(control));
    if (auto* label = qobject_cast<QLabel*>(w)) label->setText(QString::fromStdString(text));
    else if (auto* button = qobject_cast<QPushButton*>(w)) button->setText(QString::fromStdString(text));
    else return false;
    return true;
}

void MessagingWindow::LoadCommon() {
    loaded_ = true;
    RegisterOpenForm(this);
    Guarded((name_ + ".Form_Load()").c_str(), [this] {
        CrmCommonSvc().LocalizeForm(windowKey_, *this);
        std::string caption = ResText(captionKey_);
        bool flag = true;
        CrmCommonSvc().SetFormCaption(*this, caption, flag);
        helpContextId_ = FormHelpContextId(*this, helpTopic_, fallbackHelpId_);
    });
    Guarded((name_ + ".Form_Load()").c_str(), [this] { FormLoad(); });
}

void MessagingWindow::Help() {
    // The help of the current context opens on F1, as everywhere in the portal.
    activateWindow();
    setFocus();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(this, &press);
}

void MessagingWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_F1) {
        QDialog::keyPressEvent(event);
        return;
    }
    event->accept();
    Guarded((name_ + ".Help").c_str(), [this] {
        ShowHelp(this, CrmCommonSvc().GetHelpFile(), helpContextId_ != 0 ? helpcmd::Context : helpcmd::DisplayTopic,
                 helpContextId_, name_);
    });
}

void MessagingWindow::ExitForm(std::int16_t& cancel, std::int16_t& unloadMode) {
    close();
    cancel = 0;
    unloadMode = 1;
}

void MessagingWindow::showEvent(QShowEvent* event) {
    if (!loaded_) LoadCommon();
    QDialog::showEvent(event);
}

void MessagingWindow::done(int result) {
    QDialog::done(result);
    if (!loaded_) return;
    loaded_ = false;
    ReportFormUnloaded(*this);
}

QPushButton* MessagingWindow::MakeButton(const char* name) {
    auto* b = new QPushButton(this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

void MessagingWindow::SendWhileBusy(const char* sendingKey, const std::function<void()>& send) {
    setEnabled(false);
    lblStatus_->setText(QString::fromStdString(ResText(sendingKey)));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    send();
    lblStatus_->clear();
    EndBusy();
}

void MessagingWindow::EndBusy() {
    if (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    setEnabled(true);
}

QLabel* MessagingWindow::NamedLabel(const char* name) {
    auto* l = new QLabel(this);
    l->setObjectName(name);
    return l;
}

QGridLayout* MessagingWindow::BeginLayout(QWidget* address, const char* pickProcedure) {
    auto* grid = new QGridLayout(this);
    auto* cmd = MakeButton("cmd");
    grid->addWidget(NamedLabel("Label1"), 0, 0);
    grid->addWidget(address, 0, 1);
    grid->addWidget(cmd, 0, 2);
    connect(cmd, &QPushButton::clicked, this, [this, pickProcedure] { Guarded(pickProcedure, [this] { CmdClick(); }); });
    return grid;
}

void MessagingWindow::EndLayout(QGridLayout* grid, int row) {
    auto* cmdSend = MakeButton("cmdSend");
    auto* cmdExit = MakeButton("cmdExit");
    auto* cmdHelp = MakeButton("cmdHelp");
    lblStatus_ = NamedLabel("lblStatus");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblStatus_, 1);
    buttons->addWidget(cmdSend);
    buttons->addWidget(cmdExit);
    buttons->addWidget(cmdHelp);
    grid->addLayout(buttons, row, 0, 1, 3);
    connect(cmdSend, &QPushButton::clicked, this, [this] { CmdSendClick(); });
    connect(cmdExit, &QPushButton::clicked, this, [this] { close(); });
    connect(cmdHelp, &QPushButton::clicked, this, [this] { Help(); });
}

}  // namespace sovrel
