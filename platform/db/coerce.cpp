#include "coerce.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "platform/error.h"
#include "platform/text.h"

namespace platform::db {

namespace {
constexpr long kDataConversion = -2147217913;  // value cannot be converted to the field's type
constexpr long kTruncated = -2147217833;       // text longer than the column

// The messages are the database server's own, with the field named after them.
[[noreturn]] void Refuse(const FieldInfo& f, const std::string& message) {
    throw Error(kDataConversion, "Rowset.Update", message + " (field " + f.name + ")");
}

struct IntegerRange {
    const char* name;
    long long lo, hi;
};
IntegerRange RangeOf(int type) {
    switch (type) {
        case adTinyInt:
        case adUnsignedTinyInt: return {"tinyint", 0, 255};
        case adSmallInt: return {"smallint", -32768, 32767};
        case adInteger: return {"int", -2147483648LL, 2147483647LL};
        default: return {"bigint", std::numeric_limits<long long>::min(), std::numeric_limits<long long>::max()};
    }
}

// A text the server reads as a whole number: optional sign and digits, spaces around.
bool WholeNumberText(const std::string& t) {
    std::size_t i = (t[0] == '+' || t[0] == '-') ? 1 : 0;
    return i < t.size() && t.find_first_not_of("0123456789", i) == std::string::npos;
}

// A text the server reads as a decimal number: sign, digits with at most one point, exponent.
// Rules out what strtod alone would take: "inf", "nan", hexadecimal, and locale forms.
bool DecimalText(const std::string& t) {
    std::size_t i = (t[0] == '+' || t[0] == '-') ? 1 : 0, digits = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        if (t[i] >= '0' && t[i] <= '9') ++digits;
        else if (t[i] == '.' && !point) point = true;
        else break;
    }
    if (!digits) return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        if (i >= t.size()) return false;
        return t.find_first_not_of("0123456789", i) == std::string::npos;
    }
    return i == t.size();
}

// The largest magnitude a decimal(p,s) holds: p-s digits before the point.
double DecimalLimit(const FieldInfo& f) {
    const int precision = f.precision > 0 ? f.precision : 18;
    return std::pow(10.0, precision - f.scale);
}

constexpr double kMoneyLimit = 922337203685477.5807;
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

std::string OverlongText(const Value& v, const FieldInfo& f) {
    if (!IsTextType(f.type) || f.definedSize <= 0 || f.definedSize >= 1073741823 || v.IsNullOrEmpty()) return {};
    const std::string* t = v.AsText();
    const std::string s = t ? std::string() : v.ToText();
    const std::string& text = t ? *t : s;
    // No more bytes than the field has characters: it fits without counting.
    if (static_cast<long>(text.size()) <= f.definedSize) return {};
    const long length = static_cast<long>(text::Len(text));
    if (length <= f.definedSize) return {};
    return "the text for field " + f.name + " is " + std::to_string(length) + " characters long; the field holds " +
           std::to_string(f.definedSize);
}

Value CoerceForField(const Value& v, const FieldInfo& f) {
    if (v.IsNullOrEmpty()) return Value::Null();
    if (IsTextType(f.type)) {
        if (std::string message = OverlongText(v, f); !message.empty()) throw Error(kTruncated, "Rowset.Update", message);
        return Value(v.ToText());
    }
    const std::string* t = v.AsText();
    std::string trimmed = t ? text::Trim(*t) : std::string();
    if (t && trimmed.empty()) return Value::Null();
    if (f.type == adBoolean) {
        if (!t) return Value(v.ToBool());
        std::string l = text::LCase(trimmed);
        if (l == "true" || l == "-1" || l == "1") return Value(true);
        if (l == "false" || l == "0") return Value(false);
        Refuse(f, "Conversion failed when converting the nvarchar value '" + *t + "' to data type bit.");
    }
    if (IsIntegerType(f.type)) {
        const IntegerRange range = RangeOf(f.type);
        if (!t) {
            // A number converts by dropping its fraction, as the server converts numeric to int.
            long double n;
            if (v.kind() == Value::Kind::Integer)
                n = static_cast<long double>(v.ToInt());
            else if (v.kind() == Value::Kind::Double)
                n = std::trunc(static_cast<long double>(v.ToDouble()));
            else
                return Value(static_cast<long long>(v.ToInt()));
            if (!std::isfinite(n) || n < static_cast<long double>(range.lo) || n > static_cast<long double>(range.hi))
                Refuse(f, std::string("Arithmetic overflow error converting expression to data type ") + range.name + ".");
            return Value(static_cast<long long>(n));
        }
        if (!WholeNumberText(trimmed))
            Refuse(f, "Conversion failed when converting the nvarchar value '" + *t + "' to data type " + range.name + ".");
        errno = 0;
        char* end = nullptr;
        const long long n = std::strtoll(trimmed.c_str(), &end, 10);
        if (errno == ERANGE || n < range.lo || n > range.hi)
            Refuse(f, "The conversion of the nvarchar value '" + *t + "' overflowed an " + range.name + " column.");
        return Value(n);
    }
    if (IsRealType(f.type)) {
        double d;
        const char* from = "float";
        if (!t) {
            d = v.ToDouble();
        } else {
            // Money is read without an exponent, as the server reads it.
            const bool exponent = trimmed.find_first_of("eE") != std::string::npos;
            if (!DecimalText(trimmed) || (f.type == adCurrency && exponent)) {
                if (f.type == adCurrency)
                    Refuse(f, "Cannot convert a char value to money. The char value has incorrect syntax.");
                Refuse(f, std::string("Error converting data type nvarchar to ") +
                              (f.type == adDouble || f.type == adSingle ? "float." : "numeric."));
            }
            d = std::strtod(trimmed.c_str(), nullptr);
            from = "nvarchar";
        }
        bool fits = std::isfinite(d);
        if (fits && f.type == adCurrency) fits = std::fabs(d) <= kMoneyLimit;
        if (fits && (f.type == adNumeric || f.type == adDecimal)) {
            const double scaled = std::round(d * std::pow(10.0, f.scale)) / std::pow(10.0, f.scale);
            fits = std::fabs(scaled) < DecimalLimit(f);
        }
        if (fits && f.type == adSingle) fits = std::fabs(d) <= 3.40282347e38;
        if (!fits) {
            if (f.type == adCurrency) Refuse(f, "Arithmetic overflow error converting expression to data type money.");
            if (f.type == adDouble || f.type == adSingle)
                Refuse(f, "The floating point value '" + v.ToText() + "' is out of the range of computer representation.");
            Refuse(f, std::string("Arithmetic overflow error converting ") + from + " to data type numeric.");
        }
        return Value(d);
    }
    if (IsDateType(f.type)) {
        auto d = v.ToDate();
        if (!d) Refuse(f, "Conversion failed when converting date and/or time from character string.");
        return Value(*d);
    }
    return v;
}

}  // namespace platform::db
