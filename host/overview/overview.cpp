#include "host/overview.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QGridLayout>
#include <QFormLayout>

#include <set>

#include "../session/support.h"
#include "common/hosts/login.h"
#include "common/prog_ids.h"
#include "host/register.h"
#include "platform/db/rowset.h"
#include "platform/error.h"
#include "platform/object_factory.h"
#include "platform/text.h"

namespace host {

namespace txt = platform::text;

namespace {

constexpr int kMaxChain = 64;

bool PlainName(const std::string& s) {
    if (s.empty() || s.size() > 128) return false;
    for (char c : s)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) return false;
    return !std::isdigit(static_cast<unsigned char>(s[0]));
}

std::string Value(const platform::db::Rowset& rs, const char* field) {
    const int i = rs.FieldIndex(field);
    return i < 0 ? std::string() : txt::Trim(rs.Get(static_cast<std::size_t>(i)).ToText());
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

OverviewData ReadOverview(const std::string& connectionText, const std::string& contactCode,
                          const std::string& language) {
    OverviewData data;
    auto db = detail::Open(connectionText);
    auto c = db->OpenRowset(
        "SELECT Ven_Contact.*, Crm_BaseCode.cName AS DutyName, Person.cPersonName AS PrincipalName FROM Ven_Contact "
        "LEFT JOIN Crm_BaseCode ON Crm_BaseCode.ID = Ven_Contact.bcDutyID "
        "LEFT JOIN Person ON Person.cPersonCode = Ven_Contact.cPrincipal WHERE cContactCode = " +
        detail::Sql(contactCode));
    if (c->Eof()) return data;
    auto caption = [&](const std::string& column) {
        return detail::HostText(language, "Hx.CRM.TkContact.Column." + column);
    };
    for (const char* column : {"cContactCode", "cContactName", "cAppellation", "cMobilePhone", "cOfficePhone",
                               "cEmail", "cWorkAddress", "cMemo"})
        data.contact.emplace_back(caption(column), Value(*c, column));
    // The duty as the user's language names it where the account has that name.
    const auto dutyNames = detail::LocalNames(*db, "Crm_BaseCode", language);
    const auto duty = dutyNames.find(Value(*c, "bcDutyID"));
    data.contact.emplace_back(caption("bcDutyID"), duty == dutyNames.end() ? Value(*c, "DutyName") : duty->second);
    data.contact.emplace_back(caption("cPrincipal"), Value(*c, "PrincipalName"));
    const std::string vendorCode = Value(*c, "cVenCode");
    auto v = db->OpenRowset("SELECT cVenCode, cVenName, cVenAbbName, cVenEmail FROM vendor WHERE cVenCode = " +
                            detail::Sql(vendorCode));
    if (!v->Eof()) {
        data.vendor = {{detail::HostText(language, "Hx.AA.PUB.RefCode"), Value(*v, "cVenCode")},
                       {detail::HostText(language, "Hx.AA.PUB.RefName"), Value(*v, "cVenName")},
                       {detail::HostText(language, "Hx.AA.PUB.RefAbbName"), Value(*v, "cVenAbbName")},
                       {caption("cEmail"), Value(*v, "cVenEmail")}};
    }
    // Up the chain until it ends, repeats or grows beyond belief.
    std::set<std::string> seen{contactCode};
    for (std::string next = Value(*c, "cSuperiorID"); !next.empty() && seen.insert(next).second &&
                                                      static_cast<int>(data.superiors.size()) < kMaxChain;) {
        auto s = db->OpenRowset("SELECT cContactCode, cContactName, cSuperiorID FROM Ven_Contact WHERE cContactCode = " +
                                detail::Sql(next));
        if (s->Eof()) break;
        data.superiors.push_back(Value(*s, "cContactCode") + "  " + Value(*s, "cContactName"));
        next = Value(*s, "cSuperiorID");
    }
    auto r = db->OpenRowset("SELECT cContactCode, cContactName FROM Ven_Contact WHERE cSuperiorID = " +
                            detail::Sql(contactCode) + " ORDER BY cContactCode");
    for (; !r->Eof(); r->MoveNext()) data.reports.push_back(Value(*r, "cContactCode") + "  " + Value(*r, "cContactName"));
    auto refs = db->OpenRowset(
        "SELECT creferencedtablekey, creferencingtablename, creferencingtablecolumn, cwherepart, cObjName "
        "FROM crm_ref_relation WHERE creferencedtablename = N'Ven_Contact' ORDER BY ID");
    for (; !refs->Eof(); refs->MoveNext()) {
        const std::string key = Value(*refs, "creferencedtablekey"), table = Value(*refs, "creferencingtablename"),
                          column = Value(*refs, "creferencingtablecolumn"), where = Value(*refs, "cwherepart");
        if (!PlainName(key) || !PlainName(table) || !PlainName(column)) continue;
        const std::string keyValue = Value(*c, key.c_str());
        try {
            auto d = db->OpenRowset("SELECT * FROM " + table + " WHERE " + column + " = " + detail::Sql(keyValue) +
                                    (where.empty() ? "" : " AND (" + where + ")"));
            for (; !d->Eof(); d->MoveNext()) {
                std::vector<std::string> row{Value(*refs, "cObjName"), table};
                for (std::size_t f = 0; f < std::min<std::size_t>(3, d->FieldCount()); ++f)
                    row.push_back(txt::Trim(d->Get(f).ToText()));
                data.documents.push_back(std::move(row));
            }
        } catch (const platform::Error&) {
            // A host table this account does not have refers to nothing.
        }
    }
    return data;
}

OverviewWindow::OverviewWindow(const OverviewData& data, const std::string& title, const std::string& language) {
    setObjectName("frmGenerals");
    setWindowTitle(Q(title));
    auto text = [&](const char* key) { return Q(detail::HostText(language, key)); };
    auto* layout = new QGridLayout(this);
    auto form = [&](const char* name, const char* key, const auto& pairs) {
        auto* box = new QGroupBox(text(key), this);
        box->setObjectName(name);
        auto* f = new QFormLayout(box);
        for (const auto& [caption, value] : pairs) {
            auto* v = new QLabel(Q(value), box);
            v->setTextInteractionFlags(Qt::TextSelectableByMouse);
            f->addRow(Q(caption), v);
        }
        return box;
    };
    auto list = [&](const char* name, const char* key, const std::vector<std::string>& items) {
        auto* box = new QGroupBox(text(key), this);
        auto* l = new QVBoxLayout(box);
        auto* w = new QListWidget(box);
        w->setObjectName(name);
        for (const auto& i : items) w->addItem(Q(i));
        l->addWidget(w);
        return box;
    };
    layout->addWidget(form("boxContact", "Hx.AA.PUB.Overview.Contact", data.contact), 0, 0, 2, 1);
    layout->addWidget(form("boxVendor", "Hx.AA.PUB.Overview.Vendor", data.vendor), 0, 1);
    layout->addWidget(list("lstSuperiors", "Hx.AA.PUB.Overview.Superiors", data.superiors), 1, 1);
    layout->addWidget(list("lstReports", "Hx.AA.PUB.Overview.Reports", data.reports), 2, 1);
    auto* docs = new QGroupBox(text("Hx.AA.PUB.Overview.Documents"), this);
    auto* dl = new QVBoxLayout(docs);
    auto* tree = new QTreeWidget(docs);
    tree->setObjectName("lstDocuments");
    tree->setRootIsDecorated(false);
    tree->setHeaderLabels({text("Hx.AA.PUB.Overview.Kind"), text("Hx.AA.PUB.Overview.Table"),
                           text("Hx.AA.PUB.Overview.Values")});
    for (const auto& row : data.documents) {
        QStringList cells{Q(row[0]), Q(row[1])};
        QStringList values;
        for (std::size_t i = 2; i < row.size(); ++i) values << Q(row[i]);
        cells << values.join("  ");
        tree->addTopLevelItem(new QTreeWidgetItem(cells));
    }
    tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    dl->addWidget(tree);
    layout->addWidget(docs, 2, 0);
    resize(860, 600);
}

void Generals::IiniGenerals(const std::shared_ptr<sovrel::ILogin>& login, std::shared_ptr<platform::Object>,
                            std::shared_ptr<platform::Object>, std::shared_ptr<platform::Object>,
                            std::shared_ptr<platform::Object>, const std::string&, const std::string& code,
                            const std::string& name) {
    if (!login) throw platform::Error(91, "CrmWorkLib.clsGenerals", "no login object: the overview cannot be read");
    const std::string language = detail::LanguageOf(login.get());
    const OverviewData data = ReadOverview(login->tkDBName(), code, language);
    window_ = std::make_unique<OverviewWindow>(data, detail::HostText(language, "Hx.AA.PUB.Overview.Title") + " - " +
                                                         code + " " + name, language);
    window_->show();
    window_->raise();
}

void RegisterOverview() {
    platform::Register(sovrel::progid::Generals, [] { return std::make_shared<Generals>(); });
}

}  // namespace host
