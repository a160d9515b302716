#pragma once
// "HxPub.IPub", the host's public-utility object: record locks, settings, texts, numbers, and the
// window operations (paging into the list, the grid header from the column description, help).
//
// Record locks live in tksystem's UA_Lock, one row per holder, so every process and machine on
// the same system database sees them. A lock is (table, code) for the whole function: code 1
// (browse) never conflicts, since many users browse a list at once; any other code conflicts
// with the same code of the same table held by another login, even of the same user, and only
// with that (an add does not keep others from printing). A lock whose holder was a process of
// this machine that no longer runs is taken over; a lock held on another machine stays until
// that login releases it or logs out.
#include <memory>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "common/hosts/pub_util.h"
#include "common/hosts/pub_util_columns.h"
#include "common/hosts/pub_util_editors.h"
#include "common/hosts/pub_util_lists.h"
#include "common/hosts/pub_util_print.h"

namespace host {

inline constexpr int kMaxDecimalDigits = 30;

// value with exactly `digits` decimals (clamped to 0..kMaxDecimalDigits), rounded half away
// from zero, without thousands separators ("1234.5", 2 gives "1234.50"; "-0.004", 2 gives
// "0.00"). A value that is not one decimal number (spaces around it and an exponent allowed)
// comes back unchanged.
std::string FormatNumber(std::string_view value, int digits);

class PubUtil final : public sovrel::IPubUtil,
                      public sovrel::IPubUtilEditors,
                      public sovrel::IPubUtilLists,
                      public sovrel::IPubUtilPrint,
                      public sovrel::IPubUtilColumns {
public:
    struct LockHolder {
        std::string table, loginId, userId, userName, hostName, takenAt;
        int code = 0;
        long processId = 0;
    };

    // The system database for settings: a connection text of it or of a database beside it.
    // Without Init the utility uses the system database of the last login handed to IsLockFun,
    // else of this process's current login.
    void Init(const std::string& connectionText);

    bool IsLockFun(std::shared_ptr<sovrel::IClsCommon>& dataService, const std::shared_ptr<sovrel::ILogin>& login,
                   const std::string& table, int code) override;
    // The text of key in the language of the last login seen (else the current login, else zh-CN).
    std::string GetResString(const std::string& key) override;
    void DebugPrint(const std::string& text) override;
    std::string FormatNum(const std::string& value, int decimalDigits) override {
        return FormatNumber(value, decimalDigits);
    }
    // The user's stored value of (table, key); "" when none. userId "" means the login's user.
    // helpFlag is handed back unchanged. Throws platform::Error when no system database is known.
    std::string GetRegEdit(const std::string& table, const std::string& key, bool& helpFlag,
                           const std::string& userId) override;
    // Stores the value (replacing the previous one). Throws platform::Error for an empty or
    // over-long table, key or user (60, 60, 20 characters) and when no system database is known.
    void SaveRegEdit(const std::string& table, const std::string& key, const std::string& value, bool& helpFlag,
                     const std::string& userId) override;

    // ---- Window operations ----
    // Throws platform::Error for a list rowset that is missing or forward-only.
    void FlipPageFillGrid(sovrel::IListWindow& window, sovrel::IFlexGrid& grid,
                          std::shared_ptr<platform::db::Rowset>& listRs, long pageSize, long curPage,
                          std::int32_t& pageCount) override;
    // Shows the visible columns with the selection column in grid column 1 and the contact code
    // in column 2 (both added when the description lacks them). fixedCols receives the columns
    // that do not scroll (the row-marker column and the description's fixed ones), keyCol the
    // grid column of the contact code and keyName its alias. False, with nothing changed, when
    // the description is not one.
    bool getColSet(std::string& columnInfo, std::string& selectList, std::string& sortClause,
                   sovrel::IFlexGrid& grid, std::int16_t& fixedCols, std::int16_t& keyCol,
                   std::string& keyName) override;
    // The key is compared with the header captions and the value with the cells without case,
    // spaces around them ignored; nothing moves when no row matches.
    void SetGridRow(sovrel::IFlexGrid& grid, const std::string& key, const platform::db::Value& value,
                    long topRow = -1) override;
    // fieldName is matched against the columns' names (aliases), without case; "" also for an
    // unknown column and a description that cannot be read.
    std::string GetEleVal(const std::string& fieldName, const std::string& columnInfo) override;
    void FrmUniteFont(sovrel::IForm& window) override;
    void FrmLoadInit(sovrel::IForm& window, std::shared_ptr<sovrel::clsLogin>& loginInfo,
                     std::shared_ptr<sovrel::IClsCommon>& dataService, const std::string& title) override;
    void FrmPreCompile(std::shared_ptr<sovrel::IClsCommon>& dataService) override;
    void FrmResize(sovrel::IForm& window) override;
    // "mStb": the window's options (its status bar shown or hidden), in a modal dialog. Other
    // keys do nothing.
    void FrmOpt(sovrel::IForm& window, const std::string& key, const std::string& title,
                const std::shared_ptr<sovrel::ILogin>& login, std::shared_ptr<sovrel::IClsCommon>& dataService) override;
    void HelpShow(const std::string& key, sovrel::IForm& window) override;
    // 90100302 for "TradeClass" (compared without case), 0 for a topic without help.
    long HelpX(bool& helpFlag, const std::shared_ptr<sovrel::ILogin>& login, sovrel::IForm& window,
               const std::string& topic) override;
    void HelpHide() override;

    // ---- Editor operations (editors.cpp) ----
    // Clears the stored value and hint of a reference editor whose text the user changed.
    void SetRefEdt(sovrel::IForm& window, sovrel::IControl& editor) override;
    void SetIntLen(sovrel::IControl& editor) override;
    void SetDblLen(sovrel::IControl& editor, int decimalDigits) override;
    // Half-width units: a wide (CJK, full-width) character counts 2, any other 1.
    long GetStrLen(const std::string& text) override;
    // The definitions of the class through the data service, in item number order.
    std::shared_ptr<platform::db::Rowset> SetUserDefEle(sovrel::IForm& window,
                                                        const std::shared_ptr<sovrel::IClsCommon>& dataService,
                                                        const std::string& archiveClass) override;
    // Re-applies the style of window's controls after their dynamic properties changed
    // ("mandatory" captions, "readOnlyField" boxes).
    void FormatCon(sovrel::IForm& window) override;
    // The window's size as the user left it (option 1); nothing else is stored for a card.
    void FrmOptInit(sovrel::IForm& window, int option) override;

    // ---- Lists (find_match.cpp; the delete dialogs in delete_dialogs.cpp; locate and sort in locate_sort.cpp) ----
    int ShowTipMsg(sovrel::IFlexGrid& grid, std::int16_t& codeCol, std::int16_t& nextCol,
                   const std::shared_ptr<sovrel::ILogin>& login, const std::shared_ptr<sovrel::IClsCommon>& dataService,
                   const std::string& table) override;
    void DeleteStart() override;
    void DeleteEnded() override;
    std::shared_ptr<platform::db::Rowset> ModifyInitMsg(const std::string& fieldNames, const std::string& headers) override;
    void ModifyAddMsg(const std::shared_ptr<platform::db::Rowset>& resultList, const std::string& code,
                      const std::string& message) override;
    void ModifyShowMsg(const std::string& title, const std::shared_ptr<sovrel::ILogin>& login,
                       const std::shared_ptr<sovrel::IClsCommon>& dataService,
                       const std::shared_ptr<platform::db::Rowset>& resultList) override;
    void FindPos(sovrel::IFlexGrid& grid, sovrel::IForm& window) override;
    void FindSet(sovrel::IForm& window, const std::string& title, const std::shared_ptr<sovrel::ILogin>& login) override;
    void GridSort(sovrel::IForm& window, sovrel::IFlexGrid& grid, int order) override;
    // One row: chosen. Several: the one whose code or name equals text (without case) when it
    // is the only such row, otherwise the user picks in the choice dialog. None: false.
    bool FindMatch(const std::shared_ptr<platform::db::Rowset>& rows, const std::string& text,
                   const std::string& codeField, const std::string& nameField) override;
    // ---- Print and export (print_ops.cpp) ----
    // Styles live in tksystem's UA_PrintStyle per user, table and name (name "" is "Default").
    // Without a stored one, the default layout of the grid's printed columns.
    void GetPrnStyle(const std::string& name, std::string& style, const std::string& table,
                     const std::shared_ptr<sovrel::IClsCommon>& dataService, sovrel::IFlexGrid& grid) override;
    // Throws platform::Error for a text that is not a print style (nothing is stored then).
    void SavePrnStyle(std::shared_ptr<sovrel::IClsCommon>& dataService, const std::string& table,
                      const std::string& style) override;
    bool InitParameter(std::string& parameter) override;
    // The grid's printed columns are its columns from 2 on (0 is the row marker, 1 the selection
    // mark) whose width is not 0; the user is "name (id)", the print date today's.
    void GetData(const std::shared_ptr<sovrel::IClsCommon>& dataService, sovrel::IFlexGrid& grid,
                 const std::string& userName, const std::string& userId, const std::string& year,
                 const std::string& title, std::string& data) override;
    // Types are the fields' type codes; sizes their defined sizes in characters (numbers and dates
    // the width they print at; a flag 1).
    void GetTypeSize(const std::shared_ptr<platform::db::Rowset>& rs, std::string& types, std::string& sizes) override;
    // Shows the outcome of the last export (host::print::LastOutcome) in the login's language;
    // a cancelled export says nothing.
    void PrintMsg(long result, const std::string& table) override;
    // The year and the "print numbers" flag the last InitParameter took.
    struct PrintParameters {
        std::string year;
        bool printNumbers = false;
    };
    PrintParameters Parameters();

    // ---- Column settings (column_ops.cpp) ----
    // Stores the grid's column widths into the user's saved description (matched by caption);
    // nothing is stored when no width changed.
    void SaveColSet(std::shared_ptr<sovrel::IClsCommon>& dataService, sovrel::IFlexGrid& grid, const std::string& table,
                    const std::string& userId) override;
    // columnInfo when the header can be laid out from it; otherwise the default description,
    // and error.log says why.
    std::string GetUnSavedColSet(const std::string& columnInfo) override;
    void ColSetResize(sovrel::IColumnSetControl& control, sovrel::IForm& window) override;

    // The help context as the help operations left it: the last command and window HelpShow
    // saw, the context id of the last HelpX; all cleared by HelpHide.
    struct HelpState {
        std::string command, window;
        long context = 0;
    };
    HelpState Help();

    // Every holder of a lock of the table (compared without case), oldest first.
    std::vector<LockHolder> Locks(const std::string& table, const std::shared_ptr<sovrel::ILogin>& login);
    // The key a login's locks are stored under: a host login's id, otherwise one made of this
    // machine, this process and the login object.
    static std::string LockOwner(const sovrel::ILogin& login);

private:
    std::string SystemTextFor(const sovrel::ILogin* login);
    std::string SettingsDatabase(std::string& userId, const char* who);

    struct ColumnDesc;
    // The parsed description, kept for the text it came from.
    std::shared_ptr<const std::vector<ColumnDesc>> Describe(const std::string& columnInfo);

    std::mutex mutex_;
    std::string initText_;
    std::string describedText_;
    std::shared_ptr<const std::vector<ColumnDesc>> described_;
    HelpState help_;
    PrintParameters print_;
    std::weak_ptr<sovrel::ILogin> lastLogin_;
};

}  // namespace host
