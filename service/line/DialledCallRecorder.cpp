#include "service/line/DialledCallRecorder.h"

#include "service/core/Journal.h"
#include "service/line/LineActions.h"

void RecorderStandIn::StartRecordIfConnected(LineActions& line)
{
    line.journal().WriteSysJournal(QStringLiteral("Recording dialled calls is not built yet: not recorded"),
        0, QStringLiteral("StartRecordIfConnected"));
}
