#pragma once
// Procedures several windows share: open-window test, address characters, the reference
// routine and the host's toolbar style.
#include <cstdint>
#include <string>

#include "platform/db/value.h"

namespace sovrel {

class IControl;
class IForm;

// Brings the first open window named exactly windowName (case-sensitive) to the front; false
// when none is open.
bool ActivateOpenForm(const std::string& windowName);

// Lets the host's edit control accept "|", "&" and '"' (the address editor of the mail window);
// false, and nothing changed, for any other control or none.
bool AllowAddressChars(IControl* control);

// The card's reference routine: returns at once and makes no choice; every argument is left
// as it was.
void GetRef(const std::string& fieldName, std::string& codeColumn, std::string& nameColumn, bool& chosen,
            IControl* editor, IForm* window, const platform::db::Value& condition);

// The host's toolbar style number; host errors reach the caller.
std::int16_t ToolbarStyle();

// The window's help context: the portal's topic when the window runs inside the portal's frame
// manager, otherwise the trade-class help set up through the public utility and fallbackId.
long FormHelpContextId(IForm& window, const std::string& portalTopic, long fallbackId);
// The trade-class help of the contact list and the contact card.
inline constexpr long kContactHelpId = 90100302;

// The end of a window's unload: the host is told (whatever it answers, the window goes) and the
// window leaves the list of open windows.
void ReportFormUnloaded(IForm& window);

// False exactly when the host's toolbar style is 1 (the card then shows its second toolbar).
bool UseMainToolbar();

}  // namespace sovrel
