#pragma once
// The host's choice dialog: one row of a rowset picked from a table with a search box, keyboard
// only if need be. The reference lists of the reference edit box, the base-code chooser and the
// public-utility object's FindMatch all ask through it.
#include <functional>
#include <string>
#include <vector>

#include "platform/db/rowset.h"

namespace host {

struct ChoiceRequest {
    std::string title;
    // Fields of the rows to show, and their captions (same order).
    std::vector<std::string> fields, captions;
    // Typed text the search box starts with.
    std::string search;
    std::string language;
};

// Answers the 0-based position of the chosen row in rows, or -1 when the user chose none.
using ChoicePresenter = std::function<long(const ChoiceRequest&, platform::db::Rowset& rows)>;

// Process-wide; answers the presenter it replaced. Without one (and without a QApplication)
// nothing is chosen.
ChoicePresenter SetChoicePresenter(ChoicePresenter presenter);

// Asks the installed presenter (by default the Qt dialog). The rowset's current row is left
// where it was.
long PresentChoice(const ChoiceRequest& request, platform::db::Rowset& rows);

// The Qt dialog itself.
long ShowChoiceDialog(const ChoiceRequest& request, platform::db::Rowset& rows);

}  // namespace host
