#include "service/line/CallForwarding.h"

#include "service/core/CallOptions.h"
#include "service/core/Journal.h"
#include "service/line/LineActions.h"

#include <QString>

void ForwardingStandIn::SendCallByMail(LineActions& line)
{
    line.journal().WriteSysJournal(
        QStringLiteral("Forwarding by mail is not built yet: not sent to ") + line.call().options.MailTo, 0,
        QStringLiteral("SendCallByMail"));
}

void ForwardingStandIn::SendToApp(LineActions& line)
{
    line.journal().WriteSysJournal(
        QStringLiteral("Forwarding to a program is not built yet: nothing started"), 0,
        QStringLiteral("SendToApp"));
}

bool ForwardsCallType(qint16 action, const QString& callType)
{
    return action == 0 || (action == 1 && callType == u"2") || (action == 2 && callType == u"3");
}
