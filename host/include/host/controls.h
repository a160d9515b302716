#pragma once
// The host's desktop controls on Qt Widgets: the text-matrix grid ("TkFlexGrid.TkFlexGridCtrl"),
// the toolbar ("TkToolBar.TkToolBarCtrl"), the key hook ("TkKeyHook.TkKeyHookCtrl") and the Qt
// message boxes. RegisterControls() (host/register.h) registers the three controls; each
// implements its component interface (common/hosts/controls.h) beside IWidgetHost or IWindowHook
// (ui/widget_host.h). They need a QApplication only once a widget is asked for.
#include <string>
#include <vector>

namespace host {

// ---- Message boxes -------------------------------------------------------------------------

// Makes every message box of the component and of the host a modal QMessageBox over the active
// window, titled as the caller asks, with the buttons of its style in the request's language.
// Without a QApplication messages keep going to the previous presenter.
void InstallQtMessageBoxes();

// The buttons of a message-box style, as the answers they give, in the order shown: the low
// four bits pick the set (0 OK, 1 OK/Cancel, 2 Abort/Retry/Ignore, 3 Yes/No/Cancel, 4 Yes/No,
// 5 Retry/Cancel; others are read as 0). Answers: 1 OK, 2 Cancel, 3 Abort, 4 Retry, 5 Ignore,
// 6 Yes, 7 No.
std::vector<int> MessageBoxAnswers(int style);
// The answer when the box is closed without a button (Escape, the title bar): Cancel when the
// style has it, OK for a box with OK alone, 0 when the box must be answered (Yes/No,
// Abort/Retry/Ignore).
int MessageBoxEscapeAnswer(int style);
// The answer of the button that starts focused: the first, the second (style bit 256) or the
// third (512) of the set, the first when the set has fewer.
int MessageBoxDefaultAnswer(int style);
// Resource key of a button's caption by its answer ("Hx.AA.MSGBOX.Yes" for 6); "" for others.
std::string MessageBoxButtonKey(int answer);

// ---- Toolbar definitions -------------------------------------------------------------------

// One button of a toolbar definition; the key "|" is a separator.
struct ToolbarButtonDef {
    std::string key;         // the command key the button passes on
    std::string captionKey;  // its caption in host/texts
    std::string right;       // the function right that enables it; "" always enabled
};

// The buttons of a definition the host keeps, for a sub-system ("Archives_Sovrel_List", "AS");
// names compare without case. nullptr when the definition is unknown to that sub-system.
const std::vector<ToolbarButtonDef>* FindToolbarDefinition(const std::string& definition,
                                                           const std::string& subsystem);

// The freedesktop icon theme the toolbars draw with, whatever the desktop's (scripts/deps
// installs it).
inline constexpr const char* kIconTheme = "oxygen";
// The icon name the toolbar shows for a command key, the first of its conventional names the
// theme has; "" when it has none. Needs a QApplication.
std::string ToolbarIconName(const std::string& key);

// ---- Keys ----------------------------------------------------------------------------------

// The original virtual-key number of a Qt key (Qt::Key); keypad keys when keypad is set. 0 for
// a key the original keyboard did not have.
int VirtualKeyCode(int qtKey, bool keypad = false);
// The original shift state (shift::Shift 1, Ctrl 2, Alt 4) of Qt keyboard modifiers.
int ShiftState(int qtModifiers);

}  // namespace host
