#include "platform/UnixSignalRoute.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <optional>

namespace {

std::atomic<int> g_previousHandlerRuns{0};
extern "C" void previousHandler(int)
{
    g_previousHandlerRuns.fetch_add(1);
}

TEST(UnixSignalRoute, SignalsArriveInOrderAsInputAndTheOldHandlerComesBack)
{
    struct sigaction old { };
    struct sigaction mine { };
    mine.sa_handler = previousHandler;
    sigemptyset(&mine.sa_mask);
    ASSERT_EQ(::sigaction(SIGUSR1, &mine, &old), 0);
    g_previousHandlerRuns = 0;
    {
        UnixSignalRoute route;
        ASSERT_TRUE(route.isValid());
        ASSERT_TRUE(route.route(SIGUSR1));
        ASSERT_TRUE(route.route(SIGUSR2));
        EXPECT_EQ(route.takeSignal(), 0);
        ASSERT_EQ(::raise(SIGUSR2), 0);
        ASSERT_EQ(::raise(SIGUSR1), 0);
        EXPECT_EQ(route.takeSignal(), SIGUSR2);
        EXPECT_EQ(route.takeSignal(), SIGUSR1);
        EXPECT_EQ(route.takeSignal(), 0);
        EXPECT_EQ(g_previousHandlerRuns.load(), 0);
        // Only one route at a time: the handler writes to one place.
        UnixSignalRoute second;
        EXPECT_FALSE(second.isValid());
        EXPECT_FALSE(second.route(SIGUSR1));
    }
    ASSERT_EQ(::raise(SIGUSR1), 0);
    EXPECT_EQ(g_previousHandlerRuns.load(), 1);
    ::sigaction(SIGUSR1, &old, nullptr);
    // SIGUSR2's default (end the process) came back too; leave it untried.
    UnixSignalRoute again;
    EXPECT_TRUE(again.isValid());
}

TEST(UnixSignalRoute, UncatchableSignalsAreRefused)
{
    UnixSignalRoute route;
    EXPECT_FALSE(route.route(SIGKILL));
    EXPECT_FALSE(route.route(0));
}

} // namespace
