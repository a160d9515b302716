// The toolbar control and the toolbar definitions the host keeps.
//
// The definitions are compiled in: they change with the windows that use them, not per account,
// and a table in tksystem would need a schema change and a migration for every new button.
#include "toolbar.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QToolBar>

#include <exception>
#include <initializer_list>
#include <set>

#include "../session/support.h"
#include "host/controls.h"
#include "host/session.h"
#include "platform/diagnostics.h"
#include "platform/error.h"
#include "platform/text.h"

namespace host {

namespace txt = platform::text;

namespace {

struct Definition {
    const char* name;
    const char* subsystem;
    std::vector<ToolbarButtonDef> buttons;
};

ToolbarButtonDef Button(const char* key, const char* right = "") {
    return {key, std::string("Hx.AA.TOOLBAR.") + key, right};
}
ToolbarButtonDef Separator() { return {"|", "", ""}; }

const std::vector<Definition>& Definitions() {
    static const std::vector<Definition> definitions = {
        {"Archives_Sovrel_List", "AS",
         {Button("SetUp", "AS020304"), Button("Print", "AS020304"), Button("Preview", "AS020304"),
          Button("SaveFile", "AS020304"), Separator(), Button("Add", "AS020305"), Button("Modify", "AS020301"),
          Button("Del", "AS020306"), Separator(), Button("Filter", "AS020302"), Button("Pos"), Button("Refresh"),
          Separator(), Button("ItemSet"), Button("Report", "AS020302"), Button("General", "AS020302"),
          Button("SendMail", "AS020303"),
          Button("SendMsg", "AS020303"), Separator(), Button("Help"), Button("Exit")}},
        // The card: the move buttons sit at positions 3 to 6, where the card looks for them.
        {"Archives_Sovrel_Edit", "AS",
         {Button("SaveRs"), Separator(), Button("First"), Button("Previous"), Button("Next"), Button("Last"), Separator(),
          Button("Help"), Button("Exit")}},
    };
    return definitions;
}

// The keys the windows take for a button's command (their key hooks do the work), named in the
// button's tooltip. Key caps read the same in every language.
struct ButtonShortcut {
    const char* definition;
    const char* key;
    const char* shortcut;
};
const ButtonShortcut kShortcuts[] = {
    {"Archives_Sovrel_List", "Print", "Ctrl+P"},   {"Archives_Sovrel_List", "Add", "F5"},
    {"Archives_Sovrel_List", "Modify", "F7"},      {"Archives_Sovrel_List", "Del", "Del"},
    {"Archives_Sovrel_List", "Filter", "F3"},      {"Archives_Sovrel_List", "Pos", "Ctrl+F3"},
    {"Archives_Sovrel_List", "Refresh", "F9"},     {"Archives_Sovrel_List", "Help", "F1"},
    {"Archives_Sovrel_Edit", "SaveRs", "F6"},      {"Archives_Sovrel_Edit", "First", "Alt+PgUp"},
    {"Archives_Sovrel_Edit", "Previous", "PgUp"},  {"Archives_Sovrel_Edit", "Next", "PgDn"},
    {"Archives_Sovrel_Edit", "Last", "Alt+PgDn"},  {"Archives_Sovrel_Edit", "Help", "F1"},
    {"Archives_Sovrel_Edit", "Exit", "Esc"},
};

std::string ShortcutOf(const std::string& definition, const std::string& key) {
    for (const auto& s : kShortcuts)
        if (txt::EqualsNoCase(txt::Trim(definition), s.definition) && key == s.key) return s.shortcut;
    return "";
}

// Freedesktop icon names, the conventional one first; the first the theme has is used.
struct IconChoice {
    const char* key;
    std::initializer_list<const char*> names;
};
const IconChoice kIcons[] = {
    {"SetUp", {"document-page-setup", "configure"}},
    {"Print", {"document-print"}},
    {"Preview", {"document-print-preview"}},
    {"SaveFile", {"document-save-as"}},
    {"Add", {"list-add"}},
    {"Modify", {"document-edit"}},
    {"Del", {"edit-delete"}},
    {"Filter", {"view-filter"}},
    {"Pos", {"edit-find"}},
    {"Refresh", {"view-refresh"}},
    {"ItemSet", {"view-list-details"}},
    {"Report", {"view-process-tree", "view-list-tree"}},
    {"General", {"x-office-contact", "user-identity"}},  // the "Generals" image: the contact overview
    {"SendMail", {"mail-send"}},
    {"SendMsg", {"phone", "smartphone"}},
    {"Help", {"help-contents"}},
    {"Exit", {"application-exit"}},
    {"SaveRs", {"document-save"}},
    {"First", {"go-first"}},
    {"Previous", {"go-previous"}},
    {"Next", {"go-next"}},
    {"Last", {"go-last"}},
};

// One theme for every window, whatever the desktop's, so the buttons look alike everywhere.
void UseIconTheme() {
    static bool done = false;
    if (done) return;
    done = true;
    QStringList paths = QIcon::themeSearchPaths();
    for (const char* dir : {"/usr/share/icons", "/usr/local/share/icons"})
        if (!paths.contains(QString(dir))) paths << QString(dir);
    QIcon::setThemeSearchPaths(paths);
    QIcon::setThemeName(kIconTheme);
}

}  // namespace

std::string ToolbarIconName(const std::string& key) {
    UseIconTheme();
    for (const auto& i : kIcons)
        if (key == i.key) {
            for (const char* name : i.names)
                if (QIcon::hasThemeIcon(name)) return name;
            return "";
        }
    return "";
}

namespace {

QIcon IconFor(const std::string& key) {
    const std::string name = ToolbarIconName(key);
    return name.empty() ? QIcon() : QIcon::fromTheme(QString::fromStdString(name));
}

}  // namespace

const std::vector<ToolbarButtonDef>* FindToolbarDefinition(const std::string& definition, const std::string& subsystem) {
    for (const auto& d : Definitions())
        if (txt::EqualsNoCase(txt::Trim(definition), d.name) && txt::EqualsNoCase(txt::Trim(subsystem), d.subsystem))
            return &d.buttons;
    return nullptr;
}

namespace controls {

bool Toolbar::Init(std::shared_ptr<platform::db::Connection> /*connection*/, std::shared_ptr<sovrel::ILogin> login,
                   const std::string& definition, const std::string& subsystem) {
    const auto* buttons = FindToolbarDefinition(definition, subsystem);
    buttons_.clear();
    login_ = login;
    if (!buttons) {
        Rebuild();
        return false;
    }
    const std::string language = detail::LanguageOf(login.get());
    for (const auto& def : *buttons) {
        State s;
        s.def = def;
        if (def.key != "|") {
            s.caption = detail::HostText(language, def.captionKey);
            s.shortcut = ShortcutOf(definition, def.key);
        }
        buttons_.push_back(std::move(s));
    }
    ReadRights();
    Rebuild();
    return true;
}

std::vector<std::string> Toolbar::ButtonKeys() const {
    std::vector<std::string> keys;
    for (const auto& b : buttons_) keys.push_back(b.def.key);
    return keys;
}

const Toolbar::State* Toolbar::Find(const std::string& key) const {
    for (const auto& b : buttons_)
        if (b.def.key != "|" && txt::EqualsNoCase(b.def.key, key)) return &b;
    return nullptr;
}

std::string Toolbar::ButtonCaption(const std::string& key) const {
    const State* b = Find(key);
    return b ? b->caption : std::string();
}

bool Toolbar::ButtonEnabled(const std::string& key) const {
    const State* b = Find(key);
    return b && b->enabled;
}

void Toolbar::SetButtonEnabled(const std::string& key, bool enabled) {
    if (auto* b = const_cast<State*>(Find(key))) {
        b->enabled = enabled;
        if (b->action) b->action->setEnabled(enabled);
    }
}

void Toolbar::SetButtonVisible(const std::string& key, bool visible) {
    if (auto* b = const_cast<State*>(Find(key))) {
        b->visible = visible;
        if (b->action) b->action->setVisible(visible);
    }
}

void Toolbar::ReadRights() {
    auto login = login_.lock();
    std::set<std::string> granted, asked;
    // A host login answers every right in one query; another login is asked one right at a time.
    auto* session = dynamic_cast<LoginSession*>(login.get());
    bool read = false;
    if (session) {
        try {
            auto db = detail::Open(session->SystemConnectionText());
            auto rs = db->OpenRowset(
                "SELECT r.cFuncId FROM UA_FuncRight r JOIN UA_User u ON u.cUser_Id = r.cUser_Id WHERE r.cUser_Id = " +
                detail::Sql(session->cUserId()) + " AND u.bDisabled = 0");
            for (; !rs->Eof(); rs->MoveNext()) granted.insert(txt::UCase(txt::Trim(rs->Get(0).ToText())));
            read = true;
        } catch (const platform::Error& e) {
            platform::DebugOutput("toolbar rights could not be read, buttons with a right stay disabled: " +
                                  e.Description());
            read = true;
        }
    }
    for (auto& b : buttons_) {
        if (b.def.key == "|") continue;
        if (b.def.right.empty()) {
            b.enabled = true;
        } else if (read) {
            b.enabled = granted.count(txt::UCase(b.def.right)) > 0;
        } else if (login) {
            std::string code = b.def.right;
            int lockFlag = 0;
            b.enabled = login->TaskExec(code, lockFlag);
        } else {
            b.enabled = false;
        }
        if (b.action) b.action->setEnabled(b.enabled);
    }
}

void Toolbar::RefreshStates() { ReadRights(); }

void Toolbar::SetVisible(bool visible) {
    visible_ = visible;
    if (bar_) bar_->setVisible(visible);
}

void Toolbar::Rebuild() {
    if (!bar_) return;
    bar_->clear();
    for (auto& b : buttons_) {
        if (b.def.key == "|") {
            b.action = bar_->addSeparator();
            continue;
        }
        QAction* action = bar_->addAction(IconFor(b.def.key), QString::fromStdString(b.caption));
        action->setObjectName(QString::fromStdString(b.def.key));
        action->setToolTip(QString::fromStdString(b.shortcut.empty() ? b.caption : b.caption + " (" + b.shortcut + ")"));
        action->setEnabled(b.enabled);
        action->setVisible(b.visible);
        const std::string key = b.def.key;
        QObject::connect(action, &QAction::triggered, bar_, [this, key] { Click(key); });
        b.action = action;
    }
}

void Toolbar::Click(const std::string& key) {
    if (!onClick_) return;
    // An error must not unwind through Qt's event loop.
    try {
        onClick_(key);
    } catch (const std::exception& e) {
        platform::DebugOutput("toolbar button " + key + " failed: " + e.what());
    }
}

Toolbar::~Toolbar() {
    if (!bar_) return;
    // The window may keep the bar a moment longer; its buttons must not call back into us.
    for (QAction* action : bar_->actions()) QObject::disconnect(action, nullptr, bar_, nullptr);
    bar_->deleteLater();
}

QWidget* Toolbar::Widget(QWidget* parent) {
    if (bar_) {
        if (parent && bar_->parentWidget() != parent) bar_->setParent(parent);
        return bar_;
    }
    bar_ = new QToolBar(parent);
    bar_->setObjectName("TkToolBar");
    bar_->setMovable(false);
    bar_->setFloatable(false);
    bar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar_->setIconSize(QSize(22, 22));  // a size the theme draws, not a scaled one
    bar_->setVisible(visible_);
    Rebuild();
    return bar_;
}

}  // namespace controls
}  // namespace host
