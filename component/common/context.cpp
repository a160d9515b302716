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

void ResetContext() {
    Context held = std::move(context);
    context = Context{};
    // The card before the list that opened it, then the rest.
    held.ContactCard.reset();
    held.ListWindow.reset();
}

}  // namespace sovrel
