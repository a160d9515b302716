// The save dialog: Qt's own file dialog, or the presenter a test installed.
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

#include <mutex>

#include "common/form.h"
#include "host/save_file.h"

namespace host {

namespace {

std::mutex presenterMutex;
SaveFilePresenter& Presenter() {
    static SaveFilePresenter presenter;
    return presenter;
}

std::string ShowDialog(const SaveFileRequest& r) {
    QFileDialog dialog(r.owner, QString::fromStdString(r.title));
    dialog.setObjectName("dlgSaveFile");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilter(QString::fromStdString(r.filter));
    dialog.selectFile(QString::fromStdString(r.suggestedName));
    // The filter's first extension, for a name typed without one.
    const QString filter = QString::fromStdString(r.filter);
    const auto star = filter.indexOf("*.");
    if (star >= 0) dialog.setDefaultSuffix(filter.mid(star + 2).section(QRegularExpression("[ ;)]"), 0, 0));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front().toStdString();
}

}  // namespace

SaveFilePresenter SetSaveFilePresenter(SaveFilePresenter presenter) {
    std::lock_guard lock(presenterMutex);
    SaveFilePresenter previous = std::move(Presenter());
    Presenter() = std::move(presenter);
    return previous;
}

std::string SaveFileDialog::AskSavePath(sovrel::IForm* owner, const std::string& title, const std::string& filter,
                                        const std::string& suggestedName) {
    const SaveFileRequest request{title, filter, suggestedName, dynamic_cast<QWidget*>(owner)};
    SaveFilePresenter presenter;
    {
        std::lock_guard lock(presenterMutex);
        presenter = Presenter();
    }
    return presenter ? presenter(request) : ShowDialog(request);
}

}  // namespace host
