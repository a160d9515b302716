#include "ui/list/filter_locate.h"

#include "common/context.h"
#include "common/hosts/filter.h"
#include "common/hosts/pub_util.h"
#include "common/hosts/pub_util_lists.h"
#include "common/messages.h"
#include "common/prog_ids.h"
#include "common/texts.h"
#include "platform/error.h"
#include "platform/object_factory.h"
#include "platform/text.h"
#include "service/iclscommon.h"
#include "ui/list/frm_contact_list.h"
#include "ui/list/list_internal.h"

namespace sovrel {

namespace txt = platform::text;

namespace {

IPubUtilLists& Lists() {
    auto* lists = dynamic_cast<IPubUtilLists*>(Ctx().PubUtil.get());
    if (!lists)
        throw platform::Error(91, "frmContactList", "there is no public-utility object: open the list through IContact.Show");
    return *lists;
}

}  // namespace

void RunListFilter(frmContactList& list) {
    Context& c = Ctx();
    auto filter = platform::Create<IFilterSrv>(progid::FilterSrv);
    if (!filter) {
        ShowInfo(ResTextParams("Hx.CRM.TkContact.frmcontactlist.NoFilter", {platform::db::Value(progid::FilterSrv)}));
        return;
    }
    std::string message;
    if (!filter->OpenFilter(c.Login, kListFilterName, "", "", message)) return;
    const std::string where = filter->GetSQLWhere();
    const std::string previous = list.FilterClause();
    // A blank condition clears the filter (kept blank it would end the statement with " AND ").
    list.SetFilterClause(txt::Trim(where).empty() ? std::string() : where);
    // The condition is tried on an empty result first, so a refused one leaves the list as it was.
    if (!txt::Trim(where).empty() && c.DataService) {
        bool ok = false;
        std::string refusal;
        auto probe = c.DataService->OpenX(list.ListStatement(" 1=0 "), &ok, &refusal);
        if (!probe) {
            list.SetFilterClause(previous);
            ShowInfo(ResTextParams("Hx.CRM.TkContact.frmcontactlist.FilterRefused", {platform::db::Value(refusal)}));
            return;
        }
    }
    list.DataRefresh(txt::Trim(where).empty() ? " 1=1 " : where);
}

void RunListPos(frmContactList& list) { Lists().FindPos(list.Grid(), list); }

void RunListFindSet(frmContactList& list) { Lists().FindSet(list, ResText(list::kFormTitleKey), Ctx().Login); }

void RunListSort(frmContactList& list, int order) { Lists().GridSort(list, list.Grid(), order); }

}  // namespace sovrel
