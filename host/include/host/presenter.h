#pragma once
// How the host's own objects (right checker, record locks) tell the user something: through the
// one message-box presenter the portal installs (host/crm.h, SetMessageBoxPresenter), as an
// information box. Without one the message goes to stderr.
#include <string>

namespace host {

// Shows one information message. Never throws.
void PresentMessage(const std::string& title, const std::string& text);

}  // namespace host
