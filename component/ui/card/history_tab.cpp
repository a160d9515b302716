// The history tab of a loaded contact: its changes newest first, narrowed to one field, and the
// value a change replaced put back into its field for the user to save.
#include <QComboBox>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <map>
#include <set>

#include "common/context.h"
#include "common/hosts/login.h"
#include "common/local_names.h"
#include "common/messages.h"
#include "common/texts.h"
#include "platform/db/rowset.h"
#include "service/iclscommon.h"
#include "ui/card/card_internal.h"
#include "ui/card/frm_contact_edit.h"

namespace sovrel {

using namespace card;

namespace {

enum HistoryColumn { kTime, kUser, kKind, kField, kOld, kNew, kColumns };

std::string T(const std::string& key) { return ResText("Hx.CRM.TkContact.History." + key); }
QString Q(const std::string& s) { return QString::fromStdString(s); }

const CardField* FieldOf(const std::string& column) {
    for (const auto& f : kCardFields)
        if (column == f.column) return &f;
    return nullptr;
}

// The tab a field sits on.
int TabOf(const CardField& f) {
    switch (f.holder) {
        case Holder::User: return 2;
        case Holder::Date: return f.index >= 2 ? 2 : 0;
        case Holder::Text:
        case Holder::Reference: return f.index >= 10 ? 1 : 0;
        default: return 0;
    }
}

}  // namespace

QWidget* frmContactEdit::BuildTabHistory() {
    auto* page = new QWidget(this);
    page->setObjectName("FrameHistory");
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(18, 12, 18, 12);
    auto* bar = new QHBoxLayout;
    auto* caption = new QLabel(page);
    caption->setObjectName("LblHistoryColumn");
    cboHistoryColumn_ = new QComboBox(page);
    cboHistoryColumn_->setObjectName("CboHistoryColumn");
    cboHistoryColumn_->setMinimumWidth(180);
    caption->setBuddy(cboHistoryColumn_);
    cmdRestore_ = new QPushButton(page);
    cmdRestore_->setObjectName("CmdRestore");
    cmdRestore_->setEnabled(false);
    bar->addWidget(caption);
    bar->addWidget(cboHistoryColumn_);
    bar->addStretch(1);
    bar->addWidget(cmdRestore_);
    column->addLayout(bar);
    gridHistory_ = new QTableWidget(0, kColumns, page);
    gridHistory_->setObjectName("GridHistory");
    gridHistory_->verticalHeader()->hide();
    gridHistory_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gridHistory_->setSelectionBehavior(QAbstractItemView::SelectRows);
    gridHistory_->setSelectionMode(QAbstractItemView::SingleSelection);
    gridHistory_->setWordWrap(false);
    // The values share what the other columns leave; a long one is cut short rather than
    // pushing the new value out of sight.
    for (int col = 0; col < kColumns; ++col)
        gridHistory_->horizontalHeader()->setSectionResizeMode(
            col, col == kOld || col == kNew ? QHeaderView::Stretch : QHeaderView::ResizeToContents);
    column->addWidget(gridHistory_, 1);

    QObject::connect(cboHistoryColumn_, &QComboBox::currentIndexChanged, this,
                     [this] { Guarded("frmContactEdit.CboHistoryColumn_Click()", [this] { ShowHistoryRows(); }); });
    QObject::connect(gridHistory_, &QTableWidget::itemSelectionChanged, this, [this] { SetRestoreButton(); });
    QObject::connect(cmdRestore_, &QPushButton::clicked, this,
                     [this] { Guarded("frmContactEdit.CmdRestore_Click()", [this] { RestoreFromHistory(); }); });
    return page;
}

bool frmContactEdit::HasRight(const char* functionCode) const {
    const auto& login = Ctx().Login;
    if (!login) return false;
    std::string code = functionCode;
    int lockFlag = 0;
    return login->TaskExec(code, lockFlag);
}

void frmContactEdit::FillHistory() {
    history_.clear();
    historyCells_.clear();
    mayModify_ = false;
    Context& c = Ctx();
    // Captions, set here so that they follow the language of the texts the card was loaded with.
    if (auto* caption = findChild<QLabel*>("LblHistoryColumn")) caption->setText(Q(T("ColumnFilter")));
    cmdRestore_->setText(Q(T("Restore")));
    cmdRestore_->setToolTip(Q(T("RestoreTip")));
    gridHistory_->setHorizontalHeaderLabels(
        {Q(T("Changed")), Q(T("User")), Q(T("Change")), Q(T("Column")), Q(T("OldValue")), Q(T("NewValue"))});
    if (iOpMode_ == cardmode::Modify && c.DataService) {
        std::string message;
        if (!history::ReadContact(*c.DataService, Edt(1).Text(), history_, message)) ShowInfo(message);
        if (!history_.empty()) mayModify_ = HasRight(kModifyRight);
    }
    // Duty and taste are kept as base-code IDs: the user knows them by name.
    std::map<std::string, std::string> baseCodes;
    const bool anyBaseCode = std::any_of(history_.begin(), history_.end(), [](const history::Change& change) {
        return change.column == "bcDutyID" || change.column == "bcTasteID";
    });
    if (anyBaseCode)
        if (auto rs = c.DataService->OpenX("SELECT ID, cName FROM Crm_BaseCode WHERE cType IN (N'Duty', N'Taste')")) {
            const auto local = LocalNames("Crm_BaseCode");
            for (; !rs->Eof(); rs->MoveNext()) {
                const std::string id = rs->Get("ID").ToText();
                baseCodes[id] = LocalName(local, id, rs->Get("cName").ToText());
            }
        }
    auto shown = [&](const CardField* f, const std::string& value) -> std::string {
        if (!f || value.empty()) return value;
        switch (f->holder) {
            case Holder::Combo: {
                const QComboBox* combo = ComboOf(*f);
                const int i = combo->findData(QVariant::fromValue<qlonglong>(platform::db::Value(value).ToInt()));
                return i < 0 ? value : combo->itemText(i).toStdString();
            }
            case Holder::Check:
                return ResText(platform::db::Value(value).ToBool() ? "Hx.CRM.COMMON.DispBoolTrue"
                                                                   : "Hx.CRM.COMMON.DispBoolFalse");
            case Holder::Date: return value.substr(0, 10);
            case Holder::Reference: {
                if (f->index != 6 && f->index != 7) return value;
                auto it = baseCodes.find(value);
                return it == baseCodes.end() ? value : it->second;
            }
            default: return value;
        }
    };
    historyCells_.reserve(history_.size());
    for (const auto& change : history_) {
        const CardField* f = FieldOf(change.column);
        historyCells_.push_back({change.changed.substr(0, 19), change.userName.empty() ? change.userId : change.userName,
                                 T("Kind." + change.kind), f ? FieldCaption(*f) : change.column,
                                 shown(f, change.oldValue), shown(f, change.newValue)});
    }

    // The field filter offers the fields the history names, in the card's order; it keeps its
    // choice from one contact to the next where it can.
    const QString chosen = cboHistoryColumn_->currentData().toString();
    std::set<std::string> named;
    for (const auto& change : history_) named.insert(change.column);
    QSignalBlocker quiet(cboHistoryColumn_);
    cboHistoryColumn_->clear();
    cboHistoryColumn_->addItem(Q(T("AllColumns")), QString());
    for (const auto& f : kCardFields)
        if (named.erase(f.column) > 0) cboHistoryColumn_->addItem(Q(FieldCaption(f)), QString(f.column));
    for (const auto& other : named) cboHistoryColumn_->addItem(Q(other), Q(other));
    const int keep = cboHistoryColumn_->findData(chosen);
    cboHistoryColumn_->setCurrentIndex(keep < 0 ? 0 : keep);
    ShowHistoryRows();
}

void frmContactEdit::ShowHistoryRows() {
    const std::string only = cboHistoryColumn_->currentData().toString().toStdString();
    gridHistory_->clearContents();
    gridHistory_->setRowCount(0);
    for (std::size_t i = 0; i < history_.size(); ++i) {
        if (!only.empty() && history_[i].column != only) continue;
        const int row = gridHistory_->rowCount();
        gridHistory_->insertRow(row);
        for (int col = 0; col < kColumns; ++col) {
            auto* item = new QTableWidgetItem(Q(historyCells_[i][static_cast<std::size_t>(col)]));
            if (col == 0) item->setData(Qt::UserRole, static_cast<int>(i));
            gridHistory_->setItem(row, col, item);
        }
    }
    SetRestoreButton();
}

const history::Change* frmContactEdit::SelectedChange() const {
    const auto rows = gridHistory_->selectionModel()->selectedRows();
    if (rows.isEmpty()) return nullptr;
    const QTableWidgetItem* item = gridHistory_->item(rows.front().row(), 0);
    const int i = item ? item->data(Qt::UserRole).toInt() : -1;
    return i >= 0 && static_cast<std::size_t>(i) < history_.size() ? &history_[static_cast<std::size_t>(i)] : nullptr;
}

const CardField* frmContactEdit::RestorableField(const std::string& column) {
    const CardField* f = FieldOf(column);
    if (!f || !FieldShown(*f)) return nullptr;
    // The vendor, code, creator and creation date of a loaded contact are not the user's to change.
    const bool open = f->holder == Holder::Combo   ? ComboOf(*f)->isEnabled()
                      : f->holder == Holder::Check ? chkbMajor_->isEnabled()
                                                   : BoxOf(*f).Enabled() && !BoxOf(*f).ReadOnly();
    return open ? f : nullptr;
}

void frmContactEdit::SetRestoreButton() {
    const history::Change* change = SelectedChange();
    cmdRestore_->setEnabled(mayModify_ && iOpMode_ == cardmode::Modify && change && RestorableField(change->column));
}

bool frmContactEdit::RestoreFromHistory() {
    const history::Change* change = SelectedChange();
    if (!change || iOpMode_ != cardmode::Modify) return false;
    Context& c = Ctx();
    // Asked again: the button's state is from when the history was read.
    if (!HasRight(kModifyRight)) {
        ShowInfo(c.Login ? c.Login->ShareString() : ResText("Hx.CRM.COMMON.DBMSG.HxLogin0001"));
        return false;
    }
    const CardField* f = RestorableField(change->column);
    if (!f) return false;
    CheckScope scope(checking_);
    const std::string value = change->oldValue;
    const platform::db::Value v = value.empty() ? platform::db::Value::Null() : platform::db::Value(value);
    if (f->holder == Holder::Reference && (f->index == 4 || f->index == 8)) {
        // A superior or principal is looked up and checked as a typed code is when its box is left.
        Edt(f->index).SetText(value);
        OnEditorLeave(f->index);
    } else if (f->holder == Holder::Reference && !value.empty()) {
        // A duty or taste is saved by its name: an ID typed as a name would become a new one.
        auto rs = c.DataService->OpenX("SELECT cName FROM Crm_BaseCode WHERE ID = " + std::to_string(v.ToInt()));
        if (!rs || rs->Eof()) {
            ShowInfo(ResTextParams("Hx.CRM.TkContact.History.ValueGone", {v}));
            return false;
        }
        LoadValue(*f, v, rs->Get("cName").ToText());
    } else {
        LoadValue(*f, v, "");
    }
    MarkDirty();
    MarkChanged();
    ssTab1_->setCurrentIndex(TabOf(*f));
    if (f->holder == Holder::Combo) ComboOf(*f)->setFocus();
    else if (f->holder == Holder::Check) chkbMajor_->setFocus();
    else BoxOf(*f).SetFocus();
    return true;
}

}  // namespace sovrel
