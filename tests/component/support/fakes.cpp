#include "fakes.h"

#include <algorithm>

#include "platform/error.h"

namespace sovrel::fakes {

int CallLog::Count(const std::string& prefix) const {
    int n = 0;
    for (const auto& c : calls) n += c.rfind(prefix, 0) == 0;
    return n;
}

std::string CrmCommonSvc::GetTextWithParams(const std::string& key, std::vector<platform::db::Value>& params,
                                            std::string&) {
    std::string out = key + "(";
    for (std::size_t i = 0; i < params.size(); ++i) out += (i ? "," : "") + params[i].ToText();
    return out + ")";
}

void PubUtil::FlipPageFillGrid(IListWindow& window, IFlexGrid&, RowsetPtr& rs, long size, long page,
                               std::int32_t& count) {
    log_.Add("FlipPageFillGrid " + std::to_string(size) + " " + std::to_string(page));
    if (size < 1) size = 500;
    long rows = rs ? rs->RecordCount() : 0;
    count = static_cast<std::int32_t>(rows == 0 ? 1 : (rows + size - 1) / size);
    page = std::clamp<long>(page, 1, count);
    auto cut = rs ? rs->StructureCopy() : nullptr;
    if (rs && rows > 0) {
        rs->SetPageSize(size);
        rs->SetAbsolutePage(page);
        for (long n = 0; n < size && !rs->Eof(); ++n, rs->MoveNext()) {
            cut->AddNew();
            for (std::size_t f = 0; f < rs->FieldCount(); ++f) cut->Set(f, rs->Get(f));
            cut->Update();
        }
    }
    window.FillGrid(cut);
    window.LblPageEnabled(page > 1, page < count);
}

void FlexGrid::SetRow(long row) {
    if (row < 0 || row >= Rows()) throw platform::Error(platform::errnum::InvalidOperation, "FlexGrid", "row out of range");
    row_ = row;
}

void FlexGrid::SetCol(long col) {
    if (col < 0 || col >= Cols()) throw platform::Error(platform::errnum::InvalidOperation, "FlexGrid", "column out of range");
    col_ = col;
}

std::string FlexGrid::TextMatrix(long row, long col) const {
    if (row < 0 || row >= Rows() || col < 0 || col >= Cols())
        throw platform::Error(platform::errnum::InvalidOperation, "FlexGrid", "cell out of range");
    return cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

void FlexGrid::SetTextMatrix(long row, long col, const std::string& text) {
    if (row < 0 || row >= Rows() || col < 0 || col >= Cols())
        throw platform::Error(platform::errnum::InvalidOperation, "FlexGrid", "cell out of range");
    cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] = text;
}

int FlexGrid::CellAlignment(long row, long col) const {
    auto it = alignments_.find({row, col});
    return it == alignments_.end() ? align::General : it->second;
}

long FlexGrid::Property(const std::string& name) const {
    auto it = properties.find(name);
    return it == properties.end() ? 0 : it->second;
}

long FlexGrid::ColWidth(long col) const {
    auto it = widths.find(col);
    return it == widths.end() ? 80 : it->second;
}

void FlexGrid::Click(long row, long col) {
    SetRow(row);
    SetCol(col);
    if (click_) click_();
}

void FlexGrid::DblClick(long row, long col) {
    SetRow(row);
    SetCol(col);
    if (dblClick_) dblClick_();
}

Host::Host() {
    ResetContext();
    auto reg = [this](const char* id, std::shared_ptr<platform::Object> o) {
        registrations_.push_back(std::make_unique<platform::ScopedRegistration>(id, [o] { return o; }));
    };
    reg(progid::RightChecker, rights);
    reg(progid::CrmCommonSvc, crm);
    reg(progid::TitleSvc, title);
    reg(progid::PubUtil, pub);
    reg(progid::ColumnSetSvc, columns);
    reg(progid::RowAuthSvc, rowAuth);
    reg(progid::ColAuthSvc, colAuth);
    reg(progid::IClsCommon, data);
    reg(progid::ContactListWindow, window);
    reg(progid::FlexGrid, grid);
    reg(progid::Toolbar, toolbar);
    reg(progid::KeyHook, keyHook);
}

Host::~Host() {
    // Registrations are put back in reverse order by their destructors.
    while (!registrations_.empty()) registrations_.pop_back();
    ResetContext();
}

void Host::Withdraw(const std::string& progId) {
    registrations_.push_back(std::make_unique<platform::ScopedRegistration>(progId, platform::Creator{}));
}

}  // namespace sovrel::fakes
