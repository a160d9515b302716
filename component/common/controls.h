#pragma once
// What the component needs of the host's controls and of a window's controls, whatever toolkit
// draws them.
#include <string>

#include "platform/object_factory.h"

namespace sovrel {

class IControl : public platform::Object {
public:
    // The control's type name: "Edit" for the host's edit control, "Label", ...
    virtual std::string TypeName() const = 0;
};

// The host's edit control.
class IEditControl : public IControl {
public:
    // Characters the user may type although the control otherwise refuses them.
    virtual std::string BadStrException() const = 0;
    virtual void SetBadStrException(const std::string& characters) = 0;
};

// Offered by a window (beside IForm) so that the host's text service can put the localized
// texts on its controls.
class IControlTexts {
public:
    virtual ~IControlTexts() = default;
    // Sets the caption or text of the control named control ("cmdSend", "Label1", "mAdd");
    // false when the window has no such control.
    virtual bool SetControlText(const std::string& control, const std::string& text) = 0;
};

}  // namespace sovrel
