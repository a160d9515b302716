#pragma once
// How the host's own objects (right checker, record locks) tell the user something: the portal
// installs a real message box, tests a capture. Without one the message goes to stderr.
#include <functional>
#include <string>

namespace host {

using MessagePresenter = std::function<void(const std::string& title, const std::string& text)>;

// Installs presenter for the whole process (an empty one restores stderr); returns the previous.
MessagePresenter SetMessagePresenter(MessagePresenter presenter);

// Shows one message through the installed presenter. Never throws.
void PresentMessage(const std::string& title, const std::string& text);

}  // namespace host
