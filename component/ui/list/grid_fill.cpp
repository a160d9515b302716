// The list's query and its grid: the header from the column settings, the statement, the
// page written into the grid and its cells formatted.
#include <QLineEdit>
#include <QWidget>

#include <utility>

#include "common/context.h"
#include "common/hosts/pub_util.h"
#include "common/hosts/services.h"
#include "common/local_names.h"
#include "common/logs.h"
#include "common/messages.h"
#include "common/screen.h"
#include "common/sql_text.h"
#include "common/texts.h"
#include "entry/icontact.h"
#include "platform/db/field.h"
#include "platform/db/rowset.h"
#include "platform/error.h"
#include "platform/text.h"
#include "service/iclscommon.h"
#include "ui/list/frm_contact_list.h"
#include "ui/list/list_internal.h"
#include "ui/list/list_statement.h"
#include "ui/list/list_texts.h"
#include "ui/list/name_initials.h"

namespace sovrel {

using namespace list;
namespace txt = platform::text;
using platform::db::Value;

namespace {

constexpr long kRowsBetweenEvents = 200;

// The hourglass on the screen and the grid for a scope.
class WaitPointer {
public:
    explicit WaitPointer(QWidget* grid) : grid_(grid) {
        SetScreenMousePointer(pointer::Hourglass);
        if (grid_) grid_->setCursor(Qt::WaitCursor);
    }
    ~WaitPointer() {
        SetScreenMousePointer(pointer::Default);
        if (grid_) grid_->unsetCursor();
    }
    WaitPointer(const WaitPointer&) = delete;
    WaitPointer& operator=(const WaitPointer&) = delete;

private:
    QWidget* grid_;
};

std::string Decimals(const std::string& item) {
    return "SELECT * FROM Userdef WHERE cClass=N'联系人' and cItem=" + SqlText(item) +
           " and (cItemName <>N'' and cItemName is not null )";
}

}  // namespace

void frmContactList::LoadHead() {
    Context& c = Ctx();
    grid_->SetTextMatrix(0, 0, ResText("Hx.CRM.COMMON.Title0001"));
    if (c.ColumnInfo.empty()) {
        if (!c.ColumnSetSvc)
            throw platform::Error(91, "frmContactList.LoadHead", "there is no column-settings service: open the list through IContact.Show");
        c.ColumnInfo = c.ColumnSetSvc->getColInfo(kTable, 1);
    }
    std::int16_t fixedCols = 0, keyCol = 0;
    std::string keyName;
    if (!Pub().getColSet(c.ColumnInfo, c.ColumnSelectList, sortClause_, *grid_, fixedCols, keyCol, keyName))
        ShowInfo(ResText("Hx.CRM.TkContact.frmcontactlist.00043"));
    else if (!keyName.empty())
        keyField_ = keyName;
    // New columns: a header sort would name another column now; the settings' order holds.
    sortColumn_ = 0;
    grid_->SetSortIndicator(0, 0);
    for (long col = 0; col < grid_->Cols(); ++col) {
        grid_->SetRow(0);
        grid_->SetCol(col);
        grid_->SetCellAlignment(align::CenterCenter);
    }
}

ListQuery frmContactList::Query(const std::string& where) const {
    const Context& c = Ctx();
    return {c.ColumnSelectList, c.VendorRowAuth, vendorCode_, where, filterClause_, sortClause_,
            searchText_, searchCodes_, sortColumn_, sortDescending_, !searchIndexMissing_, !searchTextsMissing_};
}

std::string frmContactList::ListStatement(const std::string& where) const { return BuildListStatement(Query(where)); }

void frmContactList::DataRefresh(const std::string& where) {
    // A refresh asked for while one runs (from events processed meanwhile) is not nested in it.
    if (busy_ > 0) return;
    BusyScope busy(*this);
    DoEvents();
    if (unloaded_) return;
    lastWhere_ = where;
    searchCodes_ = Ctx().DataService ? ContactsByInitials(*Ctx().DataService, searchText_) : std::vector<std::string>{};
    // Asked before the first search, so that an account without them (a server's keeps no search
    // texts; one not yet brought up to date has no index) is not sent a search that fails into
    // the service's log first.
    if (!searchTablesAsked_ && !platform::text::Trim(searchText_).empty() && Ctx().DataService) {
        searchTablesAsked_ = true;
        if (ConnectionPtr cnn = Ctx().DataService->m_cnn()) {
            searchTextsMissing_ = !cnn->HasTable(kSearchTextTable);
            searchIndexMissing_ = !cnn->HasTable(kSearchIndexTable);
        }
    }
    std::string sql = ListStatement(where);
    const long sortColumn = sortColumn_;
    const bool sortDescending = sortDescending_;

    std::int32_t pageSize = static_cast<std::int32_t>(Value(edtPageSize_->text().toStdString()).ToInt());
    std::int32_t curPage = static_cast<std::int32_t>(Value(edtCurPage_->text().toStdString()).ToInt());
    std::int32_t maxPageCount = 0;
    RowsetPtr rs;
    {
        WaitPointer wait(gridWidget_);
        if (auto entry = entry_.lock())
            if (auto* contact = dynamic_cast<IContact*>(entry.get())) {
                contact->OpenPage(sql, pageSize, curPage, maxPageCount, rs);
                // A table of the search gone since it was asked for: searched without it.
                const std::pair<bool*, const char*> narrowings[] = {{&searchTextsMissing_, kSearchTextTable},
                                                                    {&searchIndexMissing_, kSearchIndexTable}};
                for (const auto& [missing, table] : narrowings) {
                    if (rs || *missing || sql.find(std::string(table) + " WHERE") == std::string::npos) continue;
                    *missing = true;
                    sql = ListStatement(where);
                    contact->OpenPage(sql, pageSize, curPage, maxPageCount, rs);
                }
            }
    }
    if (!rs) {
        ShowInfo(ResText("Hx.CRM.TkContact.frmcontactlist.00051"));
        return;
    }
    loaded_ = false;
    listRs_ = rs->Clone();
    queriedSortColumn_ = sortColumn;
    queriedSortDescending_ = sortDescending;
    Pub().FlipPageFillGrid(*this, *grid_, listRs_, pageSize, curPage, Ctx().CurrentPage);
    loaded_ = true;
    AfterPaging();
}

void frmContactList::FillGrid(std::shared_ptr<platform::db::Rowset> page) {
    if (!page) return;
    WaitPointer wait(gridWidget_);
    const long records = page->RecordCount();
    const long fields = static_cast<long>(page->FieldCount());
    auto status = [this](long n) {
        SetStatusText(ResTextParams("Hx.CRM.TkContact.frmcontactlist.00044", {Value(n)}));
    };
    status(records);
    grid_->SetRedraw(false);
    grid_->SetRows(records + 1);
    grid_->SetCols(fields + 1);
    grid_->SetRedraw(true);
    if (records > 0) {
        grid_->SetRedraw(false);
        grid_->SetRow(0);
        page->MoveFirst();
        std::string overlong;
        // The fixed column headed "No." numbers the rows through the whole list: page 2 of 500
        // goes on from 501.
        const long firstNumber = FirstShownRow();
        for (long i = 1; !page->Eof() && i <= records; ++i, page->MoveNext()) {
            grid_->SetTextMatrix(i, 0, std::to_string(firstNumber + i - 1));
            // Shown as stored; a text another program wrote longer than its column is noted
            // once per page.
            if (overlong.empty() && !(overlong = platform::db::OverlongField(*page)).empty()) {
                try {
                    WriteErrorLog("frmContactList.FillGrid()", true, platform::Error(0, "frmContactList", overlong));
                } catch (...) {
                    // A log that cannot be written keeps no list from showing.
                }
            }
            for (long j = 1; j <= fields; ++j) {
                const Value v = page->Get(static_cast<std::size_t>(j - 1));
                grid_->SetTextMatrix(i, j, v.IsNull() ? std::string() : v.ToText());
            }
            if (i % kRowsBetweenEvents == 0) {
                // A long page stays responsive: show the progress, draw once, handle events.
                status(i);
                grid_->SetRedraw(true);
                grid_->SetRedraw(false);
                DoEvents();
            }
        }
        status(records);
    }
    RepairGrid(*page, records, fields);
    grid_->AutoSizeColumns();
    grid_->SetRedraw(true);
}

namespace {
bool IsNumberColumn(const platform::db::FieldInfo& f) {
    using namespace platform::db;
    switch (f.type) {
        case adSmallInt: case adInteger: case adSingle: case adDouble: case adCurrency: case adDecimal:
        case adTinyInt: case adUnsignedTinyInt: case adBigInt: case adNumeric: return true;
        default: return false;
    }
}

// The list's base-code columns by their field names, with the type of code each shows.
const char* BaseCodeTypeOf(const std::string& lowerName) {
    static const std::pair<const char*, const char*> kColumns[] = {
        {"csexname", "Sex"}, {"cdutyname", "Duty"}, {"ctastename", "Taste"}, {"cmarriagename", "Marriage"}};
    for (const auto& [name, type] : kColumns)
        if (lowerName == name) return type;
    return nullptr;
}
}  // namespace

namespace list {

ListTexts::ListTexts(const platform::db::Rowset& rs) {
    Context& c = Ctx();
    for (std::size_t f = 0; f < rs.FieldCount(); ++f) {
        const platform::db::FieldInfo& info = rs.Field(f);
        const std::string name = txt::LCase(info.name);
        Column& col = columns_.emplace_back();
        if (info.type == platform::db::adBoolean) {
            if (trueText_.empty()) {
                trueText_ = ResText("Hx.CRM.COMMON.DispBoolTrue");
                falseText_ = ResText("Hx.CRM.COMMON.DispBoolFalse");
            }
            col.kind = Kind::Flag;
        } else if (const char* type = BaseCodeTypeOf(name)) {
            // The account's names are its own language's; the user's stands where the account has it.
            if (!namesRead_) {
                names_ = LocalBaseCodeNames();
                namesRead_ = true;
            }
            if (names_.empty()) continue;
            col.kind = Kind::BaseCode;
            col.codeType = type;
        } else if (name == "ccondefine13" || name == "ccondefine14") {
            if (!c.DataService) continue;
            RowsetPtr item = c.DataService->OpenX(Decimals(name == "ccondefine13" ? "自定义项13" : "自定义项14"));
            if (!item || item->Eof()) continue;
            col.kind = Kind::Digits;
            col.digits = static_cast<int>(item->Get("iDecimalDigits").ToInt());
        } else {
            const std::string digits = Pub().GetEleVal(info.name, c.ColumnInfo);
            if (digits.empty()) continue;
            col.kind = Kind::Digits;
            col.digits = static_cast<int>(Value(digits).ToInt());
        }
    }
}

bool ListTexts::Formats(std::size_t field) const { return field < columns_.size() && columns_[field].kind != Kind::AsStored; }

std::string ListTexts::Text(std::size_t field, const std::string& stored) const {
    if (field >= columns_.size()) return stored;
    const Column& col = columns_[field];
    switch (col.kind) {
        case Kind::AsStored: break;
        case Kind::Flag: return txt::LCase(stored) == "true" ? trueText_ : falseText_;
        case Kind::BaseCode: {
            const auto it = names_.find({col.codeType, stored});
            return it != names_.end() ? it->second : stored;
        }
        case Kind::Digits: return Pub().FormatNum(stored, col.digits);
    }
    return stored;
}

}  // namespace list

std::function<std::string(std::size_t, const Value&)> frmContactList::ShownTexts() const {
    if (!listRs_) return nullptr;
    auto texts = std::make_shared<const ListTexts>(*listRs_);
    return [texts](std::size_t f, const Value& v) { return texts->Text(f, v.IsNull() ? std::string() : v.ToText()); };
}

void frmContactList::RepairGrid(platform::db::Rowset& rs, long records, long fields) {
    const ListTexts texts(rs);
    for (long f = 0; f < fields; ++f) {
        const platform::db::FieldInfo& info = rs.Field(static_cast<std::size_t>(f));
        const long col = f + 1;
        // Amounts line up on the right; codes, phone numbers and names read from the left
        // even when they are all digits.
        if (col > 1) grid_->SetColAlignment(col, IsNumberColumn(info) ? align::RightCenter : align::LeftCenter);
        if (!texts.Formats(static_cast<std::size_t>(f))) continue;
        for (long r = 1; r <= records; ++r)
            grid_->SetTextMatrix(r, col, texts.Text(static_cast<std::size_t>(f), grid_->TextMatrix(r, col)));
    }
}

}  // namespace sovrel
