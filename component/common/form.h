#pragma once
// What the component needs of a window, whatever toolkit draws it, and the list of the
// component's open windows.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/db/rowset.h"
#include "platform/object_factory.h"

namespace sovrel {

class IForm : public platform::Object {
public:
    // The window's name ("frmContactList", "frmContactEdit", ...).
    virtual std::string Name() const = 0;
    virtual void BringToFront() = 0;
    // Returns when the window has closed.
    virtual void ShowModal() = 0;
    virtual void ShowModeless() = 0;
    virtual std::string Caption() const = 0;
    virtual void SetCaption(const std::string& caption) = 0;
};

// The contact list window as the entry class and the public-utility object see it.
class IListWindow : public IForm {
public:
    // Fills the grid from a page of the list (then formats it, RepairGrid).
    virtual void FillGrid(std::shared_ptr<platform::db::Rowset> page) = 0;
    // Enables the first/previous page labels (first) and the next/last ones (second).
    virtual void LblPageEnabled(bool first, bool second) = 0;
    // The entry object the list calls OpenPage through (not owned: the caller owns it).
    virtual void SetEntryObject(std::weak_ptr<platform::Object> entry) = 0;
    // Text of the first panel of the status bar.
    virtual std::string StatusText() const = 0;
    virtual void SetStatusText(const std::string& text) = 0;

    // ---- The whole list behind the pages (locate searches all of it) ----
    // The list's rows, every page of them; field f is shown in grid column f + 1. Null before
    // the first query (and for a window that shows no pages).
    virtual std::shared_ptr<platform::db::Rowset> ListRows() const { return nullptr; }
    // The text the grid shows for a value of the list's field f (flags, base codes and numbers as
    // it formats them), made for one pass over the list; null: as stored.
    virtual std::function<std::string(std::size_t f, const platform::db::Value& value)> ShownTexts() const { return nullptr; }
    // The list row (counted from 1) that grid row 1 shows.
    virtual long FirstShownRow() const { return 1; }
    // Turns to the page that holds list row `row` and makes it the grid's current row; false
    // when the list has no such row.
    virtual bool ShowListRow(long /*row*/) { return false; }
};

// Windows register themselves while they are open, in the order they opened.
void RegisterOpenForm(IForm* form);
void UnregisterOpenForm(IForm* form);
std::vector<IForm*> OpenForms();

}  // namespace sovrel
