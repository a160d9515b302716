#pragma once
// The toolkit side of a host control: the Qt widget a window places. Host controls implement it
// beside their component interface (IFlexGrid, IToolbar ...); a key hook attaches to a window.
#include <memory>

class QWidget;

namespace sovrel {

class IWidgetHost {
public:
    virtual ~IWidgetHost() = default;
    // The control's widget, created on first call with the given parent.
    virtual QWidget* Widget(QWidget* parent) = 0;
};

class IWindowHook {
public:
    virtual ~IWindowHook() = default;
    // Starts watching the keys of window and everything on it.
    virtual void Attach(QWidget* window) = 0;
};

}  // namespace sovrel
