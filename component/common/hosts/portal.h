#pragma once
// The portal's help object, pop-up menu manager and view manager, and the suite's visual-style
// service.
#include <string>

#include "common/controls.h"
#include "common/form.h"
#include "platform/object_factory.h"

namespace sovrel {

class IPortalHelp : public platform::Object {
public:
    // The help context id of topic (a name such as "联系人管理", or a GUID text in braces); 0
    // when the portal's help has no such topic.
    virtual long HelpContextId(const std::string& topic) = 0;
};

// The portal's pop-up menu manager: once initialised with a window, it looks after that
// window's pop-up menus.
class IPopMenuMgr : public platform::Object {
public:
    virtual void Init(IForm& window) = 0;
};

// The portal's view manager (the context value ViewManager when the portal gives one): the
// windows it offers the user as open views.
class IViewManager : public platform::Object {
public:
    virtual void AddView(IForm& window) = 0;
};

class IVisualStyle : public platform::Object {
public:
    // Draws control in the suite's style styleName ("checkbutton.titlebar", "static.text.link");
    // "" gives the control's default style. An unknown name leaves the control as it is.
    virtual void ApplyStyle(IControl& control, const std::string& styleName) = 0;
};

}  // namespace sovrel
