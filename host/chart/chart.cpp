#include "host/chart.h"

#include <QAction>
#include <QFileDialog>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsView>
#include <QResizeEvent>
#include <QImage>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSvgGenerator>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <pugixml.hpp>

#include <algorithm>
#include <unordered_map>

#include "../session/support.h"
#include "common/prog_ids.h"
#include "host/register.h"
#include "host/session.h"
#include "platform/object_factory.h"

namespace host {

namespace {

constexpr double kBoxWidth = 150, kBoxHeight = 52, kGapX = 24, kGapY = 46;

QString Text(const char* key) { return QString::fromStdString(detail::CurrentText(key)); }

// The whole chart in the view, but a small one not blown up beyond its natural size.
void FitView(QGraphicsView& view) {
    if (!view.scene()) return;
    view.fitInView(view.scene()->sceneRect(), Qt::KeepAspectRatio);
    if (view.transform().m11() > 1.0) view.setTransform(QTransform());
}

class ChartView final : public QGraphicsView {
public:
    using QGraphicsView::QGraphicsView;
    // Until the user zooms, the chart follows the view's size: the window is laid out after the
    // chart is drawn, so a fit at drawing time would use a view of no size.
    bool keepFitted = true;

protected:
    void resizeEvent(QResizeEvent* event) override {
        QGraphicsView::resizeEvent(event);
        if (keepFitted) FitView(*this);
    }
    void wheelEvent(QWheelEvent* event) override {
        if (event->modifiers() & Qt::ControlModifier) {
            const double f = event->angleDelta().y() > 0 ? 1.15 : 1 / 1.15;
            keepFitted = false;
            scale(f, f);
            event->accept();
            return;
        }
        QGraphicsView::wheelEvent(event);
    }
};

}  // namespace

std::vector<ChartNode> LayoutChart(const std::string& description) {
    std::vector<ChartNode> nodes;
    pugi::xml_document doc;
    if (description.empty() || !doc.load_buffer(description.data(), description.size())) return nodes;
    std::unordered_map<std::string, int> byCode;
    for (const auto& hit : doc.select_nodes("//Contract")) {
        const pugi::xml_node e = hit.node();
        ChartNode n{e.attribute("Code").value(), e.attribute("Name").value(), e.attribute("Duty").value(),
                    e.attribute("Superior").value()};
        // A code given twice is drawn once, as first described.
        if (byCode.emplace(n.code, static_cast<int>(nodes.size())).second) nodes.push_back(std::move(n));
    }
    const int count = static_cast<int>(nodes.size());
    for (auto& n : nodes) {
        if (n.superior.empty() || n.superior == "NULL" || n.superior == n.code) continue;
        if (auto it = byCode.find(n.superior); it != byCode.end()) n.parent = it->second;
    }
    // Cut every circle of superiors once, at the member where the walk found it.
    std::vector<char> state(count, 0);  // 0 unseen, 1 on the current walk, 2 settled
    std::vector<int> walk;
    for (int start = 0; start < count; ++start) {
        walk.clear();
        int i = start;
        while (i >= 0 && state[i] == 0) {
            state[i] = 1;
            walk.push_back(i);
            i = nodes[i].parent;
        }
        if (i >= 0 && state[i] == 1) {
            nodes[i].parent = -1;
            nodes[i].cutCycle = true;
        }
        for (int w : walk) state[w] = 2;
    }
    // Children in description order; then a tidy placement: leaves side by side, each parent
    // centred over its children, roots one after another.
    std::vector<std::vector<int>> children(count);
    std::vector<int> roots;
    for (int i = 0; i < count; ++i) (nodes[i].parent < 0 ? roots : children[nodes[i].parent]).push_back(i);
    double nextX = 0;
    struct Frame {
        int node;
        std::size_t child;
    };
    std::vector<Frame> stack;
    for (int root : roots) {
        nodes[root].depth = 0;
        stack.push_back({root, 0});
        while (!stack.empty()) {
            Frame& f = stack.back();
            const auto& kids = children[f.node];
            if (f.child < kids.size()) {
                const int kid = kids[f.child++];
                nodes[kid].depth = nodes[f.node].depth + 1;
                stack.push_back({kid, 0});
                continue;
            }
            ChartNode& n = nodes[f.node];
            if (kids.empty()) {
                n.x = nextX;
                nextX += kBoxWidth + kGapX;
            } else {
                n.x = (nodes[kids.front()].x + nodes[kids.back()].x) / 2;
            }
            n.y = n.depth * (kBoxHeight + kGapY);
            stack.pop_back();
        }
        nextX += kGapX;  // a little more room between trees
    }
    return nodes;
}

ChartControl::~ChartControl() {
    if (widget_ && !widget_->parent()) delete widget_;
}

QWidget* ChartControl::Widget(QWidget* parent) {
    if (widget_) return widget_;
    widget_ = new QWidget(parent);
    auto* layout = new QVBoxLayout(widget_);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QToolBar(widget_);
    bar->setObjectName("chartToolbar");
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    scene_ = new QGraphicsScene(widget_);
    view_ = new ChartView(scene_, widget_);
    view_->setObjectName("chartView");
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setDragMode(QGraphicsView::ScrollHandDrag);
    view_->setBackgroundBrush(Qt::white);
    auto action = [&](const char* name, const char* icon, const char* key, auto f) {
        QAction* a = bar->addAction(QIcon::fromTheme(icon), Text(key));
        a->setObjectName(name);
        QObject::connect(a, &QAction::triggered, widget_, f);
    };
    action("chartZoomIn", "zoom-in", "Hx.AA.PUB.Chart.ZoomIn", [this] { ZoomBy(1.25); });
    action("chartZoomOut", "zoom-out", "Hx.AA.PUB.Chart.ZoomOut", [this] { ZoomBy(0.8); });
    action("chartFit", "zoom-fit-best", "Hx.AA.PUB.Chart.Fit", [this] { Fit(); });
    action("chartExport", "document-save-as", "Hx.AA.PUB.Chart.Export", [this] { ExportAsked(); });
    action("chartPrint", "document-print", "Hx.AA.PUB.Chart.Print", [this] { PrintAsked(); });
    layout->addWidget(bar);
    layout->addWidget(view_);
    return widget_;
}

void ChartControl::Load(const std::string& description) {
    description_ = description;
    nodes_ = LayoutChart(description);
}

void ChartControl::Draw() {
    if (!scene_) Widget(nullptr);
    scene_->clear();
    QFont nameFont = widget_->font();
    nameFont.setBold(true);
    const QFont dutyFont = widget_->font();
    const QFontMetrics nameMetrics(nameFont), dutyMetrics(dutyFont);
    QPainterPath lines, cutLines;
    for (const ChartNode& n : nodes_) {
        auto* box = scene_->addRect(n.x, n.y, kBoxWidth, kBoxHeight, QPen(QColor(0x3B, 0x6E, 0xA5), 1.2),
                                    QBrush(n.depth == 0 ? QColor(0xDC, 0xE9, 0xF7) : QColor(0xF7, 0xFA, 0xFD)));
        box->setToolTip(QString::fromStdString(n.code));
        auto* name = new QGraphicsSimpleTextItem(
            nameMetrics.elidedText(QString::fromStdString(n.name), Qt::ElideRight, kBoxWidth - 12), box);
        name->setFont(nameFont);
        name->setPos(n.x + (kBoxWidth - name->boundingRect().width()) / 2, n.y + 7);
        auto* duty = new QGraphicsSimpleTextItem(
            dutyMetrics.elidedText(QString::fromStdString(n.duty), Qt::ElideRight, kBoxWidth - 12), box);
        duty->setFont(dutyFont);
        duty->setBrush(QColor(0x55, 0x55, 0x55));
        duty->setPos(n.x + (kBoxWidth - duty->boundingRect().width()) / 2, n.y + 28);
        if (n.parent >= 0) {
            const ChartNode& p = nodes_[n.parent];
            const double midY = n.y - kGapY / 2;
            lines.moveTo(p.x + kBoxWidth / 2, p.y + kBoxHeight);
            lines.lineTo(p.x + kBoxWidth / 2, midY);
            lines.lineTo(n.x + kBoxWidth / 2, midY);
            lines.lineTo(n.x + kBoxWidth / 2, n.y);
        }
    }
    // A circle's cut link: dashed, from the side of the root to the superior it names.
    std::unordered_map<std::string, int> byCode;
    for (int i = 0; i < static_cast<int>(nodes_.size()); ++i) byCode.emplace(nodes_[i].code, i);
    for (const ChartNode& n : nodes_) {
        if (!n.cutCycle) continue;
        const ChartNode& s = nodes_[byCode.at(n.superior)];
        cutLines.moveTo(n.x + kBoxWidth, n.y + kBoxHeight / 2);
        cutLines.lineTo(s.x + kBoxWidth, s.y + kBoxHeight / 2);
    }
    scene_->addPath(lines, QPen(QColor(0x3B, 0x6E, 0xA5), 1.2))->setZValue(-1);
    scene_->addPath(cutLines, QPen(QColor(0xC0, 0x39, 0x2B), 1.2, Qt::DashLine))->setZValue(-1);
    scene_->setSceneRect(scene_->itemsBoundingRect().adjusted(-20, -20, 20, 20));
    Fit();
}

double ChartControl::Zoom() const { return view_ ? view_->transform().m11() : 1.0; }

void ChartControl::ZoomBy(double factor) {
    if (!view_) return;
    static_cast<ChartView*>(view_)->keepFitted = false;
    const double target = std::clamp(Zoom() * factor, 0.02, 8.0);
    view_->scale(target / Zoom(), target / Zoom());
}

void ChartControl::Fit() {
    if (!view_ || !scene_) return;
    static_cast<ChartView*>(view_)->keepFitted = true;
    FitView(*view_);
}

bool ChartControl::ExportPng(const QString& path) const {
    if (!scene_) return false;
    const QRectF area = scene_->sceneRect();
    // Big charts are drawn smaller rather than failing on a huge image.
    const double scale = std::min(2.0, 16000.0 / std::max(area.width(), area.height()));
    QImage image((area.size() * scale).toSize(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    scene_->render(&painter, QRectF(), area);
    painter.end();
    return image.save(path, "PNG");
}

bool ChartControl::ExportSvg(const QString& path) const {
    if (!scene_) return false;
    const QRectF area = scene_->sceneRect();
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(area.size().toSize());
    svg.setViewBox(QRectF(QPointF(0, 0), area.size()));
    svg.setTitle(Text("Hx.AA.PUB.Chart.Title"));
    QPainter painter;
    if (!painter.begin(&svg)) return false;
    scene_->render(&painter, QRectF(QPointF(0, 0), area.size()), area);
    return painter.end();
}

void ChartControl::ExportAsked() {
    QString filter;
    const QString path = QFileDialog::getSaveFileName(widget_, Text("Hx.AA.PUB.Chart.Export"), "chart.png",
                                                      "PNG (*.png);;SVG (*.svg)", &filter);
    if (path.isEmpty()) return;
    if (path.endsWith(".svg", Qt::CaseInsensitive) || filter.startsWith("SVG")) ExportSvg(path);
    else ExportPng(path);
}

void ChartControl::PrintAsked() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, widget_);
    if (dialog.exec() != QDialog::Accepted) return;
    QPainter painter(&printer);
    scene_->render(&painter, QRectF(), scene_->sceneRect(), Qt::KeepAspectRatio);
}

void RegisterChart() {
    platform::Register(sovrel::progid::Chart, [] { return std::make_shared<ChartControl>(); });
}

}  // namespace host
