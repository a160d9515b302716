// CONVERT and CAST to SQL Server's types, money as the server writes it, and the row version read
// as money.
#include "sqlite/functions_internal.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/text.h"

namespace platform::db::sqlite_functions {

namespace {

struct TargetType {
    std::string base;
    long length = -1;  // -1: not given; 0: max
    long scale = 0;
};

TargetType ParseType(std::string_view t) {
    TargetType out;
    const auto open = t.find('(');
    out.base = std::string(t.substr(0, open));
    if (open != std::string_view::npos) {
        const std::string_view args = t.substr(open + 1, t.size() - open - 2);
        const auto comma = args.find(',');
        const std::string first(args.substr(0, comma));
        out.length = first == "max" ? 0 : std::atol(first.c_str());
        if (comma != std::string_view::npos) out.scale = std::atol(std::string(args.substr(comma + 1)).c_str());
    }
    return out;
}

// Money (4 decimal places) as SQL Server writes it: style 0 two decimals, 1 two decimals with
// thousands separators, 2 (and 126) four decimals.
// The largest money value; as a double it rounds up past the 64-bit range of ten-thousandths.
constexpr double kMoneyLimit = 922337203685477.5807;
constexpr const char* kMoneyOverflow = "Arithmetic overflow error converting expression to data type money.";

// Nothing when the style is not a money style; the value must be within money's range.
std::optional<std::string> FormatMoney(double value, long style) {
    // Held as ten-thousandths, as the server holds money; the ends of the range are clamped
    // onto the 64-bit range they stand for.
    const long double scaled = std::round(static_cast<long double>(value) * 10000.0L);
    const std::int64_t q = scaled >= 9223372036854775807.0L    ? INT64_MAX
                           : scaled <= -9223372036854775807.0L ? -INT64_MAX
                                                               : static_cast<std::int64_t>(scaled);
    const bool negative = q < 0;
    std::uint64_t u = negative ? static_cast<std::uint64_t>(-q) : static_cast<std::uint64_t>(q);
    int decimals = 4;
    if (style == 0 || style == 1) {
        u = (u + 50) / 100;
        decimals = 2;
    } else if (style != 2 && style != 126) {
        return std::nullopt;
    }
    const std::uint64_t unit = decimals == 4 ? 10000 : 100;
    std::string whole = std::to_string(u / unit);
    if (style == 1)
        for (int i = static_cast<int>(whole.size()) - 3; i > 0; i -= 3) whole.insert(static_cast<std::size_t>(i), ",");
    std::string frac = std::to_string(u % unit);
    frac.insert(0, static_cast<std::size_t>(decimals) - frac.size(), '0');
    return (negative ? "-" : "") + whole + "." + frac;
}

bool IsTextTypeName(const std::string& b) {
    return b == "char" || b == "varchar" || b == "nchar" || b == "nvarchar" || b == "text" || b == "ntext" ||
           b == "uniqueidentifier";
}

void ConvertToText(sqlite3_context* ctx, const TargetType& type, sqlite3_value* v, std::optional<long> style,
                   bool money) {
    std::string s;
    bool number = false;
    const int vt = sqlite3_value_type(v);
    if (money) {
        if (!(std::fabs(sqlite3_value_double(v)) <= kMoneyLimit)) return Fail(ctx, kMoneyOverflow);
        const auto text = FormatMoney(sqlite3_value_double(v), style.value_or(0));
        if (!text) return Fail(ctx, "style " + std::to_string(*style) + " is not a money style");
        s = *text;
        number = true;
    } else if (vt == SQLITE_INTEGER) {
        s = std::to_string(sqlite3_value_int64(v));
        number = true;
    } else if (vt == SQLITE_FLOAT) {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.15g", sqlite3_value_double(v));
        s = buf;
        number = true;
    } else {
        s = std::string(Text(v));
        if (style && *style != 0) {
            if (auto d = DateOf(v)) {
                const auto text = FormatDate(*d, *style);
                if (!text) return Fail(ctx, "style " + std::to_string(*style) + " is not a date style");
                s = *text;
            }
        }
    }
    // char without a length is char(30), as in CONVERT.
    const long length = type.length < 0 ? 30 : type.length;
    const bool fixed = type.base == "char" || type.base == "nchar";
    if (length > 0 && type.base != "text" && type.base != "ntext" && type.base != "uniqueidentifier") {
        const std::size_t chars = platform::text::Len(s);
        if (chars > static_cast<std::size_t>(length)) {
            if (number && vt == SQLITE_INTEGER && !money) return ResultText(ctx, "*");
            if (number) return Fail(ctx, "Arithmetic overflow error converting numeric to data type " + type.base + ".");
            s = platform::text::Left(s, length);
        } else if (fixed) {
            s.append(static_cast<std::size_t>(length) - chars, ' ');
        }
    }
    ResultText(ctx, s);
}

void Convert(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (IsNull(argv[1])) return sqlite3_result_null(ctx);
    const TargetType type = ParseType(Text(argv[0]));
    std::optional<long> style;
    if (argc >= 3 && !IsNull(argv[2])) style = static_cast<long>(sqlite3_value_int64(argv[2]));
    const bool money = argc >= 4 && Text(argv[3]) == "money";
    sqlite3_value* v = argv[1];
    const int vt = sqlite3_value_type(v);
    const std::string& b = type.base;
    auto conversionFailed = [&](const std::string& to) {
        Fail(ctx, "Conversion failed when converting the value '" + std::string(Text(v)) + "' to data type " + to + ".");
    };

    if (IsTextTypeName(b)) return ConvertToText(ctx, type, v, style, money);

    if (b == "int" || b == "bigint" || b == "smallint" || b == "tinyint" || b == "bit") {
        std::int64_t i = 0;
        if (vt == SQLITE_INTEGER) {
            i = sqlite3_value_int64(v);
        } else if (vt == SQLITE_FLOAT) {
            const double d = std::trunc(sqlite3_value_double(v));
            // 2^63 is the first double past the 64-bit range; NaN fails both tests.
            if (!(d >= -9223372036854775808.0 && d < 9223372036854775808.0))
                return Fail(ctx, "Arithmetic overflow error converting expression to data type " + b + ".");
            i = static_cast<std::int64_t>(d);
        } else {
            const std::string_view t = Trimmed(Text(v));
            bool isInt = false;
            std::int64_t parsed = 0;
            if (t.empty()) {
                i = 0;
            } else if (b == "bit" && (platform::text::EqualsNoCase(t, "true") || platform::text::EqualsNoCase(t, "false"))) {
                i = platform::text::EqualsNoCase(t, "true") ? 1 : 0;
            } else if (ParseNumber(t, isInt, parsed) && isInt) {
                i = parsed;
            } else {
                return conversionFailed(b);
            }
        }
        if (b == "bit") return sqlite3_result_int(ctx, i != 0 ? 1 : 0);
        const std::int64_t lo = b == "int" ? INT32_MIN : b == "smallint" ? INT16_MIN : b == "tinyint" ? 0 : INT64_MIN;
        const std::int64_t hi = b == "int" ? INT32_MAX : b == "smallint" ? INT16_MAX : b == "tinyint" ? 255 : INT64_MAX;
        if (i < lo || i > hi) return Fail(ctx, "Arithmetic overflow error converting expression to data type " + b + ".");
        return sqlite3_result_int64(ctx, i);
    }

    if (b == "money" || b == "smallmoney" || b == "decimal" || b == "numeric" || b == "float" || b == "real") {
        double d;
        if (vt == SQLITE_INTEGER || vt == SQLITE_FLOAT) {
            d = sqlite3_value_double(v);
        } else {
            bool isInt;
            std::int64_t ignored;
            const auto n = ParseNumber(Text(v), isInt, ignored);
            if (!n) return conversionFailed(b);
            d = *n;
        }
        const std::string overflow = "Arithmetic overflow error converting expression to data type " + b + ".";
        if (!std::isfinite(d)) return Fail(ctx, overflow);
        if (b == "money" || b == "smallmoney") {
            if (std::fabs(d) > (b == "money" ? kMoneyLimit : 214748.3647)) return Fail(ctx, overflow);
            return sqlite3_result_double(ctx, std::round(d * 10000.0) / 10000.0);
        }
        if (b == "real" && std::fabs(d) > 3.40282347e38) return Fail(ctx, overflow);
        if (b == "decimal" || b == "numeric") {
            const long precision = type.length > 0 ? type.length : 18;
            const double scaled = std::round(d * std::pow(10.0, static_cast<double>(type.scale)));
            if (std::fabs(scaled) >= std::pow(10.0, static_cast<double>(precision))) return Fail(ctx, overflow);
            if (type.scale == 0) return sqlite3_result_int64(ctx, static_cast<std::int64_t>(scaled));
            const double scale = std::pow(10.0, static_cast<double>(type.scale));
            return sqlite3_result_double(ctx, std::round(d * scale) / scale);
        }
        return sqlite3_result_double(ctx, d);
    }

    if (b == "datetime" || b == "smalldatetime" || b == "date" || b == "datetime2") {
        std::optional<DateTime> d;
        if (vt == SQLITE_TEXT && style && (*style == 101 || *style == 103 || *style == 1 || *style == 3)) {
            // mm/dd/yyyy (101) and dd/mm/yyyy (103)
            int x = 0, y = 0, z = 0;
            const std::string t(Trimmed(Text(v)));
            if (std::sscanf(t.c_str(), "%d/%d/%d", &x, &y, &z) == 3) {
                if (z < 100) z += z < 50 ? 2000 : 1900;
                const bool us = *style == 101 || *style == 1;
                d = DateTime::Parse(FourDigits(z) + "-" + TwoDigits(us ? x : y) + "-" + TwoDigits(us ? y : x));
            }
        } else {
            d = DateOf(v);
            if (!d && (vt == SQLITE_INTEGER || vt == SQLITE_FLOAT)) return Fail(ctx, kDatetimeOverflow);
        }
        if (!d) return Fail(ctx, "Conversion failed when converting date and/or time from character string.");
        if (b == "date") d->hour = d->minute = d->second = 0;
        return ResultText(ctx, d->ToText());
    }
    Fail(ctx, "CONVERT to " + b + " is not supported");
}

// The row version counter read as money: SQL Server reads the 8 bytes as money's
// ten-thousandths, so counter 2001 is 0.2001.
void RowVersionMoney(sqlite3_context* ctx, int, sqlite3_value** argv) {
    switch (sqlite3_value_type(argv[0])) {
        case SQLITE_NULL: return sqlite3_result_null(ctx);
        case SQLITE_BLOB: {
            if (sqlite3_value_bytes(argv[0]) != 8) return Fail(ctx, "a row version has 8 bytes");
            const auto* p = static_cast<const unsigned char*>(sqlite3_value_blob(argv[0]));
            std::uint64_t v = 0;
            for (int i = 0; i < 8; ++i) v = (v << 8) | p[i];
            return sqlite3_result_double(ctx, static_cast<double>(static_cast<std::int64_t>(v)) / 10000.0);
        }
        default: return sqlite3_result_double(ctx, static_cast<double>(sqlite3_value_int64(argv[0])) / 10000.0);
    }
}

}  // namespace

std::span<const Registration> ConvertFunctions() {
    static constexpr Registration kFunctions[] = {
        {"sv_convert", 2, true, Convert},
        {"sv_convert", 3, true, Convert},
        {"sv_convert", 4, true, Convert},
        {"sv_rowversion_money", 1, true, RowVersionMoney},
    };
    return kFunctions;
}

}  // namespace platform::db::sqlite_functions
