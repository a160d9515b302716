#pragma once
// "TkChart.TkChartCtrl": draws an organisation chart description as a tidy tree of boxes (name
// and duty) with lines to each superior. Contacts without a superior, or whose superior is not
// in the description, are roots; a circle of superiors is cut at its first member, which becomes
// a root with a dashed line to the superior it names. Zoom, fit, PNG and SVG export, print.
#include <QString>

#include <map>
#include <string>
#include <vector>

#include "common/hosts/chart.h"
#include "ui/widget_host.h"

class QGraphicsScene;
class QGraphicsView;
class QWidget;

namespace host {

struct ChartNode {
    std::string code, name, duty, superior;
    int parent = -1;          // index of the superior drawn above; -1 for a root
    bool cutCycle = false;    // a root only because its superiors go round in a circle
    int depth = 0;
    double x = 0, y = 0;      // top-left of the box in scene units
};

// Reads the <Contract Code Name Duty Superior/> elements of description and places them; an
// unreadable description gives no nodes.
std::vector<ChartNode> LayoutChart(const std::string& description);

class ChartControl final : public sovrel::IChart, public sovrel::IWidgetHost {
public:
    ~ChartControl() override;
    void SetMode(int mode) override { mode_ = mode; }
    void Load(const std::string& description) override;
    void Draw() override;
    QWidget* Widget(QWidget* parent) override;

    const std::vector<ChartNode>& Nodes() const { return nodes_; }
    void ZoomBy(double factor);
    void Fit();
    double Zoom() const;
    // Writes the whole chart; false when the file cannot be written.
    bool ExportPng(const QString& path) const;
    bool ExportSvg(const QString& path) const;

private:
    void ExportAsked();
    void PrintAsked();

    int mode_ = 0;
    std::string description_;
    std::vector<ChartNode> nodes_;
    QWidget* widget_ = nullptr;
    QGraphicsView* view_ = nullptr;
    QGraphicsScene* scene_ = nullptr;
};

}  // namespace host
