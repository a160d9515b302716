#include "common/prog_ids.h"
#include "entry/icontact.h"
#include "service/clscommon.h"

namespace sovrel {

void RegisterComponentClasses() {
    platform::Register(progid::IContact, [] { return std::make_shared<IContact>(); });
    RegisterDataService();
}

}  // namespace sovrel
