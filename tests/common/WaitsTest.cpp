#include "common/Waits.h"
#include "tests/support/TestClock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(Waits_Pause, LetsPendingEventsRunAndEndsWhenTheClockReachesTheEnd)
{
    TestClock clock;
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    Pause(10);
    EXPECT_TRUE(fired);
    EXPECT_EQ(clock.elapsedMs(), 1000);
}

TEST(Waits_Pause, WaitsForTheWholeTimeWhileTheClockMovesInSteps)
{
    TestClock clock;
    clock.setAutoAdvance(false);
    // Past 2^32 ms a 32-bit tick counter would have wrapped; the wait must not care.
    clock.advance(0xFFFFFF00LL);
    bool returned = false;
    QStringList seen;
    QTimer::singleShot(0, [&] {
        clock.advance(500);
        QTimer::singleShot(0, [&] {
            seen << QStringLiteral("after 500 ms");
            clock.advance(499);
            QTimer::singleShot(0, [&] {
                seen << (returned ? QStringLiteral("returned early") : QStringLiteral("after 999 ms"));
                clock.advance(1);
            });
        });
    });
    Pause(10);
    returned = true;
    EXPECT_EQ(seen, (QStringList{QStringLiteral("after 500 ms"), QStringLiteral("after 999 ms")}));
    EXPECT_EQ(clock.elapsedMs(), 0xFFFFFF00LL + 1000);
}

TEST(Waits_Pause, AHandlerInsideThePauseMayPauseItself)
{
    TestClock clock;
    bool innerDone = false;
    QTimer::singleShot(0, [&] {
        Pause(5);
        innerDone = true;
    });
    Pause(10);
    EXPECT_TRUE(innerDone);
    EXPECT_GE(clock.elapsedMs(), 1000);
}

TEST(Waits_WaitTenths, LetsNoEventRunAndSleepsOnlyOnTheClock)
{
    TestClock clock;
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    WaitTenths(10);
    EXPECT_FALSE(fired);
    EXPECT_EQ(clock.elapsedMs(), 1000);
    EXPECT_EQ(clock.sleeps(), 1);
    QCoreApplication::processEvents();
    EXPECT_TRUE(fired);
}

TEST(Waits_WaitLettingEventsRun, EndsWhenDoneAnswersTrueOrAtTheTimeout)
{
    TestClock clock;
    clock.setAutoAdvance(false);
    bool ready = false;
    QTimer::singleShot(0, [&] { ready = true; });
    EXPECT_TRUE(WaitLettingEventsRun(-1, [&] { return ready; }));
    EXPECT_EQ(clock.elapsedMs(), 0);

    clock.setAutoAdvance(true);
    EXPECT_FALSE(WaitLettingEventsRun(300, [] { return false; }));
    EXPECT_EQ(clock.elapsedMs(), 300);

    // A wait that ended early leaves no time jump behind.
    bool again = false;
    QTimer::singleShot(0, [&] { again = true; });
    EXPECT_TRUE(WaitLettingEventsRun(5000, [&] { return again; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(clock.elapsedMs(), 300);
}

// The system clock really waits; a tenth of a second each keeps this short.
TEST(Waits_SystemClock, PauseAndWaitTenthsTakeTheirTimeAndDifferInEvents)
{
    QElapsedTimer timer;
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    timer.start();
    Pause(1);
    EXPECT_TRUE(fired);
    EXPECT_GE(timer.elapsed(), 100);
    EXPECT_LT(timer.elapsed(), 1000);

    fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    timer.restart();
    WaitTenths(1);
    EXPECT_FALSE(fired);
    EXPECT_GE(timer.elapsed(), 100);
    EXPECT_LT(timer.elapsed(), 1000);
    QCoreApplication::processEvents();
}

} // namespace
