#include "platform/object_factory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>


namespace {

struct IGreeter : platform::Object {
    virtual std::string Greet() const = 0;
};
struct IOther : platform::Object {};

struct Greeter : IGreeter {
    explicit Greeter(std::string word) : word(std::move(word)) {}
    std::string Greet() const override { return word; }
    std::string word;
};

platform::Creator Making(std::string word) {
    return [word] { return std::make_shared<Greeter>(word); };
}

// Each test uses identifiers of its own, so the shared registry carries nothing between tests.
class ObjectFactory : public ::testing::Test {
protected:
    void TearDown() override {
        for (const char* id : {"Test.Greeter", "Test.Thrower", "Test.Nothing", "Test.Outer", "Test.Busy"})
            platform::Unregister(id);
    }
};

TEST_F(ObjectFactory, WhatCannotBeMadeGivesNothing) {
    platform::Register("Test.Thrower", []() -> std::shared_ptr<platform::Object> {
        throw std::runtime_error("server not reachable");
    });
    platform::Register("Test.Nothing", [] { return std::shared_ptr<platform::Object>(); });
    platform::Register("Test.Greeter", Making("x"));
    EXPECT_EQ(platform::Create("Test.Missing"), nullptr);
    EXPECT_EQ(platform::Create("Test.Thrower"), nullptr);
    EXPECT_EQ(platform::Create("Test.Nothing"), nullptr);
    EXPECT_EQ(platform::Create<IOther>("Test.Greeter"), nullptr);  // made, but not of the kind asked for
    // The registrations survive the failures.
    EXPECT_TRUE(platform::IsRegistered("Test.Thrower"));
    EXPECT_NE(platform::Create<IGreeter>("Test.Greeter"), nullptr);
}

// Identifiers ignore case throughout.
TEST_F(ObjectFactory, RegisterReplacesScopedRegistrationPutsBackUnregisterRemoves) {
    EXPECT_FALSE(platform::Register("Test.Greeter", Making("first")));
    EXPECT_TRUE(platform::Register("test.greeter", Making("second")));
    EXPECT_EQ(platform::Create<IGreeter>("TEST.GREETER")->Greet(), "second");
    EXPECT_NE(platform::Create("Test.Greeter"), platform::Create("Test.Greeter"));  // a new object each time
    {
        platform::ScopedRegistration scripted("Test.Greeter", Making("scripted"));
        EXPECT_EQ(platform::Create<IGreeter>("Test.Greeter")->Greet(), "scripted");
        {
            platform::ScopedRegistration withdrawn("Test.Greeter", nullptr);
            EXPECT_EQ(platform::Create("Test.Greeter"), nullptr);
        }
        EXPECT_EQ(platform::Create<IGreeter>("Test.Greeter")->Greet(), "scripted");
    }
    EXPECT_EQ(platform::Create<IGreeter>("Test.Greeter")->Greet(), "second");
    {
        platform::ScopedRegistration fresh("Test.Nothing", Making("n"));
        EXPECT_TRUE(platform::IsRegistered("Test.Nothing"));
    }
    EXPECT_FALSE(platform::IsRegistered("Test.Nothing"));
    EXPECT_TRUE(platform::Unregister("TEST.greeter"));
    EXPECT_FALSE(platform::Unregister("Test.Greeter"));
    EXPECT_EQ(platform::Create<IGreeter>("Test.Greeter"), nullptr);
}

TEST_F(ObjectFactory, CreatorMayCreateOtherObjects) {
    platform::Register("Test.Greeter", Making("inner"));
    platform::Register("Test.Outer", [] {
        auto inner = platform::Create<IGreeter>("Test.Greeter");
        return std::make_shared<Greeter>("outer+" + (inner ? inner->Greet() : std::string("none")));
    });
    auto g = platform::Create<IGreeter>("Test.Outer");
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->Greet(), "outer+inner");
}

TEST_F(ObjectFactory, ConcurrentRegistrationAndCreation) {
    platform::Register("Test.Greeter", Making("steady"));
    std::atomic<int> created{0}, wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 2000; ++i) {
                if (t % 2)
                    platform::Register("Test.Busy", Making(std::to_string(i)));
                else
                    platform::Unregister("Test.Busy");
                platform::Create("Test.Busy");
                auto g = platform::Create<IGreeter>("Test.Greeter");
                if (g && g->Greet() == "steady")
                    ++created;
                else
                    ++wrong;
            }
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_EQ(created.load(), 8000);
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
