#include "service/line/IncomingCallAlert.h"

#include "service/core/CallOptions.h"
#include "service/core/Journal.h"
#include "service/line/LineActions.h"

void AlertStandIn::PlayIncomingCallAlert(LineActions& line)
{
    const CallOptions& options = line.call().options;
    if (options.bPlaySound_IC || options.SayText)
        line.journal().WriteSysJournal(
            QStringLiteral("Incoming-call alerts are not built yet: nothing played"), 0,
            QStringLiteral("PlayIncomingCallAlert"));
}
