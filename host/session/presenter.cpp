#include "host/presenter.h"

#include <iostream>

#include "../crm/settings.h"
#include "host/session.h"
#include "support.h"

namespace host {

void PresentMessage(const std::string& title, const std::string& text) {
    try {
        // The box's button speaks the login's language, as its title and text do.
        detail::PresentMessageBox(MessageBoxRequest{text, 64, title, detail::CurrentLanguage()});
        return;
    } catch (...) {
        // A failing message box must not turn a refusal into a crash; fall back to stderr.
    }
    std::cerr << title << ": " << text << std::endl;
}

}  // namespace host
