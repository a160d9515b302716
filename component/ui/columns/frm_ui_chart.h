#pragma once
// frmUIChart: the organisation chart of one vendor's contacts, drawn by the host's chart control
// from the description the list wrote into ReportXml.

#include <cstdint>
#include <memory>
#include <string>

#include "common/form.h"
#include "ui/form_window.h"

namespace sovrel {

class IChart;

class frmUIChart final : public FormWindow<IForm> {
public:
    frmUIChart();
    ~frmUIChart() override;

    void SetReportXml(std::string xml) { reportXml_ = std::move(xml); }
    const std::string& ReportXml() const { return reportXml_; }

    std::string Name() const override { return "frmUIChart"; }
    void ExitForm(std::int16_t& cancel, std::int16_t& unloadMode);

    // Localises the window and hands the description to the chart control (mode 4, load, draw).
    void FormLoad();
    IChart* Chart() const { return chart_.get(); }
    long HelpContextId() const { return helpContextId_; }

protected:
    void LoadForShow() override;
    void done(int result) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::shared_ptr<IChart> chart_;
    std::string reportXml_;
    long helpContextId_ = 0;
    bool loaded_ = false;
};

}  // namespace sovrel
