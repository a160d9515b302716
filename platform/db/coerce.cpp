#include "coerce.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "platform/error.h"
#include "platform/text.h"

namespace platform::db {

namespace {
constexpr long kDataConversion = -2147217913;  // value cannot be converted to the field's type
constexpr long kTruncated = -2147217833;       // text longer than the column

[[noreturn]] void CannotConvert(const Value& v, const FieldInfo& f, const char* kind) {
    throw Error(kDataConversion, "Rowset.Update",
                "cannot convert '" + v.ToText() + "' to " + kind + " for field " + f.name);
}
}  // namespace

bool IsTextType(int t) {
    return t == adVarWChar || t == adVarChar || t == adWChar || t == adChar || t == adLongVarWChar ||
           t == adLongVarChar || t == adGUID;
}
bool IsIntegerType(int t) {
    return t == adSmallInt || t == adInteger || t == adTinyInt || t == adUnsignedTinyInt || t == adBigInt ||
           t == adBinary;
}
bool IsRealType(int t) {
    return t == adDouble || t == adSingle || t == adCurrency || t == adNumeric || t == adDecimal;
}
bool IsDateType(int t) { return t == adDBTimeStamp || t == adDate; }

Value CoerceForField(const Value& v, const FieldInfo& f) {
    if (v.IsNullOrEmpty()) return Value::Null();
    if (IsTextType(f.type)) {
        std::string s = v.ToText();
        if (f.definedSize > 0 && f.definedSize < 1073741823 && static_cast<long>(text::Len(s)) > f.definedSize)
            throw Error(kTruncated, "Rowset.Update",
                        "the text for field " + f.name + " is " + std::to_string(text::Len(s)) +
                            " characters long; the field holds " + std::to_string(f.definedSize));
        return Value(std::move(s));
    }
    const std::string* t = v.AsText();
    std::string trimmed = t ? text::Trim(*t) : std::string();
    if (t && trimmed.empty()) return Value::Null();
    if (f.type == adBoolean) {
        if (!t) return Value(v.ToBool());
        std::string l = text::LCase(trimmed);
        if (l == "true" || l == "-1" || l == "1") return Value(true);
        if (l == "false" || l == "0") return Value(false);
        CannotConvert(v, f, "a flag (True/False)");
    }
    if (IsIntegerType(f.type)) {
        if (!t) return Value(static_cast<long long>(v.ToInt()));  // ToInt rounds half away from zero
        char* end = nullptr;
        double d = std::strtod(trimmed.c_str(), &end);
        if (*end) CannotConvert(v, f, "a whole number");
        return Value(static_cast<long long>(std::llround(d)));
    }
    if (IsRealType(f.type)) {
        if (!t) return Value(v.ToDouble());
        char* end = nullptr;
        double d = std::strtod(trimmed.c_str(), &end);
        if (*end) CannotConvert(v, f, "a number");
        return Value(d);
    }
    if (IsDateType(f.type)) {
        auto d = v.ToDate();
        if (!d) CannotConvert(v, f, "a date");
        return Value(*d);
    }
    return v;
}

}  // namespace platform::db
