#pragma once
// The diagnostic channel and the millisecond tick count.
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Writes one line to the diagnostic channel: stderr when SOVREL_DEBUG is set in the environment
// (read once, at the first call), and the installed hook if there is one. Never throws.
void DebugOutput(std::string_view text);

using DebugHook = std::function<void(std::string_view line)>;
// Installs a hook that receives every line (an empty hook removes it); returns the previous one.
DebugHook SetDebugHook(DebugHook hook);

// Milliseconds of a steady clock, as a 32-bit count that wraps after about 49.7 days.
std::uint32_t TickCount();

// Captures the diagnostic lines written while it lives (for tests); restores the previous hook.
class DebugCapture {
public:
    DebugCapture();
    ~DebugCapture();
    DebugCapture(const DebugCapture&) = delete;
    DebugCapture& operator=(const DebugCapture&) = delete;

    std::vector<std::string> Lines() const;
    // True when some captured line contains `part`.
    bool Contains(std::string_view part) const;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    DebugHook previous_;
};

}  // namespace platform
