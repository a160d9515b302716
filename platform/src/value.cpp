#include "platform/db/value.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "platform/text.h"

namespace platform::db {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// Days from 1970-01-01 in the proleptic Gregorian calendar (H. Hinnant's civil algorithms).
constexpr std::int64_t DaysFromCivil(std::int64_t y, std::int64_t m, std::int64_t d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

constexpr std::int64_t kDayOne = DaysFromCivil(1, 1, 1);
// Day 0 of the original runtime's numeric dates.
constexpr std::int64_t kOleEpochSerial = (DaysFromCivil(1899, 12, 30) - kDayOne) * kSecondsPerDay;

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

// Reads between minDigits and maxDigits decimal digits at text[pos].
bool ReadNumber(std::string_view text, std::size_t& pos, int minDigits, int maxDigits, int& out) {
    int n = 0, v = 0;
    while (pos < text.size() && n < maxDigits && text[pos] >= '0' && text[pos] <= '9') {
        v = v * 10 + (text[pos] - '0');
        ++pos;
        ++n;
    }
    out = v;
    return n >= minDigits;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Numbers written as text; false when the text is not one number.
bool ParseNumber(std::string_view text, std::int64_t& asInt, double& asDouble, bool& isInt) {
    std::string t = text::Trim(text);
    std::string_view v = t;
    if (!v.empty() && v.front() == '+') v.remove_prefix(1);
    if (v.empty() || !(IsDigit(v.front()) || v.front() == '-' || v.front() == '.')) return false;
    const char* end = v.data() + v.size();
    auto ir = std::from_chars(v.data(), end, asInt);
    if (ir.ec == std::errc() && ir.ptr == end) {
        isInt = true;
        asDouble = static_cast<double>(asInt);
        return true;
    }
    auto dr = std::from_chars(v.data(), end, asDouble);
    if (dr.ec != std::errc() || dr.ptr != end || !std::isfinite(asDouble)) return false;
    isInt = false;
    return true;
}

std::int64_t RoundToInt(double d) {
    if (std::isnan(d)) return 0;
    const double r = std::round(d);  // half away from zero
    if (r >= 9.2233720368547758e18) return std::numeric_limits<std::int64_t>::max();
    if (r <= -9.2233720368547758e18) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(r);
}

double OleDate(const DateTime& d) {
    return static_cast<double>(d.Serial() - kOleEpochSerial) / kSecondsPerDay;
}

std::optional<DateTime> FromOleDate(double days) {
    if (!std::isfinite(days) || std::fabs(days) > 4e6) return std::nullopt;
    const DateTime d = DateTime::FromSerial(kOleEpochSerial + RoundToInt(days * kSecondsPerDay));
    if (d.year < 1 || d.year > 9999) return std::nullopt;
    return d;
}

}  // namespace

std::string DateTime::ToText() const {
    char buf[48];
    if (HasTime())
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute, second);
    else
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", year, month, day);
    return buf;
}

std::optional<DateTime> DateTime::Parse(std::string_view input) {
    const std::string trimmed = text::Trim(input);
    const std::string_view t = trimmed;
    std::size_t pos = 0;
    DateTime d;
    d.hour = d.minute = d.second = 0;
    if (!ReadNumber(t, pos, 4, 4, d.year) || pos >= t.size()) return std::nullopt;
    const char sep = t[pos];
    if (sep != '-' && sep != '/') return std::nullopt;
    ++pos;
    if (!ReadNumber(t, pos, 1, 2, d.month) || pos >= t.size() || t[pos] != sep) return std::nullopt;
    ++pos;
    if (!ReadNumber(t, pos, 1, 2, d.day)) return std::nullopt;
    if (pos < t.size()) {
        if (t[pos] == 'T') {
            ++pos;
        } else if (t[pos] == ' ') {
            while (pos < t.size() && t[pos] == ' ') ++pos;
        } else {
            return std::nullopt;
        }
        if (!ReadNumber(t, pos, 1, 2, d.hour) || pos >= t.size() || t[pos] != ':') return std::nullopt;
        ++pos;
        if (!ReadNumber(t, pos, 1, 2, d.minute)) return std::nullopt;
        if (pos < t.size() && t[pos] == ':') {
            ++pos;
            if (!ReadNumber(t, pos, 1, 2, d.second)) return std::nullopt;
            if (pos < t.size() && t[pos] == '.') {  // fractions of a second are dropped
                ++pos;
                const std::size_t digits = pos;
                while (pos < t.size() && IsDigit(t[pos])) ++pos;
                if (pos == digits) return std::nullopt;
            }
        }
        if (pos != t.size()) return std::nullopt;
    }
    if (d.year < 1 || d.month < 1 || d.month > 12 || d.day < 1 || d.day > DaysInMonth(d.year, d.month))
        return std::nullopt;
    if (d.hour > 23 || d.minute > 59 || d.second > 59) return std::nullopt;
    return d;
}

std::int64_t DateTime::Serial() const {
    return (DaysFromCivil(year, month, day) - kDayOne) * kSecondsPerDay + hour * 3600 + minute * 60 + second;
}

DateTime DateTime::FromSerial(std::int64_t serial) {
    std::int64_t days = serial / kSecondsPerDay;
    std::int64_t rest = serial % kSecondsPerDay;
    if (rest < 0) {
        rest += kSecondsPerDay;
        --days;
    }
    DateTime d;
    CivilFromDays(days + kDayOne, d.year, d.month, d.day);
    d.hour = static_cast<int>(rest / 3600);
    d.minute = static_cast<int>(rest / 60 % 60);
    d.second = static_cast<int>(rest % 60);
    return d;
}

std::string Value::ToText() const {
    switch (kind()) {
        case Kind::Empty:
        case Kind::Null: return {};
        case Kind::Boolean: return std::get<bool>(data_) ? "True" : "False";
        case Kind::Integer: return std::to_string(std::get<std::int64_t>(data_));
        case Kind::Double: {
            const double v = std::get<double>(data_);
            if (v == 0) return "0";  // also for -0
            char buf[40];
            std::snprintf(buf, sizeof buf, "%.15G", v);
            return buf;
        }
        case Kind::Text: return std::get<std::string>(data_);
        case Kind::Date: return std::get<DateTime>(data_).ToText();
    }
    return {};
}

std::int64_t Value::ToInt() const {
    switch (kind()) {
        case Kind::Empty:
        case Kind::Null: return 0;
        case Kind::Boolean: return std::get<bool>(data_) ? -1 : 0;
        case Kind::Integer: return std::get<std::int64_t>(data_);
        case Kind::Double: return RoundToInt(std::get<double>(data_));
        case Kind::Text: {
            const std::string& s = std::get<std::string>(data_);
            std::int64_t i = 0;
            double d = 0;
            bool isInt = false;
            if (ParseNumber(s, i, d, isInt)) return isInt ? i : RoundToInt(d);
            const std::string t = text::Trim(s);
            return text::EqualsNoCase(t, "true") ? -1 : 0;
        }
        case Kind::Date: return RoundToInt(OleDate(std::get<DateTime>(data_)));
    }
    return 0;
}

double Value::ToDouble() const {
    switch (kind()) {
        case Kind::Empty:
        case Kind::Null: return 0;
        case Kind::Boolean: return std::get<bool>(data_) ? -1 : 0;
        case Kind::Integer: return static_cast<double>(std::get<std::int64_t>(data_));
        case Kind::Double: return std::get<double>(data_);
        case Kind::Text: {
            const std::string& s = std::get<std::string>(data_);
            std::int64_t i = 0;
            double d = 0;
            bool isInt = false;
            if (ParseNumber(s, i, d, isInt)) return d;
            return text::EqualsNoCase(text::Trim(s), "true") ? -1 : 0;
        }
        case Kind::Date: return OleDate(std::get<DateTime>(data_));
    }
    return 0;
}

bool Value::ToBool() const {
    switch (kind()) {
        case Kind::Empty:
        case Kind::Null: return false;
        case Kind::Boolean: return std::get<bool>(data_);
        case Kind::Integer: return std::get<std::int64_t>(data_) != 0;
        case Kind::Double: return std::get<double>(data_) != 0;
        case Kind::Text: {
            const std::string& s = std::get<std::string>(data_);
            std::int64_t i = 0;
            double d = 0;
            bool isInt = false;
            if (ParseNumber(s, i, d, isInt)) return d != 0;
            return text::EqualsNoCase(text::Trim(s), "true");
        }
        case Kind::Date: return OleDate(std::get<DateTime>(data_)) != 0;
    }
    return false;
}

std::optional<DateTime> Value::ToDate() const {
    switch (kind()) {
        case Kind::Date: return std::get<DateTime>(data_);
        case Kind::Text: return DateTime::Parse(std::get<std::string>(data_));
        case Kind::Integer: return FromOleDate(static_cast<double>(std::get<std::int64_t>(data_)));
        case Kind::Double: return FromOleDate(std::get<double>(data_));
        default: return std::nullopt;
    }
}

}  // namespace platform::db
