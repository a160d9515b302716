#pragma once
// The rule tables of the backends, for the translation and its tests.
#include "dialect/rules.h"

namespace platform::db::dialect {

const Rules& SqliteRules();
const Rules& PostgresRules();

}  // namespace platform::db::dialect
