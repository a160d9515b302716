#pragma once
// The contact list's commands whose work lives in other windows and services (the card, the
// delete loop, the filter service, printing, column settings, chart, overview, mail and SMS).
// The list runs each command's frame itself (right, record lock, checks, release); the work in
// between is one hook here. An empty hook does nothing.
#include <cstdint>
#include <functional>
#include <string>

#include "ui/messaging/cls_contact.h"

namespace sovrel {

class frmContactList;

// What the delete hook reports back to the list.
struct DeleteRun {
    bool confirmed = false;  // the user said yes: the marked contacts were attempted
    bool deleted = false;    // at least one contact was deleted
};

struct ListActions {
    // "Add": the card for a new contact, then refresh and re-position when it saved. Runs with
    // right AS020305 and lock 11 held; codeColumn is the grid column of the contact code.
    std::function<void(frmContactList&, std::int16_t codeColumn)> add;
    // "Modify": the card for the current contact (marked, row valid), then refresh and
    // re-position when it saved. Right AS020301 and lock 2 held.
    std::function<void(frmContactList&, std::int16_t codeColumn)> modify;
    // "Del": confirmation, one data-service delete per marked contact, the result list. The code
    // column is the grid's current column. Right AS020306 and lock 8 held.
    std::function<DeleteRun(frmContactList&, std::int16_t codeColumn)> del;
    // "Filter"/"Find": the general filter, then DataRefresh. Right AS020302.
    std::function<void(frmContactList&)> filter;
    // "Pos" and "FindSet": locate a row, locate settings.
    std::function<void(frmContactList&)> pos;
    std::function<void(frmContactList&)> findSet;
    // mAsc (1) and mDesc (2): sort the grid in place.
    std::function<void(frmContactList&, int order)> sort;
    // "SetUp", "Print", "Preview", "SaveFile" (key as given): PrintAll. Right AS020304 and lock 5
    // held; the lock stays held until the window unloads.
    std::function<void(frmContactList&, const std::string& key)> print;
    // "ItemSet": the column settings window.
    std::function<void(frmContactList&)> itemSet;
    // "Report" and "General": organisation chart and contact overview. Right AS020302.
    std::function<void(frmContactList&)> report;
    std::function<void(frmContactList&)> general;
    // "SendMail": mail to the marked contacts (by code), or with Select All to every contact of
    // the list (by statements). Right AS020303, lock 3 held.
    std::function<void(frmContactList&, const MailRecipients&)> sendMail;
    // "SendMsg": SMS to the current contact (its row is valid). Right AS020303, lock 3 held.
    std::function<void(frmContactList&)> sendMsg;
};

// The hooks every new list window starts with; later windows plug themselves in here when
// they are registered.
ListActions& DefaultListActions();

}  // namespace sovrel
