#include "common/window_utils.h"

#include "common/controls.h"
#include "common/form.h"
#include "common/host_objects.h"
#include "common/hosts/portal.h"
#include "common/hosts/pub_util.h"
#include "common/prog_ids.h"
#include "common/context.h"

namespace sovrel {

bool ActivateOpenForm(const std::string& windowName) {
    for (IForm* form : OpenForms())
        if (form->Name() == windowName) {
            form->BringToFront();
            return true;
        }
    return false;
}

bool AllowAddressChars(IControl* control) {
    if (control == nullptr || control->TypeName() != "Edit") return false;
    auto* edit = dynamic_cast<IEditControl*>(control);
    if (edit == nullptr) return false;
    edit->SetBadStrException("|&\"");
    return true;
}

void GetRef(const std::string&, std::string&, std::string&, bool&, IControl*, IForm*, const platform::db::Value&) {}

std::int16_t ToolbarStyle() { return static_cast<std::int16_t>(CrmCommonSvc().GetToolbarStyle()); }

bool UseMainToolbar() { return ToolbarStyle() != 1; }

long FormHelpContextId(IForm& window, const std::string& portalTopic, long fallbackId) {
    Context& c = Ctx();
    if (c.Product && c.ActiveFrmMgr) {
        auto help = platform::Create<IPortalHelp>(progid::PortalHelp);
        return help ? help->HelpContextId(portalTopic) : 0;
    }
    if (c.PubUtil) c.PubUtil->HelpX(c.HelpFlag, c.Login, window, "TradeClass");
    return fallbackId;
}

void ReportFormUnloaded(IForm& window) {
    try {
        CrmCommonSvc().FormUnloaded();
    } catch (...) {
        // The window goes whatever the host says.
    }
    UnregisterOpenForm(&window);
}

}  // namespace sovrel
