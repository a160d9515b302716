// The list window's controls and their arrangement: menus, toolbar, title, pager strip, grid,
// web frame and status bar; the texts LocalizeForm puts on them.
#include <QCheckBox>
#include <QCursor>
#include <QFrame>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QIcon>
#include <QVBoxLayout>

#include <algorithm>

#include "common/prog_ids.h"
#include "common/hosts/pub_util.h"
#include "platform/error.h"
#include "ui/list/filter_locate.h"
#include "ui/list/frm_contact_list.h"
#include "ui/list/list_internal.h"
#include "ui/list/pager_widgets.h"
#include "ui/widget_host.h"

namespace sovrel {

using namespace list;

namespace {

// ms after the last key in the search box before the list is asked again.
constexpr int kSearchPause = 250;

struct MenuItem {
    const char* name;     // control name; a separator when key is null
    const char* key;      // command key handed to Operating
    const char* shortcut; // shown beside the text; the key hook does the work
};

struct Menu {
    const char* name;
    std::vector<MenuItem> items;
};

const std::vector<Menu>& MenuTable() {
    static const std::vector<Menu> menus = {
        {"mFile",
         {{"mSetUp", "SetUp", ""},
          {"mPreview", "Preview", ""},
          {"mPrint", "Print", "Ctrl+P"},
          {"mnubox5", nullptr, ""},
          {"mSaveFile", "SaveFile", ""},
          {"mExportVCard", "ExportVCard", ""},
          {"mnubox2", nullptr, ""},
          {"mExit", "Exit", ""}}},
        {"mOperation",
         {{"mAdd", "Add", "F5"},
          {"mModify", "Modify", "F7"},
          {"mDelete", "Del", "Del"},
          {"mnubox1", nullptr, ""},
          {"mFilter", "Filter", "F3"},
          {"mPos", "Pos", "Ctrl+F3"},
          {"mFindset", "FindSet", ""},
          {"mRefresh", "Refresh", "F9"},
          {"mnubox3", nullptr, ""},
          {"mFieldset", "ItemSet", ""},
          {"mnubox4", nullptr, ""},
          {"mCRMReport", "Report", ""},
          {"mCRMGenerals", "General", ""},
          {"mCRMSendMail", "SendMail", ""},
          {"mCRMSendMsg", "SendMsg", ""}}},
        {"mWindow", {{"mStb", "mStb", ""}}},
        {"mH", {{"mHelp", "Help", "F1"}, {"mnubox6", nullptr, ""}, {"mText", "About", ""}}},
    };
    return menus;
}

std::string ShortcutOf(const std::string& item) {
    for (const auto& m : MenuTable())
        for (const auto& i : m.items)
            if (item == i.name) return i.shortcut;
    return "";
}

QLabel* NewLabel(QWidget* parent, const char* name) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    return l;
}

}  // namespace

QWidget* frmContactList::ControlWidget(platform::Object& control, const char* name) {
    QWidget* w = nullptr;
    if (auto* host = dynamic_cast<IWidgetHost*>(&control)) w = host->Widget(this);
    // A control without a widget of its own (a stand-in) still has its place in the layout.
    if (!w) w = new QWidget(this);
    w->setObjectName(name);
    return w;
}

void frmContactList::BuildControls() {
    grid_ = platform::CreateRequired<IFlexGrid>(progid::FlexGrid, "frmContactList");
    toolbar_ = platform::Create<IToolbar>(progid::Toolbar);
    keyHook_ = platform::Create<IKeyHook>(progid::KeyHook);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    BuildMenus();
    root->setMenuBar(menuBar_);

    if (toolbar_) {
        toolbarWidget_ = ControlWidget(*toolbar_, "TLB2");
        root->addWidget(toolbarWidget_);
        toolbar_->OnButtonClick([this](const std::string& key) { Operating(key); });
    }

    auto* title = new QWidget(this);
    title->setObjectName("Picture1");
    title->setAutoFillBackground(true);
    title->setStyleSheet("#Picture1{background:#ffffff;border-bottom:1px solid #d5dde8;}");
    auto* titleRow = new QHBoxLayout(title);
    titleRow->setContentsMargins(14, 8, 14, 8);
    lblCaption_ = NewLabel(title, "LblCaption");
    QFont captionFont = lblCaption_->font();
    captionFont.setPointSizeF(captionFont.pointSizeF() * 1.45);
    captionFont.setBold(true);
    lblCaption_->setFont(captionFont);
    lblCaption_->setStyleSheet("color:#1f3b64;");
    titleRow->addWidget(lblCaption_);
    titleRow->addStretch(1);
    root->addWidget(title);

    root->addWidget(BuildPagerStrip());

    gridWidget_ = ControlWidget(*grid_, "Grid");
    root->addWidget(gridWidget_, 1);
    grid_->OnClick([this] { Guarded("frmContactList.Grid_Click()", [this] { GridClick(); }); });
    grid_->OnDblClick([this] { Guarded("frmContactList.Grid_DblClick()", [this] { GridDblClick(); }); });
    grid_->OnMouseUp([this](int button) {
        Guarded("frmContactList.Grid_MouseUp()", [this, button] { GridMouseUp(button); });
    });
    grid_->OnHeaderClick([this](long col) {
        Guarded("frmContactList.Grid_HeaderClick()", [this, col] { HeaderClick(col); });
    });

    frameWeb_ = new QFrame(this);
    frameWeb_->setObjectName("FrameWeb");
    frameWeb_->setFrameShape(QFrame::NoFrame);
    frameWeb_->setMouseTracking(true);
    frameWeb_->setStyleSheet("#FrameWeb{background:#f4f7fb;border-top:1px solid #d5dde8;}");
    frameWeb_->installEventFilter(new EventFilter(frameWeb_, [this](QObject*, QEvent* e) {
        if (e->type() == QEvent::MouseMove || e->type() == QEvent::Enter)
            for (PageLabel* l : lblPage_) l->SetPlain();
        return false;
    }));
    frameWeb_->setFixedHeight(0);
    auto* web = new QHBoxLayout(frameWeb_);
    web->setContentsMargins(12, 0, 12, 0);
    lblScope_ = NewLabel(frameWeb_, "RefClient");
    lblScope_->setStyleSheet("color:#1f3b64;");
    web->addWidget(lblScope_);
    web->addStretch(1);
    root->addWidget(frameWeb_);

    stb_ = new QStatusBar(this);
    stb_->setObjectName("Stb");
    stb_->setSizeGripEnabled(true);
    stbPanel1_ = NewLabel(stb_, "StbPanel1");
    stbPanel2_ = NewLabel(stb_, "StbPanel2");
    stbPanel1_->setContentsMargins(6, 0, 6, 0);
    stbPanel2_->setContentsMargins(6, 0, 6, 0);
    stbRange_ = NewLabel(stb_, "StbRange");
    stbRange_->setContentsMargins(6, 0, 6, 0);
    // A filter in force says so, beside the count it narrowed, with its way out.
    stbFilter_ = NewLabel(stb_, "StbFilter");
    stbFilter_->setContentsMargins(6, 0, 2, 0);
    stbFilter_->setStyleSheet("color:#a05a00;font-weight:bold;");
    cmdClearFilter_ = new QToolButton(stb_);
    cmdClearFilter_->setObjectName("CmdClearFilter");
    cmdClearFilter_->setAutoRaise(true);
    cmdClearFilter_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    cmdClearFilter_->setIcon(QIcon::fromTheme("edit-clear"));
    connect(cmdClearFilter_, &QToolButton::clicked, this,
            [this] { Guarded("frmContactList.CmdClearFilter_Click()", [this] { ClearFilter(); }); });
    stbFilter_->hide();
    cmdClearFilter_->hide();
    stb_->addWidget(stbPanel1_);
    stb_->addWidget(stbFilter_);
    stb_->addWidget(cmdClearFilter_);
    stb_->addWidget(stbRange_, 1);
    stb_->addPermanentWidget(stbPanel2_);
    root->addWidget(stb_);

    if (keyHook_) {
        if (auto* hook = dynamic_cast<IWindowHook*>(keyHook_.get())) hook->Attach(this);
        keyHook_->OnKeyDown([this](int& keyCode, int shift) {
            Guarded("frmContactList.TkKeyHookCtrl1_KeyDown()", [&] { KeyDown(keyCode, shift); });
        });
        keyHook_->OnKeyPress([this](int& keyAscii) {
            Guarded("frmContactList.TkKeyHookCtrl1_KeyPress()", [&] { KeyPress(keyAscii); });
        });
    }
}

void frmContactList::BuildMenus() {
    menuBar_ = new QMenuBar(this);
    menuBar_->setObjectName("MenuBar");
    menuBar_->setNativeMenuBar(false);
    for (const auto& m : MenuTable()) {
        QMenu* menu = menuBar_->addMenu(QString::fromUtf8(m.name));
        menu->setObjectName(m.name);
        menus_[m.name] = menu;
        for (const auto& item : m.items) {
            QAction* action = item.key ? menu->addAction(QString::fromUtf8(item.name)) : menu->addSeparator();
            action->setObjectName(item.name);
            items_[item.name] = action;
            if (!item.key) continue;
            const std::string key = item.key;
            action->setProperty("key", QString::fromStdString(key));
            connect(action, &QAction::triggered, this, [this, key] { Operating(key); });
        }
        // A command the toolbar offers is offered by the menu alike: greyed where the user lacks
        // its right, so the menu promises nothing the command would refuse.
        connect(menu, &QMenu::aboutToShow, this, [this, menu] {
            if (!toolbar_) return;
            const auto keys = toolbar_->ButtonKeys();
            for (QAction* action : menu->actions()) {
                const std::string key = action->property("key").toString().toStdString();
                if (!key.empty() && std::find(keys.begin(), keys.end(), key) != keys.end())
                    action->setEnabled(toolbar_->ButtonEnabled(key));
            }
        });
    }
    // The sort menu pops up over the grid only.
    orderMenu_ = new QMenu(this);
    orderMenu_->setObjectName("mOrder");
    menus_["mOrder"] = orderMenu_;
    for (int order : {1, 2}) {
        QAction* action = orderMenu_->addAction(order == 1 ? "mAsc" : "mDesc");
        action->setObjectName(order == 1 ? "mAsc" : "mDesc");
        items_[order == 1 ? "mAsc" : "mDesc"] = action;
        connect(action, &QAction::triggered, this, [this, order] {
            Guarded(order == 1 ? "frmContactList.mAsc_Click()" : "frmContactList.mDesc_Click()", [this, order] {
                if (actions_.sort) actions_.sort(*this, order);
                else RunListSort(*this, order);
                SortedInPlace(order);
            });
        });
    }
}

QWidget* frmContactList::BuildPagerStrip() {
    auto* pic = new QWidget(this);
    pic->setObjectName("Pic");
    pic->setAutoFillBackground(true);
    pic->setStyleSheet("#Pic{background:#eef3fa;border-bottom:1px solid #cfd9e6;}"
                       "QLineEdit{border:1px solid #b8c4d6;border-radius:2px;padding:1px 4px;background:#ffffff;}"
                       "QLineEdit:focus{border-color:#4a7cc7;}");
    auto* row = new QHBoxLayout(pic);
    row->setContentsMargins(10, 5, 12, 5);
    row->setSpacing(6);

    chkSelectAll_ = new QCheckBox(pic);
    chkSelectAll_->setObjectName("chkSelectAll");
    connect(chkSelectAll_, &QCheckBox::clicked, this, [this] {
        Guarded("frmContactList.chkSelectAll_Click()", [this] {
            if (SelectAllValue() == 1) MarkAllRows();
            else ClearAllRows();
        });
    });
    row->addWidget(chkSelectAll_);
    row->addSpacing(12);
    edtSearch_ = new QLineEdit(pic);
    edtSearch_->setObjectName("EdtSearch");
    edtSearch_->setClearButtonEnabled(true);
    edtSearch_->setMinimumWidth(240);
    row->addWidget(edtSearch_, 1);
    searchTimer_ = new QTimer(this);
    searchTimer_->setSingleShot(true);
    searchTimer_->setInterval(kSearchPause);
    connect(searchTimer_, &QTimer::timeout, this,
            [this] { Guarded("frmContactList.EdtSearch_Change()", [this] { SearchNow(); }); });
    connect(edtSearch_, &QLineEdit::textChanged, this, [this] { searchTimer_->start(); });
    connect(edtSearch_, &QLineEdit::returnPressed, this,
            [this] { Guarded("frmContactList.EdtSearch_Enter()", [this] { SearchNow(); }); });
    row->addStretch(1);

    auto box = [pic](const char* name, int chars) {
        auto* e = new QLineEdit(pic);
        e->setObjectName(name);
        e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        e->setValidator(new QIntValidator(0, 99999, e));
        e->setFixedWidth(e->fontMetrics().horizontalAdvance(QString(chars, QChar('0'))) + 16);
        return e;
    };
    auto pair = [row](QLineEdit* edit, SpinButtons* spin) {
        auto* w = new QHBoxLayout;
        w->setSpacing(1);
        w->addWidget(edit);
        w->addWidget(spin);
        row->addLayout(w);
    };

    label1_ = NewLabel(pic, "Label1");
    row->addWidget(label1_);
    edtPageSize_ = box("EdtPageSize", 5);
    upDown1_ = new SpinButtons(pic);
    upDown1_->setObjectName("UpDown1");
    pair(edtPageSize_, upDown1_);
    row->addSpacing(10);

    label2_ = NewLabel(pic, "Label2");
    row->addWidget(label2_);
    edtCurPage_ = box("EdtiCurPage", 4);
    upDown2_ = new SpinButtons(pic);
    upDown2_->setObjectName("UpDown2");
    pair(edtCurPage_, upDown2_);
    lblTotalPage_ = NewLabel(pic, "LblTotalPage");
    lblTotalPage_->setMinimumWidth(lblTotalPage_->fontMetrics().horizontalAdvance("/ 00000"));
    row->addWidget(lblTotalPage_);

    cmdRequest_ = new QPushButton(pic);
    cmdRequest_->setObjectName("CmdRequest");
    cmdRequest_->setAutoDefault(false);
    cmdRequest_->setDefault(false);
    cmdRequest_->setFocusPolicy(Qt::TabFocus);
    connect(cmdRequest_, &QPushButton::clicked, this,
            [this] { Guarded("frmContactList.CmdRequest_Click()", [this] { CmdRequestClick(); }); });
    row->addWidget(cmdRequest_);
    row->addSpacing(12);

    for (int i = 0; i < 4; ++i) {
        auto* l = new PageLabel(pic);
        l->setObjectName(QString("LblPage%1").arg(i));
        l->onClick = [this, i] { Guarded("frmContactList.LblPage_Click()", [this, i] { LblPageClick(i); }); };
        lblPage_[static_cast<std::size_t>(i)] = l;
        row->addWidget(l);
    }

    connect(edtPageSize_, &QLineEdit::textChanged, this,
            [this] { Guarded("frmContactList.EdtPageSize_Change()", [this] { PageSizeEdited(); }); });
    connect(edtCurPage_, &QLineEdit::textChanged, this,
            [this] { Guarded("frmContactList.EdtiCurPage_Change()", [this] { CurPageEdited(); }); });
    upDown1_->onUp = [this] { Guarded("frmContactList.UpDown1_UpClick()", [this] { UpDownStep(1, true); }); };
    upDown1_->onDown = [this] { Guarded("frmContactList.UpDown1_DownClick()", [this] { UpDownStep(1, false); }); };
    upDown2_->onUp = [this] { Guarded("frmContactList.UpDown2_UpClick()", [this] { UpDownStep(2, true); }); };
    upDown2_->onDown = [this] { Guarded("frmContactList.UpDown2_DownClick()", [this] { UpDownStep(2, false); }); };
    auto* keys = new EventFilter(this, [this](QObject* box, QEvent* e) {
        if (e->type() != QEvent::KeyPress) return false;
        bool used = false;
        Guarded("frmContactList.TurnPage()", [&] { used = PagerKey(box, static_cast<QKeyEvent*>(e)->key()); });
        return used;
    });
    edtPageSize_->installEventFilter(keys);
    edtCurPage_->installEventFilter(keys);
    return pic;
}

void frmContactList::FormResize() {
    // The toolbar stays out of the way while the layout is worked out, and comes back whatever
    // happens meanwhile.
    struct ToolbarAside {
        IToolbar* bar;
        explicit ToolbarAside(IToolbar* b) : bar(b) {
            if (bar) bar->SetVisible(false);
        }
        ~ToolbarAside() {
            if (bar) bar->SetVisible(true);
        }
    } aside(toolbar_.get());
    // The grid, the web frame and the strips follow the window through the layout; the host
    // keeps the window on the screen.
    Pub().FrmResize(*this);
    ApplyVisualStyle(false);
}

void frmContactList::ShowOrderMenu() { orderMenu_->popup(QCursor::pos()); }

bool frmContactList::SetControlText(const std::string& control, const std::string& text) {
    const QString t = QString::fromStdString(text);
    if (auto m = menus_.find(control); m != menus_.end()) {
        m->second->setTitle(t);
        return true;
    }
    if (auto i = items_.find(control); i != items_.end()) {
        const std::string shortcut = ShortcutOf(control);
        i->second->setText(shortcut.empty() ? t : t + "\t" + QString::fromStdString(shortcut));
        return true;
    }
    if (control == "CmdRequest") cmdRequest_->setText(t);
    else if (control == "chkSelectAll") chkSelectAll_->setText(t);
    else if (control == "Label1") label1_->setText(t);
    else if (control == "Label2") label2_->setText(t);
    else if (control == "LblCaption") lblCaption_->setText(t);
    else if (control == "LblTotalPage") lblTotalPage_->setText(t);
    else if (control.size() == 8 && control.rfind("LblPage", 0) == 0 && control[7] >= '0' && control[7] <= '3')
        lblPage_[static_cast<std::size_t>(control[7] - '0')]->setText(t);
    else return false;
    return true;
}

}  // namespace sovrel
