#pragma once
// A table of T-SQL texts, each against the one statement a dialect translates it to.
#include <gtest/gtest.h>

#include <vector>

#include "platform/db/dialect.h"
#include "platform/error.h"

namespace dialect_test {

struct Case {
    const char* tsql;
    const char* expected;
};

inline void ExpectTable(const platform::db::Dialect& dialect, const std::vector<Case>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tsql);
        try {
            const auto steps = dialect.Translate(c.tsql);
            ASSERT_EQ(steps.size(), 1u);
            EXPECT_EQ(steps[0].kind, platform::db::Step::Kind::Statement);
            EXPECT_EQ(steps[0].sql, c.expected);
        } catch (const platform::Error& e) {
            ADD_FAILURE() << "refused: " << e.Description();
        }
    }
}

}  // namespace dialect_test
