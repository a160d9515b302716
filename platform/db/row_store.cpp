#include "row_store.h"

#include <algorithm>
#include <cstring>

namespace platform::db {

namespace {
// Chunks grow from small to large: most rowsets are a few rows, the list is 100,000.
constexpr std::size_t kFirstChunk = 4 * 1024;
constexpr std::size_t kChunk = 256 * 1024;
}

std::size_t RowStore::AppendRow() {
    std::size_t row = Rows();
    if (columns_ == 0) {
        ++rows_;
        return row;
    }
    cells_.resize(cells_.size() + columns_);
    return row;
}

const char* RowStore::Store(std::string_view text) {
    if (text.empty()) return "";
    if (text.size() > kChunk / 4) {  // big texts get their own block so chunks stay dense
        chunks_.insert(chunks_.begin(), std::make_unique_for_overwrite<char[]>(text.size()));
        std::memcpy(chunks_.front().get(), text.data(), text.size());
        arenaBytes_ += text.size();
        return chunks_.front().get();
    }
    if (chunks_.empty() || chunkUsed_ + text.size() > chunkSize_) {
        // Not zeroed: every byte handed out is written first.
        std::size_t size = chunkSize_ == 0 ? kFirstChunk : std::min(chunkSize_ * 2, kChunk);
        while (size < text.size()) size *= 2;
        chunks_.push_back(std::make_unique_for_overwrite<char[]>(size));
        chunkUsed_ = 0;
        chunkSize_ = size;
        arenaBytes_ += size;
    }
    char* p = chunks_.back().get() + chunkUsed_;
    std::memcpy(p, text.data(), text.size());
    chunkUsed_ += text.size();
    return p;
}

void RowStore::SetInt(std::size_t row, std::size_t col, std::int64_t v) {
    Cell& c = cell(row, col);
    c.i = v;
    c.kind = static_cast<std::uint8_t>(Value::Kind::Integer);
}

void RowStore::SetBool(std::size_t row, std::size_t col, bool v) {
    Cell& c = cell(row, col);
    c.i = v ? 1 : 0;
    c.kind = static_cast<std::uint8_t>(Value::Kind::Boolean);
}

void RowStore::SetDouble(std::size_t row, std::size_t col, double v) {
    Cell& c = cell(row, col);
    c.d = v;
    c.kind = static_cast<std::uint8_t>(Value::Kind::Double);
}

void RowStore::SetText(std::size_t row, std::size_t col, std::string_view v) {
    const char* p = Store(v);
    Cell& c = cell(row, col);
    c.p = p;
    c.len = static_cast<std::uint32_t>(v.size());
    c.kind = static_cast<std::uint8_t>(Value::Kind::Text);
}

void RowStore::SetDate(std::size_t row, std::size_t col, const DateTime& v) {
    Cell& c = cell(row, col);
    c.i = v.Serial();
    c.kind = static_cast<std::uint8_t>(Value::Kind::Date);
}

void RowStore::Set(std::size_t row, std::size_t col, const Value& v) {
    switch (v.kind()) {
        case Value::Kind::Empty: {
            Cell& c = cell(row, col);
            c = Cell{};
            c.kind = static_cast<std::uint8_t>(Value::Kind::Empty);
            break;
        }
        case Value::Kind::Null: SetNull(row, col); break;
        case Value::Kind::Boolean: SetBool(row, col, v.ToBool()); break;
        case Value::Kind::Integer: SetInt(row, col, v.ToInt()); break;
        case Value::Kind::Double: SetDouble(row, col, v.ToDouble()); break;
        case Value::Kind::Text: SetText(row, col, *v.AsText()); break;
        case Value::Kind::Date: SetDate(row, col, *v.ToDate()); break;
    }
}

Value RowStore::Get(std::size_t row, std::size_t col) const {
    const Cell& c = cells_[row * columns_ + col];
    switch (static_cast<Value::Kind>(c.kind)) {
        case Value::Kind::Empty: return Value();
        case Value::Kind::Null: return Value::Null();
        case Value::Kind::Boolean: return Value(c.i != 0);
        case Value::Kind::Integer: return Value(static_cast<long long>(c.i));
        case Value::Kind::Double: return Value(c.d);
        case Value::Kind::Text: return Value(std::string_view(c.p, c.len));
        case Value::Kind::Date: return Value(DateTime::FromSerial(c.i));
    }
    return Value();
}

std::string_view RowStore::TextAt(std::size_t row, std::size_t col) const {
    const Cell& c = cells_[row * columns_ + col];
    if (static_cast<Value::Kind>(c.kind) != Value::Kind::Text) return {};
    return {c.p, c.len};
}

std::size_t RowStore::MemoryUsed() const {
    return cells_.capacity() * sizeof(Cell) + arenaBytes_ + chunks_.capacity() * sizeof(void*);
}

}  // namespace platform::db
