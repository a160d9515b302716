#pragma once
// What the two messaging windows share: localisation, help, the pick button and the address
// editor's character rules.

#include <cstdint>
#include <functional>
#include <string>

#include "common/logs.h"
#include "common/controls.h"
#include "common/form.h"
#include "ui/form_window.h"

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace sovrel {

// A line editor as the host's edit control: it refuses the characters of BadStr except those
// of BadStrException.
class EditBox final : public IEditControl {
public:
    explicit EditBox(QLineEdit* line, std::string badStr = "");
    std::string TypeName() const override { return "Edit"; }
    std::string BadStrException() const override { return exceptions_; }
    void SetBadStrException(const std::string& characters) override { exceptions_ = characters; }
    // True when the character may be typed.
    bool Accepts(char32_t c) const;

private:
    std::string badStr_, exceptions_;
};

class MessagingWindow : public FormWindow<IForm>, public IControlTexts {
public:
    MessagingWindow(const char* name, const char* windowKey, const char* captionKey, const char* helpTopic,
                    long fallbackHelpId);
    ~MessagingWindow() override;

    std::string Name() const override { return name_; }
    bool SetControlText(const std::string& control, const std::string& text) override;

    // Unloads the window; answers what the unload recorded.
    void ExitForm(std::int16_t& cancel, std::int16_t& unloadMode);
    long HelpContextId() const { return helpContextId_; }
    // True between Form_Load and Form_Unload.
    bool Loaded() const { return loaded_; }

protected:
    void LoadForShow() override;
    // Localises, sets the caption and the help context; then the window's own load.
    void LoadCommon();
    virtual void FormLoad() = 0;
    void Help();
    // Every way the window closes (close button, Esc, cmdExit, ExitForm) ends here.
    void done(int result) override;
    void showEvent(QShowEvent* event) override;
    // F1 opens the help file at the window's help context.
    void keyPressEvent(QKeyEvent* event) override;
    QPushButton* MakeButton(const char* name);
    QLabel* NamedLabel(const char* name);
    // The frame both windows share: the address row (Label1, the address field, the pick button
    // "cmd" that runs CmdClick under the procedure name pickProcedure) on top; the window adds its
    // own rows from row 1 on, then EndLayout puts the status line and the send, exit and help
    // buttons in the row given.
    QGridLayout* BeginLayout(QWidget* address, const char* pickProcedure);
    void EndLayout(QGridLayout* grid, int row);
    virtual void CmdClick() = 0;
    virtual void CmdSendClick() = 0;
    // Runs send with the window disabled, the wait cursor and the status text of sendingKey: the
    // sender keeps the window painted while it waits, so nothing may start a second send.
    void SendWhileBusy(const char* sendingKey, const std::function<void()>& send);
    // Gives the window and the cursor back, also after a send that threw.
    void EndBusy();

    QLabel* lblStatus_ = nullptr;

    std::string name_, windowKey_, captionKey_, helpTopic_;
    long fallbackHelpId_;
    long helpContextId_ = 0;
    bool loaded_ = false;
};

}  // namespace sovrel
