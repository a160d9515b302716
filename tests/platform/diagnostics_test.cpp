#include "platform/diagnostics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A hook that writes diagnostics itself must not deadlock or recurse without end.
TEST(Diagnostics, HookMayWriteDiagnosticsItself) {
    int depth = 0;
    std::vector<std::string> seen;
    const platform::DebugHook before = platform::SetDebugHook([&](std::string_view l) {
        seen.emplace_back(l);
        if (depth++ == 0) platform::DebugOutput("from the hook");
    });
    platform::DebugOutput("outer");
    platform::SetDebugHook(before);
    platform::DebugOutput("after the hook is put back");
    EXPECT_EQ(seen, (std::vector<std::string>{"outer", "from the hook"}));
}

}  // namespace
