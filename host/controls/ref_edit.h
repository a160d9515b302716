#pragma once
// The reference edit box on Qt: a line edit with a look-up button; in date mode the button
// opens a calendar. Its reference lists read the account database of the login it was bound to.
#include <QPointer>
#include <QWidget>

#include <memory>
#include <string>

#include "common/hosts/ref_edit.h"
#include "ui/widget_host.h"

class QLineEdit;
class QToolButton;

namespace host::controls {

class RefEditLine;

class RefEdit final : public sovrel::IRefEdit, public sovrel::IWidgetHost {
public:
    ~RefEdit() override;

    std::string Text() const override;
    void SetText(const std::string& text) override;
    void SetSelStart(int position) override;
    std::string Tag() const override { return tag_; }
    void SetTag(const std::string& tag) override { tag_ = tag; }
    std::string Description() const override { return description_; }
    void SetDescription(const std::string& text) override;
    int MaxLength() const override { return maxLength_; }
    void SetMaxLength(int characters) override;
    std::string BadStr() const override { return badStr_; }
    void SetBadStr(const std::string& characters) override { badStr_ = characters; }
    int Kind() const override { return kind_; }
    void SetKind(int kind, int decimals = 0) override;
    int Decimals() const { return decimals_; }
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool enabled) override;
    bool ReadOnly() const override { return readOnly_; }
    void SetReadOnly(bool readOnly) override;
    bool Visible() const override { return visible_; }
    void SetVisible(bool visible) override;
    long BackColor() const override { return backColor_; }
    void SetBackColor(long rgb) override;
    bool ButtonVisible() const override { return buttonVisible_; }
    void SetButtonVisible(bool visible) override;
    bool HasFocus() const override;
    void SetFocus() override;
    bool ButtonHasFocus() const override;

    void InitRef(const std::shared_ptr<sovrel::ILogin>& login, const std::string& refKey,
                 const std::string& options) override;
    void SetRefCondition(const std::string& conditions, const std::string& filter) override;
    bool ShowReference() override;

    void OnChange(std::function<void()> h) override { onChange_ = std::move(h); }
    void OnKeyPress(std::function<void(int&)> h) override { onKeyPress_ = std::move(h); }
    void OnGotFocus(std::function<void()> h) override { onGotFocus_ = std::move(h); }
    void OnLostFocus(std::function<void()> h) override { onLostFocus_ = std::move(h); }
    void OnButtonClick(std::function<void()> h) override { onButtonClick_ = std::move(h); }
    void OnButtonLostFocus(std::function<void()> h) override { onButtonLostFocus_ = std::move(h); }

    QWidget* Widget(QWidget* parent) override;

    // The text with the forbidden characters, and what the kind refuses, taken out.
    std::string Accepted(const std::string& text) const;

private:
    friend class RefEditLine;
    void Edited();
    void ButtonClicked();
    void PickDate();
    void Fire(const std::function<void()>& handler, const char* what);
    void Restyle();

    QPointer<QWidget> box_;
    RefEditLine* line_ = nullptr;
    QToolButton* button_ = nullptr;
    std::string tag_, description_, badStr_;
    int maxLength_ = 0, kind_ = sovrel::refkind::Text, decimals_ = 0;
    bool enabled_ = true, readOnly_ = false, visible_ = true, buttonVisible_ = false;
    long backColor_ = 0xFFFFFF;
    std::weak_ptr<sovrel::ILogin> login_;
    std::string refKey_, refOptions_, refConditions_, refFilter_;
    std::function<void()> onChange_, onGotFocus_, onLostFocus_, onButtonClick_, onButtonLostFocus_;
    std::function<void(int&)> onKeyPress_;
};

}  // namespace host::controls
