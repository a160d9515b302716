#pragma once
// The key hook: sees the keys pressed anywhere in a window before the control with the focus,
// and reports them with the original key codes and shift states.
#include <QPointer>

#include <functional>
#include <memory>

#include "common/hosts/controls.h"
#include "ui/widget_host.h"

class QObject;
class QWidget;

namespace host::controls {

class KeyFilter;

class KeyHook final : public sovrel::IKeyHook, public sovrel::IWindowHook {
public:
    KeyHook();
    ~KeyHook() override;

    void OnKeyDown(std::function<void(int& keyCode, int shift)> handler) override;
    void OnKeyPress(std::function<void(int& keyAscii)> handler) override;
    // Watches window and every widget on it, also those added later; a second call moves the
    // hook to the new window.
    void Attach(QWidget* window) override;

private:
    std::unique_ptr<KeyFilter> filter_;
};

}  // namespace host::controls
