#pragma once
// The text-matrix grid: the cells live in GridModel (plain vectors, no widget needed); the view
// is a QTableView created when the window asks for it, with row 0 as its horizontal header and
// column 0 as its vertical header (the row-marker column).
#include <QAbstractTableModel>
#include <QColor>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/hosts/controls.h"
#include "ui/widget_host.h"

class QTableView;

namespace host::controls {

// How the grid looks; the names are the original control's properties.
struct GridLook {
    QColor back{255, 255, 255}, backBkg{255, 255, 255}, backFixed{198, 227, 255};
    QColor backSel{70, 102, 159}, foreSel{255, 255, 255}, fore{0, 0, 0}, foreFixed{0, 0, 0};
    QColor grid{174, 174, 174}, gridFixed{136, 136, 136};
    long appearance = 1, gridLines = 1, gridLinesFixed = 2;
};

class GridModel final : public QAbstractTableModel {
public:
    // The column that carries the selection marks, and the mark's character.
    static constexpr long kSelectCol = 1;

    GridModel();

    long Rows() const { return static_cast<long>(cells_.size()); }
    long Cols() const { return cols_; }
    void SetRows(long rows);
    void SetCols(long cols);
    const std::string& Text(long row, long col) const { return cells_[row][col]; }
    void SetText(long row, long col, const std::string& text);
    int Alignment(long row, long col) const;
    void SetAlignment(long row, long col, int alignment);
    int ColAlignment(long col) const { return colAligns_[static_cast<std::size_t>(col)]; }
    void SetColAlignment(long col, int alignment);
    // True when the row's selection cell holds the mark.
    bool Marked(long row) const;

    // While off, the view is told nothing; turning it on tells it once.
    bool Live() const { return live_; }
    void SetLive(bool live);

    GridLook look;
    // The model rows a view shows (first, last); rows changed out of sight are not told to it,
    // as it asks for their texts when it draws them. Unset: every changed row is told.
    std::function<std::pair<int, int>()> visibleRows;

    // QAbstractTableModel: model row r is grid row r + 1, model column c grid column c + 1.
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Qt alignment flags of an original alignment for a text.
    static Qt::Alignment QtAlignment(int alignment, const std::string& text);

private:
    std::vector<std::vector<std::string>> cells_;  // [row][col], row 0 the header
    std::vector<std::vector<std::uint8_t>> aligns_;
    std::vector<std::uint8_t> colAligns_;  // per column, for data cells left at General
    void Touch(long row);  // a cell of this row changed while not live
    long cols_ = 0;
    bool live_ = true, dirty_ = false;
    // While not live: whether the shape changed (rows, columns, column alignment), else the first
    // and last rows whose cells changed; only those are told to the view, so a fill below the
    // visible rows repaints nothing.
    bool reshaped_ = false;
    long firstTouched_ = 0, lastTouched_ = -1;
    int shownRows_ = 0, shownCols_ = 0;  // what the view was last told
};

class FlexGrid final : public sovrel::IFlexGrid, public sovrel::IWidgetHost {
public:
    FlexGrid();
    ~FlexGrid() override;

    long Rows() const override { return model_->Rows(); }
    void SetRows(long rows) override;
    long Cols() const override { return model_->Cols(); }
    void SetCols(long cols) override;
    long Row() const override { return row_; }
    void SetRow(long row) override;
    long Col() const override { return col_; }
    void SetCol(long col) override;
    long TopRow() const override;
    void SetTopRow(long row) override;
    bool Redraw() const override { return model_->Live(); }
    void SetRedraw(bool redraw) override;
    std::string TextMatrix(long row, long col) const override;
    void SetTextMatrix(long row, long col, const std::string& text) override;
    void SetCellAlignment(int alignment) override;
    int CellAlignment(long row, long col) const override;
    void SetColAlignment(long col, int alignment) override;
    int ColAlignment(long col) const override;
    void SetProperty(const std::string& name, long value) override;
    long Property(const std::string& name) const override;
    long ColWidth(long col) const override;
    void SetColWidth(long col, long pixels) override;
    void AutoSizeColumns() override;
    bool HasFocus() const override;
    void OnClick(std::function<void()> handler) override { onClick_ = std::move(handler); }
    void OnDblClick(std::function<void()> handler) override { onDblClick_ = std::move(handler); }
    void OnMouseUp(std::function<void(int)> handler) override { onMouseUp_ = std::move(handler); }
    void OnHeaderClick(std::function<void(long)> handler) override { onHeaderClick_ = std::move(handler); }
    void SetSortIndicator(long col, int order) override;

    QWidget* Widget(QWidget* parent) override;

private:
    void CheckCell(long row, long col, const char* who) const;
    void SyncCurrent();   // the view's current cell from row_/col_
    void ApplyLook();     // colours and lines to the view
    void ApplyWidths();   // column widths to the view
    void ApplyRowHeight();
    void ApplySortIndicator();  // sortCol_/sortOrder_ to the view's header
    void CellPressed(long row, long col);
    void Fire(const std::function<void()>& handler);

    std::unique_ptr<GridModel> model_;
    QPointer<QTableView> view_;
    QPointer<QObject> watcher_;  // calls back into this object
    long row_ = 1, col_ = 1, topRow_ = 1;
    // The width column 0 needs for its texts (the corner's title), at least the marker's.
    long MarkerWidth() const;

    std::vector<long> widths_;  // per grid column; -1 the default
    // Per grid column: the width was given (SetColWidth, or the user dragged it), so
    // AutoSizeColumns leaves it alone.
    std::vector<bool> givenWidths_;
    bool syncing_ = false;
    int lastButton_ = 0;  // of the last mouse release
    std::function<void()> onClick_, onDblClick_;
    std::function<void(int)> onMouseUp_;
    std::function<void(long)> onHeaderClick_;
    long sortCol_ = 0;
    int sortOrder_ = 0;
};

}  // namespace host::controls
