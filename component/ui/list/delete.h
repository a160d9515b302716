#pragma once
// The list's delete of its marked contacts (the work between the "Del" command's checks and its
// reload).
#include <cstdint>
#include <string>

#include "platform/db/rowset.h"
#include "ui/list/list_actions.h"

namespace sovrel {

class frmContactList;
using RowsetPtr = std::shared_ptr<platform::db::Rowset>;

// Confirmation, one delete per marked row (selection text starting with the check mark), the
// result list shown; lock 8 is given back before the list is shown.
DeleteRun DeleteMarked(frmContactList& list, std::int16_t codeColumn);

// One contact: kept when it is another's superior, else deleted through the data service and its
// vendor relinked to a main contact. sMsg receives what its result row says; true when deleted.
bool DeleteContact(std::string& sMsg, std::string& code, const std::string& idName, const RowsetPtr& resultList);

// Gives vendorCode a main contact (its contact with the highest code) when its link points to
// none.
std::string VendorRelinkStatement(const std::string& vendorCode);

}  // namespace sovrel
