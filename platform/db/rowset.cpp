#include "platform/db/rowset.h"

#include <algorithm>
#include <unordered_map>

#include "backend.h"
#include "coerce.h"
#include "filter.h"
#include "paged_rows.h"
#include "platform/error.h"
#include "platform/text.h"
#include "row_store.h"

namespace platform::db {

namespace {
constexpr long kPosBOF = -2;  // the original layer's adPosBOF / adPosEOF
constexpr long kPosEOF = -3;
}  // namespace

// Rows and fields shared by a rowset and its clones.
struct RowsetData {
    std::vector<FieldInfo> fields;
    std::unique_ptr<RowStore> store;
    std::shared_ptr<Backend> backend;  // nullptr: detached
    std::unordered_map<std::string, int> byName;  // folded name -> position
    // Rows read a page at a time (store then holds only the rows added after them), and those
    // of them written through the rowset since, one row a store.
    std::shared_ptr<PagedRows> paged;
    std::unordered_map<std::size_t, std::unique_ptr<RowStore>> written;

    void IndexNames() {
        for (std::size_t i = 0; i < fields.size(); ++i) byName.emplace(text::LCase(fields[i].name), static_cast<int>(i));
    }
    std::size_t PagedCount() const { return paged ? paged->Count() : 0; }
    std::size_t Rows() const { return PagedCount() + store->Rows(); }
    // The store holding row, and the row's index in it (valid until the next call).
    const RowStore& At(std::size_t row, std::size_t& local) {
        if (row >= PagedCount()) {
            local = row - PagedCount();
            return *store;
        }
        if (auto it = written.find(row); it != written.end()) {
            local = 0;
            return *it->second;
        }
        return paged->Row(row, local);
    }
    Value Get(std::size_t row, std::size_t col) {
        std::size_t local = 0;
        const RowStore& rows = At(row, local);
        return rows.Get(local, col);
    }
    void SetRow(std::size_t row, const std::vector<Value>& values) {
        RowStore* target = store.get();
        std::size_t local = row - PagedCount();
        if (row < PagedCount()) {
            auto& one = written[row];
            if (!one) {
                one = std::make_unique<RowStore>(fields.size());
                one->AppendRow();
            }
            target = one.get();
            local = 0;
        }
        for (std::size_t i = 0; i < values.size(); ++i) target->Set(local, i, values[i]);
    }
    std::size_t AppendRow() { return PagedCount() + store->AppendRow(); }
};

struct Rowset::Impl {
    std::shared_ptr<RowsetData> data;
    // forward-only
    std::unique_ptr<Cursor> cursor;
    std::shared_ptr<Backend> cursorBackend;
    bool cursorEof = false;

    bool open = true;
    bool filtered = false;
    std::vector<std::size_t> view;
    std::string filter;
    long pos = 0;  // index in the view; -1 before the first row, Count() after the last
    long pageSize = 10;

    enum class Edit { None, Changing, Adding } edit = Edit::None;
    std::vector<Value> buffer;
    std::vector<char> changed;

    long Count() const {
        return filtered ? static_cast<long>(view.size()) : static_cast<long>(data->Rows());
    }
    std::size_t RowAt(long i) const { return filtered ? view[static_cast<std::size_t>(i)] : static_cast<std::size_t>(i); }
    bool AtRow() const { return cursor ? !cursorEof : (pos >= 0 && pos < Count()); }
};

Rowset::Rowset() : impl_(std::make_unique<Impl>()) {}
Rowset::~Rowset() = default;

std::shared_ptr<Rowset> Rowset::CreateDetached(std::vector<FieldInfo> fields) {
    return CreateClient(nullptr, std::move(fields), nullptr);
}

std::shared_ptr<Rowset> Rowset::EmptyCopy() const {
    return CreateClient(impl_->data->backend, impl_->data->fields, nullptr);
}

std::shared_ptr<Rowset> Rowset::CreateClient(std::shared_ptr<Backend> backend,
                                             std::vector<FieldInfo> fields, std::unique_ptr<RowStore> rows) {
    std::shared_ptr<Rowset> r(new Rowset());
    auto data = std::make_shared<RowsetData>();
    data->store = rows ? std::move(rows) : std::make_unique<RowStore>(fields.size());
    data->fields = std::move(fields);
    data->backend = std::move(backend);
    data->IndexNames();
    r->impl_->data = std::move(data);
    return r;
}

std::shared_ptr<Rowset> Rowset::CreatePaged(std::shared_ptr<Backend> backend, std::shared_ptr<PagedRows> rows) {
    auto r = CreateClient(std::move(backend), rows->Fields(), nullptr);
    r->impl_->data->paged = std::move(rows);
    return r;
}

std::shared_ptr<Rowset> Rowset::CreateForward(std::shared_ptr<Backend> backend, std::unique_ptr<Cursor> cursor) {
    std::shared_ptr<Rowset> r(new Rowset());
    auto data = std::make_shared<RowsetData>();
    data->fields = cursor->Fields();
    data->store = std::make_unique<RowStore>(data->fields.size());
    data->IndexNames();
    r->impl_->data = std::move(data);
    r->impl_->cursorEof = !cursor->Next();
    r->impl_->cursor = std::move(cursor);
    r->impl_->cursorBackend = std::move(backend);
    return r;
}

bool Rowset::IsForwardOnly() const { return impl_->cursor != nullptr; }
bool Rowset::IsOpen() const { return impl_->open; }

void Rowset::Close() {
    impl_->cursor.reset();
    impl_->cursorBackend.reset();
    impl_->open = false;
}

namespace {
[[noreturn]] void Throw(long number, const std::string& what) { throw Error(number, "Rowset", what); }
}  // namespace

std::size_t Rowset::FieldCount() const { return impl_->data->fields.size(); }
const std::vector<FieldInfo>& Rowset::Fields() const { return impl_->data->fields; }

const FieldInfo& Rowset::Field(std::size_t index) const {
    if (index >= FieldCount())
        Throw(errnum::ItemNotFound, "field position " + std::to_string(index) + " is out of range: the rowset has " +
                                        std::to_string(FieldCount()) + " fields");
    return impl_->data->fields[index];
}

int Rowset::FieldIndex(std::string_view name) const {
    auto& by = impl_->data->byName;
    auto it = by.find(text::LCase(name));
    return it == by.end() ? -1 : it->second;
}

static std::size_t Require(const Rowset& r, std::string_view name) {
    int i = r.FieldIndex(name);
    if (i < 0) Throw(errnum::ItemNotFound, "the rowset has no field named '" + std::string(name) + "'");
    return static_cast<std::size_t>(i);
}

Value Rowset::Get(std::size_t index) const {
    Field(index);
    if (!impl_->open) Throw(errnum::InvalidOperation, "the rowset is closed");
    if (impl_->edit != Impl::Edit::None) return impl_->buffer[index];
    if (impl_->cursor) {
        if (impl_->cursorEof) Throw(errnum::NoCurrentRecord, "no current row: the rowset is at EOF");
        return impl_->cursor->Get(index);
    }
    if (!impl_->AtRow())
        Throw(errnum::NoCurrentRecord, impl_->pos < 0 ? "no current row: the rowset is at BOF" : "no current row: the rowset is at EOF");
    return impl_->data->Get(impl_->RowAt(impl_->pos), index);
}

Value Rowset::Get(std::string_view name) const { return Get(Require(*this, name)); }

void Rowset::Set(std::size_t index, const Value& value) {
    Field(index);
    if (impl_->cursor) Throw(errnum::InvalidOperation, "the rowset is forward-only and read-only");
    if (impl_->edit == Impl::Edit::None) {
        if (!impl_->AtRow()) Throw(errnum::NoCurrentRecord, "no current row to change: the rowset is at BOF or EOF");
        impl_->edit = Impl::Edit::Changing;
        std::size_t row = impl_->RowAt(impl_->pos);
        impl_->buffer.clear();
        for (std::size_t i = 0; i < FieldCount(); ++i) impl_->buffer.push_back(impl_->data->Get(row, i));
        impl_->changed.assign(FieldCount(), 0);
    }
    // Converted on assignment, as the original layer did: a bad value fails here, in the call
    // that gave it, and the row keeps its other values.
    impl_->buffer[index] = CoerceForField(value, impl_->data->fields[index]);
    impl_->changed[index] = 1;
}

void Rowset::Set(std::string_view name, const Value& value) { Set(Require(*this, name), value); }

bool Rowset::Bof() const {
    if (impl_->cursor) return false;
    return impl_->pos < 0 || impl_->Count() == 0;
}

bool Rowset::Eof() const {
    if (impl_->cursor) return impl_->cursorEof;
    return impl_->pos >= impl_->Count();
}

void Rowset::MoveFirst() {
    if (impl_->cursor) Throw(errnum::InvalidOperation, "the rowset is forward-only: it cannot move back to its first row");
    Update();
    impl_->pos = 0;
}

void Rowset::MoveLast() {
    if (impl_->cursor) Throw(errnum::InvalidOperation, "the rowset is forward-only: use MoveNext");
    Update();
    impl_->pos = impl_->Count() > 0 ? impl_->Count() - 1 : 0;
}

void Rowset::MoveNext() {
    if (impl_->cursor) {
        if (impl_->cursorEof) Throw(errnum::NoCurrentRecord, "cannot move past EOF");
        impl_->cursorEof = !impl_->cursor->Next();
        return;
    }
    if (Eof()) Throw(errnum::NoCurrentRecord, "cannot move past EOF");
    Update();
    ++impl_->pos;
}

void Rowset::MovePrevious() {
    if (impl_->cursor) Throw(errnum::InvalidOperation, "the rowset is forward-only: it cannot move back");
    if (impl_->pos < 0 || impl_->Count() == 0) Throw(errnum::NoCurrentRecord, "cannot move before BOF");
    Update();
    --impl_->pos;
}

void Rowset::Move(long rows) {
    if (impl_->cursor) {
        if (rows < 0) Throw(errnum::InvalidOperation, "the rowset is forward-only: it cannot move back");
        while (rows-- > 0 && !impl_->cursorEof) impl_->cursorEof = !impl_->cursor->Next();
        return;
    }
    Update();
    long target = impl_->pos + rows;
    impl_->pos = std::clamp(target, -1L, impl_->Count());
}

long Rowset::RecordCount() const { return impl_->cursor ? -1 : impl_->Count(); }

long Rowset::AbsolutePosition() const {
    if (impl_->cursor) return -1;
    if (impl_->Count() == 0 || impl_->pos < 0) return kPosBOF;
    if (impl_->pos >= impl_->Count()) return kPosEOF;
    return impl_->pos + 1;
}

void Rowset::SetAbsolutePosition(long position) {
    if (impl_->cursor) Throw(errnum::InvalidOperation, "the rowset is forward-only");
    if (position < 1 || position > impl_->Count())
        Throw(errnum::InvalidOperation, "position " + std::to_string(position) + " is outside the rowset's 1.." +
                                            std::to_string(impl_->Count()));
    Update();
    impl_->pos = position - 1;
}

std::shared_ptr<Rowset> Rowset::Clone() const {
    if (impl_->cursor) Throw(errnum::InvalidOperation, "a forward-only rowset cannot be cloned");
    std::shared_ptr<Rowset> r(new Rowset());
    r->impl_->data = impl_->data;
    r->impl_->pageSize = impl_->pageSize;
    return r;
}

std::shared_ptr<Rowset> Rowset::StructureCopy() const { return CreateDetached(impl_->data->fields); }

void Rowset::SetFilter(std::string_view criteria) {
    if (impl_->cursor) Throw(errnum::InvalidOperation, "a forward-only rowset cannot be filtered");
    Update();
    std::string c = text::Trim(criteria);
    if (c.empty() || c == "0") {  // 0 is the original layer's adFilterNone
        impl_->filtered = false;
        impl_->view.clear();
        impl_->filter.clear();
        impl_->pos = 0;
        return;
    }
    auto expr = FilterExpression::Parse(c, impl_->data->fields);
    std::vector<std::size_t> view;
    // Through every row once, a page at a time when the rows are read so.
    RowsetData& data = *impl_->data;
    for (std::size_t r = 0, n = data.Rows(); r < n; ++r) {
        std::size_t local = 0;
        const RowStore& rows = data.At(r, local);
        if (expr->Matches(rows, local)) view.push_back(r);
    }
    impl_->view = std::move(view);
    impl_->filtered = true;
    impl_->filter = c;
    impl_->pos = 0;
}

const std::string& Rowset::Filter() const { return impl_->filter; }

void Rowset::SetPageSize(long size) {
    if (size < 1) Throw(errnum::InvalidOperation, "the page size must be at least 1, not " + std::to_string(size));
    impl_->pageSize = size;
}
long Rowset::PageSize() const { return impl_->pageSize; }

long Rowset::PageCount() const {
    if (impl_->cursor) return -1;
    return (impl_->Count() + impl_->pageSize - 1) / impl_->pageSize;
}

long Rowset::AbsolutePage() const {
    long p = AbsolutePosition();
    if (p < 0) return p;
    return (p - 1) / impl_->pageSize + 1;
}

void Rowset::SetAbsolutePage(long page) {
    if (impl_->cursor) Throw(errnum::InvalidOperation, "the rowset is forward-only");
    if (page < 1 || page > PageCount())
        Throw(errnum::InvalidOperation, "page " + std::to_string(page) + " is outside the rowset's 1.." +
                                            std::to_string(PageCount()));
    Update();
    impl_->pos = (page - 1) * impl_->pageSize;
}

void Rowset::AddNew() {
    if (impl_->cursor) Throw(errnum::InvalidOperation, "the rowset is forward-only and read-only");
    Update();
    impl_->edit = Impl::Edit::Adding;
    impl_->buffer.assign(FieldCount(), Value::Null());
    impl_->changed.assign(FieldCount(), 0);
}

bool Rowset::EditPending() const { return impl_->edit != Impl::Edit::None; }

void Rowset::CancelUpdate() {
    impl_->edit = Impl::Edit::None;
    impl_->buffer.clear();
    impl_->changed.clear();
}

namespace {

// The columns of one base table that a write touches, and what the rowset knows of it.
struct TableWrite {
    RowWrite row;
    std::vector<std::size_t> readBackFields;
};

bool SameName(const std::string& a, const std::string& b) { return text::EqualsNoCase(a, b); }

}  // namespace

void Rowset::Update() {
    Impl& m = *impl_;
    if (m.edit == Impl::Edit::None) return;
    auto& data = *m.data;
    const auto& fields = data.fields;

    // Coerce first: a bad value fails before anything is written, and the edit stays.
    std::vector<Value> values = m.buffer;
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (m.changed[i]) values[i] = CoerceForField(values[i], fields[i]);

    if (data.backend) {
        if (!data.backend->IsOpen())
            Throw(errnum::InvalidOperation, "the connection of this rowset was closed; open it again to write");
        Backend& backend = *data.backend;
        std::vector<TableWrite> writes;
        auto writeFor = [&](const std::string& table) -> TableWrite& {
            for (auto& w : writes)
                if (SameName(w.row.table, table)) return w;
            writes.push_back({});
            writes.back().row.table = table;
            return writes.back();
        };
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (!m.changed[i]) continue;
            if (fields[i].baseTable.empty())
                Throw(errnum::InvalidOperation, "field " + fields[i].name + " is computed by the query and cannot be written");
            TableWrite& w = writeFor(fields[i].baseTable);
            w.row.setColumns.push_back(fields[i].baseColumn);
            w.row.setValues.push_back(values[i]);
        }
        if (m.edit == Impl::Edit::Adding && writes.empty())
            for (const auto& f : fields)
                if (!f.baseTable.empty()) { writeFor(f.baseTable); break; }
        if (m.edit == Impl::Edit::Adding && writes.size() > 1)
            Throw(errnum::InvalidOperation, "a new row can be written to one table only; the changed fields belong to " +
                                                writes[0].row.table + " and " + writes[1].row.table);
        for (auto& w : writes)
            for (std::size_t i = 0; i < fields.size(); ++i)
                if (SameName(fields[i].baseTable, w.row.table)) {
                    w.row.readBack.push_back(fields[i].baseColumn);
                    w.readBackFields.push_back(i);
                }

        if (m.edit == Impl::Edit::Changing) {
            std::size_t row = m.RowAt(m.pos);
            for (auto& w : writes) {
                // Find the row by its key and, where the rowset has it, its row version; without
                // a key, by every original value of the table's fields.
                std::vector<std::string> key = backend.PrimaryKey(w.row.table);
                bool haveKey = !key.empty();
                for (const auto& k : key) {
                    bool found = false;
                    for (std::size_t i = 0; i < fields.size() && !found; ++i)
                        found = SameName(fields[i].baseTable, w.row.table) && SameName(fields[i].baseColumn, k);
                    haveKey = haveKey && found;
                }
                for (std::size_t i = 0; i < fields.size(); ++i) {
                    const FieldInfo& f = fields[i];
                    if (!SameName(f.baseTable, w.row.table)) continue;
                    bool isKey = false;
                    for (const auto& k : key) isKey = isKey || SameName(k, f.baseColumn);
                    bool isVersion = SameName(f.baseColumn, "tkts");
                    bool large = f.type == adLongVarWChar || f.type == adLongVarChar || f.type == adLongVarBinary;
                    if (isKey || isVersion || (!haveKey && !large) || (m.changed[i] && !large)) {
                        w.row.whereColumns.push_back(f.baseColumn);
                        w.row.whereValues.push_back(data.Get(row, i));
                    }
                }
            }
            for (auto& w : writes) {
                std::vector<Value> read;
                RequireUtf8(w.row, "Rowset.Update");
                long affected = backend.UpdateRow(w.row, read);
                if (affected == 0)
                    throw Error(errnum::RowChanged, "Rowset.Update",
                                "the row of " + w.row.table + " was changed or deleted by another user since it was read");
                for (std::size_t j = 0; j < read.size() && j < w.readBackFields.size(); ++j)
                    values[w.readBackFields[j]] = read[j];
            }
            data.SetRow(row, values);
        } else {
            std::vector<Value> read;
            if (!writes.empty()) {
                RequireUtf8(writes[0].row, "Rowset.Update");
                backend.InsertRow(writes[0].row, read);
            }
            for (std::size_t j = 0; j < read.size() && !writes.empty() && j < writes[0].readBackFields.size(); ++j)
                values[writes[0].readBackFields[j]] = read[j];
        }
    } else if (m.edit == Impl::Edit::Changing) {
        data.SetRow(m.RowAt(m.pos), values);
    }

    if (m.edit == Impl::Edit::Adding) {
        const std::size_t row = data.AppendRow();
        data.SetRow(row, values);
        if (m.filtered) m.view.push_back(row);
        m.pos = m.Count() - 1;
    }
    CancelUpdate();
}

void Rowset::AppendCopy(const Rowset& source) {
    Impl& m = *impl_;
    auto& data = *m.data;
    if (data.backend) Throw(errnum::InvalidOperation, "only a detached rowset takes copied rows");
    if (source.FieldCount() != FieldCount())
        Throw(errnum::InvalidOperation, "the source has " + std::to_string(source.FieldCount()) + " fields; this rowset has " +
                                            std::to_string(FieldCount()));
    if (m.edit != Impl::Edit::None) Update();
    const std::size_t row = data.store->AppendRow();
    for (std::size_t i = 0; i < FieldCount(); ++i) data.store->Set(row, i, source.Get(i));
    if (m.filtered) m.view.push_back(row);
    m.pos = m.Count() - 1;
}

std::string OverlongField(const Rowset& rowset) {
    for (std::size_t i = 0; i < rowset.FieldCount(); ++i)
        if (std::string message = OverlongText(rowset.Get(i), rowset.Field(i)); !message.empty()) return message;
    return {};
}

}  // namespace platform::db
