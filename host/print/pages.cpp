// Printed pages: the sheet laid out on a paged device (a printer, the preview, a PDF file).
// Layout runs first over every row (row heights, page breaks) so that each page can say
// "page n of m"; painting then reads the rows again and draws them page after page. Neither
// pass keeps the rows: a row's lines are worked out again when it is painted, the same way.
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextBoundaryFinder>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <optional>
#include <unordered_map>

#include "host/export.h"
#include "host/texts/text_table.h"
#include "platform/text.h"

namespace host::print {

namespace {

namespace txt = platform::text;

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// A cell's text with every line break as one LF (CR LF and a lone CR from other systems too).
QString CellText(const std::string& s) {
    QString q = Q(s);
    if (q.contains(QChar('\r'))) q.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QChar('\r'), QChar('\n'));
    return q;
}

QPageSize::PageSizeId PaperId(const std::string& paper) {
    static const std::pair<const char*, QPageSize::PageSizeId> papers[] = {
        {"A3", QPageSize::A3}, {"A4", QPageSize::A4}, {"A5", QPageSize::A5},
        {"B5", QPageSize::B5}, {"Letter", QPageSize::Letter}, {"Legal", QPageSize::Legal}};
    for (const auto& [name, id] : papers)
        if (txt::EqualsNoCase(paper, name)) return id;
    return QPageSize::A4;
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
        // The columns' widths are measured over the first rows.
        EachRow(sheet_, [this](const std::vector<std::string>& row) {
            sample_.push_back(row);
            return sample_.size() < 1000;
        });
        Setup(style.fontSize > 0 ? style.fontSize : 9);
        // Columns that cannot keep their short values whole at the chosen size take a smaller
        // type (not below 6 points) rather than breaking every code and date.
        const double avail = area_.width();
        if (floorSum_ > avail && body_.pointSizeF() > 6) {
            shown_.clear();
            Setup(std::max(6.0, body_.pointSizeF() * avail / floorSum_));
        }
        sample_ = {};
        Paginate();
    }

    void Setup(double pointSize) {
        body_ = BaseFont(style_);
        body_.setPointSizeF(pointSize);
        bold_ = body_;
        bold_.setBold(true);
        title_ = bold_;
        title_.setPointSizeF(std::max(pointSize, style_.fontSize) * 1.6);
        small_ = body_;
        small_.setPointSizeF(std::max(4.0, pointSize * 0.85));
        const QFontMetricsF fm(body_, &device_);
        bodyMetrics_.emplace(body_, &device_);
        boldMetrics_.emplace(bold_, &device_);
        line_ = fm.lineSpacing();
        padX_ = fm.averageCharWidth() * 0.5;
        padY_ = line_ * 0.2;
        area_ = QRectF(0, 0, device_.width(), device_.height());
        Columns(fm);
    }

    int Pages() const { return pages_; }

    // Paints every page, reading the rows once more.
    void PaintAll(QPainter& p) {
        int page = 0;
        double y = BeginPage(p, page);
        std::vector<QLineF> rules;
        Placer placer(*this);
        std::vector<const Breaks*> breaks(shown_.size());
        EachRow(sheet_, [&](const std::vector<std::string>& row) {
            const int lines = RowLines(row, breaks);
            placer.Place(lines, [&](int onPage, int firstLine, int count) {
                while (page < onPage) {
                    EndPage(p, page, y, rules);
                    device_.newPage();
                    y = BeginPage(p, ++page);
                }
                const double height = SliceHeight(count);
                double x = 0;
                for (std::size_t k = 0; k < shown_.size(); ++k) {
                    const auto& c = shown_[k];
                    if (c.index < row.size() && !row[c.index].empty())
                        DrawCell(p, QRectF(x, y, c.width, height), CellText(row[c.index]), c.right, *bodyMetrics_,
                                 firstLine, count, breaks[k]);
                    x += c.width;
                }
                y += height;
                rules.emplace_back(QPointF(0, y), QPointF(tableWidth_, y));
            });
            return true;
        });
        EndPage(p, page, y, rules);
    }

    // The page texts and the captions; answers where the rows start (the table's frame starts at
    // captionTop_).
    double BeginPage(QPainter& p, int page) {
        double y = 0;
        const QFontMetricsF sm(small_, &device_), tm(title_, &device_);
        p.setPen(Qt::black);
        if (!style_.headerText.empty()) {
            p.setFont(small_);
            DrawLine(p, sm, Q(style_.headerText), y, Qt::AlignLeft);
            y += sm.lineSpacing();
        }
        p.setFont(title_);
        DrawLine(p, tm, Q(sheet_.title), y, Qt::AlignHCenter);
        y += tm.lineSpacing();
        p.setFont(small_);
        const QString info = Q(texts_.user + ": " + sheet_.user + "    " + texts_.year + ": " + sheet_.year + "    " +
                               texts_.printed + ": " + sheet_.printDate);
        DrawLine(p, sm, info, y, Qt::AlignLeft);
        y += sm.lineSpacing() + padY_;

        captionTop_ = y;
        if (page == 0 || style_.repeatHeader) {
            p.fillRect(QRectF(0, y, tableWidth_, captionHeight_), QColor(0xE8, 0xEE, 0xF6));
            p.setFont(bold_);
            double x = 0;
            for (const auto& c : shown_) {
                Breaks breaks;
                LinesOf(sheet_.columns[c.index].caption, c.width - 2 * padX_, bold_, *boldMetrics_, &breaks);
                DrawCell(p, QRectF(x, y, c.width, captionHeight_), CellText(sheet_.columns[c.index].caption), false,
                         *boldMetrics_, 0, captionLines_, breaks.empty() ? nullptr : &breaks);
                x += c.width;
            }
            y += captionHeight_;
            p.drawLine(QPointF(0, y), QPointF(tableWidth_, y));
        }
        p.setFont(body_);
        return y;
    }

    // The rules under the page's rows, the column rules, the frame and the foot.
    void EndPage(QPainter& p, int page, double y, std::vector<QLineF>& rules) const {
        const double top = captionTop_;
        p.setPen(QColor(0xC8, 0xC8, 0xC8));
        p.drawLines(rules.data(), static_cast<int>(rules.size()));
        rules.clear();
        p.setPen(QColor(0x90, 0x90, 0x90));
        double x = 0;
        p.drawLine(QPointF(0, top), QPointF(0, y));
        for (const auto& c : shown_) {
            x += c.width;
            p.drawLine(QPointF(x, top), QPointF(x, y));
        }
        p.drawLine(QPointF(0, top), QPointF(tableWidth_, top));
        p.setPen(Qt::black);

        const QFontMetricsF sm(small_, &device_);
        p.setFont(small_);
        const double footY = area_.height() - sm.lineSpacing();
        if (!style_.footerText.empty())
            DrawLine(p, sm, sm.elidedText(Q(style_.footerText), Qt::ElideRight, area_.width() * 0.6), footY, Qt::AlignLeft);
        const std::string pageText = texts::FillPlaceholders(texts_.pageOf, {std::to_string(page + 1), std::to_string(Pages())});
        DrawLine(p, sm, Q(pageText), footY, Qt::AlignRight);
    }

    // One line of text whose line box starts at y, placed by its baseline. Text drawn into a
    // rectangle is clipped to it where the glyphs come out taller than the metrics say, and the
    // preview draws them at its zoom with the screen's font sizes: at some zooms that cut the
    // title's lower half and the line below it.
    void DrawLine(QPainter& p, const QFontMetricsF& fm, const QString& text, double y, Qt::Alignment side) const {
        const double width = fm.horizontalAdvance(text);
        double x = 0;
        if (side & Qt::AlignHCenter) x = (area_.width() - width) / 2;
        else if (side & Qt::AlignRight) x = area_.width() - width;
        p.drawText(QPointF(std::max(0.0, x), y + fm.ascent()), text);
    }

private:
    static QFont BaseFont(const PageStyle& style) {
        QFont f;
        // Latin text from a Latin face keeps a PDF's text searchable (the CJK face maps its
        // digits to no characters). Chinese comes from a face that gives each character a glyph
        // of its own: a PDF maps a glyph back to the lowest code point that uses it, and the
        // Noto CJK faces share glyphs with radicals and rare characters (长 came back as ⻓).
        QStringList families{"DejaVu Sans", "WenQuanYi Micro Hei", "Noto Sans CJK SC"};
        if (!style.fontFamily.empty()) families.prepend(Q(style.fontFamily));
        f.setFamilies(families);
        return f;
    }

    const PageStyle::ColumnStyle* StyleOf(const std::string& caption) const {
        for (const auto& c : style_.columns)
            if (c.caption == caption) return &c;
        return nullptr;
    }

    // Each column asks for the width of its content (measured over the first rows, at most 40
    // characters) and never less than its caption's longest word. Too wide for the page: the
    // columns give up width down to a floor that keeps short values (codes, dates, flags) and
    // caption words whole, widest first. Too narrow: all widen in proportion.
    void Columns(const QFontMetricsF& fm) {
        const QFontMetricsF bm(bold_, &device_);
        const double perMm = device_.logicalDpiX() / 25.4;
        const double avg = fm.averageCharWidth();
        // Short values are mostly digits (codes, dates, phone numbers): measured in digits.
        const double shortValue = 14 * std::max(avg, fm.horizontalAdvance(QChar('0')));
        const std::size_t sample = sample_.size();
        std::vector<double> floors;
        std::vector<double> needs;  // the whole content on one line
        std::vector<bool> long_;  // content wider than the floor keeps whole
        std::vector<double> unbroken;  // a long column's widest part no line may break, up to a short value
        double total = 0;
        for (std::size_t i = 0; i < sheet_.columns.size(); ++i) {
            const Column& col = sheet_.columns[i];
            const auto* cs = StyleOf(col.caption);
            if (cs && !cs->visible) continue;
            double word = 0;
            for (const QString& w : Q(col.caption).split(QChar(' '), Qt::SkipEmptyParts))
                word = std::max(word, bm.horizontalAdvance(w));
            word = std::min(word, shortValue);
            double content = 0;
            for (const auto& row : sample_)
                if (i < row.size() && !row[i].empty()) content = std::max(content, fm.horizontalAdvance(CellText(row[i])));
            if (sample == 0) content = std::clamp(col.size, 4, 40) * avg;
            else content += avg * 0.5;  // the painter's layout rounds where the measure does not
            const double natural = std::max(word, std::min(content, 40 * avg)) + 2 * padX_;
            const double w = cs && cs->width > 0 ? cs->width * perMm : natural;
            floors.push_back(std::min(w, std::max(word, std::min(content, shortValue)) + 2 * padX_));
            long_.push_back(content > shortValue);
            unbroken.push_back(long_.back() ? WidestUnbreakable(i, fm, shortValue) + 2 * padX_ : 0);
            needs.push_back(std::max({word, content, 2 * avg}) + 2 * padX_);
            shown_.push_back({i, w, IsNumberType(col.type)});
            total += w;
        }
        const double avail = area_.width();
        double shrinkable = 0, floorSum = 0;
        for (std::size_t k = 0; k < shown_.size(); ++k) {
            shrinkable += shown_[k].width - floors[k];
            floorSum += floors[k];
        }
        floorSum_ = floorSum;
        // Even the floors do not fit: the short columns keep theirs and the long ones (names,
        // addresses, e-mail) share what is left, wrapping more; with too many short ones for that,
        // all wrap. Width goes by the length of the content, so that a long text wraps into as
        // few lines as the others (shared by the floors, a memo among codes took a page a row).
        double shortSum = 0, longNeed = 0, allNeed = 0;
        for (std::size_t k = 0; k < shown_.size(); ++k) {
            if (long_[k]) longNeed += needs[k];
            else shortSum += floors[k];
            allNeed += needs[k];
        }
        const bool keepShort = longNeed > 0 && shortSum < avail * 0.8;
        const std::vector<double> longWidths =
            keepShort ? ShareKeepingWhole(needs, unbroken, long_, longNeed, avail - shortSum) : std::vector<double>{};
        for (std::size_t k = 0; k < shown_.size(); ++k) {
            auto& c = shown_[k];
            if (total <= avail) c.width *= total > 0 ? avail / total : 1;
            else if (total - avail <= shrinkable) c.width -= (c.width - floors[k]) * (total - avail) / shrinkable;
            else if (keepShort) c.width = long_[k] ? longWidths[k] : floors[k];
            else c.width = needs[k] * avail / allNeed;
        }
        tableWidth_ = 0;
        for (const auto& c : shown_) tableWidth_ += c.width;
    }

    // The widest run of column i's sampled values that no line may break (a phone number, an
    // address without blanks; Chinese breaks between any two characters), up to cap.
    double WidestUnbreakable(std::size_t i, const QFontMetricsF& fm, double cap) const {
        double widest = 0;
        for (const auto& row : sample_) {
            if (i >= row.size() || row[i].empty()) continue;
            const QString s = CellText(row[i]);
            QTextBoundaryFinder lines(QTextBoundaryFinder::Line, s);
            for (qsizetype from = 0, at = lines.toNextBoundary(); at > 0; from = at, at = lines.toNextBoundary())
                widest = std::max(widest, fm.horizontalAdvance(s.mid(from, at - from).trimmed()));
            if (widest >= cap) return cap;
        }
        return widest;
    }

    // The width left to the long columns, shared by what their content needs; a column whose
    // share would cut one of its values where no line may break (inside a number) keeps the width
    // of that part, and the others share the rest. When even that does not fit, all share by need.
    static std::vector<double> ShareKeepingWhole(const std::vector<double>& needs, const std::vector<double>& unbroken,
                                                 const std::vector<bool>& isLong, double longNeed, double width) {
        std::vector<double> out(needs.size(), 0);
        std::vector<bool> held(needs.size(), false);
        for (bool changed = true; changed;) {
            changed = false;
            double left = width, need = 0;
            for (std::size_t k = 0; k < needs.size(); ++k) {
                if (!isLong[k]) continue;
                if (held[k]) left -= out[k];
                else need += needs[k];
            }
            if (left < 0) {  // the widest parts alone are more than the width
                for (std::size_t k = 0; k < needs.size(); ++k) out[k] = isLong[k] ? needs[k] * width / longNeed : 0;
                return out;
            }
            for (std::size_t k = 0; k < needs.size(); ++k) {
                if (!isLong[k] || held[k]) continue;
                out[k] = needs[k] * left / need;
                if (out[k] < unbroken[k]) held[k] = changed = true;
                if (held[k]) out[k] = unbroken[k];
            }
        }
        // Every long column held at its widest part: they share what is left in proportion.
        double given = 0;
        for (std::size_t k = 0; k < needs.size(); ++k) given += out[k];
        if (given > 0 && given < width)
            for (double& w : out) w *= width / given;
        return out;
    }

    // Where a wrapped text's lines start and how long they are, in the text's characters.
    using Breaks = std::vector<std::pair<int, int>>;

    // Lines a text takes in a column of inner width w; breaks (when given) receives the lines of
    // a text that does not fit on one, and stays empty for one that does.
    int LinesOf(const std::string& text, double w, const QFont& font, const QFontMetricsF& fm,
                Breaks* breaks = nullptr) const {
        const QString s = CellText(text);
        if (!s.contains(QChar('\n')) && fm.horizontalAdvance(s) <= w) return 1;
        int lines = 0, offset = 0;
        for (const QString& part : s.split(QChar('\n'))) {
            if (part.isEmpty()) {  // an empty line between two breaks
                if (breaks) breaks->emplace_back(offset, 0);
                ++lines;
                ++offset;
                continue;
            }
            QTextLayout layout(part, font, &device_);
            layout.setTextOption(WrapOption(false));
            layout.beginLayout();
            for (QTextLine l = layout.createLine(); l.isValid(); l = layout.createLine()) {
                l.setLineWidth(w);
                if (breaks) breaks->emplace_back(offset + l.textStart(), l.textLength());
                ++lines;
            }
            layout.endLayout();
            offset += static_cast<int>(part.size()) + 1;
        }
        return std::max(lines, 1);
    }

    static QTextOption WrapOption(bool right) {
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        option.setAlignment(right ? Qt::AlignRight : Qt::AlignLeft);
        return option;
    }

    double SliceHeight(int lines) const { return lines * line_ + 2 * padY_; }

    void Paginate() {
        const QFontMetricsF sm(small_, &device_), tm(title_, &device_), bm(bold_, &device_);
        const double head = (style_.headerText.empty() ? 0 : sm.lineSpacing()) + tm.lineSpacing() + sm.lineSpacing() + padY_;
        const double foot = sm.lineSpacing() * 1.5;
        captionLines_ = 1;
        for (const auto& c : shown_)
            captionLines_ = std::max(captionLines_, std::min(3, LinesOf(sheet_.columns[c.index].caption,
                                                                        c.width - 2 * padX_, bold_, bm)));
        captionHeight_ = captionLines_ * bm.lineSpacing() + 2 * padY_;
        firstBody_ = area_.height() - head - foot - captionHeight_;
        laterBody_ = style_.repeatHeader ? firstBody_ : firstBody_ + captionHeight_;

        Placer placer(*this);
        std::vector<const Breaks*> breaks(shown_.size());
        pages_ = 1;
        EachRow(sheet_, [&](const std::vector<std::string>& row) {
            placer.Place(RowLines(row, breaks), [&](int page, int, int) { pages_ = page + 1; });
            return true;
        });
    }

    // The lines a row takes, and in breaks for each shown column the lines of a text that wraps
    // (null for one that fits on one line); valid until the next call.
    int RowLines(const std::vector<std::string>& row, std::vector<const Breaks*>& breaks) {
        // Lists repeat their long texts (a vendor's name on each of its contacts): each is
        // wrapped once per column, as long as the texts known stay few.
        if (wrapped_.empty()) wrapped_.resize(shown_.size());
        std::size_t known = 0;
        for (const auto& w : wrapped_) known += w.size();
        if (known > 20000)
            for (auto& w : wrapped_) w.clear();
        int lines = 1;
        for (std::size_t k = 0; k < shown_.size(); ++k) {
            breaks[k] = nullptr;
            const auto& c = shown_[k];
            if (c.index >= row.size() || row[c.index].empty()) continue;
            const std::string& text = row[c.index];
            auto it = wrapped_[k].find(text);
            if (it == wrapped_[k].end()) {
                Breaks b;
                LinesOf(text, c.width - 2 * padX_, body_, *bodyMetrics_, &b);
                if (b.empty()) continue;  // one line
                it = wrapped_[k].emplace(text, std::move(b)).first;
            }
            lines = std::max(lines, static_cast<int>(it->second.size()));
            breaks[k] = &it->second;
        }
        return lines;
    }

    // Puts rows on pages, each call the next row: a row goes whole onto the page, or whole onto
    // the next; only a row taller than a page is split, its lines continuing on the pages that
    // follow. Layout and painting place the rows alike.
    class Placer {
    public:
        explicit Placer(const Layout& layout) : l_(layout), room_(layout.firstBody_) {}
        // slice(page, first line, lines) for each piece of a row of `lines` lines.
        template <class Slice>
        void Place(int lines, Slice slice) {
            int first = 0;
            while (lines > 0) {
                if (used_ + l_.SliceHeight(lines) <= room_) {
                    slice(page_, first, lines);
                    used_ += l_.SliceHeight(lines);
                    break;
                }
                if (used_ > 0 && l_.SliceHeight(lines) <= l_.laterBody_) {
                    NewPage();
                    continue;
                }
                const int fit = static_cast<int>((room_ - used_ - 2 * l_.padY_) / l_.line_);
                if (fit < 1) {
                    NewPage();
                    continue;
                }
                slice(page_, first, fit);
                first += fit;
                lines -= fit;
                NewPage();
            }
        }

    private:
        void NewPage() {
            ++page_;
            used_ = 0;
            room_ = l_.laterBody_;
        }
        const Layout& l_;
        int page_ = 0;
        double used_ = 0, room_;
    };

    // Draws lines [firstLine, firstLine + lines) of the text into the cell: the whole text when
    // breaks is null, else the lines breaks names. Text at a point is the painter's quickest path.
    void DrawCell(QPainter& p, const QRectF& cell, const QString& s, bool right, const QFontMetricsF& fm,
                  int firstLine, int lines, const Breaks* breaks) const {
        const QRectF inner = cell.adjusted(padX_, padY_, -padX_, -padY_);
        auto draw = [&](const QString& text, int line) {
            const double x = right ? inner.right() - fm.horizontalAdvance(text) : inner.left();
            p.drawText(QPointF(x, inner.top() + line * fm.lineSpacing() + fm.ascent()), text);
        };
        if (!breaks) {
            if (firstLine == 0) draw(s, 0);
            return;
        }
        const int end = std::min(firstLine + lines, static_cast<int>(breaks->size()));
        for (int k = firstLine; k < end; ++k) {
            const auto [start, length] = (*breaks)[static_cast<std::size_t>(k)];
            if (length > 0) draw(s.mid(start, length), k - firstLine);
        }
    }

    QPagedPaintDevice& device_;
    const Sheet& sheet_;
    const PageStyle& style_;
    const PageTexts& texts_;
    QFont body_, bold_, title_, small_;
    double line_ = 0, padX_ = 0, padY_ = 0, captionHeight_ = 0, tableWidth_ = 0;
    int captionLines_ = 1;
    std::optional<QFontMetricsF> bodyMetrics_, boldMetrics_;
    std::vector<std::vector<std::string>> sample_;  // the first rows, for the columns' widths
    std::vector<std::unordered_map<std::string, Breaks>> wrapped_;  // per shown column, by text
    double firstBody_ = 0, laterBody_ = 0, captionTop_ = 0;
    double floorSum_ = 0;
    QRectF area_;
    std::vector<ShownColumn> shown_;
    int pages_ = 1;
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
    Layout layout(device, sheet, style, texts);
    layout.PaintAll(painter);
    painter.end();
    return layout.Pages();
}

}  // namespace host::print
