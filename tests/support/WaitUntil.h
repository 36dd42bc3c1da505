#pragma once

#include <QDeadlineTimer>
#include <QTest>

// Lets the event loop run until the condition holds; false when the time ran
// out first. For ASSERT_TRUE/EXPECT_TRUE, which (unlike QTRY_*) fail the test.
template<typename Condition>
bool waitUntil(Condition condition, int timeoutMs = 5000)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(2);
    }
    return true;
}
