#pragma once
// Compact cell storage of a client rowset: 16 bytes a cell, texts in a chunked arena, so that
// 100,000 rows of 20 fields cost little more than their text.
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/db/value.h"

namespace platform::db {

class RowStore {
public:
    explicit RowStore(std::size_t columns) : columns_(columns) {}
    RowStore(const RowStore&) = delete;
    RowStore& operator=(const RowStore&) = delete;

    std::size_t Columns() const { return columns_; }
    std::size_t Rows() const { return columns_ ? cells_.size() / columns_ : rows_; }

    // Appends a row of Nulls and answers its index.
    std::size_t AppendRow();
    void Reserve(std::size_t rows) { cells_.reserve(rows * columns_); }

    void SetNull(std::size_t row, std::size_t col) { cell(row, col) = Cell{}; }
    void SetInt(std::size_t row, std::size_t col, std::int64_t v);
    void SetBool(std::size_t row, std::size_t col, bool v);
    void SetDouble(std::size_t row, std::size_t col, double v);
    void SetText(std::size_t row, std::size_t col, std::string_view v);
    void SetDate(std::size_t row, std::size_t col, const DateTime& v);
    void Set(std::size_t row, std::size_t col, const Value& v);

    Value Get(std::size_t row, std::size_t col) const;
    Value::Kind KindAt(std::size_t row, std::size_t col) const {
        return static_cast<Value::Kind>(cells_[row * columns_ + col].kind);
    }
    // Text of a text cell without copying; empty for other kinds.
    std::string_view TextAt(std::size_t row, std::size_t col) const;

    // Bytes held (cells and arena), for measurements.
    std::size_t MemoryUsed() const;

private:
    struct Cell {
        union {
            std::int64_t i;
            double d;
            const char* p;
        };
        std::uint32_t len = 0;
        std::uint8_t kind = static_cast<std::uint8_t>(Value::Kind::Null);
        Cell() : i(0) {}
    };
    static_assert(sizeof(Cell) == 16);

    Cell& cell(std::size_t row, std::size_t col) { return cells_[row * columns_ + col]; }
    const char* Store(std::string_view text);

    std::size_t columns_;
    std::size_t rows_ = 0;  // only for rowsets without fields
    std::vector<Cell> cells_;
    std::vector<std::unique_ptr<char[]>> chunks_;
    std::size_t chunkUsed_ = 0, chunkSize_ = 0, arenaBytes_ = 0;
};

}  // namespace platform::db
