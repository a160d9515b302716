// T-SQL PostgreSQL cannot run. That the translated statements run and find the right rows on
// PostgreSQL is corpus_test's part.
#include <gtest/gtest.h>

#include <string>

#include "platform/db/dialect.h"
#include "platform/error.h"

using platform::db::PostgresDialect;

namespace {

TEST(PostgresTranslate, WhatPostgresLacksIsRefusedByName) {
    const std::pair<const char*, const char*> cases[] = {{"select @@ROWCOUNT", "@@ROWCOUNT"},
                                                         {"update t set a = 1 output inserted.a", "OUTPUT"}};
    for (const auto& [tsql, name] : cases) {
        try {
            PostgresDialect().Translate(tsql);
            ADD_FAILURE() << "translated: " << tsql;
        } catch (const platform::Error& e) {
            EXPECT_EQ(e.Number(), platform::errnum::CannotTranslate) << tsql;
            EXPECT_NE(e.Description().find(name), std::string::npos) << e.Description();
        }
    }
}

}  // namespace
