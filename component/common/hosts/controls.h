#pragma once
// The host's desktop controls the windows place on themselves, without the toolkit that draws
// them: the text-matrix grid, the toolbar whose buttons carry command keys, and the key hook.
// A window gets the toolkit object to place through IWidgetHost (ui/widget_host.h).
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/db/connection.h"
#include "platform/object_factory.h"

namespace sovrel {

class ILogin;

// Cell alignments of the grid (the original control's numbers).
namespace align {
constexpr int LeftCenter = 1, CenterCenter = 4, RightCenter = 7, General = 9;
}

// "TkFlexGrid": rows and columns of texts. Row 0 is the header row (fixed), column 0 the fixed
// column. Positions are 0-based.
class IFlexGrid : public platform::Object {
public:
    virtual long Rows() const = 0;
    virtual void SetRows(long rows) = 0;  // keeps the texts of the rows that remain
    virtual long Cols() const = 0;
    virtual void SetCols(long cols) = 0;
    // The current cell; a row or column out of range throws platform::Error.
    virtual long Row() const = 0;
    virtual void SetRow(long row) = 0;
    virtual long Col() const = 0;
    virtual void SetCol(long col) = 0;
    // The first data row scrolled into view.
    virtual long TopRow() const = 0;
    virtual void SetTopRow(long row) = 0;
    // While false, changes are not drawn (a fill of many cells draws once at the end).
    virtual bool Redraw() const = 0;
    virtual void SetRedraw(bool redraw) = 0;
    virtual std::string TextMatrix(long row, long col) const = 0;
    virtual void SetTextMatrix(long row, long col, const std::string& text) = 0;
    // Alignment of the current cell (align::...).
    virtual void SetCellAlignment(int alignment) = 0;
    virtual int CellAlignment(long row, long col) const = 0;
    // Alignment of a column's data cells whose own alignment is General (align::General: numbers
    // right, other texts left).
    virtual void SetColAlignment(long col, int alignment) = 0;
    virtual int ColAlignment(long col) const = 0;
    // Appearance properties by the original control's names: colours ("BackColor",
    // "BackColorBkg", "BackColorFixed", "BackColorSel", "ForeColorSel", "GridColor",
    // "GridColorFixed") as 0xRRGGBB, and "Appearance", "GridLinesFixed" as numbers. An unknown
    // name throws platform::Error.
    virtual void SetProperty(const std::string& name, long value) = 0;
    virtual long Property(const std::string& name) const = 0;
    // Column width in pixels; -1 gives the column its default width back. AutoSizeColumns sizes
    // to its content every column whose width was not given (by SetColWidth or the user).
    virtual long ColWidth(long col) const = 0;
    virtual void SetColWidth(long col, long pixels) = 0;
    virtual void AutoSizeColumns() = 0;
    virtual bool HasFocus() const = 0;
    // Events: a click or double-click on a cell (Row/Col are that cell), a mouse button
    // released over the grid (1 left, 2 right).
    virtual void OnClick(std::function<void()> handler) = 0;
    virtual void OnDblClick(std::function<void()> handler) = 0;
    virtual void OnMouseUp(std::function<void(int button)> handler) = 0;
    // A left click on the header of column col (a drag that resizes the column is no click).
    virtual void OnHeaderClick(std::function<void(long col)> handler) = 0;
    // The sort arrow on the header of column col: 1 ascending, 2 descending; 0, or a column out
    // of range, shows none.
    virtual void SetSortIndicator(long col, int order) = 0;
};

// "TkToolBarCtrl": buttons defined by a toolbar definition the host keeps, each carrying a
// command key and a caption.
class IToolbar : public platform::Object {
public:
    // Loads the buttons of the named definition ("Archives_Sovrel_List") for the subsystem,
    // captions in the login's language, enabled by the login's rights; false with nothing
    // loaded when the definition is unknown.
    virtual bool Init(std::shared_ptr<platform::db::Connection> connection, std::shared_ptr<ILogin> login,
                      const std::string& definition, const std::string& subsystem) = 0;
    virtual std::vector<std::string> ButtonKeys() const = 0;
    virtual std::string ButtonCaption(const std::string& key) const = 0;
    virtual bool ButtonEnabled(const std::string& key) const = 0;
    virtual void SetButtonEnabled(const std::string& key, bool enabled) = 0;
    virtual void SetButtonVisible(const std::string& key, bool visible) = 0;
    // Re-reads the enabled state of every button from the login's rights.
    virtual void RefreshStates() = 0;
    virtual void SetVisible(bool visible) = 0;
    // A button was pressed: its key, unchanged.
    virtual void OnButtonClick(std::function<void(const std::string& key)> handler) = 0;
};

// Shift states of key events (the original's bit values).
namespace shift {
constexpr int None = 0, Shift = 1, Ctrl = 2, Alt = 4;
}

// "TkKeyHookCtrl": the keys pressed anywhere in a window, before its controls see them.
class IKeyHook : public platform::Object {
public:
    // keyCode: the original virtual-key numbers (112 F1 ... 123 F12, 46 Delete, 13 Enter, 33/34
    // Page Up/Down, 'A'..'Z' as 65..90). A handler that sets keyCode to 0 consumes the key.
    virtual void OnKeyDown(std::function<void(int& keyCode, int shift)> handler) = 0;
    // keyAscii: the character typed; set to 0 to consume it.
    virtual void OnKeyPress(std::function<void(int& keyAscii)> handler) = 0;
};

}  // namespace sovrel
