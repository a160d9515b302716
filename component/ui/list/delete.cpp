// "Del": the marked contacts, after one confirmation, deleted one by one through the data
// service; a superior of other contacts is kept back, and every contact tried gets a row in the
// result list shown at the end.
#include "ui/list/delete.h"

#include "common/context.h"
#include "common/host_objects.h"
#include "common/hosts/controls.h"
#include "common/hosts/pub_util.h"
#include "common/hosts/pub_util_lists.h"
#include "common/hosts/text_service.h"
#include "common/texts.h"
#include "platform/error.h"
#include "platform/text.h"
#include "service/iclscommon.h"
#include "ui/list/frm_contact_list.h"
#include "ui/list/list_internal.h"

namespace sovrel {

using namespace list;
namespace txt = platform::text;

namespace {

std::string Quoted(const std::string& text) {
    std::string out;
    CrmCommonSvc().QuoteSqlText(text, out);
    return out;
}

using platform::db::HasRows;

IPubUtilLists& Lists() {
    auto* lists = dynamic_cast<IPubUtilLists*>(Ctx().PubUtil.get());
    if (!lists)
        throw platform::Error(platform::errnum::InvalidOperation, "frmContactList.Delete",
                              "the public-utility object has no delete dialogs");
    return *lists;
}

}  // namespace

std::string VendorRelinkStatement(const std::string& vendorCode) {
    const std::string v = Quoted(vendorCode);
    return "if (not exists( select * from Ven_Contact where oid in (select Vendor.cSovrelCode  from vendor where "
           "cVenCode='" + v + "'))) begin update vendor set csovrelcode=t.oid,cVenPerson=t.cContactName from "
           "(select top 1 oid,vendor.cvencode,cContactName from Ven_Contact left join vendor on "
           "Vendor.cVenCode=Ven_Contact.cVenCode where Ven_Contact.cVenCode='" + v +
           "' order by cContactCode desc) t WHERE vendor.cvencode = t.cvencode End";
}

bool DeleteContact(std::string& sMsg, std::string& code, const std::string& idName, const RowsetPtr& resultList) {
    Context& c = Ctx();
    bool deleted = false;
    const std::string q = Quoted(code);
    if (HasRows(c.DataService->OpenX("SELECT  Top 1 cContactCode FROM Ven_Contact WHERE cSuperiorID = N'" + q + "'"))) {
        sMsg = ResText("Hx.CRM.TkContact.frmcontactlist.00034");
    } else {
        // The vendor is read first: after the delete nothing tells whose main contact it was.
        std::string vendor;
        if (auto rs = c.DataService->OpenX("SELECT cVenCode FROM Ven_Contact WHERE cContactCode = N'" + q + "'");
            HasRows(rs))
            vendor = rs->Get("cVenCode").ToText();
        platform::db::Value id(code);
        std::string name = idName, table = kTable;
        sMsg.clear();
        if (c.DataService->Delete(id, name, table, sMsg, c.UserId)) {
            if (!vendor.empty()) c.DataService->ExecuteX(VendorRelinkStatement(vendor));
            sMsg = Pub().GetResString("Hx.AA.ARCHIVE.COMMON.del_success");
            deleted = true;
        }
    }
    Lists().ModifyAddMsg(resultList, code, sMsg);
    return deleted;
}

DeleteRun DeleteMarked(frmContactList& list, std::int16_t codeColumn) {
    Context& c = Ctx();
    IPubUtil& pub = Pub();
    IPubUtilLists& lists = Lists();
    IFlexGrid& grid = list.Grid();
    DeleteRun run;
    std::int16_t column = codeColumn, next = static_cast<std::int16_t>(codeColumn + 1);
    if (lists.ShowTipMsg(grid, column, next, c.Login, c.DataService, kTable) != 1) return run;
    run.confirmed = true;

    pub.DebugPrint("开始删除权限");
    lists.DeleteStart();
    const std::string captions =
        ResText(kCodeCaptionKey) + "," + pub.GetResString("Hx.AA.ARCHIVE.COMMON.description");
    auto results = lists.ModifyInitMsg("cContactCode,cErrMsg", captions);
    try {
        for (long r = 1; r < grid.Rows(); ++r) {
            if (grid.TextMatrix(r, 1).rfind("√", 0) != 0) continue;
            std::string code = grid.TextMatrix(r, column), message;
            if (DeleteContact(message, code, "cContactCode", results)) run.deleted = true;
        }
    } catch (...) {
        // The wait cursor goes whatever stopped the run; what was deleted stays reported below.
        lists.DeleteEnded();
        throw;
    }
    lists.DeleteEnded();
    pub.IsLockFun(c.DataService, c.Login, kTable, -8);
    pub.DebugPrint("结束删除");
    lists.ModifyShowMsg(pub.GetResString("Hx.AA.ARCHIVE.COMMON.information"), c.Login, c.DataService, results);
    return run;
}

}  // namespace sovrel
