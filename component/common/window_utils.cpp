#include "common/window_utils.h"

#include "common/controls.h"
#include "common/form.h"
#include "common/host_objects.h"

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

}  // namespace sovrel
