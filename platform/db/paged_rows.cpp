#include "paged_rows.h"

#include <algorithm>

#include "backend.h"
#include "platform/db/dialect.h"
#include "platform/error.h"
#include "row_store.h"

namespace platform::db {

namespace {

// The TOP of the page statement's key list, found again in its translation to put the page's
// size and offset in its place.
constexpr std::string_view kMark = "987654321";
// Rows the reader reads over rather than have the server find a page by its key.
constexpr std::size_t kReadOver = 2 * PagedRows::kPageRows;
// Pages in a row, each the one after the last, that make the reader go on from there.
constexpr std::size_t kOnward = 2;

std::string Native(Backend& backend, const std::string& tsql) {
    auto steps = backend.dialect().Translate(tsql);
    if (steps.size() != 1 || steps[0].kind != Step::Kind::Statement || !steps[0].returnsRows)
        throw Error(errnum::InvalidOperation, "Connection.OpenRowset", "only a single query can be read a page at a time");
    return steps[0].sql;
}

std::string Bracketed(const std::string& name) {
    std::string out = "[";
    for (char c : name) {
        out += c;
        if (c == ']') out += ']';
    }
    return out + "]";
}

// A cursor read in pieces: rows passed over are stepped through without being copied.
class CursorReader : public RowReader {
public:
    explicit CursorReader(std::unique_ptr<Cursor> cursor) : cursor_(std::move(cursor)) {}
    const std::vector<FieldInfo>& Fields() const override { return cursor_->Fields(); }
    void RenameField(std::size_t column, std::string name) override { cursor_->RenameField(column, std::move(name)); }
    std::size_t Skip(std::size_t n) override {
        std::size_t passed = 0;
        while (passed < n && cursor_->Next()) ++passed;
        return passed;
    }
    std::size_t Read(std::size_t n, RowStore& store, std::vector<FieldInfo>& fields) override {
        return cursor_->Fetch(store, fields, n);
    }

private:
    std::unique_ptr<Cursor> cursor_;
};

}  // namespace

std::unique_ptr<RowReader> Backend::ReadRows(const std::string& sql) { return std::make_unique<CursorReader>(Query(sql)); }

PagedRows::~PagedRows() = default;

std::shared_ptr<PagedRows> PagedRows::Open(Backend& backend, std::string_view tsql,
                                           void (*rename)(std::vector<FieldInfo>&, std::string_view)) {
    const PagingPlan plan = PlanPaging(tsql);
    std::shared_ptr<PagedRows> p(new PagedRows());
    std::string reader(tsql);
    if (plan.keyed) {
        // In the order asked, then by the key, so that every read of the rows puts them in the
        // same order; a page's keys are found without the lookups that only fill columns.
        const std::vector<std::string> key = backend.PrimaryKey(plan.baseTable);
        if (key.size() == 1) {
            const std::string k = plan.baseName + "." + Bracketed(key[0]);
            const std::string where = plan.where.empty() ? std::string() : " WHERE " + plan.where;
            const std::string order = " ORDER BY " + (plan.orderBy.empty() ? k : plan.orderBy + ", " + k);
            reader = "SELECT " + plan.selectList + " " + plan.from + where + order;
            const std::string page = "SELECT " + plan.selectList + " " + plan.from + " WHERE " + k + " IN (SELECT TOP " +
                                     std::string(kMark) + " " + k + " " + plan.from + where + " ORDER BY " +
                                     (plan.keyOrder.empty() ? k : plan.keyOrder + ", " + k) + ")" + order;
            const std::string native = Native(backend, page);
            const std::size_t at = native.find(kMark);
            if (at != std::string::npos && native.find(kMark, at + 1) == std::string::npos && at >= 6 && native.substr(at - 6, 6) == "LIMIT ") {
                p->pageBefore_ = native.substr(0, at);
                p->pageAfter_ = native.substr(at + kMark.size());
            }
        }
    }
    p->readerSql_ = Native(backend, reader);
    // Lookups of one row each change no count: left out, the server reads fewer columns.
    bool lookupsOnly = !plan.lookups.empty();
    for (const auto& lookup : plan.lookups) lookupsOnly = lookupsOnly && backend.UniqueColumn(lookup.table, lookup.column);
    const std::string count = Native(backend, lookupsOnly ? plan.countWithoutLookups : plan.count);

    p->snapshot_ = backend.OpenSnapshot();
    std::size_t counted = 0;
    if (p->Keyed() && p->snapshot_->SortsEveryRow(p->readerSql_)) {
        p->sorts_ = Sorts::Yes;
        bool rowPerKey = plan.onlyLookupJoins;
        for (const auto& join : plan.joins) rowPerKey = rowPerKey && backend.UniqueColumn(join.table, join.column);
        const bool whole = rowPerKey && p->FirstPagesByKey();
        if (!whole) {
            auto c = p->snapshot_->Query(count);
            counted = c->Next() ? static_cast<std::size_t>(std::max<std::int64_t>(0, c->Get(0).ToInt())) : 0;
            c.reset();
        }
        if (rowPerKey) {
            // The first pages are read: a longer list needs only its count.
            if (!whole) p->count_ = counted;
            if (rename) rename(p->fields_, tsql);
            return p;
        }
    }
    if (counted > kPages * kPageRows) {
        // No index gives the order: the reader would sort every row, all its columns, before the
        // first. The server finds the first page's keys instead, keeping only that many. (Fewer
        // rows than the cache holds are sorted and read whole by the reader in one pass.)
        p->count_ = counted;
        const std::size_t want = std::min(kPageRows, p->count_);
        std::size_t got = 0;
        // The keys bring back their rows: as many as asked when each key is one row's.
        if (!p->FirstRowsByKey(want, want, got) && got == want) {
            if (rename) rename(p->fields_, tsql);
            return p;
        }
        // A join repeats the base table's rows: read on from the start instead.
        p->pages_.clear();
        p->lastLoaded_ = 0;
        p->pageBefore_.clear();
    }
    // The first read fixes the snapshot. A list the cache holds whole is read in one pass and
    // its rows counted as they come; a longer one the server counts.
    p->reader_ = p->snapshot_->ReadRows(p->readerSql_);
    p->fields_ = p->reader_->Fields();
    for (std::size_t k = 0; k < kPages; ++k) {
        auto page = std::make_unique<RowStore>(p->fields_.size());
        std::vector<FieldInfo> scratch = p->fields_;  // the first page settles the types
        const std::size_t got = p->reader_->Read(kPageRows, *page, k == 0 ? p->fields_ : scratch);
        if (got == 0 && k > 0) break;
        p->readerAt_ += got;
        p->lastLoaded_ = k * kPageRows;
        p->pages_.push_back({k * kPageRows, std::move(page), ++p->tick_});
        if (got < kPageRows) break;
    }
    p->count_ = p->readerAt_;
    if (p->readerAt_ == kPages * kPageRows) {
        auto c = p->snapshot_->Query(count);
        p->count_ = c->Next() ? static_cast<std::size_t>(std::max<std::int64_t>(0, c->Get(0).ToInt())) : 0;
    }
    if (rename) rename(p->fields_, tsql);
    return p;
}

const RowStore& PagedRows::Row(std::size_t row, std::size_t& local) {
    if (row >= count_)
        throw Error(errnum::NoCurrentRecord, "Rowset", "row " + std::to_string(row + 1) + " is past the rowset's " +
                                                           std::to_string(count_) + " rows");
    const std::size_t first = row / kPageRows * kPageRows;
    auto it = std::find_if(pages_.begin(), pages_.end(), [&](const Page& p) { return p.first == first; });
    if (it == pages_.end()) {
        auto rows = Load(first, std::min(kPageRows, count_ - first));
        it = Keep(first, std::move(rows));
    }
    it->used = ++tick_;
    local = row - first;
    if (local >= it->rows->Rows())
        throw Error(errnum::NoCurrentRecord, "Rowset", "row " + std::to_string(row + 1) + " could not be read again");
    return *it->rows;
}

std::vector<PagedRows::Page>::iterator PagedRows::Keep(std::size_t first, std::unique_ptr<RowStore> rows) {
    auto it = pages_.end();
    if (pages_.size() < kPages) {
        pages_.push_back({});
        it = pages_.end() - 1;
    } else {
        it = std::min_element(pages_.begin(), pages_.end(), [](const Page& a, const Page& b) { return a.used < b.used; });
    }
    it->first = first;
    it->rows = std::move(rows);
    it->used = ++tick_;
    return it;
}

std::unique_ptr<RowStore> PagedRows::Load(std::size_t first, std::size_t rows) {
    // A page found by its key costs the server a pass over the keys before it: cheap for a jump,
    // but not page after page through the rest of the list. Rows read on in order go by the
    // reader, brought there once.
    onward_ = first == lastLoaded_ + kPageRows ? onward_ + 1 : 0;
    lastLoaded_ = first;
    // A reader that sorts every row is worth its sort only to a walk through the list.
    const std::size_t onward = sorts_ == Sorts::Yes ? kPages : kOnward;
    if ((reader_ && readerAt_ <= first && first - readerAt_ <= kReadOver) || !Keyed() || onward_ >= onward)
        return ReadOn(first, rows);
    // A list that no index orders is sorted whole for each page found by key, while its reader
    // has sorted it once: ahead of the reader, reading on is the cheaper way.
    if (sorts_ == Sorts::Unknown) sorts_ = snapshot_->SortsEveryRow(readerSql_) ? Sorts::Yes : Sorts::No;
    if (sorts_ == Sorts::Yes && reader_ && readerAt_ <= first) return ReadOn(first, rows);
    // Where the server sorts every row for a page, the pages after it come with it for about the
    // same cost, as many as the cache keeps besides.
    const std::size_t want = sorts_ == Sorts::Yes ? std::min((kPages - 1) * kPageRows, count_ - first) : rows;
    auto c = snapshot_->Query(pageBefore_ + std::to_string(want) + " OFFSET " + std::to_string(first) + pageAfter_);
    std::vector<std::pair<std::size_t, std::unique_ptr<RowStore>>> pages;
    std::size_t got = 0;
    while (got < want || pages.empty()) {
        auto store = std::make_unique<RowStore>(fields_.size());
        std::vector<FieldInfo> scratch = fields_;  // the first page's types stay
        const std::size_t n = c->Fetch(*store, scratch, std::min(kPageRows, want - got));
        pages.emplace_back(first + got, std::move(store));
        got += n;
        if (n < kPageRows) break;
    }
    // The keys bring back their rows: as many as asked when each key is one row's. A join that
    // repeats the base table's rows gives more, and the rows are read on instead.
    RowStore past(fields_.size());
    std::vector<FieldInfo> scratch = fields_;
    if (got == want && c->Fetch(past, scratch, 1) == 0) {
        for (std::size_t k = 1; k < pages.size(); ++k) Keep(pages[k].first, std::move(pages[k].second));
        lastLoaded_ = pages.back().first;
        return std::move(pages.front().second);
    }
    pageBefore_.clear();
    return ReadOn(first, rows);
}

bool PagedRows::FirstRowsByKey(std::size_t limit, std::size_t want, std::size_t& got) {
    auto first = snapshot_->Query(pageBefore_ + std::to_string(limit) + " OFFSET 0" + pageAfter_);
    fields_ = first->Fields();
    got = 0;
    for (std::size_t k = 0; k == 0 || got < want; ++k) {
        auto page = std::make_unique<RowStore>(fields_.size());
        std::vector<FieldInfo> scratch = fields_;  // the first page settles the types
        const std::size_t n = first->Fetch(*page, k == 0 ? fields_ : scratch, std::min(kPageRows, want - got));
        if (n == 0 && k > 0) break;
        got += n;
        lastLoaded_ = k * kPageRows;
        pages_.push_back({k * kPageRows, std::move(page), ++tick_});
        if (n < kPageRows) break;
    }
    RowStore past(fields_.size());
    std::vector<FieldInfo> scratch = fields_;
    return first->Fetch(past, scratch, 1) > 0;
}

bool PagedRows::FirstPagesByKey() {
    // The keys of as many rows as the cache holds and one more, found by the server in one pass
    // over the rows, sorting only keys: a list of fewer is had whole, counted as it comes,
    // without the pass of a count before it (a search reads every contact's text in each). A
    // longer list is counted by the server, and the pages read stay.
    const std::size_t cap = kPages * kPageRows;
    std::size_t got = 0;
    if (FirstRowsByKey(cap + 1, cap, got)) return false;
    count_ = got;
    return true;
}

std::unique_ptr<RowStore> PagedRows::ReadOn(std::size_t first, std::size_t rows) {
    try {
        if (!reader_ || first < readerAt_) {
            reader_.reset();  // a server cursor is closed before its successor opens
            readerAt_ = 0;
            reader_ = snapshot_->ReadRows(readerSql_);
        }
        readerAt_ += reader_->Skip(first - readerAt_);
        auto store = std::make_unique<RowStore>(fields_.size());
        std::vector<FieldInfo> scratch = fields_;
        readerAt_ += reader_->Read(rows, *store, scratch);
        return store;
    } catch (...) {
        // Where a failed read left the reader is not known: the next read starts again.
        reader_.reset();
        readerAt_ = 0;
        throw;
    }
}

}  // namespace platform::db
