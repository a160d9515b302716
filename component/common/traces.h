#pragma once
// Diagnostic traces: through the host's CRM common service, and the operating system's
// diagnostic channel.
#include <string>
#include <string_view>

namespace sovrel {

// A labelled trace through the host's CRM common service; host errors reach the caller.
void Trace(const std::string& label, const std::string& text);

// One line on the diagnostic channel; never fails.
void DebugTrace(std::string_view text);

}  // namespace sovrel
