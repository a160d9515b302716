#include "common/host_objects.h"

#include "common/context.h"
#include "common/prog_ids.h"
#include "platform/error.h"

namespace sovrel {

namespace {
template <class T>
T& Global(std::shared_ptr<T>& slot, const char* progId) {
    if (!slot) slot = platform::CreateRequired<T>(progId, "Sovrel");
    return *slot;
}
}  // namespace

ICrmCommonSvc& CrmCommonSvc() { return Global(Ctx().crmCommonSvc, progid::CrmCommonSvc); }
ITitleSvc& TitleSvc() { return Global(Ctx().titleSvc, progid::TitleSvc); }
IRightChecker& RightChecker() { return Global(Ctx().rightChecker, progid::RightChecker); }

}  // namespace sovrel
