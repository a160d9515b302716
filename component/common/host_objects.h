#pragma once
// The host's global objects of this thread, created by program identifier on first use.
#include "common/hosts/login.h"
#include "common/hosts/text_service.h"

namespace sovrel {

// Each throws platform::Error naming the program identifier when the host registered none.
ICrmCommonSvc& CrmCommonSvc();
ITitleSvc& TitleSvc();
IRightChecker& RightChecker();

}  // namespace sovrel
