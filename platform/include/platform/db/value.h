#pragma once
// The one value type: what a field, a parameter or a variant argument holds.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace platform::db {

// A civil date and time, second resolution, no time zone (as the database's datetime).
struct DateTime {
    int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;

    bool HasTime() const { return hour || minute || second; }
    // "yyyy-mm-dd", with " hh:mm:ss" when it has a time.
    std::string ToText() const;
    // Accepts yyyy-m-d, yyyy/m/d, with optional " h:m[:s[.fff]]" or "Thh:mm:ss"; validates the day.
    static std::optional<DateTime> Parse(std::string_view text);
    // Seconds since 0001-01-01 00:00:00; orders and compares dates.
    std::int64_t Serial() const;
    static DateTime FromSerial(std::int64_t serial);
    friend bool operator==(const DateTime&, const DateTime&) = default;
};

class Value {
public:
    enum class Kind : std::uint8_t { Empty, Null, Boolean, Integer, Double, Text, Date };

    Value() = default;  // Empty
    static Value Null() { Value v; v.data_ = NullTag{}; return v; }
    Value(bool b) : data_(b) {}
    Value(int i) : data_(std::int64_t{i}) {}
    Value(long i) : data_(std::int64_t{i}) {}
    Value(long long i) : data_(std::int64_t{i}) {}
    Value(double d) : data_(d) {}
    Value(std::string s) : data_(std::move(s)) {}
    Value(std::string_view s) : data_(std::string(s)) {}
    Value(const char* s) : data_(std::string(s)) {}
    Value(DateTime d) : data_(d) {}

    Kind kind() const { return static_cast<Kind>(data_.index()); }
    bool IsEmpty() const { return kind() == Kind::Empty; }
    bool IsNull() const { return kind() == Kind::Null; }
    bool IsNullOrEmpty() const { return IsEmpty() || IsNull(); }

    // Text form: Empty/Null "", Boolean "True"/"False", numbers without trailing zeros,
    // dates "yyyy-mm-dd[ hh:mm:ss]".
    std::string ToText() const;
    // Whole number; text is parsed ("" and non-numbers give 0); Boolean True is -1 as in the
    // original runtime; doubles round half away from zero.
    std::int64_t ToInt() const;
    double ToDouble() const;
    // True for non-zero numbers and "true"/"True"/"-1"/"1" texts.
    bool ToBool() const;
    std::optional<DateTime> ToDate() const;

    const std::string* AsText() const { return std::get_if<std::string>(&data_); }

    friend bool operator==(const Value& a, const Value& b) { return a.data_ == b.data_; }

private:
    struct NullTag {
        friend bool operator==(NullTag, NullTag) { return true; }
    };
    std::variant<std::monostate, NullTag, bool, std::int64_t, double, std::string, DateTime> data_;
};

}  // namespace platform::db
