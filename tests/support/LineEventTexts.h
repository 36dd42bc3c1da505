#pragma once

#include <QString>

// The service's line events as they stand on the channels, spelled out, so
// the tests pin the layout instead of reusing the code that makes it.
inline const QString kOpen = QStringLiteral("LineStatus\r\n0\r\n0\r\nFalse");
inline const QString kClosed = QStringLiteral("LineStatus\r\n0\r\n1\r\nFalse");

// "Tapi_Ring" with its count and the record-call flag.
inline QString ring(int count, bool recordCallFlag = false)
{
    return QStringLiteral("Tapi_Ring\r\n0\r\n") + QString::number(count) + QStringLiteral("\r\n")
        + (recordCallFlag ? QStringLiteral("True") : QStringLiteral("False"));
}
