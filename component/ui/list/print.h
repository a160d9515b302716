#pragma once
// The list's print, preview and export (commands "SetUp", "Print", "Preview", "SaveFile"): the
// data and style texts handed to the window's print control, and the texts they are made from.
#include <string>

namespace sovrel {

class frmContactList;
class IFlexGrid;
class IPrintControl;

namespace list {

// The print parameter text of a year.
std::string PrintParameterText(const std::string& year);
// Every ",1," of a size list becomes ",10,", matches taken left to right without overlap
// (",1,1," gives ",10,1,").
std::string WidenSizes(std::string sizes);

// The data text: the grid's rows with the title, the user and the accounting year.
void WriteData(IFlexGrid& grid, std::string& data);
// The export types and sizes of the list's columns (sizes widened).
void ExportTypes(std::string& types, std::string& sizes);
// One of the four commands (key compared without regard to case) on the grid through prn.
void PrintAll(frmContactList& window, const std::string& key, IFlexGrid& grid, IPrintControl& prn);
// The command as the window runs it: its print control is created on first use (and its style
// event wired to the stored style); without a print control the command does nothing.
void PrintCommand(frmContactList& window, const std::string& key);

}  // namespace list
}  // namespace sovrel
