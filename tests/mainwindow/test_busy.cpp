// The busy guard: the busy gate stays set until the outermost scope ends, and a scope left
// by an exception gives it back.
#include <gtest/gtest.h>

#include <stdexcept>

#include "mainwindow/WindowContext.h"
#include "platform/qt/KivAction.h"
#include "platform/qt/TestHarness.h"

namespace kiv {
namespace {

class BusyGuardTest : public ::testing::Test {
protected:
    TestEnvironment env{QSize(1024, 768)};
    TBusyCounter counter;
    int runs = 0;
    KivAction action{QStringLiteral("Probe"), nullptr};

    void SetUp() override {
        action.OnExecute = [this](KivAction*) { ++runs; };
    }
};

TEST_F(BusyGuardTest, ANestedGuardKeepsBusyUntilTheOuterEnds) {
    {
        TBusyGuard outer(counter);
        {
            TBusyGuard inner(counter);
            EXPECT_EQ(counter.Depth(), 2);
        }
        EXPECT_TRUE(Busy) << "the inner scope must not end the outer one's busy state";
        EXPECT_TRUE(counter.Held());
        EXPECT_TRUE(action.Execute()) << "swallowed while busy counts as handled";
        EXPECT_EQ(runs, 0);
    }
    EXPECT_FALSE(Busy);
    EXPECT_FALSE(counter.Held());
    EXPECT_TRUE(action.Execute());
    EXPECT_EQ(runs, 1);
}

TEST_F(BusyGuardTest, AnExceptionGivesBusyBack) {
    try {
        TBusyGuard outer(counter);
        try {
            TBusyGuard inner(counter);
            throw std::runtime_error("inner");
        } catch (const std::runtime_error&) {
        }
        EXPECT_TRUE(Busy);
        throw std::runtime_error("outer");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(Busy);
    EXPECT_EQ(counter.Depth(), 0);
}

}  // namespace
}  // namespace kiv
