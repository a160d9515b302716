#include "column_set_control.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "../services/xml_tree.h"
#include "../session/support.h"
#include "host/session.h"
#include "platform/db/value.h"
#include "platform/text.h"

namespace host::controls {

namespace txt = platform::text;

namespace {

constexpr int kCaptionCol = 0, kWidthCol = 1, kSortCol = 2, kSortIndexCol = 3;
constexpr int kNameRole = Qt::UserRole, kSortRole = Qt::UserRole + 1;
constexpr int kMaxSetWidth = 2000;

QString T(const char* key) { return QString::fromStdString(detail::CurrentText(key)); }

QString SortText(const std::string& sort) {
    if (sort == "asc") return T("Hx.AA.COLSET.Asc");
    if (sort == "desc") return T("Hx.AA.COLSET.Desc");
    return QString();
}

// The sort cell is chosen from none / ascending / descending.
class SortDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
        auto* box = new QComboBox(parent);
        box->addItem(QString(), QString());
        box->addItem(SortText("asc"), QStringLiteral("asc"));
        box->addItem(SortText("desc"), QStringLiteral("desc"));
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* box = static_cast<QComboBox*>(editor);
        box->setCurrentIndex(std::max(0, box->findData(index.data(kSortRole).toString())));
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        auto* box = static_cast<QComboBox*>(editor);
        model->setData(index, box->currentData(), kSortRole);
        model->setData(index, box->currentText(), Qt::DisplayRole);
    }
};

}  // namespace

struct ColumnSetControl::Entry {
    std::vector<std::pair<std::string, std::string>> attributes;  // as loaded, in order
    std::string name, caption, sort, userCaption;
    int width = 80, sortIndex = 0;
    bool visible = true;
};

ColumnSetControl::ColumnSetControl() = default;
ColumnSetControl::~ColumnSetControl() {
    if (widget_ && !widget_->parent()) delete widget_;
}

QWidget* ColumnSetControl::Widget(QWidget* parent) {
    if (!widget_) {
        widget_ = new QWidget(parent);
        widget_->setObjectName("ColSet1");
        Build();
        Fill();
    } else if (parent && widget_->parent() != parent) {
        widget_->setParent(parent);
    }
    return widget_;
}

void ColumnSetControl::Build() {
    auto* root = new QHBoxLayout(widget_);
    tree_ = new QTreeWidget(widget_);
    tree_->setObjectName("tvwColumns");
    tree_->setColumnCount(4);
    tree_->setHeaderLabels({T("Hx.AA.COLSET.Caption"), T("Hx.AA.COLSET.Width"), T("Hx.AA.COLSET.Sort"),
                            T("Hx.AA.COLSET.SortIndex")});
    tree_->setRootIsDecorated(false);
    tree_->setItemDelegateForColumn(kSortCol, new SortDelegate(tree_));
    tree_->setDragDropMode(QAbstractItemView::InternalMove);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::SelectedClicked);
    tree_->header()->setSectionResizeMode(kCaptionCol, QHeaderView::Stretch);
    root->addWidget(tree_, 1);

    auto* side = new QVBoxLayout;
    auto button = [&](const char* name, const char* key, std::function<void()> f) {
        auto* b = new QPushButton(T(key), widget_);
        b->setObjectName(name);
        QObject::connect(b, &QPushButton::clicked, widget_, std::move(f));
        side->addWidget(b);
    };
    auto move = [this](int by) {
        const int row = tree_->indexOfTopLevelItem(tree_->currentItem());
        if (row < 0) return;
        Harvest();
        if (MoveRow(row, row + by)) tree_->setCurrentItem(tree_->topLevelItem(row + by));
    };
    button("cmdUp", "Hx.AA.COLSET.Up", [move] { move(-1); });
    button("cmdDown", "Hx.AA.COLSET.Down", [move] { move(1); });
    side->addSpacing(16);
    button("cmdDefault", "Hx.AA.COLSET.Default", [this] { Reload(0); });
    button("cmdAll", "Hx.AA.COLSET.AllColumns", [this] { Reload(15); });
    button("cmdMine", "Hx.AA.COLSET.Saved", [this] { Reload(2); });
    side->addStretch(1);
    button("cmdApply", "Hx.AA.COLSET.Apply", [this] { Confirm(false); });
    button("cmdSave", "Hx.AA.COLSET.SaveApply", [this] { Confirm(true); });
    button("cmdClose", "Hx.AA.COLSET.Close", [this] { Close(); });
    root->addLayout(side);
}

void ColumnSetControl::Load(const std::string& columnInfo) {
    auto doc = detail::ParseXml(columnInfo);
    std::vector<Entry> fixed, entries;
    bool ok = doc.ok && txt::EqualsNoCase(doc.root.name, "ColumnSet");
    for (const auto& e : ok ? doc.root.children : std::vector<detail::XmlElement>{}) {
        Entry x;
        x.attributes = e.attributes;
        x.name = txt::Trim(e.AttrOr("name", ""));
        if (x.name.empty()) {
            ok = false;
            break;
        }
        x.caption = e.AttrOr("caption", x.name);
        x.userCaption = e.AttrOr("userCaption", "");
        x.width = static_cast<int>(std::clamp<std::int64_t>(platform::db::Value(e.AttrOr("width", "80")).ToInt(), 0, 2000));
        const std::string v = txt::LCase(e.AttrOr("visible", "1"));
        x.visible = v == "1" || v == "true" || v == "-1";
        x.sort = txt::LCase(e.AttrOr("sort", ""));
        if (x.sort != "asc" && x.sort != "desc") x.sort.clear();
        x.sortIndex = static_cast<int>(platform::db::Value(e.AttrOr("sortIndex", "0")).ToInt());
        const std::string f = txt::LCase(e.AttrOr("fixed", "0"));
        (f == "1" || f == "true" ? fixed : entries).push_back(std::move(x));
    }
    // A text that is not a description leaves the control as it was.
    if (!ok) return;
    fixed_ = std::move(fixed);
    entries_ = std::move(entries);
    loaded_ = true;
    Fill();
}

void ColumnSetControl::Fill() {
    if (!tree_) return;
    tree_->clear();
    for (const auto& e : entries_) {
        auto* item = new QTreeWidgetItem(tree_);
        item->setFlags((item->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsEditable | Qt::ItemIsDragEnabled) &
                       ~Qt::ItemIsDropEnabled);
        item->setData(kCaptionCol, kNameRole, QString::fromStdString(e.name));
        item->setText(kCaptionCol, QString::fromStdString(e.caption));
        item->setCheckState(kCaptionCol, e.visible ? Qt::Checked : Qt::Unchecked);
        item->setText(kWidthCol, QString::number(e.width));
        item->setData(kSortCol, kSortRole, QString::fromStdString(e.sort));
        item->setText(kSortCol, SortText(e.sort));
        item->setText(kSortIndexCol, e.sort.empty() ? QString() : QString::number(e.sortIndex));
    }
}

// The rows as the user left them (order, edits) back into the entries.
void ColumnSetControl::Harvest() {
    if (!tree_ || !loaded_) return;
    std::vector<Entry> out;
    for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
        const auto* item = tree_->topLevelItem(i);
        const int at = IndexOf(item->data(kCaptionCol, kNameRole).toString().toStdString());
        if (at < 0) continue;
        Entry e = entries_[static_cast<std::size_t>(at)];
        const std::string caption = item->text(kCaptionCol).trimmed().toStdString();
        if (caption != e.caption && !caption.empty()) e.userCaption = e.caption = caption;
        e.visible = item->checkState(kCaptionCol) == Qt::Checked;
        bool ok = false;
        const int width = item->text(kWidthCol).toInt(&ok);
        if (ok && width >= 0) e.width = std::min(width, kMaxSetWidth);
        e.sort = item->data(kSortCol, kSortRole).toString().toStdString();
        e.sortIndex = e.sort.empty() ? 0 : item->text(kSortIndexCol).toInt();
        out.push_back(std::move(e));
    }
    if (out.size() == entries_.size()) entries_ = std::move(out);
}

int ColumnSetControl::IndexOf(const std::string& name) const {
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (txt::EqualsNoCase(entries_[i].name, name)) return static_cast<int>(i);
    return -1;
}

std::vector<std::string> ColumnSetControl::Names() const {
    std::vector<std::string> names;
    for (const auto& e : entries_) names.push_back(e.name);
    return names;
}

bool ColumnSetControl::MoveRow(int from, int to) {
    const int n = static_cast<int>(entries_.size());
    if (from < 0 || from >= n || to < 0 || to >= n) return false;
    Entry moved = std::move(entries_[static_cast<std::size_t>(from)]);
    entries_.erase(entries_.begin() + from);
    entries_.insert(entries_.begin() + to, std::move(moved));
    Fill();
    return true;
}

void ColumnSetControl::SetVisible(const std::string& name, bool visible) {
    Harvest();
    if (int i = IndexOf(name); i >= 0) entries_[static_cast<std::size_t>(i)].visible = visible;
    Fill();
}

void ColumnSetControl::SetCaption(const std::string& name, const std::string& caption) {
    Harvest();
    if (int i = IndexOf(name); i >= 0 && !txt::Trim(caption).empty())
        entries_[static_cast<std::size_t>(i)].caption = entries_[static_cast<std::size_t>(i)].userCaption = txt::Trim(caption);
    Fill();
}

void ColumnSetControl::SetWidth(const std::string& name, int width) {
    Harvest();
    if (int i = IndexOf(name); i >= 0) entries_[static_cast<std::size_t>(i)].width = std::clamp(width, 0, kMaxSetWidth);
    Fill();
}

void ColumnSetControl::SetSort(const std::string& name, const std::string& sort) {
    Harvest();
    if (int i = IndexOf(name); i >= 0) {
        auto& e = entries_[static_cast<std::size_t>(i)];
        e.sort = sort == "asc" || sort == "desc" ? sort : "";
        if (e.sort.empty()) e.sortIndex = 0;
        else if (e.sortIndex <= 0) {
            int top = 0;
            for (const auto& o : entries_) top = std::max(top, o.sortIndex);
            e.sortIndex = top + 1;
        }
    }
    Fill();
}

std::string ColumnSetControl::Description() const {
    if (!loaded_) return "";
    using detail::XmlEscape;
    auto element = [](const Entry& e) {
        std::string x = "<Column";
        bool wroteUserCaption = false;
        for (const auto& [key, value] : e.attributes) {
            std::string v = value;
            const std::string k = txt::LCase(key);
            if (k == "caption") v = e.caption;
            else if (k == "width") v = std::to_string(e.width);
            else if (k == "visible") v = e.visible ? "1" : "0";
            else if (k == "sort") v = e.sort;
            else if (k == "sortindex") v = std::to_string(e.sortIndex);
            else if (k == "usercaption") v = e.userCaption, wroteUserCaption = true;
            x += " " + key + "=\"" + XmlEscape(v) + "\"";
        }
        if (!wroteUserCaption && !e.userCaption.empty()) x += " userCaption=\"" + XmlEscape(e.userCaption) + "\"";
        return x + "/>";
    };
    std::string x = "<ColumnSet key=\"Ven_Contact\" version=\"1\">";
    for (const auto& e : fixed_) x += element(e);
    for (const auto& e : entries_) x += element(e);
    return x + "</ColumnSet>";
}

void ColumnSetControl::Reload(int mode) {
    if (onReload_) onReload_(mode);
}

void ColumnSetControl::Confirm(bool save) {
    Harvest();
    if (onConfirm_ && loaded_) onConfirm_(save, Description());
}

void ColumnSetControl::Close() {
    if (onClose_) onClose_();
}

}  // namespace host::controls
