#include "ui/columns/frm_ui_chart.h"

#include <QKeyEvent>
#include <QVBoxLayout>

#include "common/context.h"
#include "common/window_utils.h"
#include "common/host_objects.h"
#include "common/hosts/chart.h"
#include "common/hosts/portal.h"
#include "common/hosts/pub_util.h"
#include "common/logs.h"
#include "common/prog_ids.h"
#include "common/texts.h"
#include "common/traces.h"
#include "ui/help_window.h"
#include "ui/widget_host.h"

namespace sovrel {

namespace {
constexpr long kChartHelpId = 90100189;
constexpr const char* kHelpKey = "{7CFB8054-4EBA-4E0A-A562-7351FB7C0000}";
}  // namespace

frmUIChart::frmUIChart() {
    setObjectName("frmUIChart");
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    chart_ = platform::Create<IChart>(progid::Chart);
    if (auto* host = dynamic_cast<IWidgetHost*>(chart_.get())) {
        QWidget* w = host->Widget(this);
        w->setObjectName("TkChart1");
        layout->addWidget(w);
    }
    resize(1000, 700);
}

frmUIChart::~frmUIChart() { UnregisterOpenForm(this); }

void frmUIChart::LoadForShow() { FormLoad(); }

void frmUIChart::ExitForm(std::int16_t& cancel, std::int16_t& unloadMode) {
    close();
    cancel = 0;
    unloadMode = 1;
}

void frmUIChart::FormLoad() {
    if (loaded_) return;
    loaded_ = true;
    RegisterOpenForm(this);
    try {
        CrmCommonSvc().LocalizeForm("Hx.CRM.TkContactUI.frmUIChart", *this);
        std::string caption = ResText("Hx.CRM.TkContact.FormCaption01");
        bool flag = true;
        CrmCommonSvc().SetFormCaption(*this, caption, flag);
        helpContextId_ = FormHelpContextId(*this, kHelpKey, kChartHelpId);
        if (!chart_)
            throw platform::Error(platform::errnum::CannotCreateObject, "frmUIChart", std::string("no chart control: ") + progid::Chart +
                                                         " could not be created");
        chart_->SetMode(4);
        chart_->Load(reportXml_);
        chart_->Draw();
    } catch (...) {
        try {
            WriteErrorLog("frmUIChart.Form_Load()", true, CurrentError());
        } catch (...) {
            DebugTrace("frmUIChart.Form_Load(): the error could not be written to error.log");
        }
    }
}

void frmUIChart::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        ShowHelp(this, CrmCommonSvc().GetHelpFile(), helpContextId_ != 0 ? helpcmd::Context : helpcmd::DisplayTopic,
                 helpContextId_, "frmUIChart");
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmUIChart::done(int result) {
    QDialog::done(result);
    if (!loaded_) return;
    loaded_ = false;
    ReportFormUnloaded(*this);
}

}  // namespace sovrel
