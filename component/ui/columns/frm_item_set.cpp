#include "ui/columns/frm_item_set.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QResizeEvent>

#include "common/context.h"
#include "common/host_objects.h"
#include "common/hosts/column_settings.h"
#include "common/hosts/pub_util.h"
#include "common/hosts/pub_util_columns.h"
#include "common/hosts/services.h"
#include "common/hosts/text_service.h"
#include "common/logs.h"
#include "common/messages.h"
#include "common/prog_ids.h"
#include "common/texts.h"
#include "platform/error.h"
#include "platform/object_factory.h"
#include "ui/list/frm_contact_list.h"
#include "ui/help_window.h"
#include "ui/widget_host.h"

namespace sovrel {

namespace {

constexpr const char* kTable = "Ven_Contact";
constexpr int kWidth = 700, kHeight = 600;

IPubUtilColumns* Columns() { return dynamic_cast<IPubUtilColumns*>(Ctx().PubUtil.get()); }

}  // namespace

frmItemSet::frmItemSet(frmContactList& list) : FormWindow(&list), list_(list) {
    setObjectName("frmItemSet");
    setAttribute(Qt::WA_DeleteOnClose, false);
    control_ = platform::Create<IColumnSetControl>(progid::ColumnSetControl);
    if (control_) {
        if (auto* host = dynamic_cast<IWidgetHost*>(control_.get())) host->Widget(this);
        control_->OnReload([this](int mode) { Guarded("frmItemSet.ColSet1_Reload()", [&] { ColSetReload(mode); }); });
        control_->OnConfirm([this](bool save, const std::string& info) {
            Guarded("frmItemSet.ColSet1_Confirm()", [&] { ColSetConfirm(save, info); });
        });
        control_->OnClose([this] { Guarded("frmItemSet.ColSet1_Close()", [&] { ColSetClose(); }); });
    }
}

frmItemSet::~frmItemSet() = default;

void frmItemSet::LoadForShow() { FormLoad(); }

void frmItemSet::FormLoad() {
    if (loaded_) return;
    loaded_ = true;
    Context& c = Ctx();
    CrmCommonSvc().LocalizeForm("Hx.CRM.TkContactUI.frmItemSet", *this);
    if (c.PubUtil) c.PubUtil->FrmUniteFont(*this);
    std::string caption = ResText("Hx.CRM.TkContact.frmitemset.00010");
    bool flag = true;
    CrmCommonSvc().SetFormCaption(*this, caption, flag);
    if (!control_) {
        ShowInfo(ResTextParams("Hx.CRM.TkContact.frmitemset.NoControl", {platform::db::Value(progid::ColumnSetControl)}));
        return;
    }
    std::string info = c.UnsavedColumnSet;
    if (info.empty() && c.ColumnSetSvc) info = c.ColumnSetSvc->getColInfo(kTable, 1);
    control_->Load(info);
    resize(kWidth, kHeight);
}

void frmItemSet::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Guarded("frmItemSet.Form_Resize()", [&] {
        if (auto* columns = Columns(); columns && control_) columns->ColSetResize(*control_, *this);
    });
}

void frmItemSet::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        // The column settings have a help page of their own; the list's would explain other things.
        ShowHelp(this, CrmCommonSvc().GetHelpFile(), helpcmd::DisplayTopic, 0, "frmItemSet");
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmItemSet::ColSetReload(int mode) {
    Context& c = Ctx();
    if (!control_ || !c.ColumnSetSvc) return;
    control_->Load(c.ColumnSetSvc->getColInfo(kTable, mode));
}

void frmItemSet::ColSetConfirm(bool save, const std::string& columnInfo) {
    Context& c = Ctx();
    c.UnsavedColumnSet = columnInfo;
    if (save && c.ColumnSetSvc) {
        std::string message;
        if (!c.ColumnSetSvc->Save(kTable, columnInfo, message)) ShowInfo(message);
    }
    auto* columns = Columns();
    c.ColumnInfo = columns ? columns->GetUnSavedColSet(columnInfo) : columnInfo;
    list_.LoadHead();
    list_.DataRefresh("");
    Unload();
}

void frmItemSet::ColSetClose() { Unload(); }

void frmItemSet::Unload() {
    pendingCancel_ = 0;
    pendingUnloadMode_ = 1;
    if (!unloaded_) {
        unloaded_ = true;
        CrmCommonSvc().FormUnloaded();
    }
    if (isVisible()) done(QDialog::Accepted);
}

void frmItemSet::closeEvent(QCloseEvent* event) {
    pendingCancel_ = 0;
    pendingUnloadMode_ = 0;
    if (!unloaded_) {
        unloaded_ = true;
        Guarded("frmItemSet.Form_Unload()", [] { CrmCommonSvc().FormUnloaded(); });
    }
    QDialog::closeEvent(event);
}

void frmItemSet::ExitForm(std::int16_t& cancel, std::int16_t& unloadMode) {
    Unload();
    cancel = pendingCancel_;
    unloadMode = pendingUnloadMode_;
}

void OpenItemSet(frmContactList& list) {
    Context& c = Ctx();
    if (auto* columns = Columns()) columns->SaveColSet(c.DataService, list.Grid(), kTable, c.UserId);
    frmItemSet window(list);
    window.ShowModal();
}

}  // namespace sovrel
