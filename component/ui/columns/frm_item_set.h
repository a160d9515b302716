#pragma once
// frmItemSet: the list's column settings in the host's column-settings control. Confirming
// replaces the list's column information, rebuilds its header and reloads it; saving also
// stores the description for the user.

#include <cstdint>
#include <memory>
#include <string>

#include "common/form.h"
#include "ui/form_window.h"

namespace sovrel {

class IColumnSetControl;
class frmContactList;

class frmItemSet final : public FormWindow<IForm> {
public:
    explicit frmItemSet(frmContactList& list);
    ~frmItemSet() override;

    std::string Name() const override { return "frmItemSet"; }

    void FormLoad();
    // Unloads the window; answers what Form_QueryUnload recorded.
    void ExitForm(std::int16_t& cancel, std::int16_t& unloadMode);
    // The control's events (public so the host and tests can raise them).
    void ColSetReload(int mode);
    void ColSetConfirm(bool save, const std::string& columnInfo);
    void ColSetClose();
    IColumnSetControl* Control() const { return control_.get(); }

protected:
    void LoadForShow() override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Unload();

    frmContactList& list_;
    std::shared_ptr<IColumnSetControl> control_;
    bool loaded_ = false, unloaded_ = false;
    std::int16_t pendingCancel_ = 0, pendingUnloadMode_ = 0;
};

// "ItemSet": the widths kept (SaveColSet), then the window, modally.
void OpenItemSet(frmContactList& list);

}  // namespace sovrel
