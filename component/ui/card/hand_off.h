#pragma once
// The list's "Add" and "Modify": the shared card prepared for a new contact or for the list's
// current row, shown modally, and the list refreshed when the card saved something.
#include <cstdint>

namespace sovrel {

class frmContactList;

void OpenCardForAdd(frmContactList& list, std::int16_t codeColumn);
void OpenCardForModify(frmContactList& list, std::int16_t codeColumn);

}  // namespace sovrel
