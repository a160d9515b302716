#pragma once
// "HxColumnSetOcx", the host's column-settings control: the user chooses, orders and sizes the
// columns of a list described by a column description (IColumnSetSvc::getColInfo).
#include <functional>
#include <string>

#include "platform/object_factory.h"

namespace sovrel {

class IColumnSetControl : public platform::Object {
public:
    // Shows columnInfo for editing, replacing what the control showed.
    virtual void Load(const std::string& columnInfo) = 0;
    // The user asked for another starting point (mode 0, 2 or 15: IColumnSetSvc::getColInfo's return
    // mode); the handler loads that description.
    virtual void OnReload(std::function<void(int mode)> handler) = 0;
    // The user confirmed columnInfo; save is true when it is also to be stored for the user.
    virtual void OnConfirm(std::function<void(bool save, const std::string& columnInfo)> handler) = 0;
    // The user closed the control without confirming.
    virtual void OnClose(std::function<void()> handler) = 0;
};

}  // namespace sovrel
