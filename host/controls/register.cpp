#include "column_set_control.h"
#include "common/prog_ids.h"
#include "grid.h"
#include "host/register.h"
#include "key_hook.h"
#include "platform/object_factory.h"
#include "pop_menus.h"
#include "ref_edit.h"
#include "host/print_control.h"
#include "host/save_file.h"
#include "toolbar.h"

namespace host {

void RegisterBaseCodeRefer();

void RegisterControls() {
    platform::Register(sovrel::progid::FlexGrid, [] { return std::make_shared<controls::FlexGrid>(); });
    platform::Register(sovrel::progid::Toolbar, [] { return std::make_shared<controls::Toolbar>(); });
    platform::Register(sovrel::progid::KeyHook, [] { return std::make_shared<controls::KeyHook>(); });
    platform::Register(sovrel::progid::PopMenuMgr, [] { return std::make_shared<controls::PopMenuMgr>(); });
    platform::Register(sovrel::progid::RefEdit, [] { return std::make_shared<controls::RefEdit>(); });
    platform::Register(sovrel::progid::ColumnSetControl, [] { return std::make_shared<controls::ColumnSetControl>(); });
    RegisterBaseCodeRefer();
    platform::Register(sovrel::progid::PrintControl, [] { return std::make_shared<print::PrintControl>(); });
    platform::Register(sovrel::progid::SaveFileDialog, [] { return std::make_shared<SaveFileDialog>(); });
}

}  // namespace host
