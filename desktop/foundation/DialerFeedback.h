#pragma once

#include <QString>

// What the hub's line-event handlers do to the dialer window while it is
// loaded: the dialling text, the connected box and the seconds counter. The
// dialer registers itself when it loads and withdraws when it closes; the
// handlers never load it.
class DialerFeedback {
public:
    virtual ~DialerFeedback() = default;
    // The number box's text, as shown.
    virtual QString NumberText() const = 0;
    // Send and Record are disabled until the call ends.
    virtual void DisableDialButtons() = 0;
    // Status panel 1.
    virtual void SetStatusText(const QString& text) = 0;
    // The "call is up" box; returns when the user has closed it.
    virtual void CallReady() = 0;
    // Starts the recorded call's seconds counter.
    virtual void StartSecondsCounter() = 0;
    // The line is idle again: the dialer is ready for the next call, and the
    // "call is up" box, if still open, goes.
    virtual void CallEnded() = 0;
};

// The loaded dialer, or null while none is loaded.
DialerFeedback* LoadedDialer();
// Registers dialer (not owned) as loaded; null when it closes.
void SetLoadedDialer(DialerFeedback* dialer);
