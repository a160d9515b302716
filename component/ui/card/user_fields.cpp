// The third tab: up to sixteen user-defined items with their captions, kinds, lengths and
// checks from the item definitions of the contact archive.
#include <QLabel>
#include <QTabWidget>

#include "common/context.h"
#include "common/local_names.h"
#include "common/hosts/pickers.h"
#include "common/hosts/pub_util_editors.h"
#include "common/messages.h"
#include "common/prog_ids.h"
#include "common/texts.h"
#include "platform/text.h"
#include "service/iclscommon.h"
#include "ui/card/card_internal.h"
#include "ui/card/frm_contact_edit.h"

namespace sovrel {

using namespace card;
namespace txt = platform::text;

namespace {

std::string Item(int n) { return "自定义项" + std::to_string(n); }

bool Flag(const platform::db::Value& v) { return txt::LCase(txt::Trim(v.ToText())) == "true" || v.ToBool(); }

}  // namespace

bool frmContactEdit::UserItemShown(int item) const {
    return item >= 1 && item <= 16 && userShown_[static_cast<std::size_t>(item - 1)];
}

int frmContactEdit::UserDecimals(int item) const {
    return item == 13 || item == 14 ? userDecimals_[static_cast<std::size_t>(item - 13)] : 0;
}

void frmContactEdit::SetUserDefFields() {
    userShown_.fill(false);
    userDecimals_ = {6, 6};
    auto* editors = PubEditors();
    std::shared_ptr<platform::db::Rowset> rows;
    if (editors) rows = editors->SetUserDefEle(*this, Ctx().DataService, kUserDefClass);
    long widest = 0;
    std::string widestCaption;
    const auto itemNames = LocalNames("userdef");
    for (int n = 1; n <= 16; ++n) {
        QLabel* label = LblD1(n - 1);
        label->setProperty("mandatory", QVariant());
        label->setProperty("tag", QString());
        std::string name;
        bool mandatory = false;
        if (rows) {
            rows->SetFilter("cItem='" + Item(n) + "'");
            if (rows->RecordCount() >= 1) {
                name = LocalName(itemNames, std::string(kUserDefClass) + "." + Item(n),
                                 txt::Trim(TxtValue(rows->Get("cItemName"))));
                mandatory = Flag(rows->Get("bInput"));
                const long length = rows->Get("iLength").ToInt();
                if (n <= 11 && length > 0) {
                    IRefEdit& box = EdtU(n - 1);
                    box.SetMaxLength(box.MaxLength() > 0 ? std::min<long>(length, box.MaxLength()) : length);
                }
                if (n == 13 || n == 14) {
                    const auto digits = rows->Get("iDecimalDigits");
                    const int d = digits.IsNullOrEmpty() ? 6 : static_cast<int>(digits.ToInt());
                    userDecimals_[static_cast<std::size_t>(n - 13)] = d;
                    if (editors) editors->SetDblLen(EdtU(n - 1), d);
                }
            }
        }
        label->setText(QString::fromStdString(name));
        if (name.empty()) {
            label->setProperty("tag", "hide");
            continue;
        }
        userShown_[static_cast<std::size_t>(n - 1)] = true;
        if (mandatory) label->setProperty("mandatory", true);
        const long length = editors ? editors->GetStrLen(name) : static_cast<long>(txt::Len(name));
        if (length > widest) {
            widest = length;
            widestCaption = name;
        }
    }
    if (rows) rows->SetFilter("");
    // Captions share one width, the widest one's, so the boxes line up.
    const int width = LblD1(0)->fontMetrics().horizontalAdvance(QString::fromStdString(widestCaption)) + 4;
    for (QLabel* label : lblD1_) label->setMinimumWidth(widest > 0 ? width : 0);
    PlaceUserFields();
    const bool any = std::find(userShown_.begin(), userShown_.end(), true) != userShown_.end();
    ssTab1_->setTabVisible(2, any);
    if (editors) editors->FormatCon(*this);
}

void frmContactEdit::UserFieldLeave(int index) {
    if (index < 0 || index > 13) return;
    IRefEdit& box = EdtU(index);
    const std::string text = box.Text();
    if (text.empty()) return;
    const int n = index + 1;
    Context& c = Ctx();
    auto def = c.DataService->OpenX("SELECT * FROM Userdef WHERE cClass=N'" + std::string(kUserDefClass) +
                                    "' and cItem=N'" + Item(n) + "' and (cItemName <>N'' and cItemName is not null )");
    if (!def || def->RecordCount() != 1) return;
    def->MoveFirst();
    const std::string caption = TxtValue(def->Get("cItemName"));
    auto refuse = [&](const std::string& message, bool clear) {
        ShowInfo(message);
        if (clear) box.SetText("");
        ssTab1_->setCurrentIndex(2);
        box.SetFocus();
    };
    const long length = def->Get("iLength").ToInt();
    if (Flag(def->Get("bFixLength")) && static_cast<long>(txt::Len(text)) != length) {
        refuse(ResTextParams("Hx.CRM.COMMON.CheckLen02", {caption, length}), false);
        return;
    }
    if (Flag(def->Get("bInput")) && txt::Trim(text).empty()) {
        refuse(ResTextParams("Hx.CRM.COMMON.CheckNull02", {caption}), false);
        return;
    }
    if (Flag(def->Get("bCheckVal")) && !Flag(def->Get("bArchive"))) {
        const std::string t = Quote(text);
        const std::string listSql = "SELECT top 1 cValue FROM userdefine WHERE cId=N'" + Quote(TxtValue(def->Get("cId"))) +
                                    "' and (cvalue=N'" + t + "' or Calias=N'" + t + "')";
        const std::string archive = txt::Trim(TxtValue(def->Get("cRelArchive")));
        const std::string field = txt::Trim(TxtValue(def->Get("cRelField")));
        auto fromList = [&]() -> bool {
            auto rs = c.DataService->OpenX(listSql);
            if (!platform::db::HasRows(rs)) return false;
            box.SetText(TxtValue(rs->Get("cvalue")));
            return true;
        };
        // Names of an archive and its field are identifiers, not values: only plain ones are used.
        auto plain = [](const std::string& s) {
            for (const char ch : s)
                if (!(std::isalnum(static_cast<unsigned char>(ch)) || ch == '_')) return false;
            return !s.empty();
        };
        if (archive.empty() || field.empty()) {
            if (!fromList()) {
                refuse(ResText("Hx.CRM.TkContact.frmcontactedit.00071"), true);
                return;
            }
        } else {
            auto rs = plain(archive) && plain(field)
                          ? c.DataService->OpenX("SELECT top 1 " + field + " FROM " + archive + " WHERE " + field + "=N'" + t + "'")
                          : nullptr;
            if (!platform::db::HasRows(rs)) {
                if (!fromList()) {
                    refuse(ResText("Hx.CRM.TkContact.frmcontactedit.00070"), true);
                    return;
                }
            }
        }
    }
    if (n == 13 || n == 14) box.SetText(FormatDecimal(box.Text(), UserDecimals(n)));
    if (auto* editors = PubEditors()) editors->FormatCon(*this);
}

bool frmContactEdit::RefDefine(platform::db::Rowset& definition) {
    const int source = static_cast<int>(definition.Get("iDataSource").ToInt());
    const std::string caption = TxtValue(definition.Get("cItemName"));
    auto client = platform::Create<IRefListClient>(progid::RefListClient);
    auto service = Ctx().DataService;
    if (!client || !service || !client->Init(service->m_cnn())) {
        ShowInfo(ResText("Hx.CRM.TkContact.frmcontactedit.00100"));
        return false;
    }
    if (source == refsource::Archive)
        client->SetUp(source, TxtValue(definition.Get("cRelArchive")), TxtValue(definition.Get("cRelField")), caption, 100);
    else
        client->SetUp(refsource::ValueList, "UserDefine", "cValue", caption, 100);
    return true;
}

}  // namespace sovrel
