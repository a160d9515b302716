#include "grid.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>

#include <algorithm>
#include <exception>
#include <limits>
#include <optional>

#include "platform/diagnostics.h"
#include "platform/error.h"
#include "platform/text.h"

namespace host::controls {

namespace txt = platform::text;

namespace {

// The original control's error numbers: a row, column or value out of range, a property it
// does not have.
constexpr long kBadIndex = 381;
constexpr long kBadProperty = 438;

constexpr long kMarkerWidth = 18;
constexpr long kSelectWidth = 28;
constexpr long kDefaultWidth = 80;
constexpr long kMaxAutoWidth = 480;
constexpr long kMaxWidth = 10000;
constexpr long kAutoSizeSamples = 1000;
constexpr const char* kMark = "\xE2\x88\x9A";  // √

[[noreturn]] void Throw(long number, const std::string& source, const std::string& text) {
    throw platform::Error(number, source, text);
}

bool LooksNumeric(const std::string& s) {
    const std::string t = txt::Trim(s);
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) ++i;
    bool digits = false, point = false;
    for (; i < t.size(); ++i) {
        if (t[i] >= '0' && t[i] <= '9') digits = true;
        else if (t[i] == '.' && !point) point = true;
        else if (t[i] != ',' || !digits) return false;
    }
    return digits;
}

QColor FromRgb(long v) { return QColor(static_cast<int>((v >> 16) & 255), static_cast<int>((v >> 8) & 255), static_cast<int>(v & 255)); }
long ToRgb(const QColor& c) { return (static_cast<long>(c.red()) << 16) | (c.green() << 8) | c.blue(); }

// Keeps a view's sideways scroll position for a scope.
class KeepSideways {
public:
    explicit KeepSideways(QAbstractItemView* view) : view_(view), value_(view ? view->horizontalScrollBar()->value() : 0) {}
    ~KeepSideways() {
        if (view_) view_->horizontalScrollBar()->setValue(value_);
    }
    KeepSideways(const KeepSideways&) = delete;
    KeepSideways& operator=(const KeepSideways&) = delete;

private:
    QPointer<QAbstractItemView> view_;
    int value_;
};

// The colour of the lines between cells, which the view takes from its style.
class GridStyle final : public QProxyStyle {
public:
    explicit GridStyle(GridModel* model) : model_(model) {}
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* ret) const override {
        if (hint == SH_Table_GridLineColor && model_) return static_cast<int>(model_->look.grid.rgba());
        return QProxyStyle::styleHint(hint, option, widget, ret);
    }

private:
    QPointer<GridModel> model_;
};

// Draws a fixed cell (header, row marker, corner) in the grid's fixed colours; sortArrow 1 or 2
// puts the ascending or descending arrow at its right end.
void PaintFixedCell(QPainter& p, const QRect& rect, const QString& text, Qt::Alignment alignment, const GridLook& look,
                    bool current, int sortArrow = 0) {
    p.save();
    p.fillRect(rect, look.backFixed);
    if (look.gridLinesFixed != 0) {
        if (look.gridLinesFixed >= 2) {  // raised
            p.setPen(look.backFixed.lighter(125));
            p.drawLine(rect.topLeft(), rect.topRight());
            p.drawLine(rect.topLeft(), rect.bottomLeft());
        }
        p.setPen(look.gridFixed);
        p.drawLine(rect.topRight(), rect.bottomRight());
        p.drawLine(rect.bottomLeft(), rect.bottomRight());
    }
    int markRoom = 0;
    if (current) {  // the row selector's arrow; beside a row number, at the cell's left
        const int h = std::min(rect.height(), text.isEmpty() ? rect.width() : static_cast<int>(kMarkerWidth)) / 3;
        const QPoint c = text.isEmpty() ? rect.center() : QPoint(rect.left() + 4 + h / 2, rect.center().y());
        if (!text.isEmpty()) markRoom = h + 6;
        QPolygon arrow;
        arrow << QPoint(c.x() - h / 2, c.y() - h) << QPoint(c.x() + h / 2 + 1, c.y()) << QPoint(c.x() - h / 2, c.y() + h);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(look.foreFixed);
        p.drawPolygon(arrow);
    }
    int arrowRoom = 0;
    if (sortArrow == 1 || sortArrow == 2) {
        const int h = std::max(3, p.fontMetrics().height() / 4);
        arrowRoom = 2 * h + 6;
        const QPoint c(rect.right() - 4 - h, rect.center().y());
        QPolygon arrow;
        if (sortArrow == 1) arrow << QPoint(c.x() - h, c.y() + h / 2) << QPoint(c.x() + h, c.y() + h / 2) << QPoint(c.x(), c.y() - h / 2 - 1);
        else arrow << QPoint(c.x() - h, c.y() - h / 2) << QPoint(c.x() + h, c.y() - h / 2) << QPoint(c.x(), c.y() + h / 2 + 1);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(look.foreFixed);
        p.drawPolygon(arrow);
    }
    if (!text.isEmpty()) {
        p.setPen(look.foreFixed);
        const QRect inner = rect.adjusted(4 + markRoom, 0, -4 - arrowRoom, 0);
        p.drawText(inner, static_cast<int>(alignment), p.fontMetrics().elidedText(text, Qt::ElideRight, inner.width()));
    }
    p.restore();
}

class GridHeader final : public QHeaderView {
public:
    GridHeader(Qt::Orientation orientation, GridModel* model, QWidget* parent)
        : QHeaderView(orientation, parent), model_(model) {}

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
        if (!model_ || !rect.isValid()) return;
        const QString text = model_->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString();
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
        const QVariant a = model_->headerData(logicalIndex, orientation(), Qt::TextAlignmentRole);
        if (a.isValid()) alignment = Qt::Alignment(a.toInt());
        // The current row keeps its mark when the column numbers the rows.
        const bool current = orientation() == Qt::Vertical && selectionModel() &&
                             selectionModel()->currentIndex().row() == logicalIndex;
        int arrow = 0;
        if (orientation() == Qt::Horizontal && isSortIndicatorShown() && sortIndicatorSection() == logicalIndex)
            arrow = sortIndicatorOrder() == Qt::DescendingOrder ? 2 : 1;
        PaintFixedCell(*painter, rect, text, alignment, model_->look, current, arrow);
    }

private:
    QPointer<GridModel> model_;
};

// Paints the selection column as check boxes, the rest as text.
class GridDelegate final : public QStyledItemDelegate {
public:
    GridDelegate(GridModel* model, QObject* parent) : QStyledItemDelegate(parent), model_(model) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QVariant check = index.data(Qt::CheckStateRole);
        if (!check.isValid()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        opt.features &= ~QStyleOptionViewItem::HasCheckIndicator;
        opt.text.clear();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);  // background, selection
        const int w = style->pixelMetric(QStyle::PM_IndicatorWidth, &opt, widget);
        const int h = style->pixelMetric(QStyle::PM_IndicatorHeight, &opt, widget);
        QStyleOptionViewItem box = opt;
        box.rect = QRect(option.rect.center().x() - w / 2, option.rect.center().y() - h / 2, w, h);
        box.state &= ~(QStyle::State_On | QStyle::State_Off | QStyle::State_NoChange);
        box.state |= check.toInt() == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
        // The box is drawn on the cell's own colours, so it reads the same selected or not.
        box.state &= ~QStyle::State_Selected;
        painter->save();
        painter->fillRect(box.rect.adjusted(-1, -1, 1, 1), model_ ? model_->look.back : Qt::white);
        style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, painter, widget);
        painter->restore();
    }

private:
    QPointer<GridModel> model_;
};

// Mouse releases, the Space key and font changes of the view and its parts.
class GridWatcher final : public QObject {
public:
    std::function<void(int)> mouseUp;
    std::function<void()> space, fontChanged;
    QPointer<QWidget> corner;
    std::function<void(QWidget*)> paintCorner;

    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::MouseButtonRelease: {
                const auto* m = static_cast<QMouseEvent*>(event);
                const int button = m->button() == Qt::LeftButton ? 1 : m->button() == Qt::RightButton ? 2
                                   : m->button() == Qt::MiddleButton ? 4 : 0;
                if (button && mouseUp) mouseUp(button);
                break;
            }
            case QEvent::KeyPress: {
                const auto* k = static_cast<QKeyEvent*>(event);
                if (k->key() == Qt::Key_Space && k->modifiers() == Qt::NoModifier && space) {
                    space();
                    return true;
                }
                break;
            }
            case QEvent::FontChange:
                if (fontChanged) fontChanged();
                break;
            case QEvent::Paint:
                if (watched == corner && paintCorner) {
                    paintCorner(corner);
                    return true;
                }
                break;
            default:
                break;
        }
        return false;
    }
};

}  // namespace

// ---- GridModel ---------------------------------------------------------------------------------

GridModel::GridModel() {
    cols_ = 2;
    cells_.assign(2, std::vector<std::string>(2));
    aligns_.assign(2, std::vector<std::uint8_t>(2, sovrel::align::General));
    colAligns_.assign(2, sovrel::align::General);
    shownRows_ = shownCols_ = 1;
}

void GridModel::SetRows(long rows) {
    const long before = Rows();
    if (rows == before) return;
    const int modelRows = static_cast<int>(std::max(0L, rows - 1));
    if (live_ && rows > before) beginInsertRows({}, shownRows_, modelRows - 1);
    if (live_ && rows < before) beginRemoveRows({}, modelRows, shownRows_ - 1);
    cells_.resize(static_cast<std::size_t>(rows), std::vector<std::string>(static_cast<std::size_t>(cols_)));
    aligns_.resize(static_cast<std::size_t>(rows),
                   std::vector<std::uint8_t>(static_cast<std::size_t>(cols_), sovrel::align::General));
    if (live_) {
        shownRows_ = modelRows;
        if (rows > before) endInsertRows();
        else endRemoveRows();
    } else {
        dirty_ = reshaped_ = true;
    }
}

void GridModel::SetCols(long cols) {
    if (cols == cols_) return;
    const int modelCols = static_cast<int>(std::max(0L, cols - 1));
    const bool grow = cols > cols_;
    if (live_ && grow) beginInsertColumns({}, shownCols_, modelCols - 1);
    if (live_ && !grow) beginRemoveColumns({}, modelCols, shownCols_ - 1);
    for (auto& row : cells_) row.resize(static_cast<std::size_t>(cols));
    for (auto& row : aligns_) row.resize(static_cast<std::size_t>(cols), sovrel::align::General);
    colAligns_.resize(static_cast<std::size_t>(cols), sovrel::align::General);
    cols_ = cols;
    if (live_) {
        shownCols_ = modelCols;
        if (grow) endInsertColumns();
        else endRemoveColumns();
    } else {
        dirty_ = reshaped_ = true;
    }
}

void GridModel::Touch(long row) {
    if (!dirty_ || lastTouched_ < 0) {
        firstTouched_ = lastTouched_ = row;
    } else {
        firstTouched_ = std::min(firstTouched_, row);
        lastTouched_ = std::max(lastTouched_, row);
    }
    dirty_ = true;
}

void GridModel::SetText(long row, long col, const std::string& text) {
    cells_[row][col] = text;
    if (!live_) {
        Touch(row);
        return;
    }
    if (row == 0 && col > 0) emit headerDataChanged(Qt::Horizontal, col - 1, col - 1);
    else if (col == 0 && row > 0) emit headerDataChanged(Qt::Vertical, row - 1, row - 1);
    else if (row > 0 && col > 0) emit dataChanged(index(row - 1, col - 1), index(row - 1, col - 1));
}

int GridModel::Alignment(long row, long col) const { return aligns_[row][col]; }

void GridModel::SetColAlignment(long col, int alignment) {
    colAligns_[static_cast<std::size_t>(col)] = static_cast<std::uint8_t>(alignment);
    if (live_ && Rows() > 1 && col >= 1)
        emit dataChanged(index(0, static_cast<int>(col - 1)), index(static_cast<int>(Rows() - 2), static_cast<int>(col - 1)),
                         {Qt::TextAlignmentRole});
    else if (!live_)
        dirty_ = reshaped_ = true;
}

void GridModel::SetAlignment(long row, long col, int alignment) {
    aligns_[row][col] = static_cast<std::uint8_t>(alignment);
    if (!live_) {
        Touch(row);
        return;
    }
    if (row == 0 && col > 0) emit headerDataChanged(Qt::Horizontal, col - 1, col - 1);
    else if (row > 0 && col > 0) emit dataChanged(index(row - 1, col - 1), index(row - 1, col - 1));
}

bool GridModel::Marked(long row) const {
    return row > 0 && row < Rows() && cols_ > kSelectCol && cells_[row][kSelectCol].find(kMark) != std::string::npos;
}

void GridModel::SetLive(bool live) {
    if (live == live_) return;
    live_ = live;
    if (!live || !dirty_) return;
    const bool reshaped = reshaped_;
    const long first = firstTouched_, last = lastTouched_;
    dirty_ = reshaped_ = false;
    lastTouched_ = -1;
    const int rows = static_cast<int>(std::max(0L, Rows() - 1)), cols = static_cast<int>(std::max(0L, cols_ - 1));
    if (cols != shownCols_) {
        beginResetModel();
        shownRows_ = rows;
        shownCols_ = cols;
        endResetModel();
        return;
    }
    // Same columns: the view keeps its widths, scroll position and current cell.
    if (rows > shownRows_) {
        beginInsertRows({}, shownRows_, rows - 1);
        shownRows_ = rows;
        endInsertRows();
    } else if (rows < shownRows_) {
        beginRemoveRows({}, rows, shownRows_ - 1);
        shownRows_ = rows;
        endRemoveRows();
    }
    if (!reshaped) {
        // Only cells changed: grid rows first..last (row 0 is the horizontal header).
        if (first == 0 && cols > 0) emit headerDataChanged(Qt::Horizontal, 0, cols - 1);
        int top = static_cast<int>(std::max(1L, first)) - 1;
        int bottom = static_cast<int>(std::min(last, static_cast<long>(rows))) - 1;
        if (visibleRows) {
            const auto [shownTop, shownBottom] = visibleRows();
            top = std::max(top, shownTop);
            bottom = std::min(bottom, shownBottom);
        }
        if (bottom < top) return;
        if (cols > 0) emit dataChanged(index(top, 0), index(bottom, cols - 1));
        emit headerDataChanged(Qt::Vertical, top, bottom);
        return;
    }
    if (rows > 0 && cols > 0) emit dataChanged(index(0, 0), index(rows - 1, cols - 1));
    if (cols > 0) emit headerDataChanged(Qt::Horizontal, 0, cols - 1);
    if (rows > 0) emit headerDataChanged(Qt::Vertical, 0, rows - 1);
}

int GridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shownRows_; }
int GridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shownCols_; }

QVariant GridModel::data(const QModelIndex& index, int role) const {
    const long row = index.row() + 1, col = index.column() + 1;
    if (!index.isValid() || row >= Rows() || col >= cols_) return {};
    const std::string& text = cells_[row][col];
    switch (role) {
        case Qt::DisplayRole:
            if (col == kSelectCol) return {};
            return QString::fromStdString(text);
        case Qt::EditRole:
        case Qt::ToolTipRole:
            if (role == Qt::ToolTipRole && (col == kSelectCol || text.size() < 24)) return {};
            return QString::fromStdString(text);
        case Qt::CheckStateRole:
            if (col != kSelectCol) return {};
            return Marked(row) ? Qt::Checked : Qt::Unchecked;
        case Qt::TextAlignmentRole: {
            int alignment = aligns_[row][col];
            if (alignment == sovrel::align::General) alignment = colAligns_[static_cast<std::size_t>(col)];
            return static_cast<int>(QtAlignment(alignment, text));
        }
        default:
            return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    const long row = orientation == Qt::Horizontal ? 0 : section + 1;
    const long col = orientation == Qt::Horizontal ? section + 1 : 0;
    if (section < 0 || row >= Rows() || col >= cols_) return {};
    if (role == Qt::DisplayRole) return QString::fromStdString(cells_[row][col]);
    if (role == Qt::TextAlignmentRole) return static_cast<int>(QtAlignment(aligns_[row][col], cells_[row][col]));
    return {};
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

Qt::Alignment GridModel::QtAlignment(int alignment, const std::string& text) {
    if (alignment == sovrel::align::General)
        return (LooksNumeric(text) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
    static const Qt::Alignment horizontal[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    static const Qt::Alignment vertical[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
    if (alignment < 0 || alignment > 8) return Qt::AlignLeft | Qt::AlignVCenter;
    return horizontal[alignment / 3] | vertical[alignment % 3];
}

// ---- FlexGrid ----------------------------------------------------------------------------------

FlexGrid::FlexGrid() : model_(std::make_unique<GridModel>()), widths_(2, -1), givenWidths_(2, false) {}

FlexGrid::~FlexGrid() {
    // The window may still hold the view; it must not outlive the cells it shows.
    delete watcher_;
    if (view_) {
        view_->setModel(nullptr);
        view_->deleteLater();
    }
}

void FlexGrid::CheckCell(long row, long col, const char* who) const {
    if (row < 0 || row >= Rows())
        Throw(kBadIndex, who, "row " + std::to_string(row) + " is outside the grid's rows 0.." + std::to_string(Rows() - 1));
    if (col < 0 || col >= Cols())
        Throw(kBadIndex, who,
              "column " + std::to_string(col) + " is outside the grid's columns 0.." + std::to_string(Cols() - 1));
}

void FlexGrid::SetRows(long rows) {
    if (rows < 1)
        Throw(kBadIndex, "TkFlexGrid.Rows", "a grid keeps its header row: Rows must be at least 1, not " + std::to_string(rows));
    model_->SetRows(rows);
    row_ = std::min(row_, rows - 1);
    topRow_ = std::clamp(topRow_, 1L, std::max(1L, rows - 1));
    if (model_->Live()) SyncCurrent();
}

void FlexGrid::SetCols(long cols) {
    if (cols < 1)
        Throw(kBadIndex, "TkFlexGrid.Cols",
              "a grid keeps its fixed column: Cols must be at least 1, not " + std::to_string(cols));
    if (cols > 1000) Throw(kBadIndex, "TkFlexGrid.Cols", "a grid holds at most 1000 columns, not " + std::to_string(cols));
    model_->SetCols(cols);
    widths_.resize(static_cast<std::size_t>(cols), -1);
    givenWidths_.resize(static_cast<std::size_t>(cols), false);
    col_ = std::min(col_, cols - 1);
    if (model_->Live()) {
        ApplyWidths();
        SyncCurrent();
    }
    ApplySortIndicator();
}

void FlexGrid::SetSortIndicator(long col, int order) {
    sortCol_ = col;
    sortOrder_ = order;
    ApplySortIndicator();
}

void FlexGrid::ApplySortIndicator() {
    if (!view_) return;
    auto* header = view_->horizontalHeader();
    const bool shown = (sortOrder_ == 1 || sortOrder_ == 2) && sortCol_ >= 1 && sortCol_ < Cols();
    header->setSortIndicatorShown(shown);
    header->setSortIndicator(shown ? static_cast<int>(sortCol_ - 1) : -1,
                             sortOrder_ == 2 ? Qt::DescendingOrder : Qt::AscendingOrder);
    header->viewport()->update();
}

void FlexGrid::SetRow(long row) {
    CheckCell(row, 0, "TkFlexGrid.Row");
    row_ = row;
    if (!model_->Live() || !view_) return;
    SyncCurrent();
    if (row_ < 1) return;
    // Up or down only: the columns the user scrolled to (the code and vendor at the left, as a
    // rule) stay in sight whichever column is current.
    KeepSideways keep(view_);
    view_->scrollTo(model_->index(static_cast<int>(row_ - 1), static_cast<int>(std::max(col_, 1L) - 1)));
}

void FlexGrid::SetCol(long col) {
    CheckCell(0, col, "TkFlexGrid.Col");
    col_ = col;
    if (model_->Live()) SyncCurrent();
}

long FlexGrid::TopRow() const {
    if (view_ && view_->isVisible() && model_->Live()) return view_->verticalScrollBar()->value() + 1;
    return topRow_;
}

void FlexGrid::SetTopRow(long row) {
    CheckCell(row, 0, "TkFlexGrid.TopRow");
    topRow_ = std::max(1L, row);
    if (view_ && model_->Live()) view_->verticalScrollBar()->setValue(static_cast<int>(topRow_ - 1));
}

void FlexGrid::SetRedraw(bool redraw) {
    if (redraw == model_->Live()) return;
    if (!redraw) {
        topRow_ = TopRow();  // where the user was, to come back to
        // The view keeps drawing what it was told; it hears of nothing until redraw is back.
        // (Disabling its updates would repaint all of it when they come back.)
        model_->SetLive(false);
        return;
    }
    model_->SetLive(true);
    if (!view_) return;
    // New columns come with the header's default widths, and widths set meanwhile (an
    // AutoSizeColumns during the fill) wait for this moment.
    ApplyWidths();
    SyncCurrent();
    if (topRow_ < Rows()) view_->verticalScrollBar()->setValue(static_cast<int>(topRow_ - 1));
}

std::string FlexGrid::TextMatrix(long row, long col) const {
    CheckCell(row, col, "TkFlexGrid.TextMatrix");
    return model_->Text(row, col);
}

void FlexGrid::SetTextMatrix(long row, long col, const std::string& text) {
    CheckCell(row, col, "TkFlexGrid.TextMatrix");
    model_->SetText(row, col, text);
    // The corner's title and the last row's number set the width of the fixed column.
    if (col == 0 && (row == 0 || row == Rows() - 1) && view_ && model_->Live()) {
        view_->verticalHeader()->setFixedWidth(static_cast<int>(ColWidth(0)));
        if (auto* corner = view_->findChild<QAbstractButton*>(); corner && row == 0) corner->update();
    }
}

void FlexGrid::SetCellAlignment(int alignment) {
    if (alignment < 0 || alignment > 9)
        Throw(kBadIndex, "TkFlexGrid.CellAlignment", "the alignment " + std::to_string(alignment) + " is none of 0..9");
    CheckCell(row_, col_, "TkFlexGrid.CellAlignment");
    model_->SetAlignment(row_, col_, alignment);
}

void FlexGrid::SetColAlignment(long col, int alignment) {
    if (alignment < 0 || alignment > 9)
        Throw(kBadIndex, "TkFlexGrid.ColAlignment", "the alignment " + std::to_string(alignment) + " is none of 0..9");
    CheckCell(0, col, "TkFlexGrid.ColAlignment");
    model_->SetColAlignment(col, alignment);
}

int FlexGrid::ColAlignment(long col) const {
    CheckCell(0, col, "TkFlexGrid.ColAlignment");
    return model_->ColAlignment(col);
}

int FlexGrid::CellAlignment(long row, long col) const {
    CheckCell(row, col, "TkFlexGrid.CellAlignment");
    return model_->Alignment(row, col);
}

namespace {

struct ColourProperty {
    const char* name;
    QColor GridLook::*member;
};
constexpr ColourProperty kColours[] = {
    {"BackColor", &GridLook::back},           {"BackColorBkg", &GridLook::backBkg},
    {"BackColorFixed", &GridLook::backFixed}, {"BackColorSel", &GridLook::backSel},
    {"ForeColor", &GridLook::fore},           {"ForeColorFixed", &GridLook::foreFixed},
    {"ForeColorSel", &GridLook::foreSel},     {"GridColor", &GridLook::grid},
    {"GridColorFixed", &GridLook::gridFixed},
};
struct NumberProperty {
    const char* name;
    long GridLook::*member;
    long highest;
};
constexpr NumberProperty kNumbers[] = {
    {"Appearance", &GridLook::appearance, 1},
    {"GridLines", &GridLook::gridLines, 3},
    {"GridLinesFixed", &GridLook::gridLinesFixed, 3},
};

std::string KnownProperties() {
    std::string names;
    for (const auto& c : kColours) names += std::string(names.empty() ? "" : ", ") + c.name;
    for (const auto& n : kNumbers) names += std::string(", ") + n.name;
    return names;
}

}  // namespace

void FlexGrid::SetProperty(const std::string& name, long value) {
    const std::string key = txt::Trim(name);
    for (const auto& c : kColours)
        if (txt::EqualsNoCase(key, c.name)) {
            if (value < 0 || value > 0xFFFFFF)
                Throw(kBadIndex, "TkFlexGrid." + key, "a colour is 0xRRGGBB (0..16777215), not " + std::to_string(value));
            model_->look.*c.member = FromRgb(value);
            ApplyLook();
            return;
        }
    for (const auto& n : kNumbers)
        if (txt::EqualsNoCase(key, n.name)) {
            if (value < 0 || value > n.highest)
                Throw(kBadIndex, "TkFlexGrid." + key,
                      key + " takes 0.." + std::to_string(n.highest) + ", not " + std::to_string(value));
            model_->look.*n.member = value;
            ApplyLook();
            return;
        }
    Throw(kBadProperty, "TkFlexGrid.SetProperty", "the grid has no property '" + name + "'; it has " + KnownProperties());
}

long FlexGrid::Property(const std::string& name) const {
    const std::string key = txt::Trim(name);
    for (const auto& c : kColours)
        if (txt::EqualsNoCase(key, c.name)) return ToRgb(model_->look.*c.member);
    for (const auto& n : kNumbers)
        if (txt::EqualsNoCase(key, n.name)) return model_->look.*n.member;
    Throw(kBadProperty, "TkFlexGrid.Property", "the grid has no property '" + name + "'; it has " + KnownProperties());
}

long FlexGrid::ColWidth(long col) const {
    CheckCell(0, col, "TkFlexGrid.ColWidth");
    const long w = widths_[static_cast<std::size_t>(col)];
    if (w >= 0) return w;
    return col == 0 ? MarkerWidth() : col == GridModel::kSelectCol ? kSelectWidth : kDefaultWidth;
}

long FlexGrid::MarkerWidth() const {
    const std::string& corner = model_->Text(0, 0);
    // Row numbers grow to the right: the last row's is the widest.
    const std::string& last = Rows() > 1 ? model_->Text(Rows() - 1, 0) : corner;
    if ((corner.empty() && last.empty()) || !qApp) return kMarkerWidth;
    const QFontMetrics fm(view_ ? view_->font() : QApplication::font());
    // Texts are drawn 4 pixels in from each side, a row's after the current-row arrow; a little
    // air beyond that.
    const long text = fm.horizontalAdvance(QString::fromStdString(corner));
    const long number = last.empty() ? 0 : fm.horizontalAdvance(QString::fromStdString(last)) + kMarkerWidth / 3 + 6;
    return std::max(kMarkerWidth, std::max(text, number) + 14);
}

void FlexGrid::SetColWidth(long col, long pixels) {
    CheckCell(0, col, "TkFlexGrid.ColWidth");
    if (pixels < -1 || pixels > kMaxWidth)
        Throw(kBadIndex, "TkFlexGrid.ColWidth",
              "a column width is 0.." + std::to_string(kMaxWidth) + " pixels (-1 the default), not " + std::to_string(pixels));
    widths_[static_cast<std::size_t>(col)] = pixels;
    givenWidths_[static_cast<std::size_t>(col)] = pixels >= 0;
    if (!view_) return;
    syncing_ = true;
    if (col == 0) view_->verticalHeader()->setFixedWidth(static_cast<int>(ColWidth(0)));
    else if (col - 1 < model_->columnCount()) view_->horizontalHeader()->resizeSection(static_cast<int>(col - 1), static_cast<int>(ColWidth(col)));
    syncing_ = false;
}

void FlexGrid::AutoSizeColumns() {
    // A sample of the rows: the first screens, the last one and an even spread between, so a
    // full page sizes in the time of a thousand rows.
    const long rows = Rows();
    std::vector<long> sample;
    const long head = std::min(rows - 1, 300L);
    for (long r = 1; r <= head; ++r) sample.push_back(r);
    for (long r = std::max(head + 1, rows - 100); r < rows; ++r) sample.push_back(r);
    const long middle = rows - 1 - static_cast<long>(sample.size());
    if (middle > 0) {
        const long step = std::max(1L, middle / (kAutoSizeSamples - static_cast<long>(sample.size())));
        for (long r = head + 1; r < rows - 100; r += step) sample.push_back(r);
    }

    const bool metrics = qApp != nullptr;
    const QFont font = view_ ? view_->font() : (metrics ? QApplication::font() : QFont());
    auto width = [&](const std::string& text) -> long {
        if (text.empty()) return 0;
        if (metrics) return QFontMetrics(font).horizontalAdvance(QString::fromStdString(text));
        long w = 0;  // no fonts yet: an estimate, wide characters twice as wide
        for (unsigned char c : text)
            if (c < 0x80) w += 7;
            else if (c >= 0xE0) w += 14;
        return w;
    };
    std::optional<QFontMetrics> fm;
    if (metrics) fm.emplace(font);
    const bool live = model_->Live();
    for (long col = 1; col < Cols(); ++col) {
        // Check boxes only; or a width the column settings or the user gave.
        if (col == GridModel::kSelectCol || givenWidths_[static_cast<std::size_t>(col)]) continue;
        long best = width(model_->Text(0, col));
        for (long r : sample) {
            const std::string& text = model_->Text(r, col);
            if (text.empty()) continue;
            best = std::max(best, metrics ? static_cast<long>(fm->horizontalAdvance(QString::fromStdString(text)))
                                          : width(text));
        }
        widths_[static_cast<std::size_t>(col)] = std::clamp(best + 16, 24L, kMaxAutoWidth);
    }
    if (live) ApplyWidths();
}

bool FlexGrid::HasFocus() const { return view_ && view_->hasFocus(); }

void FlexGrid::Fire(const std::function<void()>& handler) {
    if (!handler) return;
    // An error must not unwind through Qt's event loop.
    try {
        handler();
    } catch (const std::exception& e) {
        platform::DebugOutput(std::string("TkFlexGrid event handler failed: ") + e.what());
    }
}

void FlexGrid::CellPressed(long row, long col) {
    if (row >= 0 && row < Rows()) row_ = row;
    if (col >= 0 && col < Cols()) col_ = col;
}

void FlexGrid::SyncCurrent() {
    if (!view_ || !model_->Live()) return;
    auto* selection = view_->selectionModel();
    if (!selection) return;
    syncing_ = true;
    // A current cell set by the program moves no column out of sight (the view would scroll to
    // it); keys and clicks scroll as usual.
    KeepSideways keep(view_);
    const long col = std::max(col_, 1L);
    if (row_ >= 1 && row_ - 1 < model_->rowCount() && col - 1 < model_->columnCount()) {
        selection->setCurrentIndex(model_->index(static_cast<int>(row_ - 1), static_cast<int>(col - 1)),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    } else {
        selection->clearSelection();
        selection->setCurrentIndex({}, QItemSelectionModel::NoUpdate);
    }
    view_->verticalHeader()->viewport()->update();
    syncing_ = false;
}

void FlexGrid::ApplyLook() {
    if (!view_) return;
    const GridLook& look = model_->look;
    QPalette palette = view_->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Base, look.back);
        palette.setColor(group, QPalette::Window, look.backBkg);
        palette.setColor(group, QPalette::Text, look.fore);
        palette.setColor(group, QPalette::Highlight, look.backSel);
        palette.setColor(group, QPalette::HighlightedText, look.foreSel);
    }
    view_->setPalette(palette);
    view_->setShowGrid(look.gridLines != 0);
    view_->setFrameShape(look.appearance == 0 ? QFrame::Box : QFrame::StyledPanel);
    view_->setFrameShadow(look.appearance == 0 ? QFrame::Plain : QFrame::Sunken);
    view_->viewport()->update();
    view_->horizontalHeader()->viewport()->update();
    view_->verticalHeader()->viewport()->update();
}

void FlexGrid::ApplyWidths() {
    if (!view_) return;
    syncing_ = true;
    view_->verticalHeader()->setFixedWidth(static_cast<int>(ColWidth(0)));
    auto* header = view_->horizontalHeader();
    for (int c = 0; c < model_->columnCount() && c + 1 < Cols(); ++c) header->resizeSection(c, static_cast<int>(ColWidth(c + 1)));
    syncing_ = false;
}

void FlexGrid::ApplyRowHeight() {
    if (!view_) return;
    const QFontMetrics fm(view_->font());
    // Room above and below the text: CJK glyphs fill their em box and need air to read.
    const int row = std::max(fm.height() + 10, 24);
    auto* vertical = view_->verticalHeader();
    vertical->setMinimumSectionSize(row);
    vertical->setDefaultSectionSize(row);
    view_->horizontalHeader()->setFixedHeight(fm.height() + 12);
}

QWidget* FlexGrid::Widget(QWidget* parent) {
    if (view_) {
        if (parent && view_->parentWidget() != parent) view_->setParent(parent);
        return view_;
    }
    auto* view = new QTableView(parent);
    view_ = view;
    view->setObjectName("TkFlexGrid");
    auto* style = new GridStyle(model_.get());
    style->setParent(view);
    view->setStyle(style);
    view->setHorizontalHeader(new GridHeader(Qt::Horizontal, model_.get(), view));
    view->setVerticalHeader(new GridHeader(Qt::Vertical, model_.get(), view));
    view->setModel(model_.get());
    view->setItemDelegate(new GridDelegate(model_.get(), view));
    model_->visibleRows = [shown = QPointer<QTableView>(view)]() -> std::pair<int, int> {
        if (!shown || !shown->isVisible()) return {0, std::numeric_limits<int>::max()};
        const int top = shown->rowAt(0);
        if (top < 0) return {1, 0};
        const int bottom = shown->rowAt(shown->viewport()->height() - 1);
        return {top, bottom < 0 ? shown->model()->rowCount() - 1 : bottom};
    };
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setWordWrap(false);
    view->setTextElideMode(Qt::ElideRight);
    view->setTabKeyNavigation(false);  // Tab leaves the grid, as in any other form
    view->setCornerButtonEnabled(false);
    // The right button belongs to the grid's owner (its MouseUp), not to the window's pop-up.
    view->setContextMenuPolicy(Qt::PreventContextMenu);
    view->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    auto* horizontal = view->horizontalHeader();
    horizontal->setSectionResizeMode(QHeaderView::Interactive);
    horizontal->setHighlightSections(false);
    horizontal->setSectionsClickable(true);
    horizontal->setMinimumSectionSize(8);
    auto* vertical = view->verticalHeader();
    vertical->setSectionResizeMode(QHeaderView::Fixed);
    vertical->setHighlightSections(false);
    vertical->setSectionsClickable(true);

    QObject* context = model_.get();
    QObject::connect(view->selectionModel(), &QItemSelectionModel::currentChanged, context,
                     [this](const QModelIndex& current) {
                         if (syncing_ || !current.isValid()) return;
                         CellPressed(current.row() + 1, current.column() + 1);
                         if (view_) view_->verticalHeader()->viewport()->update();
                     });
    QObject::connect(view, &QAbstractItemView::clicked, context, [this](const QModelIndex& index) {
        if (lastButton_ != 1) return;  // the right button is for the window's menus, not a click
        CellPressed(index.row() + 1, index.column() + 1);
        Fire(onClick_);
    });
    QObject::connect(view, &QAbstractItemView::doubleClicked, context, [this](const QModelIndex& index) {
        CellPressed(index.row() + 1, index.column() + 1);
        Fire(onDblClick_);
    });
    QObject::connect(horizontal, &QHeaderView::sectionPressed, context, [this](int section) { CellPressed(-1, section + 1); });
    QObject::connect(horizontal, &QHeaderView::sectionClicked, context, [this](int section) {
        if (onHeaderClick_) {
            try {
                onHeaderClick_(section + 1);
            } catch (const std::exception& e) {
                platform::DebugOutput(std::string("TkFlexGrid header click handler failed: ") + e.what());
            }
        }
        // The header flips its own arrow on a click; the grid's owner says what it shows.
        ApplySortIndicator();
    });
    QObject::connect(vertical, &QHeaderView::sectionPressed, context, [this](int section) {
        CellPressed(section + 1, -1);
        SyncCurrent();
    });
    QObject::connect(horizontal, &QHeaderView::sectionResized, context, [this](int section, int, int size) {
        if (syncing_ || section + 1 >= Cols()) return;
        widths_[static_cast<std::size_t>(section + 1)] = size;
        givenWidths_[static_cast<std::size_t>(section + 1)] = true;
    });

    auto* watcher = new GridWatcher(view);
    watcher_ = watcher;
    watcher->mouseUp = [this](int button) {
        lastButton_ = button;
        if (onMouseUp_) {
            try {
                onMouseUp_(button);
            } catch (const std::exception& e) {
                platform::DebugOutput(std::string("TkFlexGrid MouseUp handler failed: ") + e.what());
            }
        }
    };
    watcher->space = [this] {
        if (row_ >= 1) Fire(onClick_);
    };
    watcher->fontChanged = [this] { ApplyRowHeight(); };
    watcher->corner = view->findChild<QAbstractButton*>();
    watcher->paintCorner = [this](QWidget* corner) {
        QPainter p(corner);
        p.setFont(corner->font());
        PaintFixedCell(p, corner->rect(), QString::fromStdString(Rows() > 0 ? model_->Text(0, 0) : std::string()),
                       Qt::AlignCenter, model_->look, false);
    };
    view->viewport()->installEventFilter(watcher);
    horizontal->viewport()->installEventFilter(watcher);
    view->installEventFilter(watcher);
    if (watcher->corner) watcher->corner->installEventFilter(watcher);

    ApplyLook();
    ApplyRowHeight();
    ApplyWidths();
    ApplySortIndicator();
    SyncCurrent();
    if (topRow_ > 1 && topRow_ < Rows()) view->verticalScrollBar()->setValue(static_cast<int>(topRow_ - 1));
    return view;
}

}  // namespace host::controls
