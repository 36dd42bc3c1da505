#pragma once

#include <QObject>

class LineActions;

// Records a call dialled with "CallOutRec" from the line's wave input into
// the call's day folder, from its connection to its end.
class DialledCallRecorder : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The dialled call was connected: record it if it still is, else hang up.
    virtual void StartRecordIfConnected(LineActions& line) = 0;
    // The call was disconnected: stop a recording (called at every
    // disconnection, whether one runs or not).
    virtual void StopRecMessage(LineActions& line) = 0;
};
