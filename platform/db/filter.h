#pragma once
// The rowset filter: criteria such as "cItem='自定义项1' AND (bMajor=True OR cName LIKE 'Li*')".
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/db/field.h"
#include "platform/db/value.h"

namespace platform::db {

class RowStore;

class FilterExpression {
public:
    // Throws platform::Error (InvalidOperation) naming what it could not read and where, and
    // ItemNotFound for an unknown field.
    static std::unique_ptr<FilterExpression> Parse(std::string_view criteria,
                                                   const std::vector<FieldInfo>& fields);
    virtual ~FilterExpression() = default;
    virtual bool Matches(const RowStore& rows, std::size_t row) const = 0;
};

// Compares a field value with a criterion literal the way the filter does: texts without regard
// to case, numbers as numbers, dates as dates. Answers <0, 0, >0; nullopt when not comparable.
std::optional<int> CompareForFilter(const Value& field, const Value& literal);

}  // namespace platform::db
