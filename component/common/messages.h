#pragma once
// Message boxes, shown by the host's CRM common service with the product's title.
#include <string>

namespace sovrel {

// The message-box title: asked of the host's title service on the first call of the thread, in
// the login's language, and kept in the context value MsgTitle for the life of the thread.
std::string GetMsgTitle();

// Shows a modal message box in the login's language; answers the button pressed (msgbox::Yes,
// msgbox::No, msgbox::Cancel, msgbox::Ok).
int ShowMsgBox(const std::string& prompt, int style, const std::string& title);

// An information box (icon and OK button) with the product's title.
void ShowInfo(const std::string& message);

}  // namespace sovrel
