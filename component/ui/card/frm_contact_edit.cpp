// The card's lifecycle: creation, load, activation, captions, toolbars and closing.
#include "ui/card/frm_contact_edit.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>

#include "common/context.h"
#include "common/host_objects.h"
#include "common/hosts/login.h"
#include "common/hosts/portal.h"
#include "common/hosts/pub_util.h"
#include "common/hosts/pub_util_editors.h"
#include "common/hosts/pub_util_lists.h"
#include "common/logs.h"
#include "common/prog_ids.h"
#include "common/texts.h"
#include "common/traces.h"
#include "common/window_utils.h"
#include "entry/small_classes.h"
#include "platform/error.h"
#include "platform/text.h"
#include "ui/card/card_internal.h"
#include "ui/list/frm_contact_list.h"
#include "ui/widget_host.h"

namespace sovrel {

namespace card {

IPubUtil& Pub() {
    if (!Ctx().PubUtil)
        throw platform::Error(platform::errnum::ObjectNotSet, "frmContactEdit", "there is no public-utility object (HxPub.IPub): open the card through IContact.Show");
    return *Ctx().PubUtil;
}

IPubUtilEditors* PubEditors() { return dynamic_cast<IPubUtilEditors*>(Ctx().PubUtil.get()); }
IPubUtilLists* PubLists() { return dynamic_cast<IPubUtilLists*>(Ctx().PubUtil.get()); }

}  // namespace card

using namespace card;
namespace txt = platform::text;

namespace {

// Each step of the load on its own: a failing host call leaves the card usable with what was
// set up so far.
void Step(const char* what, const std::function<void()>& f) {
    try {
        f();
    } catch (...) {
        DebugTrace(std::string("frmContactEdit.Form_Load: ") + what + " failed");
    }
}

}  // namespace

frmContactEdit& ContactCard() {
    Context& c = Ctx();
    auto* card = dynamic_cast<frmContactEdit*>(c.ContactCard.get());
    if (!card) {
        auto created = std::make_shared<frmContactEdit>();
        card = created.get();
        c.ContactCard = created;
    }
    return *card;
}

frmContactEdit::frmContactEdit() {
    setObjectName("frmContactEdit");
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint | Qt::WindowTitleHint);
    setSizeGripEnabled(false);
    saveChain = [](frmContactEdit& card) { return card.Save(); };
    BuildControls();
}

frmContactEdit::~frmContactEdit() {
    UnregisterOpenForm(this);
    // The host's controls own their widgets' behaviour: the widgets go first.
    auto drop = [](const std::shared_ptr<IRefEdit>& box) {
        if (auto* host = dynamic_cast<IWidgetHost*>(box.get())) delete host->Widget(nullptr);
    };
    for (auto& box : edt_) drop(box);
    for (auto& box : dtp_) drop(box);
    for (auto& box : edtU_) drop(box);
    delete tlbWidget_;
    delete tlb2Widget_;
}

void frmContactEdit::LoadForShow() { Guarded("frmContactEdit.Form_Load()", [this] { FormLoad(); }); }

void frmContactEdit::SetCaption(const std::string& caption) {
    setWindowTitle(QString::fromStdString(caption));
    if (lblTitle_) lblTitle_->setText(QString::fromStdString(caption));
}

bool frmContactEdit::SetControlText(const std::string& control, const std::string& text) {
    if (control == "ChkbMajor") {
        chkbMajor_->setText(QString::fromStdString(text));
        return true;
    }
    if (QLabel* label = Label(control)) {
        label->setText(QString::fromStdString(text));
        return true;
    }
    return false;
}

QLabel* frmContactEdit::Label(const std::string& name) const {
    auto it = labels_.find(name);
    return it == labels_.end() ? nullptr : it->second;
}

std::string frmContactEdit::GetNotNullMsg(const std::string& caption) const {
    return ResTextParams("Hx.AA.SRVTRANS.xx_notnull", {caption});
}

bool frmContactEdit::Edited() const { return change_ && change_->bEdit; }
bool frmContactEdit::Exists() const { return change_ && change_->bExist; }

void frmContactEdit::FormLoad() {
    if (formLoaded_) return;
    formLoaded_ = true;
    unloaded_ = false;
    Context& c = Ctx();
    RegisterOpenForm(this);

    // 1-2: texts, then the tab control moved up where the caption strip was.
    CrmCommonSvc().LocalizeForm(kWindowKey, *this);
    // 4: the change object, clean.
    change_ = std::make_shared<clsContactDO>();
    change_->bEdit = false;
    change_->bExist = false;
    // 5 onward: each step on its own.
    Step("FrmUniteFont", [this] { Pub().FrmUniteFont(*this); });
    Step("toolbars and captions", [this] {
        InitToolbars();
        SetCaptions();
    });
    Step("combos", [this] { FillCombos(); });
    Step("toolbar style", [this] { ApplyToolbarStyle(); });
    Step("lengths and defaults", [this] {
        SetSchemaLengths();
        // A loaded window starts empty: what the last opening left in the vendor box is no
        // vendor given to this one (the list presets it after the load when it has one).
        Edt(0).SetText("");
        Edt(0).SetTag("");
        Edt(0).SetDescription("");
        ClearCard();
    });
    Step("help", [this] { helpContextId_ = FormHelpContextId(*this, "联系人录入", kContactHelpId); });
    Step("FrmOptInit", [this] {
        if (auto* editors = PubEditors()) editors->FrmOptInit(*this, 1);
    });
    Step("user-defined fields", [this] { SetUserDefFields(); });
    Step("read-only colours", [this] { SetReadOnlyColours(); });
    Step("reference editors", [this, &c] {
        Edt(0).InitRef(c.Login, "Vendor_AA", "<Ref><RefSet  bAuth='1' authFunID='W' /></Ref>");
        Edt(4).InitRef(c.Login, "Contact_Ven", "");
        Edt(8).InitRef(c.Login, "Person_AA", "");
    });
    Step("vendor preset", [this, &c] {
        if (txt::Trim(c.VendorCode).empty()) return;
        Edt(0).SetText(c.VendorCode);
        bool cancel = false;
        ResolveReference(0, cancel);
    });
    Step("tab captions", [this] {
        ssTab1_->setTabText(0, QString::fromStdString(ResText("Hx.CRM.CONTACT.iclscommon.00023")));
        ssTab1_->setTabText(1, QString::fromStdString(ResText("Hx.CRM.CONTACT.iclscommon.00024")));
        ssTab1_->setTabText(2, QString::fromStdString(ResText("Hx.CRM.CONTACT.iclscommon.00025")));
        ssTab1_->setTabText(kHistoryTab, QString::fromStdString(ResText("Hx.CRM.TkContact.History.Tab")));
    });
    // Changes made while loading are not the user's.
    SetButton("SaveRs", false);
    change_->bEdit = false;
}

void frmContactEdit::InitToolbars() {
    Context& c = Ctx();
    connection_.reset();
    if (c.Login) {
        try {
            auto opened = std::make_shared<platform::db::Connection>();
            opened->Open(c.Login->tkDBName());
            connection_ = opened;
        } catch (...) {
            // The toolbar then shows what it can without the account.
            WriteErrorLog("frmContactEdit.InitToolbars()", true, CurrentError());
        }
    }
    if (tlb_) tlb_->Init(connection_, c.Login, kToolbarDefinition, "AS");
    if (tlb2_) tlb2_->Init(connection_, c.Login, kToolbarDefinition, "AS");
}

void frmContactEdit::SetCaptions() {
    struct Caption {
        const char* label;
        const char* key;
    };
    static const Caption captions[] = {
        {"lblcVenCode", "Hx.AA.ARCHIVE.FIELD.refvendor"},   {"lblcContactCode", "Hx.CRM.LblCap.ContactCode"},
        {"lblcContactName", "Hx.CRM.LblCap.ContactName"},  {"LblcAppellation", "Hx.CRM.LblCap.Appellation"},
        {"lblcSex", "Hx.CRM.LblCap.Sex"},                  {"lblcSuperior", "Hx.CRM.LblCap.Superior"},
        {"lblcNative", "Hx.CRM.LblCap.Native"},            {"lblcDuty", "Hx.CRM.LblCap.Duty"},
        {"lbldBirthday", "Hx.CRM.LblCap.Birthday"},        {"lblcTaste", "Hx.CRM.LblCap.Taste"},
        {"lblcMarriage", "Hx.CRM.LblCap.Marriage"},        {"lblcPrincipal", "Hx.CRM.LblCap.Principal"},
        {"lblcCreator", "Hx.CRM.LblCap.Creator"},          {"lbldCreateDate", "Hx.CRM.LblCap.CreateDate"},
        {"lblcOfficePhone", "Hx.CRM.LblCap.OfficePhone"},  {"lblcHomePhone", "Hx.CRM.LblCap.HomePhone"},
        {"lblcMobilePhone", "Hx.CRM.LblCap.Mobile"},       {"lblcCall", "Hx.AA.CUSTOMER.QQ"},
        {"lblcZipcode", "Hx.CRM.LblCap.Zip"},              {"lblcHomePage", "Hx.CRM.LblCap.HomePage"},
        {"lblcWorkAddress", "Hx.CRM.LblCap.WorkAddress"},  {"lblcHomeAddress", "Hx.CRM.LblCap.HomeAddress"},
        {"lblcEmail", "Hx.CRM.LblCap.Email"},              {"lblcHomeMember", "Hx.CRM.LblCap.HomeMember"},
        {"lblcMemo", "Hx.CRM.LblCap.Memo"},
    };
    for (const auto& cap : captions)
        if (QLabel* label = Label(cap.label)) label->setText(QString::fromStdString(ResText(cap.key)));
    chkbMajor_->setText(QString::fromStdString(ResText("Hx.CRM.TkContactUI.frmSovrelEdit.ChkbMajor")));
    std::string title = ResText("Hx.CRM.TkContact.frmcontactedit.00091");
    bool flag = true;
    CrmCommonSvc().SetFormCaption(*this, title, flag);
}

void frmContactEdit::SetModeCaption(bool modify) {
    std::string caption = ResTextParams(modify ? "Hx.CRM.COMMON.CaptionMod" : "Hx.CRM.COMMON.CaptionAdd",
                                        {ResText("Hx.CRM.BizObjDic.WordContactRec")});
    bool flag = true;
    CrmCommonSvc().SetFormCaption(*this, caption, flag);
}

void frmContactEdit::ApplyToolbarStyle() {
    mainToolbar_ = UseMainToolbar();
    Ctx().ToolbarVisible = mainToolbar_;
    if (tlb_) tlb_->SetVisible(mainToolbar_);
    if (tlb2_) {
        // The second toolbar copies the first one's buttons and states.
        if (tlb_)
            for (const auto& key : tlb_->ButtonKeys())
                if (key != "|") tlb2_->SetButtonEnabled(key, tlb_->ButtonEnabled(key));
        tlb2_->SetVisible(!mainToolbar_);
    }
}

void frmContactEdit::InitData(std::int16_t mode, std::int16_t codeColumn, std::int32_t row) {
    FormLoad();
    iCodeCol_ = codeColumn;
    lCurRow_ = row;
    bAddedInSession_ = false;
    if (mode == cardmode::Add) {
        iOpMode_ = cardmode::Add;
        SetModeCaption(false);
        change_->bExist = false;
    } else if (mode == cardmode::Modify) {
        SetModeCaption(true);
        change_->bExist = true;
        Fillallfields();
    }
    SetButton("SaveRs", false);
    change_->bEdit = false;
    CheckDuplicates();
}

void frmContactEdit::FormActivate() {
    if (Edt(0).Enabled()) {
        ssTab1_->setCurrentIndex(0);
        Edt(0).SetFocus();
    } else if (Edt(2).Enabled()) {
        ssTab1_->setCurrentIndex(0);
        Edt(2).SetFocus();
    }
}

void frmContactEdit::TabChanged(int previous) {
    const int now = ssTab1_->currentIndex();
    if (now == kHistoryTab) FillHistory();
    else if (previous == 0 && now == 1) Edt(10).SetFocus();
    else if (previous == 1 && now == 0) (Edt(0).Enabled() ? Edt(0) : Edt(2)).SetFocus();
    else if (previous == 0 && now == 2) {
        // Straight to the user-defined tab: its first box rather than a box out of sight.
        for (int i = 0; i < 14; ++i)
            if (EdtU(i).Visible()) {
                EdtU(i).SetFocus();
                break;
            }
    }
}

void frmContactEdit::ExitForm(std::int16_t& cancel, std::int16_t& unloadMode) {
    nextUnloadMode_ = 1;  // unloaded by code
    close();
    nextUnloadMode_ = 0;
    cancel = pendingCancel_;
    unloadMode = pendingUnloadMode_;
}

void frmContactEdit::FormQueryUnload(std::int16_t& cancel, std::int16_t unloadMode) {
    const bool edited = Edited();
    AskSaveChanges(cancel, unloadMode, edited);
    pendingCancel_ = cancel;
    pendingUnloadMode_ = unloadMode;
}

void frmContactEdit::FormUnload(std::int16_t cancel) {
    change_.reset();
    if (cancel == 0) {
        try {
            CrmCommonSvc().FormUnloaded();
        } catch (...) {
            // The window goes whatever the host says.
        }
    }
    connection_.reset();
    unloaded_ = true;
    formLoaded_ = false;
    UnregisterOpenForm(this);
}

void frmContactEdit::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        if (QScreen* s = screen()) {
            const QRect area = s->availableGeometry();
            move(area.center() - rect().center());
        }
        QTimer::singleShot(0, this, [this] { Guarded("frmContactEdit.Form_Activate()", [this] { FormActivate(); }); });
    }
}

void frmContactEdit::closeEvent(QCloseEvent* event) {
    CheckScope scope(checking_);
    if (unloaded_) {
        event->accept();
        QDialog::done(QDialog::Rejected);
        return;
    }
    CloseAsForm(
        event,
        [this](std::int16_t& cancel) {
            Guarded("frmContactEdit.Form_QueryUnload()", [&] { FormQueryUnload(cancel, nextUnloadMode_); });
        },
        [this](std::int16_t cancel) { FormUnload(cancel); });
}

void frmContactEdit::keyPressEvent(QKeyEvent* event) {
    // Escape and Enter belong to the key hook (Exit, next field); the dialog must not close or
    // press a default button on its own.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

frmContactList* frmContactEdit::List() const { return dynamic_cast<frmContactList*>(Ctx().ListWindow.get()); }

IFlexGrid* frmContactEdit::ListGrid() const {
    frmContactList* list = List();
    return list ? &list->Grid() : nullptr;
}

std::string frmContactEdit::Quote(const std::string& text) const {
    std::string quoted;
    CrmCommonSvc().QuoteSqlText(text, quoted);
    return quoted;
}

bool frmContactEdit::IsActive() const { return isVisible(); }

}  // namespace sovrel
