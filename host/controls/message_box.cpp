// The component's message boxes as QMessageBox dialogs.
#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

#include "../session/support.h"
#include "host/controls.h"
#include "host/crm.h"

namespace host {

namespace {

// Pixels of a title bar that are not its title: icon, buttons and margins.
constexpr int kTitleBarExtras = 160;
constexpr int kOk = 1, kCancel = 2, kAbort = 3, kRetry = 4, kIgnore = 5, kYes = 6, kNo = 7;

QMessageBox::StandardButton StandardButtonOf(int answer) {
    switch (answer) {
        case kOk: return QMessageBox::Ok;
        case kCancel: return QMessageBox::Cancel;
        case kAbort: return QMessageBox::Abort;
        case kRetry: return QMessageBox::Retry;
        case kIgnore: return QMessageBox::Ignore;
        case kYes: return QMessageBox::Yes;
        case kNo: return QMessageBox::No;
        default: return QMessageBox::NoButton;
    }
}

QMessageBox::Icon IconOf(int style) {
    switch (style & 0xF0) {
        case 16: return QMessageBox::Critical;
        case 32: return QMessageBox::Question;
        case 48: return QMessageBox::Warning;
        case 64: return QMessageBox::Information;
        default: return QMessageBox::NoIcon;
    }
}

int Show(const MessageBoxRequest& request) {
    QMessageBox box(QApplication::activeWindow());
    box.setObjectName("HostMessageBox");
    box.setIcon(IconOf(request.style));
    box.setWindowTitle(QString::fromStdString(request.title));
    box.setText(QString::fromStdString(request.prompt));
    box.setTextFormat(Qt::PlainText);  // a prompt is never markup, whatever it holds
    // A short prompt makes a narrow box, and the title bar then cuts the title ("供应…档案"): the
    // box is kept wide enough for the title beside the bar's icon and buttons.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        QFont titleFont = box.font();
        titleFont.setBold(true);
        const int width = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + kTitleBarExtras;
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
    for (int answer : MessageBoxAnswers(request.style)) {
        QPushButton* button = box.addButton(StandardButtonOf(answer));
        button->setText(QString::fromStdString(detail::HostText(request.language, MessageBoxButtonKey(answer))));
        button->setObjectName(QString::fromStdString(MessageBoxButtonKey(answer)));
    }
    box.setDefaultButton(StandardButtonOf(MessageBoxDefaultAnswer(request.style)));
    const int escape = MessageBoxEscapeAnswer(request.style);
    if (escape) box.setEscapeButton(StandardButtonOf(escape));
    box.exec();
    const QAbstractButton* clicked = box.clickedButton();
    if (!clicked) return escape ? escape : kCancel;
    for (int answer : MessageBoxAnswers(request.style))
        if (box.button(StandardButtonOf(answer)) == clicked) return answer;
    return escape ? escape : kCancel;
}

}  // namespace

std::vector<int> MessageBoxAnswers(int style) {
    switch (style & 0xF) {
        case 1: return {kOk, kCancel};
        case 2: return {kAbort, kRetry, kIgnore};
        case 3: return {kYes, kNo, kCancel};
        case 4: return {kYes, kNo};
        case 5: return {kRetry, kCancel};
        default: return {kOk};
    }
}

int MessageBoxEscapeAnswer(int style) {
    const auto answers = MessageBoxAnswers(style);
    for (int a : answers)
        if (a == kCancel) return kCancel;
    return answers.size() == 1 ? answers.front() : 0;
}

int MessageBoxDefaultAnswer(int style) {
    const auto answers = MessageBoxAnswers(style);
    const std::size_t index = (style & 0x300) == 0x200 ? 2 : (style & 0x300) == 0x100 ? 1 : 0;
    return index < answers.size() ? answers[index] : answers.front();
}

std::string MessageBoxButtonKey(int answer) {
    switch (answer) {
        case kOk: return "Hx.AA.MSGBOX.Ok";
        case kCancel: return "Hx.AA.MSGBOX.Cancel";
        case kAbort: return "Hx.AA.MSGBOX.Abort";
        case kRetry: return "Hx.AA.MSGBOX.Retry";
        case kIgnore: return "Hx.AA.MSGBOX.Ignore";
        case kYes: return "Hx.AA.MSGBOX.Yes";
        case kNo: return "Hx.AA.MSGBOX.No";
        default: return "";
    }
}

void InstallQtMessageBoxes() {
    auto previous = std::make_shared<MessageBoxPresenter>();
    *previous = SetMessageBoxPresenter([previous](const MessageBoxRequest& request) {
        if (!qApp) return *previous ? (*previous)(request) : 1;
        return Show(request);
    });
}

}  // namespace host
