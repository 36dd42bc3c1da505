#include "service/line/CallForwarding.h"

#include <QString>

bool ForwardsCallType(qint16 action, const QString& callType)
{
    return action == 0 || (action == 1 && callType == u"2") || (action == 2 && callType == u"3");
}
