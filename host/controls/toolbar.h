#pragma once
// The toolbar control: buttons from a toolbar definition (host/controls.h), captions in the
// login's language, enabled by the login's function rights.
#include <QPointer>

#include <memory>
#include <string>
#include <vector>

#include "common/hosts/controls.h"
#include "host/controls.h"
#include "ui/widget_host.h"

class QAction;
class QToolBar;

namespace host::controls {

class Toolbar final : public sovrel::IToolbar, public sovrel::IWidgetHost {
public:
    ~Toolbar() override;

    // The connection is not needed: the definitions and the rights live in the host.
    bool Init(std::shared_ptr<platform::db::Connection> connection, std::shared_ptr<sovrel::ILogin> login,
              const std::string& definition, const std::string& subsystem) override;
    std::vector<std::string> ButtonKeys() const override;  // separators as "|"
    std::string ButtonCaption(const std::string& key) const override;
    bool ButtonEnabled(const std::string& key) const override;
    void SetButtonEnabled(const std::string& key, bool enabled) override;
    void SetButtonVisible(const std::string& key, bool visible) override;
    void RefreshStates() override;
    void SetVisible(bool visible) override;
    void OnButtonClick(std::function<void(const std::string& key)> handler) override { onClick_ = std::move(handler); }

    QWidget* Widget(QWidget* parent) override;

private:
    struct State {
        ToolbarButtonDef def;
        std::string caption, shortcut;
        bool enabled = true, visible = true;
        QPointer<QAction> action;
    };
    const State* Find(const std::string& key) const;
    void ReadRights();
    void Rebuild();
    void Click(const std::string& key);

    std::vector<State> buttons_;
    std::weak_ptr<sovrel::ILogin> login_;
    QPointer<QToolBar> bar_;
    bool visible_ = true;
    std::function<void(const std::string&)> onClick_;
};

}  // namespace host::controls
