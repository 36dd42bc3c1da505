#include "service/line/ModemSerialPath.h"

#include "service/core/Journal.h"

bool ModemPathStandIn::CommConnect(const QString&, const QString&)
{
    m_journal.WriteSysJournal(QStringLiteral("The modem path is not built yet: the line stays closed"), 0,
        QStringLiteral("CommConnect"));
    return false;
}
