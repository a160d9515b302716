#pragma once
// The small widgets of the list's pager strip: page labels that act like links, the spin
// buttons beside the two pager boxes, and an event filter for those boxes and the web frame.
#include <QLabel>
#include <QObject>
#include <QWidget>

#include <functional>

class QToolButton;

namespace sovrel {

// A page label ("First", "Previous" ...): highlighted while the mouse is over it, clicked with
// the left button; a disabled label is grey and does not react.
class PageLabel final : public QLabel {
public:
    explicit PageLabel(QWidget* parent);
    std::function<void()> onClick;
    // Back to the plain style (the mouse left the strip).
    void SetPlain();
    bool Highlighted() const { return highlighted_; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void SetHighlighted(bool on);
    bool highlighted_ = false;
};

// Two stacked arrow buttons beside an edit box, with the step and bounds of the box's value.
class SpinButtons final : public QWidget {
public:
    explicit SpinButtons(QWidget* parent);
    int step = 1, lower = 1, upper = 1;
    std::function<void()> onUp, onDown;
    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

private:
    QToolButton* up_;
    QToolButton* down_;
};

// Hands the events of the widgets it watches to a handler; true from it consumes the event.
class EventFilter final : public QObject {
public:
    EventFilter(QObject* parent, std::function<bool(QObject* watched, QEvent* event)> handler)
        : QObject(parent), handler_(std::move(handler)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        return (handler_ && handler_(watched, event)) || QObject::eventFilter(watched, event);
    }

private:
    std::function<bool(QObject*, QEvent*)> handler_;
};

}  // namespace sovrel
