#pragma once
// "HxColumnSetOcx": the column-settings control. One row per column of a column description
// (the fixed selection column is kept out of the user's way): shown or not, caption, width and
// sort; rows move by the up/down buttons or by dragging. Buttons ask for the default, all
// columns or the saved description (reload modes 0, 15, 2), and confirm with or without saving.
#include <QPointer>

#include <string>
#include <vector>

#include "common/hosts/column_settings.h"
#include "ui/widget_host.h"

class QTreeWidget;
class QWidget;

namespace host::controls {

class ColumnSetControl final : public sovrel::IColumnSetControl, public sovrel::IWidgetHost {
public:
    ColumnSetControl();
    ~ColumnSetControl() override;

    void Load(const std::string& columnInfo) override;
    void OnReload(std::function<void(int mode)> handler) override { onReload_ = std::move(handler); }
    void OnConfirm(std::function<void(bool save, const std::string& columnInfo)> handler) override {
        onConfirm_ = std::move(handler);
    }
    void OnClose(std::function<void()> handler) override { onClose_ = std::move(handler); }
    QWidget* Widget(QWidget* parent) override;

    // What the user sees, for the buttons and for tests: the rows in order, by column name.
    std::vector<std::string> Names() const;
    // Moves row from one place to another (as a drag does); false when either is out of range.
    bool MoveRow(int from, int to);
    void SetVisible(const std::string& name, bool visible);
    void SetCaption(const std::string& name, const std::string& caption);
    void SetWidth(const std::string& name, int width);
    // sort: "", "asc" or "desc".
    void SetSort(const std::string& name, const std::string& sort);
    // The description as the rows now say; "" before a Load that could be read.
    std::string Description() const;
    void Reload(int mode);
    void Confirm(bool save);
    void Close();

private:
    struct Entry;
    void Build();
    void Fill();
    void Harvest();
    int IndexOf(const std::string& name) const;

    QPointer<QWidget> widget_;
    QTreeWidget* tree_ = nullptr;
    std::vector<Entry> fixed_, entries_;
    bool loaded_ = false;
    std::function<void(int)> onReload_;
    std::function<void(bool, const std::string&)> onConfirm_;
    std::function<void()> onClose_;
};

}  // namespace host::controls
