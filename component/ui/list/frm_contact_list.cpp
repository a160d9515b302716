// The list window's lifecycle: creation, load, first activation, unload, and its texts.
#include "ui/list/frm_contact_list.h"

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>

#include "common/context.h"
#include "common/window_utils.h"
#include "common/host_objects.h"
#include "common/hosts/login.h"
#include "common/hosts/portal.h"
#include "common/hosts/pub_util.h"
#include "common/logs.h"
#include "common/messages.h"
#include "common/prog_ids.h"
#include "common/screen.h"
#include "common/sql_text.h"
#include "common/texts.h"
#include "common/traces.h"
#include "entry/small_classes.h"
#include "platform/db/connection.h"
#include "platform/diagnostics.h"
#include "platform/error.h"
#include "service/iclscommon.h"
#include "ui/list/list_internal.h"
#include "ui/help_window.h"
#include "ui/list/pager_widgets.h"

namespace sovrel {

namespace list {

IPubUtil& Pub() {
    if (!Ctx().PubUtil)
        throw platform::Error(platform::errnum::ObjectNotSet, "frmContactList", "there is no public-utility object (HxPub.IPub): open the list through IContact.Show");
    return *Ctx().PubUtil;
}

}  // namespace list

using namespace list;

namespace {

// FrameWeb's height: 500 twips at 15 twips per pixel.
constexpr int kFrameWebHeight = 33;

void LoadTrace(int step, const QLabel* caption) {
    // Fonts here carry no character set; the family tells what the trace is after (which font
    // the window's texts will be drawn with).
    Trace("contact==frmContactList.lbCaption" + std::to_string(step) + "===>",
          caption ? caption->font().family().toStdString() : std::string());
}

}  // namespace

ListActions& DefaultListActions() {
    static ListActions actions;
    return actions;
}

frmContactList::frmContactList() {
    setObjectName("frmContactList");
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
    actions_ = DefaultListActions();
    helpViewer = [this](const std::string& file, int command, long contextId) {
        ShowHelp(this, file, command, contextId, "frmContactList");
    };
    BuildControls();
    resize(1200, 760);
}

frmContactList::~frmContactList() {
    UnregisterOpenForm(this);
    // The host's controls own their widgets' behaviour: the widgets go first, while the
    // controls that drive them are still alive.
    delete gridWidget_;
    delete toolbarWidget_;
}

void frmContactList::LoadForShow() { Guarded("frmContactList.Form_Load()", [this] { FormLoad(); }); }

std::string frmContactList::StatusText() const { return stbPanel1_->text().toStdString(); }

void frmContactList::SetStatusText(const std::string& text) {
    stbPanel1_->setText(QString::fromStdString(text));
    stbPanel1_->repaint();
}

void frmContactList::FormLoad() {
    if (formLoaded_) return;
    formLoaded_ = true;
    unloaded_ = false;
    Context& c = Ctx();
    RegisterOpenForm(this);

    LoadTrace(1, lblCaption_);
    // The portal's pop-up menu manager is optional: a host without one leaves the menus as
    // the window builds them.
    popMenuMgr_ = platform::Create<IPopMenuMgr>(progid::PopMenuMgr);
    if (popMenuMgr_) popMenuMgr_->Init(*this);
    CrmCommonSvc().LocalizeForm(kWindowKey, *this);
    const QString hint = QString::fromStdString(ResText("Hx.CRM.TkContact.frmcontactlist.SearchHint"));
    edtSearch_->setPlaceholderText(hint);
    // Wide enough for the hint in either language, beside the clear button.
    edtSearch_->setMinimumWidth(std::min(edtSearch_->fontMetrics().horizontalAdvance(hint) + 48, 380));
    LoadTrace(2, lblCaption_);

    grid_->SetProperty("Appearance", 0);
    grid_->SetProperty("GridLinesFixed", 1);
    grid_->SetProperty("BackColor", 0xFFFFFF);
    grid_->SetProperty("BackColorBkg", 0xFFFFFF);
    grid_->SetProperty("BackColorFixed", 0xC6E3FF);
    grid_->SetProperty("BackColorSel", 0x46669F);
    grid_->SetProperty("ForeColorSel", 0xFFFFFF);
    grid_->SetProperty("GridColor", 0xAEAEAE);
    grid_->SetProperty("GridColorFixed", 0x888888);
    LoadTrace(3, lblCaption_);

    SetScreenMousePointer(pointer::Hourglass);
    Pub().FrmUniteFont(*this);
    LoadTrace(4, lblCaption_);

    InitPager();
    InitToolbar();
    LoadTrace(5, lblCaption_);

    if (!c.LoginInfo) c.LoginInfo = std::make_shared<clsLogin>();
    Pub().FrmLoadInit(*this, c.LoginInfo, c.DataService, ResText(kTitleKey));
    LoadTrace(6, lblCaption_);

    if (auto views = std::dynamic_pointer_cast<IViewManager>(c.ViewManager)) views->AddView(*this);
    // The web frame carries the list's scope, the vendor it was opened for; for the whole list
    // it has nothing to carry and would only be an empty band.
    vendorCode_ = c.VendorCode;
    vendorName_ = c.VendorName;
    const bool scoped = !vendorCode_.empty();
    frameWeb_->setVisible(c.WebFrameOn && scoped);
    frameWeb_->setFixedHeight(c.WebFrameOn && scoped ? kFrameWebHeight : 0);
    if (scoped) {
        lblScope_->setText(QString::fromStdString(ResText("Hx.AA.ARCHIVE.FIELD.refvendor") + ": " + vendorCode_ + "  " +
                                                  vendorName_));
        // Another module may open the list for a vendor outside the user's row authority: an
        // empty list would say nothing of why.
        if (c.DataService && !c.VendorRowAuth.empty()) {
            auto rs = c.DataService->OpenX("SELECT cVenCode FROM vendor WHERE cVenCode = " + SqlText(vendorCode_) +
                                           " AND (" + c.VendorRowAuth + ")");
            if (rs && !platform::db::HasRows(rs))
                ShowInfo(ResTextParams("Hx.CRM.BF.complaintquerybf.00071",
                                       {vendorName_.empty() ? vendorCode_ : vendorName_}));
        }
    }

    c.LoginInfo->cUserId = c.UserId;
    c.LoginInfo->cUserName = c.UserName;
    c.LoginInfo->tkDBName = c.DbName;
    c.LoginInfo->dCurDate = c.LoginDate;
    LoadTrace(7, lblCaption_);

    helpContextId_ = FormHelpContextId(*this, "联系人管理", kContactHelpId);
    firstActivation_ = true;
    SetScreenMousePointer(pointer::Default);
    LoadTrace(8, lblCaption_);

    const std::string title = ResText(kTitleKey);
    lblCaption_->setText(QString::fromStdString(title));
    setWindowIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    chkSelectAll_->setText(QString::fromStdString(ResText("Hx.CRM.VB.SurveyAcitve.frmActQuestionary.00059")));
    stbPanel2_->setText(QString::fromStdString(c.UserName.empty() ? c.UserId : c.UserName + " (" + c.UserId + ")"));
    visualStyle_ = platform::Create<IVisualStyle>(progid::VisualStyle);
    ApplyVisualStyle(true);
}

void frmContactList::ApplyVisualStyle(bool withGrid) {
    if (!visualStyle_) return;  // the suite's style service is optional
    if (withGrid) {
        WindowControl grid(gridWidget_, "TkFlexGrid");
        visualStyle_->ApplyStyle(grid, "");
    }
    WindowControl check(chkSelectAll_, "CheckBox");
    visualStyle_->ApplyStyle(check, "checkbutton.titlebar");
}

void frmContactList::InitToolbar() {
    Context& c = Ctx();
    // Standalone the window closes itself through the menu; inside the portal, the portal does.
    const bool standalone = c.Business == nullptr;
    items_.at("mnubox2")->setVisible(standalone);
    items_.at("mExit")->setVisible(standalone);
    if (!toolbar_) return;
    std::shared_ptr<platform::db::Connection> connection;
    if (c.Login) {
        try {
            auto opened = std::make_shared<platform::db::Connection>();
            opened->Open(c.Login->tkDBName());
            connection = opened;
        } catch (...) {
            // The toolbar then shows what it can without the account's definitions.
            WriteErrorLog("frmContactList.InitToolbar()", true, CurrentError());
        }
    }
    toolbar_->Init(connection, c.Login, "Archives_Sovrel_List", "AS");
}

void frmContactList::FormActivate() {
    if (!firstActivation_ || unloaded_) return;
    // Cleared first: the load processes pending events, which may activate the window again.
    firstActivation_ = false;
    Context& c = Ctx();
    const std::string label = "从临时表取联系人数据，所用的时间(MS):";
    grid_->SetRows(1);
    std::uint32_t start = platform::TickCount();
    LoadHead();
    Trace("Form_Activate--LoadHead", label + std::to_string(platform::TickCount() - start));
    lblTotalPage_->clear();
    DoEvents();
    if (unloaded_) return;  // closed meanwhile
    start = platform::TickCount();
    DataRefresh("");
    Trace("Form_Activate--DataRefresh", label + std::to_string(platform::TickCount() - start));
    Pub().FrmPreCompile(c.DataService);
    if (toolbar_) toolbar_->RefreshStates();
}

void frmContactList::EndBusy() {
    if (--busy_ > 0 || !closePending_) return;
    closePending_ = false;
    QTimer::singleShot(0, this, [this] { close(); });
}

void frmContactList::ExitForm(std::int16_t& cancel, std::int16_t& unloadMode) {
    nextUnloadMode_ = 1;  // unloaded by code
    close();
    nextUnloadMode_ = 0;
    cancel = pendingCancel_;
    unloadMode = pendingUnloadMode_;
}

void frmContactList::FormQueryUnload(std::int16_t& cancel, std::int16_t unloadMode) {
    pendingCancel_ = cancel;
    pendingUnloadMode_ = unloadMode;
}

void frmContactList::FormUnload(std::int16_t& cancel) {
    Context& c = Ctx();
    // Each step on its own: the window goes whatever fails on the way.
    auto step = [](const std::function<void()>& f) {
        try {
            f();
        } catch (...) {
        }
    };
    step([&] { Pub().IsLockFun(c.DataService, c.Login, kTable, -1); });
    listRs_.reset();
    loaded_ = false;
    for (const char* code : {"AS020305", "AS020301", "AS020306", "AS020303", "AS020302", "AS020304"})
        step([&] { RightChecker().ReleaseRight(c.Login, code); });
    pendingCancel_ = cancel;
    if (cancel == 0) step([] { CrmCommonSvc().FormUnloaded(); });
    c.ColumnInfo.clear();
    c.UnsavedColumnSet.clear();
    unloaded_ = true;
    formLoaded_ = false;
    UnregisterOpenForm(this);
}

void frmContactList::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous() && firstActivation_) {
        // Centred on the screen the first time, no larger than it.
        if (QScreen* s = screen()) {
            const QRect area = s->availableGeometry();
            resize(size().boundedTo(area.size()));
            move(area.center() - rect().center());
        }
        // The load runs once the window is on screen, so the user sees it come up at once.
        QTimer::singleShot(0, this, [this] { Guarded("frmContactList.Form_Activate()", [this] { FormActivate(); }); });
    }
}

void frmContactList::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && firstActivation_)
        Guarded("frmContactList.Form_Activate()", [this] { FormActivate(); });
}

void frmContactList::closeEvent(QCloseEvent* event) {
    if (unloaded_) {
        event->accept();
        return;
    }
    if (busy_ > 0) {
        // A query or fill is under way; the window closes when it is done.
        closePending_ = true;
        event->ignore();
        return;
    }
    CloseAsForm(
        event, [this](std::int16_t& cancel) { FormQueryUnload(cancel, nextUnloadMode_); },
        [this](std::int16_t& cancel) { FormUnload(cancel); });
}

void frmContactList::keyPressEvent(QKeyEvent* event) {
    // Escape does not close the list (only Exit and the close box do); Enter presses no button.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmContactList::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (formLoaded_) Guarded("frmContactList.Form_Resize()", [this] { FormResize(); });
}

void RegisterContactListWindow() {
    platform::Register(progid::ContactListWindow, [] { return std::make_shared<frmContactList>(); });
}

}  // namespace sovrel
