// Dates as SQL Server reads, computes and writes them: DATEPART, DATEDIFF, DATEADD, GETDATE and the
// date styles of CONVERT.
#include "sqlite/functions_internal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>

namespace platform::db::sqlite_functions {

namespace {
bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int DaysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m < 1 || m > 12) return 31;  // callers check the month; never read outside the table
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

const DateTime kNumericDateBase{1900, 1, 1, 0, 0, 0};  // what 0 means as a datetime
// Days from kNumericDateBase to 1753-01-01 and to the end of 9999-12-31: datetime's range.
constexpr double kFirstDatetimeDay = -53690.0, kEndDatetimeDay = 2958464.0;
constexpr const char* kDatetimeOverflow = "Arithmetic overflow error converting expression to data type datetime.";

}  // namespace

// A date from a stored value: text in the layer's forms (and yyyymmdd), or a number of days
// since 1900-01-01 as SQL Server reads numbers.
std::optional<DateTime> DateOf(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
        case SQLITE_INTEGER:
        case SQLITE_FLOAT: {
            const double days = sqlite3_value_double(v);
            if (!(days >= kFirstDatetimeDay && days < kEndDatetimeDay)) return std::nullopt;
            return DateTime::FromSerial(kNumericDateBase.Serial() + std::llround(days * kSecondsPerDay));
        }
        case SQLITE_TEXT: {
            const std::string_view t = Trimmed(Text(v));
            if (auto d = DateTime::Parse(t)) return d;
            if (t.size() == 8 && t.find_first_not_of("0123456789") == std::string_view::npos) {
                const std::string s(t);
                return DateTime::Parse(s.substr(0, 4) + "-" + s.substr(4, 2) + "-" + s.substr(6, 2));
            }
            return std::nullopt;
        }
        default: return std::nullopt;
    }
}

std::string TwoDigits(int v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", v % 100);
    return buf;
}
std::string FourDigits(int v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04d", v);
    return buf;
}

// CONVERT(char, date, style) for the styles the component's world uses.
std::optional<std::string> FormatDate(const DateTime& d, long style) {
    const std::string yyyy = FourDigits(d.year), yy = TwoDigits(d.year), mm = TwoDigits(d.month),
                      dd = TwoDigits(d.day), time = TwoDigits(d.hour) + ":" + TwoDigits(d.minute) + ":" +
                                                     TwoDigits(d.second);
    switch (style) {
        case 0:
        case 100: {
            static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
            char buf[40];
            const int h12 = d.hour % 12 == 0 ? 12 : d.hour % 12;
            std::snprintf(buf, sizeof buf, "%s %2d %04d %2d:%02d%s", kMonths[d.month - 1], d.day, d.year, h12,
                          d.minute, d.hour < 12 ? "AM" : "PM");
            return std::string(buf);
        }
        case 1: return mm + "/" + dd + "/" + yy;
        case 101: return mm + "/" + dd + "/" + yyyy;
        case 2: return yy + "." + mm + "." + dd;
        case 102: return yyyy + "." + mm + "." + dd;
        case 3: return dd + "/" + mm + "/" + yy;
        case 103: return dd + "/" + mm + "/" + yyyy;
        case 4: return dd + "." + mm + "." + yy;
        case 104: return dd + "." + mm + "." + yyyy;
        case 5: return dd + "-" + mm + "-" + yy;
        case 105: return dd + "-" + mm + "-" + yyyy;
        case 8:
        case 108: return time;
        case 10: return mm + "-" + dd + "-" + yy;
        case 110: return mm + "-" + dd + "-" + yyyy;
        case 11: return yy + "/" + mm + "/" + dd;
        case 111: return yyyy + "/" + mm + "/" + dd;
        case 12: return yy + mm + dd;
        case 112: return yyyy + mm + dd;
        case 20:
        case 120: return yyyy + "-" + mm + "-" + dd + " " + time;
        case 21:
        case 121: return yyyy + "-" + mm + "-" + dd + " " + time + ".000";
        case 23: return yyyy + "-" + mm + "-" + dd;
        case 126: return yyyy + "-" + mm + "-" + dd + "T" + time;
        default: return std::nullopt;
    }
}

namespace {

std::int64_t DayNumber(const DateTime& d) {
    const std::int64_t s = d.Serial();
    return s >= 0 ? s / kSecondsPerDay : -((-s + kSecondsPerDay - 1) / kSecondsPerDay);
}
// 0 = Sunday; 0001-01-01 was a Monday.
int WeekdayOf(const DateTime& d) { return static_cast<int>((DayNumber(d) + 1) % 7); }
int DayOfYear(const DateTime& d) {
    return static_cast<int>(DayNumber(d) - DayNumber(DateTime{d.year, 1, 1, 0, 0, 0})) + 1;
}

std::optional<std::int64_t> DatePart(std::string_view part, const DateTime& d) {
    if (part == "year") return d.year;
    if (part == "quarter") return (d.month - 1) / 3 + 1;
    if (part == "month") return d.month;
    if (part == "dayofyear") return DayOfYear(d);
    if (part == "day") return d.day;
    if (part == "weekday") return WeekdayOf(d) + 1;  // Sunday is 1, SQL Server's default
    if (part == "week") {
        const int jan1 = WeekdayOf(DateTime{d.year, 1, 1, 0, 0, 0});
        return (DayOfYear(d) - 1 + jan1) / 7 + 1;
    }
    if (part == "hour") return d.hour;
    if (part == "minute") return d.minute;
    if (part == "second") return d.second;
    return std::nullopt;
}

// Nothing when the result falls outside datetime's years.
std::optional<DateTime> AddMonths(DateTime d, std::int64_t months) {
    const std::int64_t total = d.year * 12LL + (d.month - 1) + months;
    if (total < 1753 * 12LL || total >= 10000 * 12LL) return std::nullopt;
    d.year = static_cast<int>(total / 12);
    d.month = static_cast<int>(total % 12) + 1;
    d.day = std::min(d.day, DaysInMonth(d.year, d.month));
    return d;
}


void GetDate(sqlite3_context* ctx, int, sqlite3_value**) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const DateTime d{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
    ResultText(ctx, d.ToText());
}

void DatePartFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (IsNull(argv[1])) return sqlite3_result_null(ctx);
    const auto d = DateOf(argv[1]);
    if (!d) return Fail(ctx, "Conversion failed when converting date and/or time from character string.");
    const auto v = DatePart(Text(argv[0]), *d);
    if (!v) return Fail(ctx, "unknown date part " + std::string(Text(argv[0])));
    sqlite3_result_int64(ctx, *v);
}

// Boundaries crossed between two dates, as SQL Server counts them.
void DateDiff(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (IsNull(argv[1]) || IsNull(argv[2])) return sqlite3_result_null(ctx);
    const auto a = DateOf(argv[1]), b = DateOf(argv[2]);
    if (!a || !b) return Fail(ctx, "Conversion failed when converting date and/or time from character string.");
    const std::string_view part = Text(argv[0]);
    auto floorDiv = [](std::int64_t x, std::int64_t y) { return x >= 0 ? x / y : -((-x + y - 1) / y); };
    std::int64_t r;
    if (part == "year") r = b->year - a->year;
    else if (part == "quarter") r = (b->year * 4 + (b->month - 1) / 3) - (a->year * 4 + (a->month - 1) / 3);
    else if (part == "month") r = (b->year * 12 + b->month) - (a->year * 12 + a->month);
    else if (part == "day" || part == "dayofyear" || part == "weekday") r = DayNumber(*b) - DayNumber(*a);
    else if (part == "week") r = floorDiv(DayNumber(*b) + 1, 7) - floorDiv(DayNumber(*a) + 1, 7);
    else if (part == "hour") r = floorDiv(b->Serial(), 3600) - floorDiv(a->Serial(), 3600);
    else if (part == "minute") r = floorDiv(b->Serial(), 60) - floorDiv(a->Serial(), 60);
    else if (part == "second") r = b->Serial() - a->Serial();
    else return Fail(ctx, "unknown date part " + std::string(part));
    sqlite3_result_int64(ctx, r);
}

void DateAdd(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (IsNull(argv[1]) || IsNull(argv[2])) return sqlite3_result_null(ctx);
    auto d = DateOf(argv[2]);
    if (!d) return Fail(ctx, "Conversion failed when converting date and/or time from character string.");
    // The number is an int, as the server takes it.
    const double number = std::trunc(sqlite3_value_double(argv[1]));
    if (!(number >= -2147483648.0 && number <= 2147483647.0))
        return Fail(ctx, "Arithmetic overflow error converting expression to data type int.");
    const auto n = static_cast<std::int64_t>(number);
    const std::string_view part = Text(argv[0]);
    std::int64_t seconds = 0;
    std::optional<DateTime> moved = d;
    if (part == "year") moved = AddMonths(*d, n * 12);
    else if (part == "quarter") moved = AddMonths(*d, n * 3);
    else if (part == "month") moved = AddMonths(*d, n);
    else if (part == "day" || part == "dayofyear" || part == "weekday") seconds = n * kSecondsPerDay;
    else if (part == "week") seconds = n * 7 * kSecondsPerDay;
    else if (part == "hour") seconds = n * 3600;
    else if (part == "minute") seconds = n * 60;
    else if (part == "second") seconds = n;
    else return Fail(ctx, "unknown date part " + std::string(part));
    if (!moved) return Fail(ctx, "Adding a value to a 'datetime' column caused an overflow.");
    const DateTime result = DateTime::FromSerial(moved->Serial() + seconds);
    if (result.year < 1753 || result.year > 9999) return Fail(ctx, "Adding a value to a 'datetime' column caused an overflow.");
    ResultText(ctx, result.ToText());
}

}  // namespace

std::span<const Registration> DateFunctions() {
    static constexpr Registration kFunctions[] = {
        {"sv_dateadd", 3, true, DateAdd},
        {"sv_datediff", 3, true, DateDiff},
        {"sv_datepart", 2, true, DatePartFn},
        {"sv_getdate", 0, false, GetDate},
    };
    return kFunctions;
}

}  // namespace platform::db::sqlite_functions
