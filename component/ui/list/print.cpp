// The list's print, preview and export. The print control lays out and writes; the public
// utility keeps the style and turns the grid into the data text.
#include "ui/list/print.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

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
#include "ui/list/list_texts.h"

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

// Every row of the list, read page after page through a cursor of its own as the grid would
// show it: what is printed and exported is the whole list, not the page on screen, and never all
// of it in memory at once.
class ListRows final : public IPrintRows {
public:
    ListRows(const RowsetPtr& list, long gridCols) : rows_(list->Clone()), texts_(*rows_), cols_(gridCols) {}
    bool Read(const std::function<bool(const std::vector<std::string>&)>& row) override {
        std::vector<std::string> cells(static_cast<std::size_t>(std::max(cols_, 1L)));
        const std::size_t fields = std::min(rows_->FieldCount(), cells.size() - 1);
        long number = 0;
        for (rows_->MoveFirst(); !rows_->Eof(); rows_->MoveNext()) {
            cells[0] = std::to_string(++number);
            for (std::size_t f = 0; f < fields; ++f) {
                const platform::db::Value v = rows_->Get(f);
                cells[f + 1] = texts_.Text(f, v.IsNull() ? std::string() : v.ToText());
            }
            if (!row(cells)) return false;
        }
        return true;
    }

private:
    RowsetPtr rows_;
    ListTexts texts_;
    long cols_;
};

// The list's rows stand for the grid's while a command runs, and no longer: they hold the
// list's snapshot open.
class RowsWhile {
public:
    RowsWhile(IPrintControl& prn, std::shared_ptr<IPrintRows> rows) : prn_(prn) { prn_.SetRows(std::move(rows)); }
    ~RowsWhile() { prn_.SetRows(nullptr); }
    RowsWhile(const RowsWhile&) = delete;
    RowsWhile& operator=(const RowsWhile&) = delete;

private:
    IPrintControl& prn_;
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
    std::shared_ptr<IPrintRows> rows;
    {
        Hourglass busy;
        // A page sorted in place by the menu is printed as the header's sort of the whole list.
        if (&grid == &window.Grid()) window.AskInHeaderOrder();
        PrintPub().GetPrnStyle("", style, kTable, c.DataService, grid);
        WriteData(grid, data);
        if (prn.SetDataStyleXML(data, style, false, false, "Default") != 0) return;
        if (auto list = window.ListRowset(); list && &grid == &window.Grid()) rows = std::make_shared<ListRows>(list, grid.Cols());
    }
    RowsWhile whole(prn, rows);
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
