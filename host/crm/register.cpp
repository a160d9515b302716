#include <memory>

#include "common/prog_ids.h"
#include "host/crm.h"
#include "host/register.h"
#include "platform/object_factory.h"

namespace host {

void RegisterCrmObjects() {
    platform::Register(sovrel::progid::CrmCommonSvc, [] { return std::make_shared<CrmCommonService>(); });
    platform::Register(sovrel::progid::TitleSvc, [] { return std::make_shared<TitleService>(); });
}

}  // namespace host
