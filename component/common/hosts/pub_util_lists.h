#pragma once
// The delete-dialog and locate operations of "HxPub.IPub": the same host object implements
// IPubUtil and this interface.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/db/rowset.h"
#include "platform/object_factory.h"

namespace sovrel {

class IClsCommon;
class IFlexGrid;
class IForm;
class ILogin;

// GridSort's orders.
namespace sortorder {
constexpr int Ascending = 1, Descending = 2;
}

class IPubUtilLists : public platform::Object {
public:
    // ---- Deletes ----
    // Asks the user to confirm deleting the marked rows of grid (codeCol holds their codes) from
    // table; answers 1 to go on, any other number to stop. The columns are handed back.
    virtual int ShowTipMsg(IFlexGrid& grid, std::int16_t& codeCol, std::int16_t& nextCol,
                           const std::shared_ptr<ILogin>& login, const std::shared_ptr<IClsCommon>& dataService,
                           const std::string& table) = 0;
    // Brackets a run of deletes (the host may show progress between them).
    virtual void DeleteStart() = 0;
    virtual void DeleteEnded() = 0;
    // A new, empty result list: one text field per comma-separated name of fieldNames
    // ("cContactCode,cErrMsg"), captioned by the matching entry of headers.
    virtual std::shared_ptr<platform::db::Rowset> ModifyInitMsg(const std::string& fieldNames,
                                                                const std::string& headers) = 0;
    // Appends the row (code, message) to a list made by ModifyInitMsg.
    virtual void ModifyAddMsg(const std::shared_ptr<platform::db::Rowset>& resultList, const std::string& code,
                              const std::string& message) = 0;
    // Shows the result list under title; returns when the user closed it.
    virtual void ModifyShowMsg(const std::string& title, const std::shared_ptr<ILogin>& login,
                               const std::shared_ptr<IClsCommon>& dataService,
                               const std::shared_ptr<platform::db::Rowset>& resultList) = 0;

    // ---- Locate and sort ----
    // Asks what to look for and makes the first matching row of grid current, scrolled into view;
    // a search without a match leaves the grid as it was. A list window's search takes in every
    // page of its list (IListWindow::ListRows) and turns to the page of the row found.
    virtual void FindPos(IFlexGrid& grid, IForm& window) = 0;
    // Edits the locate settings of window, kept per user, under title.
    virtual void FindSet(IForm& window, const std::string& title, const std::shared_ptr<ILogin>& login) = 0;
    // Sorts the data rows of grid in place by its current column (sortorder::...); the header
    // row stays first.
    virtual void GridSort(IForm& window, IFlexGrid& grid, int order) = 0;
    // Picks the row of rows that text names (by codeField or nameField), asking the user when several
    // match; true with that row current, false when none was chosen.
    virtual bool FindMatch(const std::shared_ptr<platform::db::Rowset>& rows, const std::string& text,
                           const std::string& codeField, const std::string& nameField) = 0;
};

}  // namespace sovrel
