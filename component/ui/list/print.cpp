// The list's print, preview and export. The print control lays out and writes; the public
// utility keeps the style and turns the grid into the data text.
#include "ui/list/print.h"

#include "common/account_year.h"
#include "common/context.h"
#include "common/hosts/print.h"
#include "common/hosts/pub_util.h"
#include "common/hosts/pub_util_print.h"
#include "common/list_joins.h"
#include "common/logs.h"
#include "common/messages.h"
#include "common/prog_ids.h"
#include "common/screen.h"
#include "common/texts.h"
#include "common/traces.h"
#include "platform/error.h"
#include "platform/text.h"
#include "service/iclscommon.h"
#include "ui/list/frm_contact_list.h"
#include "ui/list/list_internal.h"

namespace sovrel::list {

namespace txt = platform::text;

namespace {

constexpr const char* kEmptyListKey = "Hx.CRM.TkContact.frmcontactlist.00055";

IPubUtilPrint& PrintPub() {
    auto print = std::dynamic_pointer_cast<IPubUtilPrint>(Ctx().PubUtil);
    if (!print)
        throw platform::Error(91, "frmContactList", "the public-utility object offers no print operations");
    return *print;
}

// The pointer goes back to normal however the command ends.
struct Hourglass {
    Hourglass() { SetScreenMousePointer(pointer::Hourglass); }
    ~Hourglass() { SetScreenMousePointer(pointer::Default); }
};

}  // namespace

std::string PrintParameterText(const std::string& year) {
    return "<TableName>" + std::string("<g_bPrnNo>true</g_bPrnNo>") + "<g_Year>" + year + "</g_Year>" + "</TableName>";
}

std::string WidenSizes(std::string sizes) {
    for (std::size_t at = sizes.find(",1,"); at != std::string::npos; at = sizes.find(",1,", at + 4))
        sizes.replace(at, 3, ",10,");
    return sizes;
}

void WriteData(IFlexGrid& grid, std::string& data) {
    Context& c = Ctx();
    std::string year;
    ReadYear(AccountPart(c.DbName), year);
    std::string parameter = PrintParameterText(year);
    if (!PrintPub().InitParameter(parameter)) Trace("frmContactList_GetYear", "初始年度参数有问题" + parameter);
    const std::string title = ResText("Hx.CRM.BizObjDic.WordContactRec") + ResText("String.Hx.AA.Admin.6134");
    PrintPub().GetData(c.DataService, grid, c.UserName, c.UserId, year, title, data);
}

void ExportTypes(std::string& types, std::string& sizes) {
    Context& c = Ctx();
    const std::string sql = "SELECT " + c.ColumnSelectList + " FROM Ven_Contact " + BuildListJoins(c.ColumnSelectList) +
                            " WHERE 1=2";
    RowsetPtr rs = c.DataService ? c.DataService->OpenX(sql) : nullptr;
    PrintPub().GetTypeSize(rs, types, sizes);
    sizes = WidenSizes(sizes);
}

void PrintAll(frmContactList& window, const std::string& key, IFlexGrid& grid, IPrintControl& prn) {
    prn.SetVisible(false);
    if (grid.Rows() < 2) {
        ShowInfo(ResText(kEmptyListKey));
        return;
    }
    Context& c = Ctx();
    Pub().HelpHide();
    std::string style, data;
    {
        Hourglass busy;
        PrintPub().GetPrnStyle("", style, kTable, c.DataService, grid);
        WriteData(grid, data);
        if (prn.SetDataStyleXML(data, style, false, false, "Default") != 0) return;
    }
    const std::string k = txt::LCase(key);
    if (k == "setup") {
        if (!prn.PageSetup()) prn.TriggerEvent(0);
    } else if (k == "print") {
        prn.DoPrint();
    } else if (k == "preview") {
        prn.SetOwner(window);
        prn.PrintPreview();
    } else if (k == "savefile") {
        std::string types, sizes;
        ExportTypes(types, sizes);
        long result = 0;
        prn.ExportToFile("", "", types, sizes, result);
        PrintPub().PrintMsg(result, kTable);
    }
}

void PrintCommand(frmContactList& window, const std::string& key) {
    auto& prn = window.PrintControl();
    if (!prn) {
        prn = platform::Create<IPrintControl>(progid::PrintControl);
        if (!prn) return;
        prn->OnStyleEvent([](const std::string& first, const std::string& second) {
            Guarded("frmContactList.Prn_StyleEvent()", [&] {
                Context& c = Ctx();
                PrintPub().SavePrnStyle(c.DataService, kTable, first + second);
            });
        });
    }
    PrintAll(window, key, window.Grid(), *prn);
}

}  // namespace sovrel::list
