#include "common/context.h"

#include "common/hosts/login.h"
#include "common/hosts/pub_util.h"
#include "common/hosts/services.h"
#include "common/hosts/text_service.h"
#include "service/iclscommon.h"

namespace sovrel {

namespace {
thread_local Context context;
}

Context& Ctx() { return context; }

void ResetContext() { context = Context{}; }

}  // namespace sovrel
