#pragma once
#include <string>

#include "platform/db/field.h"
#include "platform/db/value.h"

namespace platform::db {

// Converts a value assigned to a field into the field's kind, as the data-access layer did on
// assignment: "True"/"False" into a flag, "12" into a number, "2024-05-01" into a date; Empty
// and empty text into a non-text field become Null. Throws platform::Error (DataConversion) when
// the text cannot become the field's kind, and (Truncated) when a text is longer than the field.
Value CoerceForField(const Value& value, const FieldInfo& field);
// "the text for field F is N characters long; the field holds M" when a text value is longer
// than its text field; "" when it fits or is no text.
std::string OverlongText(const Value& value, const FieldInfo& field);

bool IsTextType(int type);
bool IsIntegerType(int type);
bool IsRealType(int type);
bool IsDateType(int type);

}  // namespace platform::db
