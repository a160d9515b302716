#include "platform/diagnostics.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

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

// Compares the unit with the standard steady clock over the same interval, not with a duration.
TEST(Diagnostics, TickCountCountsMillisecondsOfTheSteadyClock) {
    using namespace std::chrono;
    const auto c0 = steady_clock::now();
    const std::uint32_t t0 = platform::TickCount();
    std::this_thread::sleep_for(milliseconds(30));
    const std::uint32_t t1 = platform::TickCount();
    const auto c1 = steady_clock::now();
    const std::uint32_t ticks = t1 - t0;  // unsigned difference stays right across a wrap
    const auto outer = duration_cast<milliseconds>(c1 - c0).count();
    EXPECT_GE(ticks, 30u);
    EXPECT_LE(ticks, static_cast<std::uint32_t>(outer) + 1);
}

}  // namespace
