#include "host/presenter.h"

#include <iostream>

#include "../crm/settings.h"

namespace host {

void PresentMessage(const std::string& title, const std::string& text) {
    try {
        detail::PresentMessageBox(MessageBoxRequest{text, 64, title, ""});
        return;
    } catch (...) {
        // A failing message box must not turn a refusal into a crash; fall back to stderr.
    }
    std::cerr << title << ": " << text << std::endl;
}

}  // namespace host
