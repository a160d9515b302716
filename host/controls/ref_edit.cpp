// The reference edit box: forbidden characters and kinds are enforced on every edit (typing and
// pasting alike); the program's own SetText reports no change.
#include "ref_edit.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDate>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QStyle>
#include <QToolButton>
#include <QWidgetAction>

#include <exception>

#include "../session/support.h"
#include "common/hosts/login.h"
#include "host/choice.h"
#include "host/services.h"
#include "platform/diagnostics.h"
#include "platform/text.h"

namespace host::controls {

namespace txt = platform::text;

class RefEditLine final : public QLineEdit {
public:
    RefEditLine(QWidget* parent, RefEdit& owner) : QLineEdit(parent), owner_(&owner) {}
    // The control can go before its widgets (they are deleted later, or with their window);
    // from then on they are plain widgets.
    void Detach() { owner_ = nullptr; }

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (!owner_) return QLineEdit::keyPressEvent(e);
        RefEdit& owner = *owner_;
        const QString text = e->text();
        if (owner.onKeyPress_ && !text.isEmpty()) {
            const int typed = static_cast<int>(text.toUcs4().value(0));
            int key = typed;
            owner.Fire([&] { owner.onKeyPress_(key); }, "KeyPress");
            if (key == 0) return;
            if (key != typed) {
                const char32_t c = static_cast<char32_t>(key);
                QKeyEvent replaced(QEvent::KeyPress, e->key(), e->modifiers(), QString::fromUcs4(&c, 1));
                QLineEdit::keyPressEvent(&replaced);
                return;
            }
        }
        // Alt+Down or F4 opens the look-up, as in a combo box.
        if ((e->key() == Qt::Key_Down && (e->modifiers() & Qt::AltModifier)) || e->key() == Qt::Key_F4) {
            if (owner.buttonVisible_ && owner.enabled_ && !owner.readOnly_) {
                owner.ButtonClicked();
                return;
            }
        }
        QLineEdit::keyPressEvent(e);
    }
    void focusInEvent(QFocusEvent* e) override {
        QLineEdit::focusInEvent(e);
        if (owner_ && owner_->onGotFocus_) owner_->Fire(owner_->onGotFocus_, "GotFocus");
    }
    void focusOutEvent(QFocusEvent* e) override {
        QLineEdit::focusOutEvent(e);
        // A menu or dialog of our own opening takes the focus only for a moment.
        if (e->reason() == Qt::PopupFocusReason) return;
        if (owner_ && owner_->onLostFocus_) owner_->Fire(owner_->onLostFocus_, "LostFocus");
    }

private:
    RefEdit* owner_;
};

namespace {

class LookupButton final : public QToolButton {
public:
    LookupButton(QWidget* parent, std::function<void()>& lost) : QToolButton(parent), lost_(&lost) {}
    void Detach() { lost_ = nullptr; }

protected:
    void focusOutEvent(QFocusEvent* e) override {
        QToolButton::focusOutEvent(e);
        if (e->reason() != Qt::PopupFocusReason && lost_ && *lost_) {
            try {
                (*lost_)();
            } catch (const std::exception& ex) {
                platform::DebugOutput(std::string("TkRefEdit ButtonLostFocus failed: ") + ex.what());
            }
        }
    }

private:
    std::function<void()>* lost_;  // the control's handler; null once the control is gone
};

QString Hex(long rgb) { return QString("#%1").arg(rgb & 0xFFFFFF, 6, 16, QChar('0')); }

struct RefList {
    std::string sql, codeField, nameField, titleKey;
    std::vector<std::string> fields, captionKeys;
};

}  // namespace

RefEdit::~RefEdit() {
    if (!box_) return;
    // The widgets outlive this object until deleted later or with their window, and losing the
    // focus on the way out must not call into it.
    line_->Detach();
    static_cast<LookupButton*>(button_)->Detach();
    box_->deleteLater();
}

void RefEdit::Fire(const std::function<void()>& handler, const char* what) {
    if (!handler) return;
    // An error must not unwind through Qt's event loop.
    try {
        handler();
    } catch (const std::exception& e) {
        platform::DebugOutput(std::string("TkRefEdit ") + what + " failed: " + e.what());
    }
}

std::string RefEdit::Text() const { return line_ ? line_->text().toStdString() : std::string(); }

void RefEdit::SetText(const std::string& text) {
    if (!line_) Widget(nullptr);
    const QString t = QString::fromStdString(text);
    line_->setText(maxLength_ > 0 ? t.left(maxLength_) : t);
    line_->setCursorPosition(0);
}

void RefEdit::SetSelStart(int position) {
    if (!line_) return;
    line_->setCursorPosition(position < 0 ? static_cast<int>(line_->text().size()) : position);
}

void RefEdit::SetDescription(const std::string& text) {
    description_ = text;
    if (box_) box_->setToolTip(QString::fromStdString(text));
}

void RefEdit::SetMaxLength(int characters) {
    maxLength_ = characters < 0 ? 0 : characters;
    if (line_) line_->setMaxLength(maxLength_ > 0 ? maxLength_ : 32767);
}

void RefEdit::SetKind(int kind, int decimals) {
    kind_ = kind;
    decimals_ = decimals < 0 ? 0 : decimals;
    if (kind_ == sovrel::refkind::Date) SetButtonVisible(true);
    if (line_) {
        line_->setAlignment(kind_ == sovrel::refkind::Integer || kind_ == sovrel::refkind::Decimal ? Qt::AlignRight
                                                                                                   : Qt::AlignLeft);
        line_->setPlaceholderText(kind_ == sovrel::refkind::Date ? "yyyy-mm-dd" : "");
    }
    Restyle();
}

void RefEdit::SetEnabled(bool enabled) {
    enabled_ = enabled;
    Restyle();
}

void RefEdit::SetReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    Restyle();
}

void RefEdit::SetVisible(bool visible) {
    visible_ = visible;
    if (box_) box_->setVisible(visible);
}

void RefEdit::SetBackColor(long rgb) {
    backColor_ = rgb & 0xFFFFFF;
    Restyle();
}

void RefEdit::SetButtonVisible(bool visible) {
    buttonVisible_ = visible;
    if (button_) button_->setVisible(visible);
}

bool RefEdit::HasFocus() const { return line_ && line_->hasFocus(); }

void RefEdit::SetFocus() {
    if (line_ && line_->isEnabled() && line_->isVisibleTo(line_->window())) line_->setFocus(Qt::OtherFocusReason);
}

bool RefEdit::ButtonHasFocus() const { return button_ && button_->hasFocus(); }

void RefEdit::Restyle() {
    if (!line_) return;
    line_->setEnabled(enabled_);
    line_->setReadOnly(readOnly_);
    button_->setEnabled(enabled_ && !readOnly_);
    // A box the user cannot change reads as such whatever colour the program gave it.
    const long back = enabled_ && !readOnly_ ? backColor_ : 0xF0F0F0;
    line_->setStyleSheet(QString("QLineEdit{background:%1;color:%2;}")
                             .arg(Hex(back), enabled_ ? QString("#202020") : QString("#606060")));
}

std::string RefEdit::Accepted(const std::string& text) const {
    std::string out;
    bool point = false;
    int decimals = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t start = i;
        const char32_t c = txt::DecodeUtf8(text, i);
        std::string ch = text.substr(start, i - start);
        if (badStr_.find(ch) != std::string::npos) continue;
        if (kind_ == sovrel::refkind::Integer || kind_ == sovrel::refkind::Decimal) {
            const bool digit = c >= '0' && c <= '9';
            const bool sign = c == '-' && out.empty();
            const bool dot = kind_ == sovrel::refkind::Decimal && c == '.' && !point && decimals_ > 0;
            if (!digit && !sign && !dot) continue;
            if (dot) point = true;
            if (digit && point && ++decimals > decimals_) continue;
        } else if (kind_ == sovrel::refkind::Date) {
            if (!((c >= '0' && c <= '9') || c == '-' || c == '/' || c == '.')) continue;
        }
        out += ch;
    }
    return out;
}

void RefEdit::Edited() {
    const std::string text = Text();
    const std::string accepted = Accepted(text);
    if (accepted != text) {
        const int cursor = line_->cursorPosition() - static_cast<int>(txt::Len(text) - txt::Len(accepted));
        line_->setText(QString::fromStdString(accepted));
        line_->setCursorPosition(cursor < 0 ? 0 : cursor);
    }
    Fire(onChange_, "Change");
}

void RefEdit::ButtonClicked() {
    if (onButtonClick_) {
        Fire(onButtonClick_, "ButtonClick");
        return;
    }
    if (kind_ == sovrel::refkind::Date) PickDate();
    else if (!refKey_.empty()) ShowReference();
}

void RefEdit::PickDate() {
    QMenu menu(box_);
    auto* calendar = new QCalendarWidget(&menu);
    calendar->setObjectName("Calendar");
    const QDate current = QDate::fromString(line_->text(), "yyyy-MM-dd");
    if (current.isValid()) calendar->setSelectedDate(current);
    auto* action = new QWidgetAction(&menu);
    action->setDefaultWidget(calendar);
    menu.addAction(action);
    QObject::connect(calendar, &QCalendarWidget::activated, &menu, [&](const QDate& d) {
        line_->setText(d.toString("yyyy-MM-dd"));
        menu.close();
        Fire(onChange_, "Change");
    });
    QObject::connect(calendar, &QCalendarWidget::clicked, &menu, [&](const QDate& d) {
        line_->setText(d.toString("yyyy-MM-dd"));
        menu.close();
        Fire(onChange_, "Change");
    });
    menu.exec(box_->mapToGlobal(QPoint(0, box_->height())));
}

void RefEdit::InitRef(const std::shared_ptr<sovrel::ILogin>& login, const std::string& refKey,
                      const std::string& options) {
    login_ = login;
    refKey_ = refKey;
    refOptions_ = options;
    SetButtonVisible(true);
}

void RefEdit::SetRefCondition(const std::string& conditions, const std::string& filter) {
    refConditions_ = conditions;
    refFilter_ = filter;
}

namespace {

// The value of attribute name in the first element of xml that has it ("" when none).
std::string Attribute(const std::string& xml, const std::string& name) {
    for (const char quote : {'\'', '"'}) {
        const std::string marker = name + "=" + quote;
        const std::size_t at = xml.find(marker);
        if (at == std::string::npos) continue;
        const std::size_t start = at + marker.size();
        const std::size_t end = xml.find(quote, start);
        if (end != std::string::npos) return xml.substr(start, end - start);
    }
    return {};
}

}  // namespace

bool RefEdit::ShowReference() {
    auto login = login_.lock();
    if (refKey_.empty() || !login) return false;
    const std::string key = txt::LCase(refKey_);
    const std::string language = detail::LanguageOf(login.get());
    RefList list;
    if (key == "vendor_aa") {
        list = {"SELECT cVenCode, cVenName, cVenAbbName FROM vendor", "cVenCode", "cVenName",
                "Hx.AA.ARCHIVE.FIELD.refvendor", {"cVenCode", "cVenName", "cVenAbbName"},
                {"Hx.AA.PUB.RefCode", "Hx.AA.PUB.RefName", "Hx.AA.PUB.RefAbbName"}};
        if (Attribute(refOptions_, "bAuth") == "1") {
            const std::string condition = VendorAuthCondition(login->tkDBName(), login->cUserId());
            if (!condition.empty()) list.sql += " WHERE " + condition;
        }
        list.sql += " ORDER BY cVenCode";
    } else if (key == "contact_ven") {
        list = {"SELECT cContactCode, cContactName, cVenCode FROM Ven_Contact", "cContactCode", "cContactName",
                "Hx.CRM.LblCap.Superior", {"cContactCode", "cContactName", "cVenCode"},
                {"Hx.AA.PUB.RefCode", "Hx.AA.PUB.RefName", "Hx.AA.ARCHIVE.FIELD.refvendor"}};
        const std::string vendorName = Attribute(refConditions_, "paramValue");
        if (!vendorName.empty() && refFilter_.find("@cvenName") != std::string::npos)
            list.sql += " WHERE cVenCode IN (SELECT cVenCode FROM vendor WHERE cVenName = " + detail::Sql(vendorName) + ")";
        list.sql += " ORDER BY cContactCode";
    } else if (key == "person_aa") {
        list = {"SELECT cPersonCode, cPersonName, cDepCode FROM Person ORDER BY cPersonCode", "cPersonCode",
                "cPersonName", "Hx.CRM.LblCap.Principal", {"cPersonCode", "cPersonName", "cDepCode"},
                {"Hx.AA.PUB.RefCode", "Hx.AA.PUB.RefName", "Hx.AA.PUB.RefDepartment"}};
    } else {
        platform::DebugOutput("TkRefEdit: no reference list " + refKey_);
        return false;
    }
    std::shared_ptr<platform::db::Rowset> rows;
    try {
        auto db = detail::Open(login->tkDBName());
        rows = db->OpenRowset(list.sql);
    } catch (const std::exception& e) {
        platform::DebugOutput(std::string("TkRefEdit: the reference list could not be read: ") + e.what());
        return false;
    }
    ChoiceRequest request;
    request.title = detail::HostText(language, list.titleKey);
    request.fields = list.fields;
    for (const auto& k : list.captionKeys) request.captions.push_back(detail::HostText(language, k));
    request.language = language;
    const long chosen = PresentChoice(request, *rows);
    if (chosen < 0) return false;
    rows->MoveFirst();
    rows->Move(chosen);
    // The change is reported before the chosen code is stored: a handler that drops the stored
    // value of a changed text must not drop the choice.
    const std::string code = rows->Get(list.codeField).ToText();
    SetText(rows->Get(list.nameField).ToText());
    Fire(onChange_, "Change");
    tag_ = code;
    return true;
}

QWidget* RefEdit::Widget(QWidget* parent) {
    if (box_) {
        if (parent && box_->parentWidget() != parent) box_->setParent(parent);
        return box_;
    }
    box_ = new QWidget(parent);
    box_->setObjectName("TkRefEdit");
    auto* row = new QHBoxLayout(box_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    line_ = new RefEditLine(box_, *this);
    line_->setObjectName("Text");
    row->addWidget(line_, 1);
    button_ = new LookupButton(box_, onButtonLostFocus_);
    button_->setObjectName("Lookup");
    button_->setText("…");
    button_->setFocusPolicy(Qt::ClickFocus);
    button_->setCursor(Qt::PointingHandCursor);
    row->addWidget(button_);
    box_->setFocusProxy(line_);
    QObject::connect(line_, &QLineEdit::textEdited, box_, [this] { Edited(); });
    QObject::connect(button_, &QToolButton::clicked, box_, [this] { ButtonClicked(); });
    SetMaxLength(maxLength_);
    SetKind(kind_, decimals_);
    SetButtonVisible(buttonVisible_);
    SetVisible(visible_);
    SetDescription(description_);
    return box_;
}

}  // namespace host::controls
