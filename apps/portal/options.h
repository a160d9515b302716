#pragma once
// The portal's command line.
#include <optional>
#include <string>
#include <vector>

namespace portal {

struct Options {
    std::string dataDir = "data";  // folder of the demo account (its system database)
    std::string connection;        // connection text of the system database, instead of dataDir
    std::string user = "demo";
    std::string language;          // "" = the user's own
    std::string screenshot;        // PNG to write the contact list into, then exit
    std::string card;              // "add" or "modify": the screenshot shows the contact card's tabs
    std::string search;            // typed into the list's search box before the screenshot
    long sortColumn = 0;           // grid column whose header is clicked before it; 0 none
    bool sortDescending = false;   // clicked twice
    bool defaultData = true;       // dataDir was not given
    bool help = false;
};

inline constexpr const char* kUsage =
    "usage: sovrel-portal [--data DIR | --connection TEXT] [--user ID] [--language L] [--screenshot FILE [--card add|modify]\n"
    "                     [--search TEXT] [--sort N[:desc]]]\n"
    "  --data DIR         the account folder (default ./data, created with a demo account on first start)\n"
    "  --connection TEXT  connection text of the system database instead of a folder\n"
    "  --user ID          the user who logs in (default demo)\n"
    "  --language L       zh-CN or en-US, whatever the user's own language\n"
    "  --screenshot FILE  open the contact list off screen, save it as a PNG and exit\n"
    "  --card add|modify  with --screenshot: open the contact card from the list instead and save\n"
    "                     each of its tabs (FILE-tab0.png, FILE-tab1.png, FILE-tab2.png)\n"
    "  --search TEXT      with --screenshot: the list's quick search as if TEXT were typed\n"
    "  --sort N[:desc]    with --screenshot: the list sorted by a click on the header of grid column N\n"
    "                     (2 the contact code), :desc a second click\n";

// Reads the arguments after the program name; error receives what is wrong with them.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error);

}  // namespace portal
