#pragma once
// The list's "export vCard": the marked contacts to a vCard file the user chooses.
#include <string>
#include <vector>

namespace sovrel {

class frmContactList;

// Asks for the file through the host's save dialog, writes the contacts of codes, or those
// codeQuery selects, there and tells the user how many went out, or why none did. Cancelling the
// dialog does nothing.
void ExportVCards(frmContactList& list, const std::vector<std::string>& codes, const std::string& codeQuery = {});

}  // namespace sovrel
