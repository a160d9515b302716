#include "common/traces.h"

#include "common/host_objects.h"
#include "platform/diagnostics.h"

namespace sovrel {

void Trace(const std::string& label, const std::string& text) {
    bool flag = true;
    CrmCommonSvc().Trace(label, text, flag);
}

void DebugTrace(std::string_view text) { platform::DebugOutput(text); }

}  // namespace sovrel
