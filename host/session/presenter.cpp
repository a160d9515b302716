#include "host/presenter.h"

#include <iostream>
#include <mutex>

namespace host {

namespace {
std::mutex presenterMutex;
MessagePresenter& Installed() {
    static MessagePresenter presenter;
    return presenter;
}
}  // namespace

MessagePresenter SetMessagePresenter(MessagePresenter presenter) {
    std::lock_guard lock(presenterMutex);
    MessagePresenter previous = std::move(Installed());
    Installed() = std::move(presenter);
    return previous;
}

void PresentMessage(const std::string& title, const std::string& text) {
    MessagePresenter presenter;
    {
        std::lock_guard lock(presenterMutex);
        presenter = Installed();
    }
    try {
        if (presenter) {
            presenter(title, text);
            return;
        }
    } catch (...) {
        // A failing message box must not turn a refusal into a crash; fall back to stderr.
    }
    std::cerr << title << ": " << text << std::endl;
}

}  // namespace host
