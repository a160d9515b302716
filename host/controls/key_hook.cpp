#include "key_hook.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <exception>

#include "host/controls.h"
#include "platform/diagnostics.h"

namespace host {

int VirtualKeyCode(int key, bool keypad) {
    if (keypad) {
        if (key >= Qt::Key_0 && key <= Qt::Key_9) return 96 + (key - Qt::Key_0);
        switch (key) {
            case Qt::Key_Asterisk: return 106;
            case Qt::Key_Plus: return 107;
            case Qt::Key_Minus: return 109;
            case Qt::Key_Period: return 110;
            case Qt::Key_Slash: return 111;
            default: break;  // keypad Enter, arrows ... are the main keyboard's
        }
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 112 + (key - Qt::Key_F1);
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return 65 + (key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return 48 + (key - Qt::Key_0);
    switch (key) {
        case Qt::Key_Backspace: return 8;
        case Qt::Key_Tab: case Qt::Key_Backtab: return 9;
        case Qt::Key_Clear: return 12;
        case Qt::Key_Return: case Qt::Key_Enter: return 13;
        case Qt::Key_Shift: return 16;
        case Qt::Key_Control: return 17;
        case Qt::Key_Alt: return 18;
        case Qt::Key_Pause: return 19;
        case Qt::Key_CapsLock: return 20;
        case Qt::Key_Escape: return 27;
        case Qt::Key_Space: return 32;
        case Qt::Key_PageUp: return 33;
        case Qt::Key_PageDown: return 34;
        case Qt::Key_End: return 35;
        case Qt::Key_Home: return 36;
        case Qt::Key_Left: return 37;
        case Qt::Key_Up: return 38;
        case Qt::Key_Right: return 39;
        case Qt::Key_Down: return 40;
        case Qt::Key_Print: return 44;
        case Qt::Key_Insert: return 45;
        case Qt::Key_Delete: return 46;
        case Qt::Key_Help: return 47;
        case Qt::Key_Menu: return 93;
        case Qt::Key_NumLock: return 144;
        case Qt::Key_ScrollLock: return 145;
        // Punctuation by its key on a US keyboard, shifted or not.
        case Qt::Key_Semicolon: case Qt::Key_Colon: return 186;
        case Qt::Key_Equal: case Qt::Key_Plus: return 187;
        case Qt::Key_Comma: case Qt::Key_Less: return 188;
        case Qt::Key_Minus: case Qt::Key_Underscore: return 189;
        case Qt::Key_Period: case Qt::Key_Greater: return 190;
        case Qt::Key_Slash: case Qt::Key_Question: return 191;
        case Qt::Key_QuoteLeft: case Qt::Key_AsciiTilde: return 192;
        case Qt::Key_BracketLeft: case Qt::Key_BraceLeft: return 219;
        case Qt::Key_Backslash: case Qt::Key_Bar: return 220;
        case Qt::Key_BracketRight: case Qt::Key_BraceRight: return 221;
        case Qt::Key_Apostrophe: case Qt::Key_QuoteDbl: return 222;
        case Qt::Key_Exclam: return 49;
        case Qt::Key_At: return 50;
        case Qt::Key_NumberSign: return 51;
        case Qt::Key_Dollar: return 52;
        case Qt::Key_Percent: return 53;
        case Qt::Key_AsciiCircum: return 54;
        case Qt::Key_Ampersand: return 55;
        case Qt::Key_Asterisk: return 56;
        case Qt::Key_ParenLeft: return 57;
        case Qt::Key_ParenRight: return 48;
        default: return 0;
    }
}

int ShiftState(int modifiers) {
    int shift = sovrel::shift::None;
    if (modifiers & Qt::ShiftModifier) shift |= sovrel::shift::Shift;
    if (modifiers & Qt::ControlModifier) shift |= sovrel::shift::Ctrl;
    if (modifiers & Qt::AltModifier) shift |= sovrel::shift::Alt;
    return shift;
}

namespace controls {

namespace {

// The key a replacement character is typed with.
int KeyOfCharacter(int character) {
    switch (character) {
        case 8: return Qt::Key_Backspace;
        case 9: return Qt::Key_Tab;
        case 13: return Qt::Key_Return;
        case 27: return Qt::Key_Escape;
        default: break;
    }
    if (character >= 'a' && character <= 'z') return Qt::Key_A + (character - 'a');
    return character;  // Qt's keys of printable Latin-1 characters are their codes
}

}  // namespace

// Installed on the application, so it also sees widgets added to the window later and runs
// before any widget's own filters.
class KeyFilter final : public QObject {
public:
    QPointer<QWidget> window;
    std::function<void(int&, int)> keyDown;
    std::function<void(int&)> keyPress;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || resending_ || !window || !watched->isWidgetType()) return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (widget != window && !window->isAncestorOf(widget)) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        // A key the focused widget leaves unused travels up to its parents: it was seen already.
        if (event == last_ && key->timestamp() == lastTime_ && key->key() == lastKey_ && lastWidget_ &&
            widget->isAncestorOf(lastWidget_))
            return false;
        last_ = event;
        lastTime_ = key->timestamp();
        lastKey_ = key->key();
        lastWidget_ = widget;

        const int code = VirtualKeyCode(key->key(), key->modifiers() & Qt::KeypadModifier);
        if (code != 0 && keyDown) {
            int changed = code;
            if (!Call([&] { keyDown(changed, ShiftState(static_cast<int>(key->modifiers()))); })) return false;
            if (changed == 0) return true;
        }
        const QString text = key->text();
        if (!keyPress || text.isEmpty()) return false;
        const int typed = static_cast<int>(text.toUcs4().value(0));
        int character = typed;
        if (!Call([&] { keyPress(character); })) return false;
        if (character == typed) return false;
        if (character != 0) {
            // The handler typed another character in place of this one.
            const char32_t c = static_cast<char32_t>(character);
            QKeyEvent replacement(QEvent::KeyPress, KeyOfCharacter(character), Qt::NoModifier, QString::fromUcs4(&c, 1));
            resending_ = true;
            QCoreApplication::sendEvent(widget, &replacement);
            resending_ = false;
        }
        return true;
    }

private:
    // An error must not unwind through Qt's event loop; the key then goes on as if unseen.
    template <typename F>
    bool Call(F&& f) {
        try {
            f();
            return true;
        } catch (const std::exception& e) {
            platform::DebugOutput(std::string("TkKeyHook handler failed: ") + e.what());
            return false;
        }
    }

    bool resending_ = false;
    const QEvent* last_ = nullptr;
    quint64 lastTime_ = 0;
    int lastKey_ = 0;
    QPointer<QWidget> lastWidget_;
};

KeyHook::KeyHook() : filter_(std::make_unique<KeyFilter>()) {}
KeyHook::~KeyHook() = default;

void KeyHook::OnKeyDown(std::function<void(int& keyCode, int shift)> handler) { filter_->keyDown = std::move(handler); }
void KeyHook::OnKeyPress(std::function<void(int& keyAscii)> handler) { filter_->keyPress = std::move(handler); }

void KeyHook::Attach(QWidget* window) {
    filter_->window = window;
    if (qApp) {
        qApp->removeEventFilter(filter_.get());
        qApp->installEventFilter(filter_.get());
    }
}

}  // namespace controls
}  // namespace host
