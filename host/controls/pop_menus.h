#pragma once
// The portal's pop-up menu manager ("HxPortal.PopMenuMgr"): a right-click on a window's own
// surface (its strips and labels, not a control that has menus of its own) offers the window's
// menu-bar menus.
#include "common/hosts/portal.h"

namespace host::controls {

class PopMenuMgr final : public sovrel::IPopMenuMgr {
public:
    // Nothing for a window that is no widget or has no menu bar.
    void Init(sovrel::IForm& window) override;
};

}  // namespace host::controls
