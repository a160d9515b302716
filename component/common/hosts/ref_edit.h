#pragma once
// "TkRefEdit.TkRefEditCtrl": the host's reference edit box. It shows a text (a name for a
// reference), keeps the stored value (a code or an ID) in its tag, refuses forbidden characters,
// and has a look-up button; in date mode it takes a date or nothing.
#include <functional>
#include <memory>
#include <string>

#include "common/controls.h"
#include "platform/db/rowset.h"

namespace sovrel {

class ILogin;

// What the box accepts.
namespace refkind {
constexpr int Text = 0, Integer = 1, Decimal = 2, Date = 3;
}

class IRefEdit : public IControl {
public:
    std::string TypeName() const override { return "TkRefEdit"; }

    virtual std::string Text() const = 0;
    // Sets the text as the program does: no change is reported. A text longer than the maximum
    // length is cut to it.
    virtual void SetText(const std::string& text) = 0;
    // Puts the cursor before character position (0-based); -1 puts it after the last one.
    virtual void SetSelStart(int position) = 0;
    virtual std::string Tag() const = 0;
    virtual void SetTag(const std::string& tag) = 0;
    // The hint shown with the box ("UTooltipText").
    virtual std::string Description() const = 0;
    virtual void SetDescription(const std::string& text) = 0;
    // Characters accepted; 0 = no limit.
    virtual int MaxLength() const = 0;
    virtual void SetMaxLength(int characters) = 0;
    // Characters the user cannot type or paste.
    virtual std::string BadStr() const = 0;
    virtual void SetBadStr(const std::string& characters) = 0;
    // refkind::...; Decimal with at most decimals digits after the point.
    virtual int Kind() const = 0;
    virtual void SetKind(int kind, int decimals = 0) = 0;
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool ReadOnly() const = 0;
    virtual void SetReadOnly(bool readOnly) = 0;
    virtual bool Visible() const = 0;
    virtual void SetVisible(bool visible) = 0;
    // Colours as 0xRRGGBB.
    virtual long BackColor() const = 0;
    virtual void SetBackColor(long rgb) = 0;
    // The look-up button beside the box.
    virtual bool ButtonVisible() const = 0;
    virtual void SetButtonVisible(bool visible) = 0;
    virtual bool HasFocus() const = 0;
    virtual void SetFocus() = 0;
    // True while the box's own look-up button has the focus.
    virtual bool ButtonHasFocus() const = 0;

    // Binds a reference list ("Vendor_AA", "Contact_Ven", "Person_AA") with its options
    // ("<Ref><RefSet bAuth='1' authFunID='W' /></Ref>"). The card opens it with ShowReference.
    virtual void InitRef(const std::shared_ptr<ILogin>& login, const std::string& refKey, const std::string& options) = 0;
    // Narrows the bound list: conditions ("<RefConditions>...") and a filter with #FN[column].
    virtual void SetRefCondition(const std::string& conditions, const std::string& filter) = 0;
    // Shows the bound list; a row chosen: its name becomes the text and its code the tag, the
    // change is reported (OnChange) and true is answered.
    virtual bool ShowReference() = 0;

    // Events. A change is one the user made (typing, pasting, a choice in the list, a date
    // picked); keyPress sees each typed character and may replace it (0 drops it).
    virtual void OnChange(std::function<void()> handler) = 0;
    virtual void OnKeyPress(std::function<void(int& keyAscii)> handler) = 0;
    virtual void OnGotFocus(std::function<void()> handler) = 0;
    virtual void OnLostFocus(std::function<void()> handler) = 0;
    virtual void OnButtonClick(std::function<void()> handler) = 0;
    virtual void OnButtonLostFocus(std::function<void()> handler) = 0;
};

}  // namespace sovrel
