#pragma once

#include <QString>

// One call as the message templates see it: the line engine's call in
// progress, or the desktop's sample call of its speech test.
struct CallInfo {
    QString CallerName;
    QString CallerNumber;
    QString CallTime; // "HH:mm:ss"
    QString CallDate; // "MM/dd/yyyy"
    QString MessagePath; // the recording's file name once one starts
    QString Length;
    QString ContactName;
    qint16 ReadMark = 0;
    QString CallType; // "0" to "4", see CallRecord.h
};
