// The choice dialog: a search box over a table of rows; Enter or a double-click takes the
// current row, Escape takes none.
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <mutex>

#include "../session/support.h"
#include "host/choice.h"

namespace host {

namespace {

std::mutex presenterMutex;
ChoicePresenter& Presenter() {
    static ChoicePresenter presenter = [](const ChoiceRequest& r, platform::db::Rowset& rows) {
        return ShowChoiceDialog(r, rows);
    };
    return presenter;
}

// Arrow keys in the search box move through the table, so the hands stay on the keyboard.
class SearchBox final : public QLineEdit {
public:
    SearchBox(QWidget* parent, QTableWidget* table) : QLineEdit(parent), table_(table) {}

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Down || e->key() == Qt::Key_Up || e->key() == Qt::Key_PageDown ||
            e->key() == Qt::Key_PageUp) {
            QApplication::sendEvent(table_, e);
            return;
        }
        QLineEdit::keyPressEvent(e);
    }

private:
    QTableWidget* table_;
};

}  // namespace

ChoicePresenter SetChoicePresenter(ChoicePresenter presenter) {
    std::lock_guard lock(presenterMutex);
    ChoicePresenter previous = std::move(Presenter());
    Presenter() = std::move(presenter);
    return previous;
}

long PresentChoice(const ChoiceRequest& request, platform::db::Rowset& rows) {
    ChoicePresenter presenter;
    {
        std::lock_guard lock(presenterMutex);
        presenter = Presenter();
    }
    if (!presenter) return -1;
    const long count = rows.RecordCount();
    const long answer = presenter(request, rows);
    return answer >= 0 && answer < count ? answer : -1;
}

long ShowChoiceDialog(const ChoiceRequest& request, platform::db::Rowset& rows) {
    if (!qApp) return -1;
    // Read every row once; the rowset's own position stays where the caller left it.
    std::vector<std::vector<QString>> cells;
    {
        auto copy = rows.Clone();
        std::vector<int> index;
        for (const auto& f : request.fields) index.push_back(copy->FieldIndex(f));
        for (copy->MoveFirst(); !copy->Eof(); copy->MoveNext()) {
            std::vector<QString> row;
            for (int i : index) row.push_back(i < 0 ? QString() : QString::fromStdString(copy->Get(i).ToText()));
            cells.push_back(std::move(row));
        }
    }

    QDialog dialog(QApplication::activeWindow());
    dialog.setObjectName("HostChoiceDialog");
    dialog.setWindowTitle(QString::fromStdString(request.title));
    auto* layout = new QVBoxLayout(&dialog);
    auto* table = new QTableWidget(static_cast<int>(cells.size()), static_cast<int>(request.fields.size()), &dialog);
    table->setObjectName("Rows");
    auto* search = new SearchBox(&dialog, table);
    search->setObjectName("Search");
    search->setPlaceholderText(QString::fromStdString(detail::HostText(request.language, "Hx.AA.PUB.ChoiceSearch")));
    search->setClearButtonEnabled(true);
    layout->addWidget(search);
    QStringList headers;
    for (const auto& c : request.captions) headers << QString::fromStdString(c);
    table->setHorizontalHeaderLabels(headers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    for (int r = 0; r < static_cast<int>(cells.size()); ++r)
        for (int c = 0; c < static_cast<int>(cells[r].size()); ++c) table->setItem(r, c, new QTableWidgetItem(cells[r][c]));
    table->resizeColumnsToContents();
    layout->addWidget(table, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QString::fromStdString(detail::HostText(request.language, "Hx.AA.MSGBOX.Ok")));
    buttons->button(QDialogButtonBox::Cancel)
        ->setText(QString::fromStdString(detail::HostText(request.language, "Hx.AA.MSGBOX.Cancel")));
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(table, &QTableWidget::cellDoubleClicked, &dialog, &QDialog::accept);

    auto applySearch = [table, &cells](const QString& text) {
        int first = -1;
        for (int r = 0; r < static_cast<int>(cells.size()); ++r) {
            bool match = text.trimmed().isEmpty();
            for (const auto& cell : cells[r]) match = match || cell.contains(text.trimmed(), Qt::CaseInsensitive);
            table->setRowHidden(r, !match);
            if (match && first < 0) first = r;
        }
        if (first >= 0) table->selectRow(first);
        else table->clearSelection();
    };
    QObject::connect(search, &QLineEdit::textChanged, &dialog, applySearch);
    search->setText(QString::fromStdString(request.search));
    applySearch(search->text());
    dialog.resize(640, 420);
    search->setFocus();
    if (dialog.exec() != QDialog::Accepted) return -1;
    const auto selected = table->selectionModel()->selectedRows();
    if (selected.isEmpty() || table->isRowHidden(selected.front().row())) return -1;
    return selected.front().row();
}

}  // namespace host
