#pragma once

#include <QString>

class Journal;
struct CurrentCall;
struct LineState;

// What the line engine's pieces (alert, recorder, forwarding, modem path) may
// see of the engine and do to the line. The engine implements it; a piece
// gets it with each call, and its platform back-ends from the service's root.
class LineActions {
public:
    // The call in progress, its options and settings.
    virtual const CurrentCall& call() const = 0;
    virtual const LineState& state() const = 0;
    virtual const Journal& journal() const = 0;
    // The line the messages on the channels name (LineIndex).
    virtual qint32 CurrentLine() const = 0;
    // Sends text on the channel (ChannelNumber) when a peer is bound there;
    // false when nobody is.
    virtual bool send(qint32 channel, const QString& text) = 0;
    // "LineStatus" on 307.
    virtual void SendLineStatus() = 0;
    // Hangs up the call in progress, stopping what plays or records on it.
    virtual void DropCall() = 0;
    // In modem mode, hands the line back from the line device to the modem's
    // port; nothing in TAPI mode.
    virtual void giveLineBack() = 0;
    // The recording of the call in progress (its file name in the day folder).
    virtual void setMessagePath(const QString& fileName) = 0;

protected:
    ~LineActions() = default;
};
