#include "ui/card/hand_off.h"

#include <QLabel>

#include "common/context.h"
#include "common/hosts/controls.h"
#include "common/hosts/pub_util.h"
#include "common/texts.h"
#include "platform/db/value.h"
#include "ui/card/card_internal.h"
#include "ui/card/frm_contact_edit.h"
#include "ui/list/frm_contact_list.h"

namespace sovrel {

namespace {

// After the card closed: when it saved, the list shows the saved contact again.
void AfterCard(frmContactList& list, bool keepFilter) {
    Context& c = Ctx();
    if (!c.DataChanged) return;
    list.DataRefresh(keepFilter ? list.FilterClause() : "");
    // The code column by its caption in the user's language ("联系人编码" in zh-CN).
    card::Pub().SetGridRow(list.Grid(), ResText("Hx.CRM.TkContact.frmcontactlist.00027"),
                           platform::db::Value(list.CurrentContactCode()));
}

}  // namespace

void OpenCardForAdd(frmContactList& list, std::int16_t codeColumn) {
    Context& c = Ctx();
    frmContactEdit& card = ContactCard();
    card.FormLoad();
    if (!c.VendorCode.empty()) {
        card.Edt(0).SetText(c.VendorName);
        card.Edt(0).SetTag(c.VendorCode);
    }
    card.InitData(cardmode::Add, codeColumn, static_cast<std::int32_t>(list.Grid().Row()));
    c.DataChanged = false;
    card.ShowModal();
    AfterCard(list, false);
}

void OpenCardForModify(frmContactList& list, std::int16_t codeColumn) {
    Context& c = Ctx();
    frmContactEdit& card = ContactCard();
    card.FormLoad();
    card.InitData(cardmode::Modify, codeColumn, static_cast<std::int32_t>(list.Grid().Row()));
    card.Edt(0).SetEnabled(false);
    card.Edt(1).SetEnabled(false);
    if (QLabel* label = card.Label("lblcVenCode")) label->setStyleSheet("color:#808080;");
    card.SetCmdVisible(0, false);
    c.DataChanged = false;
    card.ShowModal();
    AfterCard(list, true);
}

}  // namespace sovrel
