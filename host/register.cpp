#include "host/register.h"

namespace host {

void RegisterHostObjects() {
    RegisterSessionObjects();
    RegisterCrmObjects();
    RegisterPubUtil();
    RegisterServices();
    RegisterControls();
    RegisterMessaging();
    RegisterChart();
    RegisterOverview();
    RegisterPickers();
}

}  // namespace host
