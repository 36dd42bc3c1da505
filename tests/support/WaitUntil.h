#pragma once

#include <QDeadlineTimer>
#include <QTest>

// The bound of a wait for something expected, as written for a plain build on
// a quiet machine. A bound only ends a test that hangs; it never measures
// speed (that is the benchmarks' work). So it leaves room for a loaded
// two-core machine running eight tests at once, and more again for
// AddressSanitizer, which runs everything several times slower and starts
// programs slower still. A generous bound costs nothing when the condition
// comes.
constexpr int testTimeout(int ms)
{
#if defined(__SANITIZE_ADDRESS__)
    return ms * 16;
#else
    return ms * 4;
#endif
}

// Lets the event loop run until the condition holds; false when the time ran
// out first. For ASSERT_TRUE/EXPECT_TRUE, which (unlike QTRY_*) fail the test.
template<typename Condition>
bool waitUntil(Condition condition, int timeoutMs = 5000)
{
    const QDeadlineTimer deadline(testTimeout(timeoutMs));
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(2);
    }
    return true;
}

// Lets the event loop run for the whole time and is true when the condition
// never held; false as soon as it does. For what must not happen, such as a
// second arrival of something that came once.
template<typename Condition>
bool staysFalse(Condition condition, int periodMs)
{
    const QDeadlineTimer deadline(periodMs);
    while (!deadline.hasExpired()) {
        if (condition())
            return false;
        QTest::qWait(2);
    }
    return !condition();
}
