#pragma once
// The rows of one query for a rowset that does not hold them all: counted by the server and
// read a page at a time, in the query's order, into a few cached pages. Every read happens in
// one snapshot of the database taken when the rows are opened, on a connection of their own,
// so the count and every page agree however often a page is read again: a row never shows
// twice or goes missing because another user wrote meanwhile.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/field.h"

namespace platform::db {

class Backend;
class RowReader;
class RowStore;

class PagedRows {
public:
    // Rows a page holds, and pages kept.
    static constexpr std::size_t kPageRows = 500;
    static constexpr std::size_t kPages = 8;

    // Counts the query (one T-SQL SELECT) and reads its first page on a snapshot of backend's
    // current database. rename gives the fields their names as the statement spells them.
    // Throws platform::Error as opening a rowset does.
    static std::shared_ptr<PagedRows> Open(Backend& backend, std::string_view tsql,
                                           void (*rename)(std::vector<FieldInfo>&, std::string_view));
    ~PagedRows();

    std::size_t Count() const { return count_; }
    // The fields, their computed types settled from the first page.
    const std::vector<FieldInfo>& Fields() const { return fields_; }
    // The page holding row (0-based, below Count()) and the row's index in it; valid until the
    // next call. Throws platform::Error when the page cannot be read.
    const RowStore& Row(std::size_t row, std::size_t& local);
    // Whether a page is found by the base table's key (else by reading on from the start).
    bool Keyed() const { return !pageBefore_.empty(); }

private:
    PagedRows() = default;
    struct Page {
        std::size_t first = 0;
        std::unique_ptr<RowStore> rows;
        std::uint64_t used = 0;
    };
    std::unique_ptr<RowStore> Load(std::size_t first, std::size_t rows);
    // Puts a page in the cache in place of the one used longest ago.
    std::vector<Page>::iterator Keep(std::size_t first, std::unique_ptr<RowStore> rows);
    std::unique_ptr<RowStore> ReadOn(std::size_t first, std::size_t rows);
    // Keeps up to want of the first limit rows found by key as the cache's first pages (the first
    // page settles the types), their count in got; true when a row came past those kept.
    bool FirstRowsByKey(std::size_t limit, std::size_t want, std::size_t& got);
    // Reads the first pages by key, as many as the cache holds; true when they are every row.
    bool FirstPagesByKey();

    std::shared_ptr<Backend> snapshot_;
    std::string readerSql_;                // the query in a total order (native)
    std::string pageBefore_, pageAfter_;   // the page statement around its LIMIT count (native)
    std::unique_ptr<RowReader> reader_;
    std::size_t readerAt_ = 0;             // rows the reader has passed
    std::size_t lastLoaded_ = 0;           // first row of the page read last
    std::size_t onward_ = 0;               // pages read in a row, each after the one before
    enum class Sorts { Unknown, No, Yes } sorts_ = Sorts::Unknown;  // the reader's query, by its plan
    std::size_t count_ = 0;
    std::vector<FieldInfo> fields_;
    std::vector<Page> pages_;
    std::uint64_t tick_ = 0;
};

}  // namespace platform::db
