// The card's controls and their places: the toolbars, a caption strip, and the three tabs of
// fields laid out as two columns of caption and box, captions right-aligned to their boxes.
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

#include <vector>

#include "common/context.h"
#include "common/hosts/controls.h"
#include "common/prog_ids.h"
#include "platform/error.h"
#include "ui/card/card_internal.h"
#include "ui/card/frm_contact_edit.h"
#include "ui/widget_host.h"

namespace sovrel {

using namespace card;

namespace {

QLabel* NewLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QWidget* WidgetOf(platform::Object& control, QWidget* parent, const QString& name) {
    QWidget* w = nullptr;
    if (auto* host = dynamic_cast<IWidgetHost*>(&control)) w = host->Widget(parent);
    if (!w) w = new QWidget(parent);
    w->setObjectName(name);
    return w;
}

constexpr int kBoxWidth = 230;

// Tab (and Enter, which the card turns into Tab) goes through the boxes as they read: along
// each row, left then right, row after row.
void ChainTabs(const std::vector<QWidget*>& order) {
    // A reference box takes no focus itself: its line edit, the box's focus proxy, does.
    auto focusable = [](QWidget* w) {
        while (w && w->focusProxy()) w = w->focusProxy();
        return w;
    };
    for (std::size_t i = 1; i < order.size(); ++i)
        if (order[i - 1] && order[i]) QWidget::setTabOrder(focusable(order[i - 1]), focusable(order[i]));
}

}  // namespace

std::shared_ptr<IRefEdit> frmContactEdit::NewEditor(const std::string& name) {
    auto box = platform::CreateRequired<IRefEdit>(progid::RefEdit, "frmContactEdit");
    QWidget* w = WidgetOf(*box, this, QString::fromStdString(name));
    w->setMinimumWidth(kBoxWidth);
    return box;
}

void frmContactEdit::BuildControls() {
    for (int i = 0; i < 21; ++i) edt_[static_cast<std::size_t>(i)] = NewEditor("Edt" + std::to_string(i));
    for (int i = 0; i < 4; ++i) dtp_[static_cast<std::size_t>(i)] = NewEditor("DTPicker1_" + std::to_string(i));
    for (int i = 0; i < 14; ++i) edtU_[static_cast<std::size_t>(i)] = NewEditor("EdtU" + std::to_string(i));
    for (auto& d : dtp_) d->SetKind(refkind::Date);
    for (auto& e : edt_) e->SetBadStr(kForbidden);
    for (auto& d : dtp_) d->SetBadStr(kForbidden);
    // Boxes with a look-up button: vendor, superior, duty, taste, principal.
    for (int i : {0, 4, 6, 7, 8}) Edt(i).SetButtonVisible(true);

    tlb_ = platform::Create<IToolbar>(progid::Toolbar);
    tlb2_ = platform::Create<IToolbar>(progid::Toolbar);
    keyHook_ = platform::Create<IKeyHook>(progid::KeyHook);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    if (tlb_) {
        tlbWidget_ = WidgetOf(*tlb_, this, "Tlb");
        root->addWidget(tlbWidget_);
        tlb_->OnButtonClick([this](const std::string& key) { Operating(key); });
    }
    if (tlb2_) {
        tlb2Widget_ = WidgetOf(*tlb2_, this, "TLB2");
        root->addWidget(tlb2Widget_);
        tlb2_->OnButtonClick([this](const std::string& key) {
            // The box being left finishes its own checks before the command runs.
            tlb2Widget_->setFocus();
            Operating(key);
        });
    }

    auto* strip = new QWidget(this);
    strip->setObjectName("Picture1");
    strip->setAutoFillBackground(true);
    strip->setStyleSheet("#Picture1{background:#ffffff;border-bottom:1px solid #d5dde8;}");
    auto* stripRow = new QVBoxLayout(strip);
    stripRow->setContentsMargins(16, 8, 16, 8);
    lblTitle_ = new QLabel(strip);
    lblTitle_->setObjectName("LblCaption");
    QFont titleFont = lblTitle_->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.35);
    titleFont.setBold(true);
    lblTitle_->setFont(titleFont);
    stripRow->addWidget(lblTitle_);
    root->addWidget(strip);

    ssTab1_ = new QTabWidget(this);
    ssTab1_->setObjectName("SSTab1");
    ssTab1_->addTab(BuildTabBasic(), QString());
    ssTab1_->addTab(BuildTabContact(), QString());
    ssTab1_->addTab(BuildTabUser(), QString());
    ssTab1_->addTab(BuildTabHistory(), QString());
    auto* body = new QVBoxLayout();
    body->setContentsMargins(12, 10, 12, 12);
    body->addWidget(ssTab1_, 1);
    body->addWidget(BuildDuplicateBar());
    root->addLayout(body, 1);
    QObject::connect(ssTab1_, &QTabWidget::currentChanged, this, [this](int) {
        const int previous = lastTab_;
        lastTab_ = ssTab1_->currentIndex();
        Guarded("frmContactEdit.SSTab1_Click()", [this, previous] { TabChanged(previous); });
    });

    // Mandatory captions in the link colour of the vendor's caption.
    setStyleSheet("QLabel[mandatory=\"true\"]{color:#000080;}");

    for (int i = 0; i < 21; ++i) WireEditor(i);
    for (int i = 0; i < 4; ++i) {
        DTPicker1(i).OnChange([this] { Guarded("frmContactEdit.DTPicker1_Change()", [this] { MarkChanged(); }); });
        DTPicker1(i).OnLostFocus([this, i] { LeaveEvent("frmContactEdit.DTPicker1_LostFocus()", [this, i] { DateLeave(i); }); });
    }
    for (int i = 0; i < 14; ++i) {
        EdtU(i).OnChange([this] { Guarded("frmContactEdit.EdtU_Change()", [this] { MarkChanged(); }); });
        EdtU(i).OnLostFocus([this, i] { LeaveEvent("frmContactEdit.EdtU_LostFocus()", [this, i] { UserFieldLeave(i); }); });
    }
    const int lookupOf[] = {0, 4, 6, 7, 8};
    for (int b = 0; b < 5; ++b) {
        IRefEdit& box = Edt(lookupOf[b]);
        box.OnButtonClick([this, b] { Guarded("frmContactEdit.cmd_Click()", [this, b] { CmdClick(b); }); });
        box.OnButtonLostFocus([this, b] { LeaveEvent("frmContactEdit.cmd_LostFocus()", [this, b] { CmdLostFocus(b); }); });
    }
    QObject::connect(cboSex_, &QComboBox::activated, this, [this] { MarkChanged(); });
    QObject::connect(cboMarriage_, &QComboBox::activated, this, [this] { MarkChanged(); });
    QObject::connect(chkbMajor_, &QCheckBox::clicked, this, [this] { MarkChanged(); });

    if (keyHook_) {
        if (auto* hook = dynamic_cast<IWindowHook*>(keyHook_.get())) hook->Attach(this);
        keyHook_->OnKeyDown([this](int& keyCode, int shift) {
            Guarded("frmContactEdit.TkKeyHookCtrl1_KeyDown()", [&] { KeyDown(keyCode, shift); });
        });
        keyHook_->OnKeyPress([this](int& keyAscii) {
            Guarded("frmContactEdit.TkKeyHookCtrl1_KeyPress()", [&] { KeyPress(keyAscii); });
        });
    }
    resize(820, 470);
}

namespace {

// A two-column form: caption, box, caption, box; a wide box spans the three right cells.
class Form {
public:
    explicit Form(QWidget* page) : grid_(new QGridLayout(page)) {
        grid_->setContentsMargins(18, 16, 18, 16);
        grid_->setHorizontalSpacing(10);
        grid_->setVerticalSpacing(9);
        grid_->setColumnMinimumWidth(2, 24);
        grid_->setColumnStretch(1, 1);
        grid_->setColumnStretch(4, 1);
    }
    void Add(int row, int side, QLabel* label, QWidget* box, bool wide = false) {
        const int col = side == 0 ? 0 : 3;
        if (label) grid_->addWidget(label, row, col);
        grid_->addWidget(box, row, col + 1, 1, wide ? 4 : 1);
        if (label) label->setBuddy(box);
    }
    void End(int row) { grid_->setRowStretch(row, 1); }
    QGridLayout* grid() { return grid_; }

private:
    QGridLayout* grid_;
};

}  // namespace

QLabel* frmContactEdit::PageLabel(QWidget* page, const char* name) {
    QLabel* l = NewLabel(page, name);
    labels_[name] = l;
    return l;
}

QWidget* frmContactEdit::BuildTabBasic() {
    auto* page = new QWidget(this);
    page->setObjectName("Frame1");
    Form form(page);
    auto box = [this](const char* name) { return Box(name); };
    auto label = [this, page](const char* name) { return PageLabel(page, name); };
    cboSex_ = new QComboBox(page);
    cboSex_->setObjectName("cboSex");
    cboMarriage_ = new QComboBox(page);
    cboMarriage_->setObjectName("cboMarriage");
    chkbMajor_ = new QCheckBox(page);
    chkbMajor_->setObjectName("ChkbMajor");

    form.Add(0, 0, label("lblcVenCode"), box("Edt0"), true);
    form.Add(1, 0, label("lblcContactCode"), box("Edt1"));
    form.Add(1, 1, label("lblcContactName"), box("Edt2"));
    form.Add(2, 0, label("LblcAppellation"), box("Edt3"));
    form.Add(2, 1, label("lblcSex"), cboSex_);
    form.Add(3, 0, label("lblcSuperior"), box("Edt4"));
    form.Add(3, 1, label("lblcNative"), box("Edt5"));
    form.Add(4, 0, label("lblcDuty"), box("Edt6"));
    form.Add(4, 1, label("lbldBirthday"), box("DTPicker1_0"));
    form.Add(5, 0, label("lblcTaste"), box("Edt7"));
    form.Add(5, 1, label("lblcMarriage"), cboMarriage_);
    form.Add(6, 0, label("lblcPrincipal"), box("Edt8"));
    form.Add(6, 1, nullptr, chkbMajor_);
    form.Add(7, 0, label("lblcCreator"), box("Edt9"));
    form.Add(7, 1, label("lbldCreateDate"), box("DTPicker1_1"));
    form.End(8);
    ChainTabs({box("Edt0"), box("Edt1"), box("Edt2"), box("Edt3"), cboSex_, box("Edt4"), box("Edt5"), box("Edt6"),
               box("DTPicker1_0"), box("Edt7"), cboMarriage_, box("Edt8"), chkbMajor_, box("Edt9"),
               box("DTPicker1_1")});
    // The two captions the user must fill in read as links.
    for (const char* name : {"lblcVenCode", "lblcContactName"}) Label(name)->setProperty("mandatory", true);
    return page;
}

QWidget* frmContactEdit::BuildTabContact() {
    auto* page = new QWidget(this);
    page->setObjectName("Frame2");
    Form form(page);
    auto box = [this](const char* name) { return Box(name); };
    auto label = [this, page](const char* name) { return PageLabel(page, name); };
    form.Add(0, 0, label("lblcOfficePhone"), box("Edt10"));
    form.Add(0, 1, label("lblcHomePhone"), box("Edt11"));
    form.Add(1, 0, label("lblcMobilePhone"), box("Edt12"));
    form.Add(1, 1, label("lblcCall"), box("Edt13"));
    form.Add(2, 0, label("lblcZipcode"), box("Edt14"));
    form.Add(2, 1, label("lblcEmail"), box("Edt18"));
    form.Add(3, 0, label("lblcHomePage"), box("Edt15"), true);
    form.Add(4, 0, label("lblcWorkAddress"), box("Edt16"), true);
    form.Add(5, 0, label("lblcHomeAddress"), box("Edt17"), true);
    form.Add(6, 0, label("lblcHomeMember"), box("Edt19"), true);
    form.Add(7, 0, label("lblcMemo"), box("Edt20"), true);
    form.End(8);
    ChainTabs({box("Edt10"), box("Edt11"), box("Edt12"), box("Edt13"), box("Edt14"), box("Edt18"), box("Edt15"),
               box("Edt16"), box("Edt17"), box("Edt19"), box("Edt20")});
    return page;
}

QWidget* frmContactEdit::BuildTabUser() {
    userTab_ = new QWidget(this);
    userTab_->setObjectName("FrameUser");
    for (int i = 0; i < 16; ++i) {
        const std::string name = "LblD1_" + std::to_string(i);
        lblD1_[static_cast<std::size_t>(i)] = NewLabel(userTab_, name.c_str());
    }
    for (int i = 0; i < 14; ++i) findChild<QWidget*>(QString("EdtU%1").arg(i))->setParent(userTab_);
    for (int i = 2; i < 4; ++i) findChild<QWidget*>(QString("DTPicker1_%1").arg(i))->setParent(userTab_);
    Form form(userTab_);
    userGrid_ = form.grid();
    PlaceUserFields();
    return userTab_;
}

void frmContactEdit::PlaceUserFields() {
    // Visible items in item order, two to a row, closing the gaps of the hidden ones.
    while (userGrid_->count() > 0) delete userGrid_->takeAt(0);
    for (int r = 0; r < userGrid_->rowCount(); ++r) userGrid_->setRowStretch(r, 0);
    int slot = 0;
    std::vector<QWidget*> order;
    for (int item = 1; item <= 16; ++item) {
        QLabel* label = lblD1_[static_cast<std::size_t>(item - 1)];
        QWidget* box = item <= 14 ? findChild<QWidget*>(QString("EdtU%1").arg(item - 1))
                                  : findChild<QWidget*>(QString("DTPicker1_%1").arg(item - 13));
        const bool shown = userShown_[static_cast<std::size_t>(item - 1)];
        label->setVisible(shown);
        (item <= 14 ? EdtU(item - 1) : DTPicker1(item - 13)).SetVisible(shown);
        if (!shown || !box) continue;
        const int row = slot / 2, col = slot % 2 == 0 ? 0 : 3;
        userGrid_->addWidget(label, row, col);
        userGrid_->addWidget(box, row, col + 1);
        order.push_back(box);
        ++slot;
    }
    userGrid_->setRowStretch((slot + 1) / 2, 1);
    ChainTabs(order);
}

}  // namespace sovrel
