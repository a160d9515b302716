#pragma once
// The help window: the help pages shipped beside the program, in the user's language, shown in a
// browser window of their own at the page of the window that asked.
#include <QDialog>

#include <string>

class QTextBrowser;
class QUrl;

namespace sovrel {

// The original's HtmlHelp commands.
namespace helpcmd {
inline constexpr int DisplayTopic = 0;
inline constexpr int Context = 15;
}  // namespace helpcmd

class HelpWindow final : public QDialog {
public:
    explicit HelpWindow(QWidget* owner);
    // Shows page (a file URL); the back and forward buttons follow the pages shown.
    void Open(const QUrl& page);
    QTextBrowser& Browser() { return *browser_; }

private:
    QTextBrowser* browser_;
};

// The page of the help whose contents page is file that help command and context id open for
// the window named windowName: the window's own page (windowName + ".html" beside the contents),
// else, with command 15, the page that names contextId as its help context, else the contents.
// Empty when file does not exist.
std::string HelpPage(const std::string& file, int command, long contextId, const std::string& windowName);

// Opens the help window over owner (one per owner, brought to the front when open) at HelpPage.
// A missing help file is traced, not shown: the original's HtmlHelp says nothing either.
void ShowHelp(QWidget* owner, const std::string& file, int command, long contextId, const std::string& windowName);

}  // namespace sovrel
