// The delete run of a list: the confirmation, a wait cursor while the deletes run, and the
// result list (one row per record tried) shown at the end in a dialog the user can copy from.
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <map>
#include <mutex>

#include "../crm/settings.h"
#include "../session/support.h"
#include "host/pub_util.h"
#include "host/result_list.h"
#include "host/session.h"
#include "platform/error.h"
#include "platform/text.h"
#include "common/hosts/controls.h"

namespace host {

namespace txt = platform::text;

namespace {

constexpr int kYes = 6;
constexpr int kYesNoQuestionNoFirst = 4 + 32 + 256;  // a delete is not the answer Enter gives
constexpr std::size_t kCodesNamed = 5;

std::mutex presenterMutex;
ResultListPresenter& Presenter() {
    static ResultListPresenter presenter = [](const ResultListRequest& r) { ShowResultListDialog(r); };
    return presenter;
}

// Captions of the result lists made by ModifyInitMsg, for as long as each list lives.
struct Captions {
    std::weak_ptr<platform::db::Rowset> list;
    std::vector<std::string> captions;
};
std::mutex captionsMutex;
std::map<const platform::db::Rowset*, Captions>& CaptionTable() {
    static std::map<const platform::db::Rowset*, Captions> table;
    return table;
}

int waitCursors = 0;

class CopyKeys final : public QObject {
public:
    explicit CopyKeys(std::function<void()> copy) : copy_(std::move(copy)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
            copy_();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> copy_;
};


}  // namespace

ResultListPresenter SetResultListPresenter(ResultListPresenter presenter) {
    std::lock_guard lock(presenterMutex);
    std::swap(Presenter(), presenter);
    return presenter;
}

void PresentResultList(const ResultListRequest& request) {
    ResultListPresenter presenter;
    {
        std::lock_guard lock(presenterMutex);
        presenter = Presenter();
    }
    if (presenter) presenter(request);
}

std::string ResultListText(const ResultListRequest& request, const std::vector<int>& rows) {
    std::string out;
    auto line = [&out](const std::vector<std::string>& cells) {
        for (std::size_t i = 0; i < cells.size(); ++i) out += (i ? "\t" : "") + cells[i];
        out += "\n";
    };
    line(request.captions);
    for (int r : rows)
        if (r >= 0 && r < static_cast<int>(request.rows.size())) line(request.rows[r]);
    return out;
}

void ShowResultListDialog(const ResultListRequest& request) {
    if (!qApp) return;
    QDialog dialog(QApplication::activeWindow());
    dialog.setObjectName("HostResultList");
    dialog.setWindowTitle(QString::fromStdString(request.title));
    auto* layout = new QVBoxLayout(&dialog);
    const int columns = static_cast<int>(request.captions.size());
    auto* table = new QTableWidget(static_cast<int>(request.rows.size()), columns, &dialog);
    table->setObjectName("Rows");
    QStringList headers;
    for (const auto& c : request.captions) headers << QString::fromStdString(c);
    table->setHorizontalHeaderLabels(headers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setWordWrap(true);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    for (int r = 0; r < static_cast<int>(request.rows.size()); ++r)
        for (int c = 0; c < columns && c < static_cast<int>(request.rows[r].size()); ++c)
            table->setItem(r, c, new QTableWidgetItem(QString::fromStdString(request.rows[r][c])));
    table->resizeColumnsToContents();
    table->resizeRowsToContents();
    if (table->rowCount() > 0) table->selectRow(0);
    layout->addWidget(table, 1);

    auto copy = [&request](const std::vector<int>& rows) {
        QApplication::clipboard()->setText(QString::fromStdString(ResultListText(request, rows)));
    };
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* copyAll = buttons->addButton(
        QString::fromStdString(detail::HostText(request.language, "Hx.AA.PUB.Copy")), QDialogButtonBox::ActionRole);
    copyAll->setObjectName("Copy");
    copyAll->setAutoDefault(false);
    QPushButton* close = buttons->addButton(
        QString::fromStdString(detail::HostText(request.language, "Hx.AA.PUB.Close")), QDialogButtonBox::AcceptRole);
    close->setObjectName("Close");
    close->setDefault(true);
    layout->addWidget(buttons);
    QObject::connect(copyAll, &QPushButton::clicked, &dialog, [&] {
        std::vector<int> all(request.rows.size());
        for (std::size_t i = 0; i < all.size(); ++i) all[i] = static_cast<int>(i);
        copy(all);
    });
    QObject::connect(close, &QPushButton::clicked, &dialog, &QDialog::accept);
    // Ctrl+C in the table copies what is selected, captions first (the table alone would copy
    // one cell).
    CopyKeys keys([&] {
        std::vector<int> rows;
        for (const auto& index : table->selectionModel()->selectedRows()) rows.push_back(index.row());
        std::sort(rows.begin(), rows.end());
        copy(rows);
    });
    table->installEventFilter(&keys);
    dialog.resize(640, 360);
    table->setFocus();
    dialog.exec();
}

int PubUtil::ShowTipMsg(sovrel::IFlexGrid& grid, std::int16_t& codeCol, std::int16_t& /*nextCol*/,
                        const std::shared_ptr<sovrel::ILogin>& login,
                        const std::shared_ptr<sovrel::IClsCommon>& /*dataService*/, const std::string& table) {
    const std::string language = detail::LanguageOf(login ? login.get() : CurrentLogin().get());
    // The marked rows are named in the question, so the user sees what goes.
    std::vector<std::string> codes;
    for (long r = 1; r < grid.Rows(); ++r)
        if (grid.Cols() > 1 && grid.TextMatrix(r, 1).rfind("√", 0) == 0)
            codes.push_back(codeCol >= 0 && codeCol < grid.Cols() ? txt::Trim(grid.TextMatrix(r, codeCol)) : "");
    if (codes.empty()) return 2;
    std::string named;
    for (std::size_t i = 0; i < codes.size() && i < kCodesNamed; ++i) named += (i ? ", " : "") + codes[i];
    if (codes.size() > kCodesNamed) named += ", …";
    MessageBoxRequest request;
    request.title = detail::HostText(language, "Hx.AA.PUB.DeleteTitle");
    request.prompt = detail::HostText(language, "Hx.AA.PUB.DeleteConfirm",
                                      {std::to_string(codes.size()), named, table});
    request.style = kYesNoQuestionNoFirst;
    request.language = language;
    return detail::PresentMessageBox(request) == kYes ? 1 : 2;
}

void PubUtil::DeleteStart() {
    if (!qApp) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ++waitCursors;
}

void PubUtil::DeleteEnded() {
    if (!qApp || waitCursors == 0) return;
    QApplication::restoreOverrideCursor();
    --waitCursors;
}

std::shared_ptr<platform::db::Rowset> PubUtil::ModifyInitMsg(const std::string& fieldNames, const std::string& headers) {
    const auto names = txt::Split(fieldNames, ",");
    const auto captions = txt::Split(headers, ",");
    std::vector<platform::db::FieldInfo> fields;
    for (const auto& n : names) {
        if (txt::Trim(n).empty())
            throw platform::Error(platform::errnum::InvalidOperation, "PubUtil.ModifyInitMsg",
                                  "a result list needs a name for every field: \"" + fieldNames + "\"");
        platform::db::FieldInfo f;
        f.name = txt::Trim(n);
        fields.push_back(f);
    }
    auto list = platform::db::Rowset::CreateDetached(std::move(fields));
    std::vector<std::string> shown;
    for (std::size_t i = 0; i < names.size(); ++i)
        shown.push_back(i < captions.size() && !txt::Trim(captions[i]).empty() ? captions[i] : txt::Trim(names[i]));
    std::lock_guard lock(captionsMutex);
    auto& table = CaptionTable();
    for (auto it = table.begin(); it != table.end();) it = it->second.list.expired() ? table.erase(it) : std::next(it);
    table[list.get()] = Captions{list, std::move(shown)};
    return list;
}

void PubUtil::ModifyAddMsg(const std::shared_ptr<platform::db::Rowset>& resultList, const std::string& code,
                           const std::string& message) {
    if (!resultList || resultList->FieldCount() < 2)
        throw platform::Error(platform::errnum::InvalidOperation, "PubUtil.ModifyAddMsg",
                              "not a result list of ModifyInitMsg");
    resultList->AddNew();
    resultList->Set(std::size_t{0}, platform::db::Value(code));
    resultList->Set(std::size_t{1}, platform::db::Value(message));
    resultList->Update();
}

void PubUtil::ModifyShowMsg(const std::string& title, const std::shared_ptr<sovrel::ILogin>& login,
                            const std::shared_ptr<sovrel::IClsCommon>& /*dataService*/,
                            const std::shared_ptr<platform::db::Rowset>& resultList) {
    if (!resultList) return;
    ResultListRequest request;
    request.title = title;
    request.language = detail::LanguageOf(login ? login.get() : CurrentLogin().get());
    {
        std::lock_guard lock(captionsMutex);
        auto it = CaptionTable().find(resultList.get());
        if (it != CaptionTable().end() && !it->second.list.expired()) request.captions = it->second.captions;
    }
    const std::size_t n = resultList->FieldCount();
    for (std::size_t i = request.captions.size(); i < n; ++i) request.captions.push_back(resultList->Field(i).name);
    auto rows = resultList->Clone();
    for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
        std::vector<std::string> cells;
        for (std::size_t i = 0; i < n; ++i) cells.push_back(rows->Get(i).ToText());
        request.rows.push_back(std::move(cells));
    }
    PresentResultList(request);
}

}  // namespace host
