// A save refused because someone changed the contact meanwhile: after the refusal's message the
// card offers to compare, field by field, what was loaded, what the database holds now and what
// the user typed; the user keeps theirs or takes the database's per field and saves again
// against the row version read now. A further change in between is refused and offered again.
#include <QComboBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <map>

#include "common/context.h"
#include "common/hosts/text_service.h"
#include "common/messages.h"
#include "common/sql_text.h"
#include "common/texts.h"
#include "service/history.h"
#include "service/iclscommon.h"
#include "ui/card/card_internal.h"
#include "ui/card/frm_contact_edit.h"

namespace sovrel {

using namespace card;

namespace {

constexpr int kYesNoQuestion = 36;

std::string T(const char* key) { return ResText(std::string("Hx.CRM.TkContact.frmcontactedit.") + key); }
QString Q(const std::string& s) { return QString::fromStdString(s); }

// Who saved the contact last and when, from its history; "" when it has none to tell.
std::string LastChange(const std::string& code) {
    Context& c = Ctx();
    auto rs = c.DataService->OpenX("SELECT TOP 1 cUserName, cUserId, dChanged FROM Ven_ContactHistory WHERE "
                                   + history::CodeCondition("cContactCode", code) + " ORDER BY ID DESC");
    if (!rs || rs->Eof()) return {};
    const std::string name = rs->Get("cUserName").ToText();
    return ResTextParams("Hx.CRM.TkContact.frmcontactedit.ConflictChangedBy",
                         {platform::db::Value(name.empty() ? rs->Get("cUserId").ToText() : name),
                          platform::db::Value(rs->Get("dChanged").ToText())});
}

}  // namespace

bool frmContactEdit::ResolveConflict() {
    Context& c = Ctx();
    if (!c.DataService || ShowMsgBox(T("ConflictAsk"), kYesNoQuestion, GetMsgTitle()) != msgbox::Yes) return false;
    auto rs = c.DataService->OpenX(ContactStatement(Edt(1).Text()));
    if (!rs || rs->Eof()) {
        ShowInfo(ResText("Hx.CRM.TkContact.frmcontactedit.00094"));
        return false;
    }
    // The database's values as the card would hold them: each column loaded into its control
    // between the user's own, so that names, dates and lists read as the user knows them.
    std::map<std::string, card::FieldState> database;
    std::vector<ConflictRow> rows;
    for (const auto& f : kCardFields) {
        const card::FieldState mine = TakeField(f);
        LoadField(f, *rs);
        const card::FieldState theirs = TakeField(f);
        PutField(f, mine);
        database[f.column] = theirs;
        const card::FieldState& loaded = loadedValues_[f.column];
        if (theirs.stored == loaded.stored && mine.stored == loaded.stored) continue;
        // A box the card does not show holds no change of the user's: the database's value stays.
        if (!FieldShown(f)) continue;
        ConflictRow r{f.column, FieldCaption(f), loaded.shown, theirs.shown, mine.shown};
        // A field only the other user changed comes over unless the user says otherwise.
        r.takeTheirs = mine.stored == loaded.stored;
        rows.push_back(std::move(r));
    }
    const bool again = rows.empty() || (conflictChooser ? conflictChooser(*this, rows) : ChooseInDialog(rows));
    if (!again) return false;
    for (const auto& f : kCardFields) {
        const card::FieldState& theirs = database[f.column];
        // A column not offered that changed meanwhile is a hidden one: it takes the database's value.
        auto chosen = std::find_if(rows.begin(), rows.end(), [&f](const ConflictRow& r) { return r.column == f.column; });
        if (chosen != rows.end() ? chosen->takeTheirs : theirs.stored != loadedValues_[f.column].stored)
            PutField(f, theirs);
    }
    loadedValues_ = std::move(database);
    c.LoadedContactTs = TxtValue(rs->Get("contacttkts"));
    return SaveRecord();
}

bool frmContactEdit::ChooseInDialog(std::vector<ConflictRow>& rows) {
    QDialog dialog(this);
    dialog.setObjectName("FrmConflict");
    dialog.setWindowTitle(Q(T("ConflictTitle")));
    auto* root = new QVBoxLayout(&dialog);
    if (const std::string who = LastChange(Edt(1).Text()); !who.empty()) {
        auto* changedBy = new QLabel(Q(who), &dialog);
        changedBy->setObjectName("LblChangedBy");
        root->addWidget(changedBy);
    }
    auto* table = new QTableWidget(static_cast<int>(rows.size()), 5, &dialog);
    table->setObjectName("Grid");
    table->setHorizontalHeaderLabels({Q(T("ConflictField")), Q(T("ConflictLoaded")), Q(T("ConflictDatabase")),
                                      Q(T("ConflictMine")), Q(T("ConflictChoice"))});
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    std::vector<QComboBox*> choices;
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        const ConflictRow& r = rows[static_cast<std::size_t>(i)];
        const std::string cells[] = {r.caption, r.loaded, r.database, r.mine};
        for (int col = 0; col < 4; ++col) {
            auto* item = new QTableWidgetItem(Q(cells[col]));
            // The values someone else changed are marked.
            if (r.database != r.loaded && (col == 0 || col == 2)) {
                item->setBackground(QColor(0xFF, 0xF1, 0xC4));
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            table->setItem(i, col, item);
        }
        auto* choice = new QComboBox(table);
        choice->addItem(Q(T("ConflictKeep")));
        choice->addItem(Q(T("ConflictTake")));
        choice->setCurrentIndex(r.takeTheirs ? 1 : 0);
        table->setCellWidget(i, 4, choice);
        choices.push_back(choice);
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    root->addWidget(table);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* save = new QPushButton(Q(T("ConflictSave")), &dialog);
    save->setObjectName("CmdSave");
    save->setDefault(true);
    auto* cancel = new QPushButton(Q(T("ConflictCancel")), &dialog);
    cancel->setObjectName("CmdCancel");
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    root->addLayout(buttons);
    QObject::connect(save, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    dialog.resize(760, 120 + 30 * static_cast<int>(rows.size()));
    if (conflictDialogHook) conflictDialogHook(dialog);
    else dialog.exec();
    if (dialog.result() != QDialog::Accepted) return false;
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i].takeTheirs = choices[i]->currentIndex() == 1;
    return true;
}

}  // namespace sovrel
