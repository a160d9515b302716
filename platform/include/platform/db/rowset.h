#pragma once
// Rowsets: a client static rowset holds every row in memory (scrollable, counted, clonable,
// filterable, pageable, writable back with optimistic locking); a paged one behaves the same
// while it reads its rows a page at a time and keeps a few pages; a forward-only rowset reads
// the server's rows once, in order. A detached rowset has fields and rows but no connection.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/field.h"
#include "platform/db/value.h"

namespace platform::db {

class Backend;
class RowStore;
class Cursor;
class PagedRows;
struct RowsetData;

class Rowset {
public:
    ~Rowset();
    Rowset(const Rowset&) = delete;
    Rowset& operator=(const Rowset&) = delete;

    // A detached, empty rowset with these fields; rows added to it live in memory only.
    static std::shared_ptr<Rowset> CreateDetached(std::vector<FieldInfo> fields);
    // For the layer: a client rowset over fetched rows, or a forward-only one over a cursor.
    static std::shared_ptr<Rowset> CreateClient(std::shared_ptr<Backend> backend,
                                                std::vector<FieldInfo> fields,
                                                std::unique_ptr<RowStore> rows);
    // A client rowset whose rows are read a page at a time as they are reached.
    static std::shared_ptr<Rowset> CreatePaged(std::shared_ptr<Backend> backend, std::shared_ptr<PagedRows> rows);
    static std::shared_ptr<Rowset> CreateForward(std::shared_ptr<Backend> backend,
                                                 std::unique_ptr<Cursor> cursor);

    // A new client rowset with this one's fields and connection and no rows: what
    // "SELECT TOP 0 * FROM t" opens, without asking the database again.
    std::shared_ptr<Rowset> EmptyCopy() const;

    bool IsForwardOnly() const;
    bool IsOpen() const;
    void Close();

    // Fields
    std::size_t FieldCount() const;
    const FieldInfo& Field(std::size_t index) const;
    const std::vector<FieldInfo>& Fields() const;
    // Position of a field (name compared without regard to case); -1 when absent.
    int FieldIndex(std::string_view name) const;
    // Values of the current row. Throws ItemNotFound for an unknown name, NoCurrentRecord at
    // BOF/EOF.
    Value Get(std::size_t index) const;
    Value Get(std::string_view name) const;
    Value operator[](std::string_view name) const { return Get(name); }
    // Changes a value of the current row (or of the row being added); written by Update. The value
    // is converted to the field's type here: a text that is no number, flag or date for such a
    // field, or longer than a text field, throws platform::Error and changes nothing.
    void Set(std::size_t index, const Value& value);
    void Set(std::string_view name, const Value& value);

    // Moves
    bool Bof() const;  // the original BOF/EOF (EOF is a C macro)
    bool Eof() const;
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    void Move(long rows);
    // Rows in the (filtered) view; -1 for a forward-only rowset.
    long RecordCount() const;
    // 1-based position in the view; -1 at BOF/EOF or when unknown.
    long AbsolutePosition() const;
    void SetAbsolutePosition(long position);

    // Another cursor over the same rows (changes are seen by both); starts at the first row
    // with no filter.
    std::shared_ptr<Rowset> Clone() const;
    // An empty detached rowset with the same fields.
    std::shared_ptr<Rowset> StructureCopy() const;

    // Criteria "Field='value'" (also <>, <, >, <=, >=, LIKE with * or %, numbers, #dates#,
    // Null) joined by AND / OR with parentheses; "" removes the filter. Text compares without
    // regard to case. Leaves the rowset on the first matching row.
    void SetFilter(std::string_view criteria);
    const std::string& Filter() const;

    // Paging: rows per page (default 10), pages in the view, page of the current row.
    void SetPageSize(long size);
    long PageSize() const;
    long PageCount() const;
    long AbsolutePage() const;  // -1 at BOF/EOF
    void SetAbsolutePage(long page);

    // Editing: AddNew starts a new row, Set changes values, Update writes (INSERT or an UPDATE
    // that finds the row by key and its original values or row version; a row changed or gone
    // meanwhile raises RowChanged). Moving away from an edited row updates it first.
    void AddNew();
    void Update();
    // Appends the current row of source (same fields, in the same order) to this detached rowset
    // and moves onto it. The values are a database's own rows, so no field checks them: a stored
    // text longer than its field is copied as stored rather than refused.
    void AppendCopy(const Rowset& source);
    void CancelUpdate();
    bool EditPending() const;

private:
    Rowset();
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// True when there is a rowset and it holds a row (a failed query answers none).
inline bool HasRows(const std::shared_ptr<Rowset>& rowset) { return rowset && !(rowset->Bof() && rowset->Eof()); }

// The first text of the rowset's current row that is longer than its field, as "the text for
// field F is N characters long; the field holds M"; "" when every text fits.
std::string OverlongField(const Rowset& rowset);

}  // namespace platform::db
