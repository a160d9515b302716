#include "portal_window.h"

#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "entry/icontact.h"
#include "host/services.h"
#include "host/session.h"
#include "platform/db/connection.h"
#include "platform/db/rowset.h"
#include "platform/error.h"

namespace portal {

namespace {

// The portal's own few words; the component's texts come from the host's text service.
QString Word(const std::string& language, const char* en, const char* zh) {
    return QString::fromUtf8(language == "en-US" ? en : zh);
}

}  // namespace

PortalWindow::PortalWindow(std::shared_ptr<host::LoginSession> login, std::shared_ptr<sovrel::IContact> entry,
                           const std::string& language)
    : login_(std::move(login)), entry_(std::move(entry)), language_(language) {
    setObjectName("frmPortal");
    setWindowTitle("Sovrel");
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(16, 14, 16, 14);
    root->setSpacing(10);

    auto* who = new QLabel(this);
    who->setObjectName("lblUser");
    QFont big = who->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    who->setFont(big);
    who->setText(QString::fromStdString(login_->cUserName() + " (" + login_->cUserId() + ")"));
    auto* account = new QLabel(this);
    account->setObjectName("lblAccount");
    account->setText(Word(language_, "Account %1, year %2", "账套 %1，%2 年度")
                         .arg(QString::fromStdString(login_->AccountId()))
                         .arg(login_->Year()));
    account->setStyleSheet("color:#4a5a70;");
    root->addWidget(who);
    root->addWidget(account);

    auto* open = new QPushButton(Word(language_, "Vendor contacts", "供应商联系人"), this);
    open->setObjectName("cmdVendorContacts");
    open->setMinimumHeight(34);
    connect(open, &QPushButton::clicked, this, [this] { entry_->ILoginable_CallFunction("", "", "", ""); });
    auto* row = new QHBoxLayout;
    row->addWidget(open);
    row->addStretch(1);
    root->addLayout(row);

    auto* caption = new QLabel(Word(language_, "Vendors (double-click: its contacts)", "供应商（双击查看其联系人）"), this);
    root->addWidget(caption);
    vendors_ = new QTableWidget(this);
    vendors_->setObjectName("tblVendors");
    vendors_->setColumnCount(2);
    vendors_->setHorizontalHeaderLabels(
        {Word(language_, "Vendor code", "供应商编码"), Word(language_, "Vendor name", "供应商名称")});
    vendors_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    vendors_->setSelectionBehavior(QAbstractItemView::SelectRows);
    vendors_->setSelectionMode(QAbstractItemView::SingleSelection);
    vendors_->verticalHeader()->setVisible(false);
    vendors_->horizontalHeader()->setStretchLastSection(true);
    vendors_->setAlternatingRowColors(true);
    vendors_->verticalHeader()->setDefaultSectionSize(vendors_->fontMetrics().height() + 10);
    connect(vendors_, &QTableWidget::cellDoubleClicked, this, [this](int r, int) { OpenVendor(r); });
    root->addWidget(vendors_, 1);
    FillVendors();
    resize(560, 620);
}

void PortalWindow::FillVendors() {
    try {
        platform::db::Connection conn;
        conn.Open(login_->tkDBName());
        // Only the vendors the user may see: another one would open as an empty list.
        const std::string condition = host::VendorAuthCondition(login_->tkDBName(), login_->cUserId());
        auto rs = conn.OpenRowset("SELECT cVenCode, cVenName FROM vendor" +
                                  (condition.empty() ? std::string() : " WHERE " + condition) + " ORDER BY cVenCode");
        vendors_->setRowCount(static_cast<int>(rs->RecordCount()));
        int r = 0;
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext(), ++r) {
            vendors_->setItem(r, 0, new QTableWidgetItem(QString::fromStdString(rs->Get(0).ToText())));
            vendors_->setItem(r, 1, new QTableWidgetItem(QString::fromStdString(rs->Get(1).ToText())));
        }
        vendors_->resizeColumnToContents(0);
        vendors_->setColumnWidth(0, vendors_->columnWidth(0) + 24);
    } catch (const platform::Error& e) {
        QMessageBox::warning(this, "Sovrel", QString::fromStdString("The vendors could not be read: " + e.Description()));
    }
}

void PortalWindow::OpenVendor(int row) {
    const QTableWidgetItem* code = vendors_->item(row, 0);
    const QTableWidgetItem* name = vendors_->item(row, 1);
    if (!code) return;
    entry_->showCalledByVendorArchive(login_, code->text().toStdString(), name ? name->text().toStdString() : "");
}

}  // namespace portal
