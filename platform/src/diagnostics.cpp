#include "platform/diagnostics.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>

#include "platform/text.h"

namespace platform {

namespace {

std::mutex& HookMutex() {
    static std::mutex m;
    return m;
}

// Held by shared_ptr so a line in flight keeps its hook alive while another thread replaces it.
std::shared_ptr<DebugHook>& HookSlot() {
    static std::shared_ptr<DebugHook> hook;
    return hook;
}

bool StderrEnabled() {
    static const bool enabled = std::getenv("SOVREL_DEBUG") != nullptr;
    return enabled;
}

}  // namespace

void DebugOutput(std::string_view text) {
    try {
        const std::string hidden = text::HidePasswords(text);
        std::string_view line = hidden;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
        if (StderrEnabled()) {
            static std::mutex writeMutex;  // keeps lines of different threads whole
            std::lock_guard lock(writeMutex);
            std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
            std::fflush(stderr);
        }
        std::shared_ptr<DebugHook> hook;
        {
            std::lock_guard lock(HookMutex());
            hook = HookSlot();
        }
        // Called outside the lock so that a hook may write diagnostics itself.
        if (hook && *hook) (*hook)(line);
    } catch (...) {
        // Diagnostics must never turn into a failure of the caller.
    }
}

DebugHook SetDebugHook(DebugHook hook) {
    auto next = hook ? std::make_shared<DebugHook>(std::move(hook)) : nullptr;
    std::lock_guard lock(HookMutex());
    std::shared_ptr<DebugHook> previous = std::exchange(HookSlot(), std::move(next));
    return previous ? *previous : DebugHook();
}

std::uint32_t TickCount() {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms.count()));
}

DebugCapture::DebugCapture() {
    std::lock_guard lock(mutex_);  // a line from another thread waits until previous_ is set
    previous_ = SetDebugHook([this](std::string_view line) {
        DebugHook previous;
        {
            std::lock_guard lock(mutex_);
            lines_.emplace_back(line);
            previous = previous_;
        }
        if (previous) previous(line);
    });
}

DebugCapture::~DebugCapture() {
    DebugHook previous;
    {
        std::lock_guard lock(mutex_);
        previous = previous_;
    }
    SetDebugHook(std::move(previous));
}

std::vector<std::string> DebugCapture::Lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

bool DebugCapture::Contains(std::string_view part) const {
    std::lock_guard lock(mutex_);
    for (const auto& l : lines_)
        if (l.find(part) != std::string::npos) return true;
    return false;
}

}  // namespace platform
