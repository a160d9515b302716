// Arithmetic as SQL Server does it: T-SQL's +, ROUND, FLOOR and CEILING, division by zero, and the
// recursion limit of a recursive WITH.
#include "sqlite/functions_internal.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

namespace platform::db::sqlite_functions {

namespace {

// T-SQL's +: texts join, numbers add; a text meets a number as the number it spells (or, when
// it is a date, as that date plus days), as SQL Server's type precedence converts it.
void Add(sqlite3_context* ctx, int, sqlite3_value** argv) {
    sqlite3_value* a = argv[0];
    sqlite3_value* b = argv[1];
    const int ta = sqlite3_value_type(a), tb = sqlite3_value_type(b);
    if (ta == SQLITE_NULL || tb == SQLITE_NULL) return sqlite3_result_null(ctx);
    if ((ta == SQLITE_TEXT && tb == SQLITE_TEXT) || (ta == SQLITE_BLOB && tb == SQLITE_BLOB)) {
        std::string s(Text(a));
        s += Text(b);
        return ta == SQLITE_TEXT ? ResultText(ctx, s)
                                 : sqlite3_result_blob(ctx, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    }
    // Numeric value of each side.
    bool intA = ta == SQLITE_INTEGER, intB = tb == SQLITE_INTEGER;
    std::int64_t ia = sqlite3_value_int64(a), ib = sqlite3_value_int64(b);
    double da = sqlite3_value_double(a), db = sqlite3_value_double(b);
    auto fromText = [&](sqlite3_value* text, sqlite3_value* number, bool& isInt, std::int64_t& i, double& d) {
        const std::string_view t = Text(text);
        if (auto n = ParseNumber(t, isInt, i)) {
            d = *n;
            return true;
        }
        if (auto date = DateOf(text)) {
            const double days = sqlite3_value_double(number);
            ResultText(ctx, DateTime::FromSerial(date->Serial() + std::llround(days * kSecondsPerDay)).ToText());
            return false;
        }
        Fail(ctx, "Conversion failed when converting the nvarchar value '" + std::string(t) + "' to a number.");
        return false;
    };
    if (ta == SQLITE_TEXT && !fromText(a, b, intA, ia, da)) return;
    if (tb == SQLITE_TEXT && !fromText(b, a, intB, ib, db)) return;
    if (ta == SQLITE_BLOB || tb == SQLITE_BLOB) return Fail(ctx, "cannot add binary data to a number");
    if (intA && intB) {
        std::int64_t sum;
        if (__builtin_add_overflow(ia, ib, &sum)) return Fail(ctx, "Arithmetic overflow error converting expression to data type bigint.");
        return sqlite3_result_int64(ctx, sum);
    }
    sqlite3_result_double(ctx, da + db);
}

// ROUND(x, n[, truncate]); n may be negative, and integers stay integers.
void Round(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (IsNull(argv[0]) || IsNull(argv[1])) return sqlite3_result_null(ctx);
    const std::int64_t n = sqlite3_value_int64(argv[1]);
    const bool truncate = argc == 3 && !IsNull(argv[2]) && sqlite3_value_int64(argv[2]) != 0;
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER) {
        const std::int64_t v = sqlite3_value_int64(argv[0]);
        if (n >= 0) return sqlite3_result_int64(ctx, v);
        if (n < -18) return sqlite3_result_int64(ctx, 0);
        std::int64_t scale = 1;
        for (std::int64_t k = 0; k < -n; ++k) scale *= 10;
        std::int64_t q = v / scale, r = v % scale;
        if (!truncate && std::llabs(r) * 2 >= scale) q += v < 0 ? -1 : 1;
        return sqlite3_result_int64(ctx, q * scale);
    }
    const auto x = NumberOf(argv[0]);
    if (!x) return Fail(ctx, "ROUND needs a number");
    const double scale = std::pow(10.0, static_cast<double>(n));
    const double scaled = *x * scale;
    sqlite3_result_double(ctx, (truncate ? std::trunc(scaled) : std::round(scaled)) / scale);
}

void FloorCeiling(sqlite3_context* ctx, sqlite3_value** argv, bool floor) {
    if (IsNull(argv[0])) return sqlite3_result_null(ctx);
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER) return sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]));
    const auto x = NumberOf(argv[0]);
    if (!x) return Fail(ctx, std::string(floor ? "FLOOR" : "CEILING") + " needs a number");
    sqlite3_result_double(ctx, floor ? std::floor(*x) : std::ceil(*x));
}
void Floor(sqlite3_context* ctx, int, sqlite3_value** argv) { FloorCeiling(ctx, argv, true); }
void Ceiling(sqlite3_context* ctx, int, sqlite3_value** argv) { FloorCeiling(ctx, argv, false); }

// The level of a row of a recursive WITH: the statement stops past the limit (0: none).
void RecursionLevel(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const std::int64_t level = sqlite3_value_int64(argv[0]), limit = sqlite3_value_int64(argv[1]);
    if (limit > 0 && level > limit)
        return Fail(ctx, "The statement terminated. The maximum recursion " + std::to_string(limit) +
                             " has been exhausted before statement completion.");
    sqlite3_result_int64(ctx, level);
}

// The divisor of / and %: the server refuses to divide by zero, where SQLite gives NULL.
void Divisor(sqlite3_context* ctx, int, sqlite3_value** argv) {
    sqlite3_value* v = argv[0];
    const int t = sqlite3_value_type(v);
    const bool zero = ((t == SQLITE_INTEGER || t == SQLITE_FLOAT) && sqlite3_value_double(v) == 0.0) ||
                      (t == SQLITE_TEXT && NumberOf(v) && *NumberOf(v) == 0.0);
    if (zero) return Fail(ctx, "Divide by zero error encountered.");
    sqlite3_result_value(ctx, v);
}

void IsNumeric(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const int t = sqlite3_value_type(argv[0]);
    sqlite3_result_int(ctx, t == SQLITE_INTEGER || t == SQLITE_FLOAT || (t == SQLITE_TEXT && NumberOf(argv[0])) ? 1 : 0);
}



}  // namespace

std::span<const Registration> NumberFunctions() {
    static constexpr Registration kFunctions[] = {
        {"sv_add", 2, true, Add},
        {"sv_ceiling", 1, true, Ceiling},
        {"sv_divisor", 1, true, Divisor},
        {"sv_floor", 1, true, Floor},
        {"sv_isnumeric", 1, true, IsNumeric},
        {"sv_recursion_level", 2, true, RecursionLevel},
        {"sv_round", 2, true, Round},
        {"sv_round", 3, true, Round},
    };
    return kFunctions;
}

}  // namespace platform::db::sqlite_functions
