#include "service/host/WaitWithMessages.h"
#include "service/host/WaitHandles.h"

#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <thread>

namespace {

TEST(WaitWithMessages, ReturnsTheFirstSignalledHandleInTheGivenOrder)
{
    ServiceEvent first;
    ServiceEvent second;
    WaitHandle* const handles[] = {&first, &second};
    second.set();
    EXPECT_EQ(WaitWithMessages(-1, handles), 1u);
    first.set();
    EXPECT_EQ(WaitWithMessages(-1, handles), 0u);
    // Manual reset: a set event stays set for every later wait.
    EXPECT_EQ(WaitWithMessages(0, handles), 0u);
}

TEST(WaitWithMessages, TimesOutWith258WhileTimersKeepRunning)
{
    ServiceEvent never;
    WaitHandle* const handles[] = {&never};
    bool timerRan = false;
    QTimer::singleShot(5, [&] { timerRan = true; });
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_EQ(WaitWithMessages(60, handles), WaitResult::Timeout);
    EXPECT_GE(elapsed.elapsed(), 60);
    EXPECT_LT(elapsed.elapsed(), 1000);
    EXPECT_TRUE(timerRan);
    EXPECT_EQ(WaitWithMessages(0, handles), WaitResult::Timeout);
}

TEST(WaitWithMessages, EventSetOnAnotherThreadWakesAnEndlessWaitWithoutSpinning)
{
    ServiceEvent event;
    WaitHandle* const handles[] = {&event};
    const std::clock_t cpuBefore = std::clock();
    std::thread setter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        event.set();
    });
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_EQ(WaitWithMessages(-1, handles), 0u);
    setter.join();
    EXPECT_LT(elapsed.elapsed(), 1000);
    // A polling wait would burn most of the 150 ms on this thread.
    const double cpuMs = double(std::clock() - cpuBefore) * 1000.0 / CLOCKS_PER_SEC;
    EXPECT_LT(cpuMs, 50.0);
}

TEST(WaitWithMessages, EventSetByAnEventHandlerInsideTheWaitEndsIt)
{
    ServiceEvent event;
    WaitHandle* const handles[] = {&event};
    QTimer::singleShot(10, [&] { event.set(); });
    EXPECT_EQ(WaitWithMessages(5000, handles), 0u);
}

TEST(WaitWithMessages, MissingHandleIsAWaitFailure)
{
    ServiceEvent event;
    event.set();
    // A thread that was never created has no handle.
    WaitHandle* const handles[] = {nullptr, &event};
    EXPECT_EQ(WaitWithMessages(-1, handles), WaitResult::Failed);
    EXPECT_EQ(WaitWithMessages(-1, std::span<WaitHandle* const>()), WaitResult::Failed);
}

TEST(WaitWithMessages, ThreadHandleIsSignalledWhenItsProcedureReturns)
{
    ServiceEvent release;
    std::unique_ptr<ThreadHandle> thread = ThreadHandle::start([&] { release.wait(); });
    ASSERT_TRUE(thread);
    WaitHandle* const handles[] = {thread.get()};
    EXPECT_EQ(WaitWithMessages(20, handles), WaitResult::Timeout);
    QTimer::singleShot(10, [&] { release.set(); });
    EXPECT_EQ(WaitWithMessages(5000, handles), 0u);
}

} // namespace
