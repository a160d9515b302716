// sovrel-portal: the host portal a user starts. Logs the user in on an account folder, then
// offers the vendor-contact function and the vendors; --screenshot saves the contact list as a
// PNG without a display.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QSettings>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "common/context.h"
#include "common/prog_ids.h"
#include "entry/icontact.h"
#include "host/controls.h"
#include "host/crm.h"
#include "host/register.h"
#include "host/session.h"
#include "login_dialog.h"
#include "options.h"
#include "platform/error.h"
#include "portal_window.h"
#include "qt_translations.h"
#include "schema/demo.h"
#include "ui/list/frm_contact_list.h"
#include "ui/messaging/cls_contact.h"
#include "ui/qt_screen.h"

namespace {

constexpr long kDemoContacts = 2000;
constexpr int kScreenshotTimeoutMs = 120000;

// Off screen the platform's one screen is 800x600; a desktop-sized one shows the list as a
// user sees it.
void UseOffscreenPlatform() {
    if (std::getenv("QT_QPA_PLATFORM")) return;
    const std::string config = (std::filesystem::temp_directory_path() / "sovrel-offscreen.json").string();
    if (QFile f(QString::fromStdString(config)); f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(R"({"screens":[{"name":"Sovrel","x":0,"y":0,"width":1920,"height":1080,"logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})");
    setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).c_str(), 1);
}

void Fail(const std::string& text, bool gui) {
    std::cerr << "sovrel-portal: " << text << "\n";
    if (gui && qApp) QMessageBox::critical(nullptr, "Sovrel", QString::fromStdString(text));
}

// Grabs the list window once its first page is shown (searched and sorted as options say), then
// closes it.
void ScheduleScreenshot(const std::string& file, const portal::Options& options, bool& saved) {
    auto* timer = new QTimer(qApp);
    auto waited = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, waited, file, options, &saved] {
        *waited += timer->interval();
        sovrel::frmContactList* list = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "frmContactList" && w->isVisible()) list = dynamic_cast<sovrel::frmContactList*>(w);
        const bool timedOut = *waited > kScreenshotTimeoutMs;
        if (!list) {
            if (timedOut) {
                std::cerr << "sovrel-portal: the contact list did not open\n";
                timer->stop();
                QApplication::exit(1);
            }
            return;
        }
        if (!list->DataLoaded() && !timedOut) return;
        timer->stop();
        if (!options.search.empty()) {
            list->SearchBox()->setText(QString::fromStdString(options.search));
            list->SearchNow();
        }
        for (int click = 0; options.sortColumn > 0 && click < (options.sortDescending ? 2 : 1); ++click)
            list->HeaderClick(options.sortColumn);
        QApplication::processEvents();
        saved = list->grab().save(QString::fromStdString(file), "PNG");
        if (!saved) std::cerr << "sovrel-portal: cannot write " << file << "\n";
        else std::cout << "sovrel-portal: contact list saved to " << file << "\n";
        list->close();
    });
    timer->start(100);
}

// Opens the contact card from the loaded list (mode "add" or "modify") and saves each of its
// visible tabs as <file without .png>-tab<n>.png, then closes the card and the list.
void ScheduleCardScreenshot(const std::string& file, const std::string& mode, bool& saved) {
    auto* timer = new QTimer(qApp);
    auto phase = std::make_shared<int>(0);
    auto waited = std::make_shared<int>(0);
    const QString stem = QString::fromStdString(file).endsWith(".png", Qt::CaseInsensitive)
                             ? QString::fromStdString(file).chopped(4)
                             : QString::fromStdString(file);
    QObject::connect(timer, &QTimer::timeout, [=, &saved] {
        *waited += timer->interval();
        sovrel::frmContactList* list = nullptr;
        QWidget* card = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == "frmContactList" && w->isVisible()) list = dynamic_cast<sovrel::frmContactList*>(w);
            if (w->objectName() == "frmContactEdit" && w->isVisible()) card = w;
        }
        if (*waited > kScreenshotTimeoutMs) {
            std::cerr << "sovrel-portal: the contact card did not open\n";
            timer->stop();
            if (card) card->close();
            if (list) list->close();
            return;
        }
        if (*phase == 0) {
            if (!list || !list->DataLoaded()) return;
            *phase = 1;
            QTimer::singleShot(0, list, [list, mode] { list->Operating(mode == "add" ? "Add" : "Modify"); });
        } else if (*phase == 1) {
            if (!card) return;
            *phase = 2;  // one more tick: the card's activation has run
        } else if (*phase == 2) {
            auto* tabs = card ? card->findChild<QTabWidget*>("SSTab1") : nullptr;
            if (!tabs) return;
            saved = true;
            for (int i = 0; i < tabs->count(); ++i) {
                if (!tabs->isTabVisible(i)) continue;
                tabs->setCurrentIndex(i);
                QApplication::processEvents();
                const QString path = stem + QString("-tab%1.png").arg(i);
                if (!card->grab().save(path, "PNG")) {
                    std::cerr << "sovrel-portal: cannot write " << path.toStdString() << "\n";
                    saved = false;
                } else {
                    std::cout << "sovrel-portal: contact card tab " << i << " saved to " << path.toStdString() << "\n";
                }
            }
            tabs->setCurrentIndex(0);
            *phase = 3;
            card->close();
        } else if (*phase == 3) {
            if (card) return;
            timer->stop();
            if (list) list->close();
        }
    });
    timer->start(100);
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    auto options = portal::ParseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "sovrel-portal: " << error << "\n" << portal::kUsage;
        return 2;
    }
    if (options->help) {
        std::cout << portal::kUsage;
        return 0;
    }
    const bool screenshot = !options->screenshot.empty();
    const bool platformGiven = std::any_of(argv + 1, argv + argc, [](const char* a) { return std::string(a) == "-platform"; });
    if (screenshot && !platformGiven) UseOffscreenPlatform();

    QApplication app(argc, argv);
    // Every window and host object the component keeps goes before the application object.
    sovrel::ContextLifetime context;
    // Qt takes the whole locale from the environment; numbers in statements and stored texts are
    // read and written with a decimal point whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName("Sovrel");
    if (QFontDatabase::families().contains("Noto Sans CJK SC")) {
        QFont font("Noto Sans CJK SC");
        font.setPointSizeF(QApplication::font().pointSizeF());
        QApplication::setFont(font);
    }
    // Off screen nobody could answer a box: messages then go to stderr.
    if (!screenshot) host::InstallQtMessageBoxes();
    sovrel::InstallQtScreenHooks();
    host::RegisterHostObjects();
    sovrel::RegisterComponentClasses();
    sovrel::RegisterContactListWindow();
    sovrel::RegisterContactMailClass();
    if (!options->language.empty()) host::SetLanguageOverride(options->language);

    std::string system = options->connection.empty() ? options->dataDir : options->connection;
    try {
        if (options->connection.empty() && !schema::AccountExists(options->dataDir)) {
            if (!options->defaultData) {
                Fail("there is no account in " + options->dataDir + " (create one with: sovrel init " + options->dataDir + ")",
                     !screenshot);
                return 1;
            }
            std::cerr << "sovrel-portal: creating the demo account in ./" << options->dataDir << " ...\n";
            schema::CreateDemoAccount(options->dataDir, {.contacts = kDemoContacts});
        }
    } catch (const platform::Error& e) {
        Fail("the demo account could not be created: " + e.Description(), !screenshot);
        return 1;
    }

    // The embedded demo account's users have the documented demo password.
    const std::string demoPassword = options->defaultData ? std::string(schema::kDemoPassword) : "";
    std::shared_ptr<host::LoginSession> login;
    if (screenshot) {
        const char* password = std::getenv("SOVREL_PASSWORD");
        try {
            login = host::LoginSession::Login(system, options->user, {.password = password ? password : demoPassword});
        } catch (const platform::Error& e) {
            Fail("login failed: " + e.Description(), false);
            return 1;
        }
    } else {
        const bool userGiven = std::any_of(argv + 1, argv + argc, [](const char* a) { return std::string(a) == "--user"; });
        QSettings settings("Sovrel", "portal");
        portal::LoginDialog dialog({system, options->language, userGiven ? options->user : "", demoPassword}, settings);
        if (dialog.exec() != QDialog::Accepted) return 0;
        login = dialog.Session();
    }

    auto entry = platform::Create<sovrel::IContact>(sovrel::progid::IContact);
    if (!entry) {
        Fail("the vendor-contact component is not registered", !screenshot);
        return 1;
    }
    entry->SetBusiness(std::make_shared<host::Business>(login));
    if (!entry->ILoginable_Login()) {
        Fail("the vendor-contact component refused the login", !screenshot);
        return 1;
    }
    const std::string language = options->language.empty() ? login->Language() : options->language;
    portal::UseQtTranslations(language);

    int code = 0;
    if (screenshot) {
        bool saved = false;
        if (options->card.empty()) ScheduleScreenshot(options->screenshot, *options, saved);
        else ScheduleCardScreenshot(options->screenshot, options->card, saved);
        entry->ILoginable_CallFunction("", "", "", "");  // modal: returns when the list closed
        code = saved ? 0 : 1;
    } else {
        portal::PortalWindow window(login, entry, language);
        window.show();
        code = app.exec();
    }
    entry->ILoginable_LogOff();
    try {
        login->Logout();
    } catch (const platform::Error& e) {
        std::cerr << "sovrel-portal: logging out: " << e.Description() << "\n";
    }
    return code;
}
