#include "ui/help_window.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "common/texts.h"
#include "common/traces.h"

namespace sovrel {

namespace {

QString Text(const char* key) { return QString::fromStdString(ResText(key)); }

QPushButton* Button(QWidget* parent, const char* name, const char* key) {
    auto* b = new QPushButton(Text(key), parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

// The help context a page names in <meta name="help-context" content="...">; 0 without one.
long PageContext(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return 0;
    static const QRegularExpression meta(R"re(<meta\s+name="help-context"\s+content="(\d+)")re");
    const auto m = meta.match(QString::fromUtf8(f.read(4096)));
    return m.hasMatch() ? m.captured(1).toLong() : 0;
}

}  // namespace

HelpWindow::HelpWindow(QWidget* owner) : QDialog(owner, Qt::Window) {
    setObjectName("frmHelp");
    setWindowTitle(Text("Hx.AA.HELP.Title"));
    browser_ = new QTextBrowser(this);
    browser_->setObjectName("txtHelp");
    browser_->setOpenExternalLinks(true);
    auto* back = Button(this, "cmdBack", "Hx.AA.HELP.Back");
    auto* forward = Button(this, "cmdForward", "Hx.AA.HELP.Forward");
    auto* contents = Button(this, "cmdContents", "Hx.AA.HELP.Contents");
    auto* close = Button(this, "cmdClose", "Hx.AA.HELP.Close");
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(contents, &QPushButton::clicked, this, [this] {
        const QUrl here = browser_->source();
        if (here.isLocalFile()) Open(QUrl::fromLocalFile(QFileInfo(here.toLocalFile()).dir().filePath("index.html")));
    });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = browser_->documentTitle();
        setWindowTitle(title.isEmpty() ? Text("Hx.AA.HELP.Title") : title + " - " + Text("Hx.AA.HELP.Title"));
    });

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {back, forward, contents}) buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* root = new QVBoxLayout(this);
    root->addLayout(buttons);
    root->addWidget(browser_, 1);
    resize(720, 640);
}

void HelpWindow::Open(const QUrl& page) { browser_->setSource(page); }

std::string HelpPage(const std::string& file, int command, long contextId, const std::string& windowName) {
    const QFileInfo contents(QString::fromStdString(file));
    if (!contents.exists()) return {};
    const QDir dir = contents.dir();
    // The window's own page first: outside the portal several windows are given one context id
    // (the list, the card and the SMS window all 90100302), so the id alone cannot tell them apart.
    const QString own = dir.filePath(QString::fromStdString(windowName) + ".html");
    if (!windowName.empty() && QFileInfo::exists(own)) return own.toStdString();
    if (command == helpcmd::Context && contextId != 0)
        for (const QFileInfo& page : dir.entryInfoList({"*.html"}, QDir::Files, QDir::Name))
            if (PageContext(page.filePath()) == contextId) return page.filePath().toStdString();
    return contents.filePath().toStdString();
}

void ShowHelp(QWidget* owner, const std::string& file, int command, long contextId, const std::string& windowName) {
    const std::string page = HelpPage(file, command, contextId, windowName);
    if (page.empty()) {
        DebugTrace(windowName + ": help file not found: " + file);
        return;
    }
    // Over the window that asked: a modal list or card leaves its own child windows usable.
    QPointer<HelpWindow> window = owner ? owner->findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!window) window = new HelpWindow(owner);
    window->Open(QUrl::fromLocalFile(QString::fromStdString(page)));
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace sovrel
