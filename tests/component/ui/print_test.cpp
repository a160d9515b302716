// The texts the list's print hands the public utility: the year, the parameter and the widened
// sizes. The commands themselves run over the host's real print control.
#include <gtest/gtest.h>

#include "common/account_year.h"
#include "ui/list/print.h"

namespace sovrel::test {
namespace {

TEST(PrintTextsTest, YearParameterAndSizes) {
    const struct {
        const char* dbName;
        const char* year;
    } years[] = {
        {"Provider=SQLite;Data Source=/d;Initial CATALOG=TKDATA_001_2024", "2024"},
        {"provider=x;initial catalog=tkdata_002_1999;timeout=5", "1999"},
        {"Initial Catalog=TKDATA_001_20", ""},      // too short for a year
        {"Initial Catalog = TKDATA_001_2024", ""},  // the marker has no spaces
        {"", ""},
    };
    for (const auto& y : years) {
        std::string year = "stale";
        EXPECT_EQ(ReadYear(AccountPart(y.dbName), year), *y.year != '\0') << y.dbName;
        EXPECT_EQ(year, y.year) << y.dbName;
    }
    EXPECT_EQ(list::PrintParameterText("2024"), "<TableName><g_bPrnNo>true</g_bPrnNo><g_Year>2024</g_Year></TableName>");

    const std::pair<const char*, const char*> sizes[] = {
        {",1,8,1,", ",10,8,10,"}, {",11,21,", ",11,21,"}, {",", ","}, {",202,1,", ",202,10,"},
    };
    for (const auto& [in, out] : sizes) EXPECT_EQ(list::WidenSizes(in), out) << in;
}

}  // namespace
}  // namespace sovrel::test
