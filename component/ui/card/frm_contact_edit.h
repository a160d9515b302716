#pragma once
// frmContactEdit: the contact card. One shared window that shows one vendor contact on three
// tabs (and, for a loaded contact, its history), in add mode (1) or modify mode (2), walks through
// the list's rows and hands every command to Operating.
//
// The work is split by job: lifecycle, captions and closing (frm_contact_edit.cpp), controls
// and layout (layout.cpp), commands, keys and the unsaved-changes prompt (commands.cpp), editor
// set-up, events and clearing (editors.cpp), reference resolution and look-ups (references.cpp),
// loading and moving over the list's rows (navigation.cpp), the user-defined fields
// (user_fields.cpp), the checks and the save (save.cpp), the list's hand-off (hand_off.cpp) and the
// history tab (history_tab.cpp).

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
#include "common/hosts/ref_edit.h"
#include "platform/db/connection.h"
#include "platform/db/rowset.h"
#include "platform/db/value.h"
#include "service/history.h"
#include "ui/card/card_fields.h"
#include "ui/form_window.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QTimer;

namespace sovrel {

class clsContactDO;
class frmContactList;
class IFlexGrid;

// Operating modes of the card.
namespace cardmode {
constexpr std::int16_t Add = 1, Modify = 2;
}

class frmContactEdit final : public FormWindow<IForm>, public IControlTexts {
public:
    frmContactEdit();
    ~frmContactEdit() override;

    // ---- IForm ----
    std::string Name() const override { return "frmContactEdit"; }
    void SetCaption(const std::string& caption) override;

    // ---- IControlTexts ----
    bool SetControlText(const std::string& control, const std::string& text) override;

    // ---- Public operations ----
    // The not-null message of one field.
    std::string GetNotNullMsg(const std::string& caption) const;
    // Prepares the card before it is shown: mode (cardmode::...), the list grid's code column and
    // row. Loads the window first when it is not loaded.
    void InitData(std::int16_t mode, std::int16_t codeColumn, std::int32_t row);
    // Runs one command (keys compare without case); false for "Exit", a refused move and an
    // error. Never throws.
    bool Operating(const std::string& key);
    // Loads the contact of the current list row into the editors.
    void Fillallfields();
    // The default for a null value, else the value's text.
    static std::string TxtValue(const platform::db::Value& value, const std::string& defaultText = "");
    // Prepares the reference list of a user-defined field from its definition row; false when
    // the reference-list client could not be used (after its message).
    bool RefDefine(platform::db::Rowset& definition);
    // The checks and the save behind "SaveRs" (Save unless replaced): true when the contact was
    // saved. Empty: "SaveRs" saves nothing and answers false.
    std::function<bool(frmContactEdit&)> saveChain;
    // The record element of the editors; mode cardmode::Add adds a new oid.
    void WriteXML(std::string& xml, std::int16_t mode);
    // The checks, the save and the vendor's main-contact link (saveChain's default).
    bool Save();
    // Closes the card; answers what the close request ended with.
    void ExitForm(std::int16_t& cancel, std::int16_t& unloadMode);

    // ---- Lifecycle (the window system calls these; public so the list and tests can) ----
    void FormLoad();
    bool Loaded() const { return formLoaded_; }
    void FormActivate();
    // Leaving tab `previous` for another one.
    void TabChanged(int previous);

    // ---- Keyboard hook ----
    void KeyDown(int& keyCode, int shift);
    void KeyPress(int& keyAscii);

    // ---- Controls, by their names in the window ----
    IRefEdit& Edt(int index) { return *edt_.at(static_cast<std::size_t>(index)); }
    IRefEdit& DTPicker1(int index) { return *dtp_.at(static_cast<std::size_t>(index)); }
    IRefEdit& EdtU(int index) { return *edtU_.at(static_cast<std::size_t>(index)); }
    QLabel* LblD1(int index) const { return lblD1_.at(static_cast<std::size_t>(index)); }
    QLabel* Label(const std::string& name) const;
    QComboBox* CboSex() const { return cboSex_; }
    QComboBox* CboMarriage() const { return cboMarriage_; }
    QCheckBox* ChkbMajor() const { return chkbMajor_; }
    QTabWidget* SSTab1() const { return ssTab1_; }
    IToolbar* Tlb() const { return tlb_.get(); }
    IToolbar* TLB2() const { return tlb2_.get(); }
    // The look-up buttons: 0 vendor, 1 superior, 2 duty, 3 taste, 4 principal.
    void CmdClick(int index);
    void CmdLostFocus(int index);
    const std::string& CmdTag(int index) const { return cmdTag_.at(static_cast<std::size_t>(index)); }
    void SetCmdVisible(int index, bool visible);

    // ---- State ----
    std::int16_t OpMode() const { return iOpMode_; }
    std::int16_t CodeColumn() const { return iCodeCol_; }
    std::int32_t CurrentRow() const { return lCurRow_; }
    bool Edited() const;
    bool Exists() const;
    bool Valid() const { return bValid_; }
    bool AddedInSession() const { return bAddedInSession_; }
    // The user-defined item behind LblD1(index) is in use (shown).
    bool UserItemShown(int item) const;

    // ---- Editors and look-ups (editors.cpp, references.cpp) ----
    void ClearCard();
    void FillCombos();
    void NewContactCode();
    void DefaultPrincipal();
    // Resolves the vendor (index 0) or principal (8) text; cancel is left as it was.
    void ResolveReference(int index, bool& cancel);
    // The leave check of Edt(4) to Edt(8).
    void OnEditorLeave(int index);
    // The superior breaks the rule (the contact itself or one below it): cleared, focused, told.
    void RefuseSuperior();
    // The code of type whose name in the user's language is name; "" when none.
    std::string LocalBaseCodeId(const std::string& type, const std::string& name);
    // The ID of base code name of type (its own name or one in the user's language), created
    // when missing; "" when it cannot be.
    std::string GetBaseCodeId(const std::string& type, const std::string& name);
    void MarkChanged();
    void MarkDirty();
    // The user-defined field leave check of EdtU(index).
    void UserFieldLeave(int index);

    // ---- Duplicate warning (duplicate_warning.cpp) ----
    // In add mode, looks for contacts like the one typed (vendor and name, mobile, e-mail) and
    // shows the first under the fields; hides the line otherwise. Typing runs it after a pause.
    void CheckDuplicates();
    QLabel* DuplicateLabel() const { return lblDuplicate_; }
    QPushButton* DuplicateButton() const { return cmdDuplicate_; }
    // The code of the contact the warning names; "" when none is shown.
    const std::string& DuplicateCode() const { return duplicateCode_; }
    // Shows the contact the warning names, read only; the typed contact stays as it is.
    void OpenDuplicate();
    // Replaces the view's exec (tests and screenshots look at the view instead).
    std::function<void(QDialog&)> openDuplicateHook;

    // ---- Conflicts on save (conflict.cpp) ----
    // One field of a contact that changed since it was loaded.
    struct ConflictRow {
        std::string column, caption, loaded, database, mine;
        bool takeTheirs = false;
    };
    // Shows the rows and lets the user choose per row; true to save again. Replaceable (tests);
    // by default the comparison dialog.
    std::function<bool(frmContactEdit&, std::vector<ConflictRow>&)> conflictChooser;
    // The comparison dialog over rows (the default chooser); true when the user saves again.
    bool ChooseInDialog(std::vector<ConflictRow>& rows);
    // Runs the dialog instead of its exec (tests and screenshots set the choices and close it).
    std::function<void(QDialog&)> conflictDialogHook;

    // ---- History (history_tab.cpp) ----
    // The tab that lists a loaded contact's changes; hidden while the card takes a new contact.
    static constexpr int kHistoryTab = 3;
    // Reads the loaded contact's changes into the tab.
    void FillHistory();
    // Puts the value the selected change replaced into its field, as if the user typed it; the
    // save then checks and stores it as any other change. False (after a message where the user
    // needs one) when nothing was put.
    bool RestoreFromHistory();

protected:
    void LoadForShow() override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // layout.cpp
    void BuildControls();
    std::shared_ptr<IRefEdit> NewEditor(const std::string& name);
    QWidget* BuildTabBasic();
    QWidget* BuildTabContact();
    QWidget* BuildTabUser();
    // A caption on a page, kept by name for the texts and colours set later; a box by name.
    QLabel* PageLabel(QWidget* page, const char* name);
    QWidget* Box(const char* name) const { return findChild<QWidget*>(name); }
    QWidget* BuildDuplicateBar();
    void PlaceUserFields();
    // frm_contact_edit.cpp
    void InitToolbars();
    void ApplyToolbarStyle();
    void SetCaptions();
    void FormQueryUnload(std::int16_t& cancel, std::int16_t unloadMode);
    void FormUnload(std::int16_t cancel);
    void SetModeCaption(bool modify);
    // commands.cpp
    bool RunCommand(const std::string& key);
    bool Move(const std::string& key);
    // The help window at the card's page (toolbar Help and F1).
    void OpenHelp();
    bool AskSaveChanges(std::int16_t& cancel, std::int16_t unloadMode, bool edited);
    void SetButton(const std::string& key, bool enabled);
    bool ButtonUsable(const std::string& key) const;
    // editors.cpp
    void SetSchemaLengths();
    void SetReadOnlyColours();
    void WireEditor(int index);
    void EditorChanged(int index);
    void EditorKeyPress(int index, int& keyAscii);
    // Runs a box's leave check, unless a check or command of the card is running.
    void LeaveEvent(const char* position, const std::function<void()>& check);
    void ZipCheck();
    void DateLeave(int index);
    // save.cpp
    bool RunChecks();
    bool SuperiorRuleHolds();
    bool SaveRecord();
    // conflict.cpp: after the row-version refusal, offers the comparison; true when the contact
    // was then saved.
    bool ResolveConflict();
    // card_fields.cpp: one column of the contact at a time.
    card::FieldState TakeField(const card::CardField& field);
    void PutField(const card::CardField& field, const card::FieldState& state);
    // Puts the column of a row read by ContactStatement into its control, names looked up.
    void LoadField(const card::CardField& field, platform::db::Rowset& record);
    // LoadField for one value; baseCodeName is a duty's or taste's name in the account.
    void LoadValue(const card::CardField& field, const platform::db::Value& value, const std::string& baseCodeName);
    std::string FieldCaption(const card::CardField& field) const;
    // False for a user-defined item that is not in use (its box is hidden).
    bool FieldShown(const card::CardField& field) const;
    IRefEdit& BoxOf(const card::CardField& field);
    QComboBox* ComboOf(const card::CardField& field) const;
    // The contact with its row version and base-code names, as the card loads it.
    std::string ContactStatement(const std::string& code) const;
    void KeepLoadedValues();
    // navigation.cpp
    std::shared_ptr<platform::db::Rowset> GetCurrentRecord();
    void SetNavButtons();
    static std::string FormatDecimal(const std::string& value, int decimals);
    bool ShowReferenceName(const std::string& codeColumn, const std::string& code, const std::string& nameColumn,
                           const std::string& sql, IRefEdit& editor);
    // history_tab.cpp
    QWidget* BuildTabHistory();
    void ShowHistoryRows();
    void SetRestoreButton();
    // The change a row of the history grid shows; nullptr when none is selected.
    const history::Change* SelectedChange() const;
    // The field that holds column, when the user may type into it now.
    const card::CardField* RestorableField(const std::string& column);
    // The user holds the right to change contacts (asked quietly; false without a login).
    // The login holds the function right (AS0203..), asked without taking its lock.
    bool HasRight(const char* functionCode) const;
    // user_fields.cpp
    void SetUserDefFields();
    int UserDecimals(int item) const;
    // The list window and its grid, or nullptr when the card was opened without one.
    frmContactList* List() const;
    IFlexGrid* ListGrid() const;
    std::string Quote(const std::string& text) const;
    bool IsActive() const;

    std::shared_ptr<clsContactDO> change_;
    std::shared_ptr<platform::db::Connection> connection_;

    // Host controls.
    std::array<std::shared_ptr<IRefEdit>, 21> edt_{};
    std::array<std::shared_ptr<IRefEdit>, 4> dtp_{};
    std::array<std::shared_ptr<IRefEdit>, 14> edtU_{};
    std::shared_ptr<IToolbar> tlb_, tlb2_;
    std::shared_ptr<IKeyHook> keyHook_;
    QWidget* tlbWidget_ = nullptr;
    QWidget* tlb2Widget_ = nullptr;

    // Own controls.
    QTabWidget* ssTab1_ = nullptr;
    QComboBox* cboSex_ = nullptr;
    QComboBox* cboMarriage_ = nullptr;
    QCheckBox* chkbMajor_ = nullptr;
    std::array<QLabel*, 16> lblD1_{};
    std::map<std::string, QLabel*> labels_;
    QGridLayout* userGrid_ = nullptr;
    QWidget* userTab_ = nullptr;
    QLabel* lblTitle_ = nullptr;
    QWidget* duplicateBar_ = nullptr;
    QLabel* lblDuplicate_ = nullptr;
    QPushButton* cmdDuplicate_ = nullptr;
    QTimer* duplicateTimer_ = nullptr;
    std::string duplicateCode_;
    QComboBox* cboHistoryColumn_ = nullptr;
    QTableWidget* gridHistory_ = nullptr;
    QPushButton* cmdRestore_ = nullptr;
    std::vector<history::Change> history_;
    // Each change's cells as the grid shows them, by history_'s index.
    std::vector<std::array<std::string, 6>> historyCells_;
    bool mayModify_ = false;

    // State.
    std::int16_t iOpMode_ = cardmode::Add;
    std::int16_t iCodeCol_ = 0;
    std::int32_t lCurRow_ = 0;
    bool bAddedInSession_ = false;
    bool bValid_ = false;
    bool formLoaded_ = false;
    bool unloaded_ = true;
    bool mainToolbar_ = true;
    int lastTab_ = 0;
    std::array<std::string, 5> cmdTag_{};
    std::array<bool, 16> userShown_{};
    std::array<int, 2> userDecimals_{6, 6};  // items 13 and 14
    std::string lastGoodZip_;
    // Every column the card writes, as it was loaded (or last merged), by column.
    std::map<std::string, card::FieldState> loadedValues_;
    // The user typed in the vendor box since it was last resolved.
    bool pendingVendor_ = false;
    // Checks and commands running (leave events meanwhile are not the user's).
    int checking_ = 0;
    std::int16_t pendingCancel_ = 0, pendingUnloadMode_ = 0, nextUnloadMode_ = 0;
    long helpContextId_ = 0;
};

// The component's one card, kept in the context (created on first use; needs a QApplication).
frmContactEdit& ContactCard();

}  // namespace sovrel
