#pragma once

#include <QtGlobal>

#include <functional>

// The two kinds of wait. Both take their time from Clock::instance(), so with a
// test clock nothing sleeps for real.

// Runs a nested event loop (timers, sockets, channel messages keep being
// handled, and a handler may run in the middle of the caller) until done()
// answers true or timeoutMs has passed; timeoutMs < 0 waits for done() alone.
// done() is asked whenever the loop is about to go idle and when time moves
// on. Pending events run at least once, even for a timeout of 0. True when
// done() ended the wait.
bool WaitLettingEventsRun(qint64 timeoutMs, const std::function<bool()>& done = {});

// Waits about tenths / 10 seconds while events keep running.
void Pause(qint32 tenths);

// Blocks the thread for tenths / 10 seconds: no timer, channel or control
// event is handled meanwhile.
void WaitTenths(qint32 tenths);
