#include "service/host/SpeechStandIn.h"

#include "service/core/Journal.h"

void SpeechStandIn::SpeakIt(const QString& sToSay, qint32)
{
    if (!sToSay.isEmpty())
        m_journal.WriteSysJournal(
            QStringLiteral("Speech is not built yet: nothing said"), 0, QStringLiteral("SpeakIt"));
}

void SpeechStandIn::SaveTextToWav(const QString& sText, const QString&, qint32)
{
    if (!sText.isEmpty())
        m_journal.WriteSysJournal(
            QStringLiteral("Speech is not built yet: no wave file made"), 0, QStringLiteral("SaveTextToWav"));
}
