#include "platform/db/value.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/error.h"

using platform::db::DateTime;
using platform::db::Value;

namespace {

DateTime D(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) { return DateTime{y, mo, d, h, mi, s}; }

TEST(DateTime, ParseAcceptsTheWrittenForms) {
    const struct { const char* text; DateTime expected; } cases[] = {
        {"2024-1-5", D(2024, 1, 5)}, {" 2024/01/05 ", D(2024, 1, 5)}, {"2024-01-05 7:05", D(2024, 1, 5, 7, 5)},
        {"2024-01-05T10:20:30", D(2024, 1, 5, 10, 20, 30)}, {"2024-01-05 10:20:30.997", D(2024, 1, 5, 10, 20, 30)},
        {"2000-02-29", D(2000, 2, 29)}, {"0001-01-01", D(1, 1, 1)},
        {"9999-12-31 23:59:59", D(9999, 12, 31, 23, 59, 59)},
    };
    for (const auto& c : cases) {
        const auto d = DateTime::Parse(c.text);
        ASSERT_TRUE(d.has_value()) << c.text;
        EXPECT_EQ(*d, c.expected) << c.text;
    }
}

TEST(DateTime, ParseRefusesImpossibleDatesAndGarbage) {
    const char* bad[] = {
        "", "   ", "2023-02-29", "1900-02-29", "2024-04-31", "2024-13-01", "2024-00-10", "2024-01-00", "0000-01-01",
        "10000-01-01", "2024-01/05", "2024-01-05x", "2024-01-05 24:00:00", "2024-01-05 10:60", "2024-01-05 10:20:60",
        "2024-01-05 10", "2024-01-05 10:20:30.", "2024-001-05", "05/01/2024", "-2024-01-05",
    };
    for (const char* text : bad) EXPECT_FALSE(DateTime::Parse(text).has_value()) << text;
}

// Seconds from year one; consecutive steps across the whole range, through every leap rule.
TEST(DateTime, SerialRoundTripsOverTheWholeRange) {
    EXPECT_EQ(D(1, 1, 2, 0, 0, 1).Serial(), 86401);
    EXPECT_EQ(D(1970, 1, 1).Serial(), 719162LL * 86400);  // the known day count to the Unix epoch
    EXPECT_EQ(D(2000, 3, 1).Serial() - D(2000, 2, 28).Serial(), 2 * 86400);
    EXPECT_EQ(D(1900, 3, 1).Serial() - D(1900, 2, 28).Serial(), 86400);
    const std::int64_t last = D(9999, 12, 31, 23, 59, 59).Serial();
    std::int64_t previousDay = -1;
    for (std::int64_t s = 0; s <= last; s += 86400LL * 97 + 3671) {
        const DateTime d = DateTime::FromSerial(s);
        ASSERT_EQ(d.Serial(), s);
        ASSERT_TRUE(DateTime::Parse(d.ToText()).has_value()) << d.ToText();
        EXPECT_EQ(*DateTime::Parse(d.ToText()), d);
        EXPECT_GT(s / 86400, previousDay);
        previousDay = s / 86400;
    }
    EXPECT_EQ(DateTime::FromSerial(last), D(9999, 12, 31, 23, 59, 59));
}

TEST(Value, TextFormsPadDatesAndShowTimeOnlyWhenPresent) {
    const struct { Value v; const char* text; } cases[] = {
        {Value::Null(), ""}, {Value(true), "True"}, {Value(false), "False"},
        {Value(9223372036854775807LL), "9223372036854775807"},
        {Value(3.0), "3"}, {Value(0.1), "0.1"}, {Value(-0.0), "0"}, {Value(1234567.125), "1234567.125"},
        {Value(1e20), "1E+20"},
        {Value(D(1, 1, 1)), "0001-01-01"}, {Value(D(2024, 3, 7, 0, 0, 5)), "2024-03-07 00:00:05"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.v.ToText(), c.text);
}

TEST(Value, NumericConversions) {
    const struct { Value v; std::int64_t i; double d; bool b; } cases[] = {
        {Value::Null(), 0, 0, false}, {Value(true), -1, -1, true}, {Value(2.5), 3, 2.5, true},
        {Value(-2.5), -3, -2.5, true},
        {Value(0.4), 0, 0.4, true}, {Value(" +12 "), 12, 12, true}, {Value("-12.5"), -13, -12.5, true},
        {Value("1e3"), 1000, 1000, true},
        {Value("9223372036854775807"), 9223372036854775807LL, 9223372036854775807.0, true},
        {Value("0"), 0, 0, false}, {Value("true"), -1, -1, true}, {Value("False"), 0, 0, false},
        {Value(""), 0, 0, false},
        {Value("12abc"), 0, 0, false}, {Value("nan"), 0, 0, false}, {Value("0x10"), 0, 0, false},
        {Value(D(1899, 12, 31, 12, 0, 0)), 2, 1.5, true},
    };
    for (const auto& c : cases) {
        const std::string shown = c.v.ToText();
        EXPECT_EQ(c.v.ToInt(), c.i) << shown;
        EXPECT_DOUBLE_EQ(c.v.ToDouble(), c.d) << shown;
        EXPECT_EQ(c.v.ToBool(), c.b) << shown;
    }
}

TEST(Value, DateConversions) {
    EXPECT_EQ(Value("2020-01-02 03:04:05").ToDate(), D(2020, 1, 2, 3, 4, 5));
    // Numbers count days from 1899-12-30, as the original runtime's dates did.
    EXPECT_EQ(Value(2.25).ToDate(), D(1900, 1, 1, 6, 0, 0));
    EXPECT_EQ(Value(-1).ToDate(), D(1899, 12, 29));
    const Value none[] = {Value::Null(), Value(true), Value("2023-02-29"), Value(1e12)};
    for (const auto& v : none) EXPECT_FALSE(v.ToDate().has_value()) << v.ToText();
}

TEST(Error, CarriesItsPartsAndAddsContext) {
    const platform::Error e(platform::errnum::ConstraintViolated, "db", "UNIQUE constraint failed", 2067);
    const platform::Error c = e.WithContext("while executing: INSERT INTO t VALUES (1)");
    EXPECT_EQ(c.Number(), -2147217873);
    EXPECT_EQ(c.Source(), "db");
    EXPECT_EQ(c.NativeCode(), 2067);
    EXPECT_EQ(c.Description(), "while executing: INSERT INTO t VALUES (1): UNIQUE constraint failed");
    EXPECT_STREQ(c.what(), c.Description().c_str());
    EXPECT_EQ(e.WithContext("").Description(), e.Description());
}

}  // namespace
