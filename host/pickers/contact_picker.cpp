#include "host/contact_picker.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <mutex>

#include "../session/support.h"
#include "common/hosts/login.h"
#include "common/prog_ids.h"
#include "host/register.h"
#include "host/services.h"
#include "platform/db/rowset.h"
#include "platform/object_factory.h"
#include "platform/text.h"

namespace host {

namespace txt = platform::text;

namespace {

std::mutex presenterMutex;
ContactPickPresenter& Presenter() {
    static ContactPickPresenter presenter;
    return presenter;
}

constexpr const char* kColumns[] = {"cContactCode", "cContactName", "cVenName", "cMobilePhone", "cEmail"};

std::string Statement(const sovrel::ILogin& login) {
    std::string sql =
        "SELECT Ven_Contact.cContactCode, Ven_Contact.cContactName, Ven_Contact.cVenCode, vendor.cVenName, "
        "Ven_Contact.cMobilePhone, Ven_Contact.cEmail FROM Ven_Contact LEFT JOIN vendor ON vendor.cVenCode = "
        "Ven_Contact.cVenCode WHERE 1=1";
    RowAuthService auth;
    auth.Init(login.tkDBName(), login.cUserId());
    const std::string ids = auth.GetAuthString("vendor");
    if (ids == "1=2") sql += " AND 1=2";
    else if (!ids.empty()) sql += " AND vendor.iId IN (" + ids + ")";
    return sql;
}

std::vector<std::string> ShowDialog(platform::db::Rowset& rows, bool multiSelect, const std::string& language) {
    QDialog dialog;
    dialog.setObjectName("ContactPicker");
    dialog.setWindowTitle(QString::fromStdString(detail::HostText(language, "Hx.AA.PUB.ContactPicker.Title")));
    auto* layout = new QVBoxLayout(&dialog);
    auto* search = new QLineEdit(&dialog);
    search->setObjectName("search");
    search->setPlaceholderText(QString::fromStdString(detail::HostText(language, "Hx.AA.PUB.ChoiceSearch")));
    auto* table = new QTableWidget(&dialog);
    table->setObjectName("contacts");
    const char* captionKeys[] = {"Hx.AA.PUB.RefCode", "Hx.AA.PUB.RefName", "Hx.AA.ARCHIVE.FIELD.refvendor",
                                 "Hx.AA.PUB.ContactPicker.Mobile", "Hx.AA.PUB.ContactPicker.Email"};
    table->setColumnCount(5);
    QStringList headers;
    for (const char* k : captionKeys) headers << QString::fromStdString(detail::HostText(language, k));
    table->setHorizontalHeaderLabels(headers);
    table->setRowCount(static_cast<int>(rows.RecordCount()));
    int r = 0;
    for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext(), ++r)
        for (int c = 0; c < 5; ++c)
            table->setItem(r, c, new QTableWidgetItem(QString::fromStdString(rows.Get(kColumns[c]).ToText())));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(multiSelect ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    QObject::connect(search, &QLineEdit::textChanged, table, [table](const QString& text) {
        for (int row = 0; row < table->rowCount(); ++row) {
            bool match = text.isEmpty();
            for (int c = 0; c < table->columnCount() && !match; ++c)
                match = table->item(row, c)->text().contains(text, Qt::CaseInsensitive);
            table->setRowHidden(row, !match);
        }
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(
        QString::fromStdString(detail::HostText(language, "Hx.AA.PUB.ContactPicker.Ok")));
    buttons->button(QDialogButtonBox::Cancel)->setText(
        QString::fromStdString(detail::HostText(language, "Hx.AA.PUB.ContactPicker.Cancel")));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(table, &QTableWidget::cellDoubleClicked, &dialog, &QDialog::accept);
    layout->addWidget(search);
    layout->addWidget(table);
    layout->addWidget(buttons);
    dialog.resize(720, 480);
    std::vector<std::string> picked;
    if (dialog.exec() != QDialog::Accepted) return picked;
    for (int row = 0; row < table->rowCount(); ++row)
        if (!table->isRowHidden(row) && table->item(row, 0)->isSelected())
            picked.push_back(table->item(row, 0)->text().toStdString());
    return picked;
}

}  // namespace

ContactPickPresenter SetContactPickPresenter(ContactPickPresenter presenter) {
    std::lock_guard lock(presenterMutex);
    std::swap(Presenter(), presenter);
    return presenter;
}

std::shared_ptr<platform::db::Rowset> PickContacts(const std::shared_ptr<sovrel::ILogin>& login, bool multiSelect) {
    if (!login) return nullptr;
    auto db = detail::Open(login->tkDBName());
    const std::string sql = Statement(*login);
    auto offered = db->OpenRowset(sql + " ORDER BY Ven_Contact.cContactCode");
    ContactPickPresenter presenter;
    {
        std::lock_guard lock(presenterMutex);
        presenter = Presenter();
    }
    std::vector<std::string> picked;
    if (presenter) {
        std::vector<std::string> codes;
        for (offered->MoveFirst(); !offered->Eof(); offered->MoveNext())
            codes.push_back(offered->Get("cContactCode").ToText());
        picked = presenter(codes);
    } else {
        picked = ShowDialog(*offered, multiSelect, detail::LanguageOf(login.get()));
    }
    if (picked.empty()) return nullptr;
    if (!multiSelect) picked.resize(1);
    std::string list;
    for (const auto& code : picked) list += (list.empty() ? "" : ",") + detail::Sql(code);
    // Read again, so that only what the user may see comes back whatever the presenter said.
    auto rows = db->OpenRowset(sql + " AND Ven_Contact.cContactCode IN (" + list + ") ORDER BY Ven_Contact.cContactCode");
    return rows->Eof() ? nullptr : rows;
}

std::shared_ptr<platform::db::Rowset> ContactPicker::GetRecordRst(const std::shared_ptr<sovrel::ILogin>& login, bool,
                                                                  const std::string&, const std::string&, bool) {
    return PickContacts(login, true);
}

void RefLookup::Init(const std::shared_ptr<sovrel::ILogin>& login, const std::string& refKey, bool,
                     const std::string& settings) {
    login_ = login;
    refKey_ = refKey;
    settings_ = settings;
}

void RefLookup::OnRowsReturned(std::function<void(std::shared_ptr<platform::db::Rowset> rows)> handler) {
    handler_ = std::move(handler);
}

bool RefLookup::Show() {
    auto login = login_.lock();
    if (!login || !txt::EqualsNoCase(refKey_, "Sovrel_Msg")) return false;
    const bool multi = settings_.find("bMultiSel='1'") != std::string::npos;
    auto rows = PickContacts(login, multi);
    if (!rows) return false;
    if (handler_) handler_(rows);
    return true;
}

void RegisterPickers() {
    platform::Register(sovrel::progid::ContactPicker, [] { return std::make_shared<ContactPicker>(); });
    platform::Register(sovrel::progid::RefLookup, [] { return std::make_shared<RefLookup>(); });
}

}  // namespace host
