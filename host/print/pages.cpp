// Printed pages: the sheet laid out on a paged device (a printer, the preview, a PDF file).
// Layout runs first over every row (row heights, page breaks) so that each page can say
// "page n of m"; painting then draws one page at a time.
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

#include "host/export.h"
#include "host/texts/text_table.h"
#include "platform/text.h"

namespace host::print {

namespace {

namespace txt = platform::text;

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QPageSize::PageSizeId PaperId(const std::string& paper) {
    static const std::pair<const char*, QPageSize::PageSizeId> papers[] = {
        {"A3", QPageSize::A3}, {"A4", QPageSize::A4}, {"A5", QPageSize::A5},
        {"B5", QPageSize::B5}, {"Letter", QPageSize::Letter}, {"Legal", QPageSize::Legal}};
    for (const auto& [name, id] : papers)
        if (txt::EqualsNoCase(paper, name)) return id;
    return QPageSize::A4;
}

bool AlignRight(int type) {
    switch (type) {
        case 2: case 3: case 4: case 5: case 6: case 14: case 16: case 17: case 18: case 19: case 20: case 21:
        case 131: case 139:
            return true;
        default:
            return false;
    }
}

struct ShownColumn {
    std::size_t index;  // in the sheet
    double width;       // device pixels
    bool right;
};

class Layout {
public:
    Layout(QPagedPaintDevice& device, const Sheet& sheet, const PageStyle& style, const PageTexts& texts)
        : device_(device), sheet_(sheet), style_(style), texts_(texts) {
        body_ = BaseFont(style);
        bold_ = body_;
        bold_.setBold(true);
        title_ = bold_;
        title_.setPointSizeF(body_.pointSizeF() * 1.6);
        small_ = body_;
        small_.setPointSizeF(std::max(4.0, body_.pointSizeF() * 0.85));
        const QFontMetricsF fm(body_, &device_);
        line_ = fm.lineSpacing();
        padX_ = fm.averageCharWidth() * 0.6;
        padY_ = line_ * 0.2;
        area_ = QRectF(0, 0, device_.width(), device_.height());
        Columns(fm);
        Paginate(fm);
    }

    int Pages() const { return static_cast<int>(pages_.size()); }

    void Paint(QPainter& p, int page) const {
        double y = 0;
        const QFontMetricsF sm(small_, &device_), tm(title_, &device_);
        p.setPen(Qt::black);
        if (!style_.headerText.empty()) {
            p.setFont(small_);
            p.drawText(QRectF(0, y, area_.width(), sm.lineSpacing()), Qt::AlignLeft | Qt::TextSingleLine,
                       Q(style_.headerText));
            y += sm.lineSpacing();
        }
        p.setFont(title_);
        p.drawText(QRectF(0, y, area_.width(), tm.lineSpacing()), Qt::AlignHCenter | Qt::TextSingleLine, Q(sheet_.title));
        y += tm.lineSpacing();
        p.setFont(small_);
        const QString info = Q(texts_.user + ": " + sheet_.user + "    " + texts_.year + ": " + sheet_.year + "    " +
                               texts_.printed + ": " + sheet_.printDate);
        p.drawText(QRectF(0, y, area_.width(), sm.lineSpacing()), Qt::AlignLeft | Qt::TextSingleLine, info);
        y += sm.lineSpacing() + padY_;

        const double top = y;
        if (page == 0 || style_.repeatHeader) {
            p.fillRect(QRectF(0, y, tableWidth_, captionHeight_), QColor(0xE8, 0xEE, 0xF6));
            p.setFont(bold_);
            double x = 0;
            for (const auto& c : shown_) {
                DrawCell(p, QRectF(x, y, c.width, captionHeight_), sheet_.columns[c.index].caption, false, bold_);
                x += c.width;
            }
            y += captionHeight_;
            p.drawLine(QPointF(0, y), QPointF(tableWidth_, y));
        }
        p.setFont(body_);
        const auto [first, last] = pages_[static_cast<std::size_t>(page)];
        for (std::size_t r = first; r < last; ++r) {
            const auto& row = sheet_.rows[r];
            double x = 0;
            for (const auto& c : shown_) {
                const std::string& text = c.index < row.size() ? row[c.index] : std::string();
                if (!text.empty()) DrawCell(p, QRectF(x, y, c.width, heights_[r]), text, c.right, body_);
                x += c.width;
            }
            y += heights_[r];
            p.setPen(QColor(0xC8, 0xC8, 0xC8));
            p.drawLine(QPointF(0, y), QPointF(tableWidth_, y));
            p.setPen(Qt::black);
        }
        // The column rules and the frame.
        p.setPen(QColor(0x90, 0x90, 0x90));
        double x = 0;
        p.drawLine(QPointF(0, top), QPointF(0, y));
        for (const auto& c : shown_) {
            x += c.width;
            p.drawLine(QPointF(x, top), QPointF(x, y));
        }
        p.drawLine(QPointF(0, top), QPointF(tableWidth_, top));
        p.setPen(Qt::black);

        p.setFont(small_);
        const double footY = area_.height() - sm.lineSpacing();
        if (!style_.footerText.empty())
            p.drawText(QRectF(0, footY, area_.width() * 0.6, sm.lineSpacing()), Qt::AlignLeft | Qt::TextSingleLine,
                       Q(style_.footerText));
        const std::string pageText = texts::FillPlaceholders(texts_.pageOf, {std::to_string(page + 1), std::to_string(Pages())});
        p.drawText(QRectF(0, footY, area_.width(), sm.lineSpacing()), Qt::AlignRight | Qt::TextSingleLine, Q(pageText));
    }

private:
    static QFont BaseFont(const PageStyle& style) {
        QFont f;
        if (!style.fontFamily.empty()) f.setFamilies({Q(style.fontFamily), "Noto Sans CJK SC", "DejaVu Sans"});
        else f.setFamilies({"Noto Sans CJK SC", "Noto Sans", "DejaVu Sans"});
        f.setPointSizeF(style.fontSize > 0 ? style.fontSize : 9);
        return f;
    }

    const PageStyle::ColumnStyle* StyleOf(const std::string& caption) const {
        for (const auto& c : style_.columns)
            if (c.caption == caption) return &c;
        return nullptr;
    }

    void Columns(const QFontMetricsF& fm) {
        const QFontMetricsF bm(bold_, &device_);
        const double perMm = device_.logicalDpiX() / 25.4;
        double total = 0;
        for (std::size_t i = 0; i < sheet_.columns.size(); ++i) {
            const Column& col = sheet_.columns[i];
            const auto* cs = StyleOf(col.caption);
            if (cs && !cs->visible) continue;
            double w = cs && cs->width > 0 ? cs->width * perMm
                                           : std::max(bm.horizontalAdvance(Q(col.caption)),
                                                      std::clamp(col.size, 4, 40) * fm.averageCharWidth()) +
                                                 2 * padX_;
            shown_.push_back({i, w, AlignRight(col.type)});
            total += w;
        }
        // Too wide: the wide columns give up width first, none below a few characters, so that
        // short codes and flags stay on one line. Too narrow: all widen in proportion.
        const double avail = area_.width();
        const double floorWidth = 6 * fm.averageCharWidth() + 2 * padX_;
        double shrinkable = 0, floors = 0;
        for (const auto& c : shown_) {
            shrinkable += c.width - std::min(c.width, floorWidth);
            floors += std::min(c.width, floorWidth);
        }
        for (auto& c : shown_) {
            const double low = std::min(c.width, floorWidth);
            if (total <= avail) c.width *= total > 0 ? avail / total : 1;
            else if (total - avail <= shrinkable) c.width -= (c.width - low) * (total - avail) / shrinkable;
            else c.width = low * avail / floors;
        }
        tableWidth_ = 0;
        for (const auto& c : shown_) tableWidth_ += c.width;
    }

    // Lines a text takes in a column of inner width w; at most maxLines.
    int LinesOf(const std::string& text, double w, const QFont& font, const QFontMetricsF& fm, int maxLines) const {
        const QString s = Q(text);
        if (!s.contains(QChar('\n')) && fm.horizontalAdvance(s) <= w) return 1;
        int lines = 0;
        for (const QString& part : s.split(QChar('\n'))) {
            QTextLayout layout(part, font, &device_);
            QTextOption option;
            option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            layout.setTextOption(option);
            layout.beginLayout();
            for (QTextLine l = layout.createLine(); l.isValid(); l = layout.createLine()) {
                l.setLineWidth(w);
                if (++lines >= maxLines) break;
            }
            layout.endLayout();
            if (lines >= maxLines) return maxLines;
        }
        return std::max(lines, 1);
    }

    void Paginate(const QFontMetricsF& fm) {
        const QFontMetricsF sm(small_, &device_), tm(title_, &device_), bm(bold_, &device_);
        const double head = (style_.headerText.empty() ? 0 : sm.lineSpacing()) + tm.lineSpacing() + sm.lineSpacing() + padY_;
        const double foot = sm.lineSpacing() * 1.5;
        int captionLines = 1;
        for (const auto& c : shown_)
            captionLines = std::max(captionLines, LinesOf(sheet_.columns[c.index].caption, c.width - 2 * padX_, bold_, bm, 3));
        captionHeight_ = captionLines * bm.lineSpacing() + 2 * padY_;
        const double firstBody = area_.height() - head - foot - captionHeight_;
        const double laterBody = style_.repeatHeader ? firstBody : firstBody + captionHeight_;
        const int maxLines = std::max(1, static_cast<int>((std::min(firstBody, laterBody) - 2 * padY_) / line_));

        heights_.resize(sheet_.rows.size());
        for (std::size_t r = 0; r < sheet_.rows.size(); ++r) {
            int lines = 1;
            const auto& row = sheet_.rows[r];
            for (const auto& c : shown_)
                if (c.index < row.size() && !row[c.index].empty())
                    lines = std::max(lines, LinesOf(row[c.index], c.width - 2 * padX_, body_, fm, maxLines));
            heights_[r] = lines * line_ + 2 * padY_;
        }
        std::size_t start = 0;
        double used = 0, room = firstBody;
        for (std::size_t r = 0; r < heights_.size(); ++r) {
            if (used + heights_[r] > room && r > start) {
                pages_.push_back({start, r});
                start = r;
                used = 0;
                room = laterBody;
            }
            used += heights_[r];
        }
        pages_.push_back({start, heights_.size()});
    }

    void DrawCell(QPainter& p, const QRectF& cell, const std::string& text, bool right, const QFont& font) const {
        const QRectF inner = cell.adjusted(padX_, padY_, -padX_, -padY_);
        const QString s = Q(text);
        const QFontMetricsF fm(font, &device_);
        if (!s.contains(QChar('\n')) && fm.horizontalAdvance(s) <= inner.width()) {
            p.drawText(inner, (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop | Qt::TextSingleLine, s);
            return;
        }
        p.save();
        p.setClipRect(cell);
        double y = inner.top();
        const double lineHeight = fm.lineSpacing();
        for (const QString& part : s.split(QChar('\n'))) {
            QTextLayout layout(part, font, &device_);
            QTextOption option;
            option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            option.setAlignment(right ? Qt::AlignRight : Qt::AlignLeft);
            layout.setTextOption(option);
            layout.beginLayout();
            for (QTextLine l = layout.createLine(); l.isValid() && y < inner.bottom() - 1; l = layout.createLine()) {
                l.setLineWidth(inner.width());
                l.setPosition(QPointF(0, y - inner.top()));
                y += lineHeight;
            }
            layout.endLayout();
            layout.draw(&p, inner.topLeft());
            if (y >= inner.bottom() - 1) break;
        }
        p.restore();
    }

    QPagedPaintDevice& device_;
    const Sheet& sheet_;
    const PageStyle& style_;
    const PageTexts& texts_;
    QFont body_, bold_, title_, small_;
    double line_ = 0, padX_ = 0, padY_ = 0, captionHeight_ = 0, tableWidth_ = 0;
    QRectF area_;
    std::vector<ShownColumn> shown_;
    std::vector<double> heights_;
    std::vector<std::pair<std::size_t, std::size_t>> pages_;  // rows [first, last) of each page
};

}  // namespace

int PrintPages(QPagedPaintDevice& device, const Sheet& sheet, const PageStyle& style, const PageTexts& texts,
               bool keepLayout) {
    if (!keepLayout) {
        device.setPageLayout(QPageLayout(QPageSize(PaperId(style.paper)),
                                         style.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                         QMarginsF(style.marginLeft, style.marginTop, style.marginRight, style.marginBottom),
                                         QPageLayout::Millimeter));
    }
    QPainter painter;
    if (!painter.begin(&device)) return 0;
    const Layout layout(device, sheet, style, texts);
    for (int page = 0; page < layout.Pages(); ++page) {
        if (page > 0) device.newPage();
        layout.Paint(painter, page);
    }
    painter.end();
    return layout.Pages();
}

}  // namespace host::print
