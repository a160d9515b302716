#include "platform/diagnostics.h"

#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

TEST(Diagnostics, HookReceivesLinesAndCapturesNest) {
    std::vector<std::string> outer;
    const platform::DebugHook before = platform::SetDebugHook([&](std::string_view l) { outer.emplace_back(l); });
    platform::DebugOutput("first\n");
    {
        platform::DebugCapture capture;
        platform::DebugOutput("second");
        EXPECT_EQ(capture.Lines(), std::vector<std::string>{"second"});
    }
    platform::DebugOutput("third");
    EXPECT_EQ(outer, (std::vector<std::string>{"first", "second", "third"}));
    platform::SetDebugHook(before);
    platform::DebugOutput("fourth");
    EXPECT_EQ(outer.size(), 3u);
}

TEST(Diagnostics, HookMayWriteDiagnosticsItself) {
    int depth = 0;
    std::vector<std::string> seen;
    const platform::DebugHook before = platform::SetDebugHook([&](std::string_view l) {
        seen.emplace_back(l);
        if (depth++ == 0) platform::DebugOutput("from the hook");
    });
    platform::DebugOutput("outer");
    platform::SetDebugHook(before);
    EXPECT_EQ(seen, (std::vector<std::string>{"outer", "from the hook"}));
}

// The variable is read once per process, so each case runs in a fresh child process.
TEST(DiagnosticsDeathTest, StderrOnlyWhenSovrelDebugIsSet) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("SOVREL_DEBUG", "1", 1);
            platform::DebugOutput("probe line 7");
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), HasSubstr("probe line 7"));
    EXPECT_EXIT(
        {
            unsetenv("SOVREL_DEBUG");
            platform::DebugOutput("probe line 8");
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), Not(HasSubstr("probe line 8")));
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
