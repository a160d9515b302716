#pragma once
// frmContactList: the paged list of vendor contacts, the component's main window. Every user
// action (toolbar, menu, keyboard, grid) becomes a command key for Operating.
//
// The window's work is split by job: lifecycle and texts (frm_contact_list.cpp), controls and
// layout (layout.cpp), commands and keys (commands.cpp), query and grid fill (grid_fill.cpp),
// the pager (paging.cpp) and the selection marks (selection.cpp).

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/controls.h"
#include "common/form.h"
#include "common/hosts/controls.h"
#include "platform/db/rowset.h"
#include "ui/list/list_actions.h"
#include "ui/list/list_statement.h"
#include "ui/widget_host.h"
#include "ui/form_window.h"

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QTimer;
class QMenu;
class QMenuBar;
class QPushButton;
class QStatusBar;
class QToolButton;

namespace sovrel {

class IPopMenuMgr;
class IPrintControl;
class IVisualStyle;
class PageLabel;
class SpinButtons;

// One of the window's own widgets handed to a host service that takes a control; the service
// reaches the widget through IWidgetHost.
class WindowControl final : public IControl, public IWidgetHost {
public:
    WindowControl(QWidget* widget, std::string typeName) : widget_(widget), typeName_(std::move(typeName)) {}
    std::string TypeName() const override { return typeName_; }
    QWidget* Widget(QWidget*) override { return widget_; }

private:
    QWidget* widget_;
    std::string typeName_;
};

class frmContactList final : public FormWindow<IListWindow>, public IControlTexts {
public:
    frmContactList();
    ~frmContactList() override;

    // ---- IForm ----
    std::string Name() const override { return "frmContactList"; }

    // ---- IListWindow ----
    // Writes the page into the grid: a row per record, field j in column j, the status text
    // every 200 rows, then RepairGrid. A null page leaves the grid as it is.
    void FillGrid(std::shared_ptr<platform::db::Rowset> page) override;
    void LblPageEnabled(bool first, bool second) override;
    void SetEntryObject(std::weak_ptr<platform::Object> entry) override { entry_ = std::move(entry); }
    std::string StatusText() const override;
    void SetStatusText(const std::string& text) override;
    std::shared_ptr<platform::db::Rowset> ListRows() const override { return listRs_; }
    std::function<std::string(std::size_t, const platform::db::Value&)> ShownTexts() const override;
    long FirstShownRow() const override;
    bool ShowListRow(long row) override;

    // ---- IControlTexts ----
    bool SetControlText(const std::string& control, const std::string& text) override;

    // ---- Public operations ----
    // Runs one command; keys compare without regard to case. Never throws: errors go to error.log.
    void Operating(const std::string& key);
    // The grid's header from the column settings: ColumnInfo, ColumnSelectList, sort clause.
    void LoadHead();
    // Runs the list query with an extra condition (may be empty) and shows the requested page.
    void DataRefresh(const std::string& where);
    // Formats the filled cells: flags as texts, decimals by the column settings.
    void RepairGrid(platform::db::Rowset& rs, long records, long fields);
    // Unloads the window; answers what Form_QueryUnload recorded.
    void ExitForm(std::int16_t& cancel, std::int16_t& unloadMode);

    // ---- Lifecycle (the window system calls these; public so the host and tests can) ----
    void FormLoad();
    // The first activation loads the header and the first page; later ones do nothing.
    void FormActivate();
    void FormResize();

    // ---- Keyboard hook ----
    // keyCode as the original virtual-key numbers; F5 comes back 0 (consumed).
    void KeyDown(int& keyCode, int shift);
    void KeyPress(int& keyAscii);

    // ---- Pager ----
    void TurnPage(const std::string& key);
    void CmdRequestClick();
    // index 0 first, 1 previous, 2 next, 3 last.
    void LblPageClick(int index);
    // which 1: UpDown1 (page size), 2: UpDown2 (current page).
    void UpDownStep(int which, bool up);

    // ---- Selection ----
    void MarkAllRows();
    void ClearAllRows();
    void MarkCurrentRow();
    void UnmarkCurrentRow();
    // chkSelectAll as the original read it: 1 ticked, 0 not.
    int SelectAllValue() const;

    // ---- For the commands' hooks and the windows they open ----
    ListActions& Actions() { return actions_; }
    IFlexGrid& Grid() { return *grid_; }
    // The grid's current row is a contact's (not the header, not past the end).
    bool CurrentRowValid() const;
    // The print control Prn (ui/list/print.cpp creates it on first use).
    std::shared_ptr<IPrintControl>& PrintControl() { return prn_; }
    // Whether the page on screen was sorted in place (the sort menu) away from the order the
    // list was asked in: its other pages are not in the order the header shows.
    bool SortedInPlaceOnly() const {
        return sortColumn_ != queriedSortColumn_ || (sortColumn_ > 0 && sortDescending_ != queriedSortDescending_);
    }
    // The full result of the last query (pages are cut from it); nullptr before the first.
    std::shared_ptr<platform::db::Rowset> ListRowset() const { return listRs_; }
    const std::string& FilterClause() const { return filterClause_; }
    // The status bar's filter mark and its clear button: drops the filter and reloads.
    void ClearFilter();
    void SetFilterClause(std::string clause) { filterClause_ = std::move(clause); }
    const std::string& SortClause() const { return sortClause_; }
    // Written by the card after a save, read to find the saved row again.
    const std::string& CurrentContactCode() const { return currentContactCode_; }
    void SetCurrentContactCode(std::string code) { currentContactCode_ = std::move(code); }
    // "Del"'s check: a marked row (its mark first) and the code column; false after its message.
    bool CheckDelete(std::int16_t& codeColumn);
    // Grid column of the contact code by its caption (from column 0); false when absent.
    bool LocateCodeColumn(std::int16_t& column) const;
    // The statement DataRefresh runs for where, and the query it is built from.
    std::string ListStatement(const std::string& where) const;
    ListQuery Query(const std::string& where) const;
    // DataRefresh's last condition.
    const std::string& LastWhere() const { return lastWhere_; }
    // The quick search above the grid: typing narrows the list after a pause, on top of the
    // filter; SearchNow applies the box's text at once, from the first page.
    QLineEdit* SearchBox() const { return edtSearch_; }
    const std::string& SearchText() const { return searchText_; }
    void SearchNow();
    // "1–500 of 20,000" beside the record count; "" before the first query.
    std::string RangeText() const;
    // A click on the header of grid column col sorts the whole list by it, through the query,
    // from the first page: ascending, descending on the next click of the same column. The
    // selection column does not sort. The sort menu's in-place sort of the page takes the same
    // column and order, so the header shows one state whichever sorted last.
    void HeaderClick(long col);
    // The grid column the list is sorted by and its order (1 ascending, 2 descending); 0 and 0
    // when the column settings' order holds.
    long SortColumn() const { return sortColumn_; }
    int SortOrder() const { return sortColumn_ > 0 ? (sortDescending_ ? 2 : 1) : 0; }
    bool DataLoaded() const { return loaded_; }
    long HelpContextId() const { return helpContextId_; }
    // Opens the help file (HtmlHelp command 15 with a context id, 0 without); replaceable.
    std::function<void(const std::string& file, int command, long contextId)> helpViewer;

protected:
    void LoadForShow() override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // layout.cpp
    void BuildControls();
    void BuildMenus();
    QWidget* BuildPagerStrip();
    QWidget* ControlWidget(platform::Object& control, const char* name);
    void ShowOrderMenu();
    // The sort menu's order (1, 2) on the grid's current column, after the page was sorted.
    void SortedInPlace(int order);
    // frm_contact_list.cpp
    void InitToolbar();
    // Hands the grid (withGrid) and chkSelectAll to the suite's visual-style service.
    void ApplyVisualStyle(bool withGrid);
    void FormQueryUnload(std::int16_t& cancel, std::int16_t unloadMode);
    void FormUnload(std::int16_t& cancel);
    // commands.cpp
    void ReleaseAllRights();
    // IsLockFun with code: true when the lock is held elsewhere (the command stops).
    bool TakeLock(int code);
    // IsLockFun with -code; answers what the utility answered.
    bool ReleaseLock(int code);
    // Runs the command of key; false for the four early exits that give no right back.
    bool RunCommand(const std::string& key);
    void OpenHelp();
    void GridClick();
    void GridDblClick();
    void GridMouseUp(int button);
    // paging.cpp
    void InitPager();
    void Repage(bool savePageSize);
    // Rows per page as the utility cuts them (an empty or zero box counts as 500).
    long RowsPerPage() const;
    // After a page was cut: the last page number shown, the current page box kept in range.
    void AfterPaging();
    // Shows the filter mark while a filter narrows the list.
    void ShowFilterMark();
    void PageSizeEdited();
    void CurPageEdited();
    bool PagerKey(QObject* box, int key);
    // selection.cpp
    void ToggleRowMark(long row);
    // A query or fill ends: a close asked for meanwhile goes ahead now.
    void EndBusy();
    // Marks the window busy for a scope.
    struct BusyScope {
        explicit BusyScope(frmContactList& w) : window(w) { ++window.busy_; }
        ~BusyScope() { window.EndBusy(); }
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;
        frmContactList& window;
    };

    ListActions actions_;

    // Host controls.
    std::shared_ptr<IFlexGrid> grid_;
    std::shared_ptr<IToolbar> toolbar_;
    std::shared_ptr<IKeyHook> keyHook_;
    std::shared_ptr<IVisualStyle> visualStyle_;
    std::shared_ptr<IPopMenuMgr> popMenuMgr_;
    std::shared_ptr<IPrintControl> prn_;
    QWidget* gridWidget_ = nullptr;
    QWidget* toolbarWidget_ = nullptr;

    // Own controls.
    QMenuBar* menuBar_ = nullptr;
    QMenu* orderMenu_ = nullptr;
    std::map<std::string, QMenu*> menus_;
    std::map<std::string, QAction*> items_;
    QLabel* lblCaption_ = nullptr;
    QCheckBox* chkSelectAll_ = nullptr;
    QLabel* label1_ = nullptr;
    QLabel* label2_ = nullptr;
    QLineEdit* edtPageSize_ = nullptr;
    QLineEdit* edtCurPage_ = nullptr;
    SpinButtons* upDown1_ = nullptr;
    SpinButtons* upDown2_ = nullptr;
    QLabel* lblTotalPage_ = nullptr;
    QPushButton* cmdRequest_ = nullptr;
    std::array<PageLabel*, 4> lblPage_{};
    QFrame* frameWeb_ = nullptr;
    QLabel* lblScope_ = nullptr;
    QStatusBar* stb_ = nullptr;
    QLabel* stbPanel1_ = nullptr;
    QLabel* stbPanel2_ = nullptr;
    QLabel* stbRange_ = nullptr;
    QLabel* stbFilter_ = nullptr;
    QToolButton* cmdClearFilter_ = nullptr;
    QLineEdit* edtSearch_ = nullptr;
    QTimer* searchTimer_ = nullptr;
    std::string searchText_;
    // The header's sort (grid column, 0 for none), and the one the list rowset was queried with:
    // when they differ a page cannot be cut from the rowset and the list is asked again.
    long sortColumn_ = 0, queriedSortColumn_ = 0;
    bool sortDescending_ = false, queriedSortDescending_ = false;
    std::string lastWhere_;  // DataRefresh's last condition
    std::vector<std::string> searchCodes_;  // contacts the search text stands for as initials
    bool searchIndexMissing_ = false;       // the account has no search index: every contact is read
    bool searchTextsMissing_ = false;       // nor a table of search texts: a short text reads every contact
    bool searchTablesAsked_ = false;        // whether the account has those two

    // Window state.
    std::weak_ptr<platform::Object> entry_;
    std::shared_ptr<platform::db::Rowset> listRs_;
    std::string filterClause_, sortClause_, currentContactCode_;
    // The list rowset's field that holds the contact code, as the column settings name it.
    std::string keyField_ = "cContactCode";
    // The vendor the list was opened for, kept from its load: opened modeless inside the portal,
    // the window outlives the call that named the vendor.
    std::string vendorCode_, vendorName_;
    std::int16_t pendingCancel_ = 0, pendingUnloadMode_ = 0;
    bool formLoaded_ = false;
    bool firstActivation_ = false;
    bool loaded_ = false;      // a page is shown and the pager may re-page
    bool deleted_ = false;     // a delete command has deleted a contact since the window opened
    bool unloaded_ = false;
    int busy_ = 0;             // a query or fill is running (pending events are processed meanwhile)
    bool closePending_ = false;
    bool editing_ = false;     // the pager corrects its own box
    std::int16_t nextUnloadMode_ = 0;
    long helpContextId_ = 0;
};

// Registers the list window under progid::ContactListWindow (needs a QApplication to create).
void RegisterContactListWindow();

}  // namespace sovrel
