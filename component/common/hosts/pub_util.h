#pragma once
// "HxPub.IPub", the host's public-utility object. The window operations are added by the windows
// that call them.
#include <memory>
#include <string>

#include "platform/db/rowset.h"
#include "platform/db/value.h"
#include "platform/object_factory.h"

namespace sovrel {

class IClsCommon;
class ILogin;
class IForm;
class IListWindow;
class IFlexGrid;
class clsLogin;

class IPubUtil : public platform::Object {
public:
    // Record locks of a table. code > 0 takes the lock of that function: answers true when
    // another login holds it (the utility tells the user), false when it is now ours. code < 0
    // releases lock -code; -1 releases every lock of this login on the table. The data service
    // is handed back (it may be replaced).
    virtual bool IsLockFun(std::shared_ptr<IClsCommon>& dataService, const std::shared_ptr<ILogin>& login,
                           const std::string& table, int code) = 0;
    // Text of a host resource key.
    virtual std::string GetResString(const std::string& key) = 0;
    // Diagnostic sink.
    virtual void DebugPrint(const std::string& text) = 0;
    // value formatted with that many decimal digits ("" stays "", a non-number is returned as is).
    virtual std::string FormatNum(const std::string& value, int decimalDigits) = 0;
    // Per-user stored settings.
    virtual std::string GetRegEdit(const std::string& table, const std::string& key, bool& helpFlag,
                                   const std::string& userId) = 0;
    virtual void SaveRegEdit(const std::string& table, const std::string& key, const std::string& value,
                             bool& helpFlag, const std::string& userId) = 0;

    // ---- Window operations ----
    // Cuts page curPage (pageSize rows; the last page when curPage is beyond it) from the list
    // rowset and has the window fill its grid with it (FillGrid) and set its page labels
    // (LblPageEnabled); pageCount receives the number of pages (at least 1). The list rowset is
    // handed back. A page size below 1 counts as 500.
    virtual void FlipPageFillGrid(IListWindow& window, IFlexGrid& grid, std::shared_ptr<platform::db::Rowset>& listRs,
                                  long pageSize, long curPage, std::int32_t& pageCount) = 0;
    // From the column description (columnInfo) of the list: the SQL select list (its first field
    // backs the selection column, the contact code is the second), the sort clause, and the
    // grid's header (row 0: captions; column widths). False when the description cannot be read.
    virtual bool getColSet(std::string& columnInfo, std::string& selectList, std::string& sortClause, IFlexGrid& grid,
                           std::int16_t& fixedCols, std::int16_t& keyCol, std::string& keyName) = 0;
    // Selects the row whose cell under the header caption key holds value and scrolls it into
    // view; with an empty key, value is the row to select and topRow the row to scroll to.
    virtual void SetGridRow(IFlexGrid& grid, const std::string& key, const platform::db::Value& value,
                            long topRow = -1) = 0;
    // The decimal digits of a column of the column description ("" when it has none).
    virtual std::string GetEleVal(const std::string& fieldName, const std::string& columnInfo) = 0;
    // Window set-up: the host's font, the login values and the title, the data service warmed
    // up, the layout after a resize, the window options dialog.
    virtual void FrmUniteFont(IForm& window) = 0;
    virtual void FrmLoadInit(IForm& window, std::shared_ptr<clsLogin>& loginInfo,
                             std::shared_ptr<IClsCommon>& dataService, const std::string& title) = 0;
    virtual void FrmPreCompile(std::shared_ptr<IClsCommon>& dataService) = 0;
    virtual void FrmResize(IForm& window) = 0;
    virtual void FrmOpt(IForm& window, const std::string& key, const std::string& title,
                        const std::shared_ptr<ILogin>& login, std::shared_ptr<IClsCommon>& dataService) = 0;
    // Context help: the command last run (HelpShow), the window's help context (HelpX answers
    // the context id), and closing the help (HelpHide).
    virtual void HelpShow(const std::string& key, IForm& window) = 0;
    virtual long HelpX(bool& helpFlag, const std::shared_ptr<ILogin>& login, IForm& window, const std::string& topic) = 0;
    virtual void HelpHide() = 0;
};

}  // namespace sovrel
