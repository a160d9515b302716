#include "ui/list/pager_widgets.h"

#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace sovrel {

PageLabel::PageLabel(QWidget* parent) : QLabel(parent) {
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
    SetHighlighted(false);
}

void PageLabel::SetPlain() { SetHighlighted(false); }

void PageLabel::SetHighlighted(bool on) {
    highlighted_ = on && isEnabled();
    // Blue like a link; underlined while the mouse is over it.
    QFont f = font();
    f.setUnderline(highlighted_);
    setFont(f);
    setStyleSheet(isEnabled() ? (highlighted_ ? "color:#1a56b8;" : "color:#2762c4;") : "color:#9a9a9a;");
    setCursor(isEnabled() ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void PageLabel::enterEvent(QEnterEvent* event) {
    SetHighlighted(true);
    QLabel::enterEvent(event);
}

void PageLabel::leaveEvent(QEvent* event) {
    SetHighlighted(false);
    QLabel::leaveEvent(event);
}

void PageLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isEnabled() && rect().contains(event->position().toPoint()) && onClick)
        onClick();
    QLabel::mouseReleaseEvent(event);
}

void PageLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) SetHighlighted(false);
    QLabel::changeEvent(event);
}

SpinButtons::SpinButtons(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto make = [this, layout](Qt::ArrowType arrow, std::function<void()> SpinButtons::*handler) {
        auto* b = new QToolButton(this);
        b->setArrowType(arrow);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(16, 11);
        b->setStyleSheet("QToolButton{border:1px solid #b8c4d6;background:#f4f7fb;padding:0;}"
                         "QToolButton:hover{background:#dde8f7;}QToolButton:pressed{background:#c6d8f0;}");
        connect(b, &QToolButton::clicked, this, [this, handler] {
            if (this->*handler) (this->*handler)();
        });
        layout->addWidget(b);
        return b;
    };
    up_ = make(Qt::UpArrow, &SpinButtons::onUp);
    down_ = make(Qt::DownArrow, &SpinButtons::onDown);
    setFixedWidth(16);
}

}  // namespace sovrel
