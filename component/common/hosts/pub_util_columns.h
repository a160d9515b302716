#pragma once
// The column-settings operations of "HxPub.IPub": the same host object implements IPubUtil and
// this interface.
#include <memory>
#include <string>

#include "platform/object_factory.h"

namespace sovrel {

class IClsCommon;
class IColumnSetControl;
class IFlexGrid;
class IForm;

class IPubUtilColumns : public platform::Object {
public:
    // Keeps the widths the user gave the grid's columns as userId's settings of table, before
    // the column-settings window opens; the data service is handed back (it may be replaced).
    virtual void SaveColSet(std::shared_ptr<IClsCommon>& dataService, IFlexGrid& grid, const std::string& table,
                            const std::string& userId) = 0;
    // The column description the list lays out its header from, for the description the user
    // confirmed (columnInfo as IColumnSetControl::OnConfirm gives it).
    virtual std::string GetUnSavedColSet(const std::string& columnInfo) = 0;
    // Fits the control to window's client area after a resize.
    virtual void ColSetResize(IColumnSetControl& control, IForm& window) = 0;
};

}  // namespace sovrel
