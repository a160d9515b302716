#pragma once
// What every window of the component does the same way as a form: come to the front, show modal
// or modeless after its own load, and carry its caption in the title bar.
#include <QCloseEvent>
#include <QDialog>
#include <QString>

#include <cstdint>
#include <string>

namespace sovrel {

template <class Form>
class FormWindow : public QDialog, public Form {
public:
    using QDialog::QDialog;

    void BringToFront() override {
        if (isMinimized()) showNormal();
        raise();
        activateWindow();
    }
    // Returns when the window has closed.
    void ShowModal() override {
        LoadForShow();
        setWindowModality(Qt::ApplicationModal);
        exec();
    }
    void ShowModeless() override {
        LoadForShow();
        setWindowModality(Qt::NonModal);
        show();
    }
    std::string Caption() const override { return windowTitle().toStdString(); }
    void SetCaption(const std::string& caption) override { setWindowTitle(QString::fromStdString(caption)); }

protected:
    // The window's own load, run before every showing.
    virtual void LoadForShow() = 0;

    // A form closes only when its QueryUnload leaves cancel at 0; then it unloads.
    template <class QueryUnload, class Unload>
    void CloseAsForm(QCloseEvent* event, QueryUnload queryUnload, Unload unload) {
        std::int16_t cancel = 0;
        queryUnload(cancel);
        if (cancel != 0) {
            event->ignore();
            return;
        }
        unload(cancel);
        event->accept();
        QDialog::done(QDialog::Rejected);
    }
};

}  // namespace sovrel
