#include "service/core/PendingCallRecords.h"

#include "common/CallStore.h"
#include "common/SharedFile.h"
#include "service/core/Journal.h"
#include "service/core/ServiceConsole.h"

PendingCallRecords::PendingCallRecords(const Journal& journal, Tell tellDesktop, QObject* parent)
    : QObject(parent)
    , m_journal(journal)
    , m_tellDesktop(std::move(tellDesktop))
{
    m_retry.setInterval(kRetryMs);
    connect(&m_retry, &QTimer::timeout, this, &PendingCallRecords::flush);
}

PendingCallRecords::~PendingCallRecords()
{
    flush();
    if (!m_waiting.isEmpty())
        ServiceConsole::say(
            QStringLiteral("%1 call(s) could not be stored before the service ended and are lost.")
                .arg(m_waiting.size()));
}

bool PendingCallRecords::store(
    const CallRecord& record, const QString& dayFolder, bool skipList, qint32 itemsInLast)
{
    m_waiting.append(Pending{record, dayFolder, skipList, itemsInLast});
    m_refused = false;
    flush();
    return m_waiting.isEmpty() && !m_refused;
}

void PendingCallRecords::flush()
{
    QString reason;
    QString listReason;
    // Records in order; a list that cannot be written does not hold them back,
    // and the list lines follow in the same order, each once its record is there.
    qsizetype i = 0;
    while (i < m_waiting.size()) {
        Pending& call = m_waiting[i];
        // Held across the record and its line, as a deletion in the day holds
        // it across its rewrite and the list's renumbering.
        const DayFileLock lock(call.dayFolder, true);
        if (call.storedAs == 0 && !(reason = storeRecord(call)).isEmpty())
            break;
        if (i == 0 && listReason.isEmpty()) {
            listReason = listFirst();
            if (listReason.isEmpty()) {
                m_waiting.removeFirst();
                continue;
            }
        }
        ++i;
    }
    if (reason.isEmpty())
        reason = listReason;
    if (m_waiting.isEmpty()) {
        m_retry.stop();
        if (m_said) {
            m_said = false;
            const QString text = QStringLiteral("The calls that waited are stored now.");
            ServiceConsole::say(text);
            m_tellDesktop(text);
        }
        return;
    }
    if (!m_retry.isActive())
        m_retry.start();
    if (m_said)
        return;
    m_said = true;
    const QString text = QStringLiteral("A call cannot be stored (%1); it is kept and stored as soon as the "
                                        "disk allows.")
                             .arg(reason);
    ServiceConsole::say(text);
    m_journal.WriteSysJournal(text, -1, QStringLiteral("ErrAddCallRecord"));
    m_tellDesktop(text);
}

QString PendingCallRecords::storeRecord(Pending& call)
{
    const qint32 number = AppendCallRecord(call.record, call.dayFolder);
    if (number >= 1) {
        call.storedAs = number;
        return {};
    }
    const QString reason = SharedFile::lastWriteFailure();
    if (!reason.isEmpty())
        return reason;
    // A day folder no call can be stored in: waiting would not help.
    m_journal.WriteSysJournal(
        QStringLiteral("Cannot store the call in ") + call.dayFolder, -1, QStringLiteral("ErrAddCallRecord"));
    call.storedAs = -1;
    m_refused = true;
    return {};
}

QString PendingCallRecords::listFirst()
{
    const Pending& call = m_waiting.first();
    if (call.storedAs < 1 || call.skipList || AddToLastList(call.storedAs, call.dayFolder, call.itemsInLast))
        return {};
    const QString reason = SharedFile::lastWriteFailure();
    if (!reason.isEmpty())
        return reason;
    m_journal.WriteSysJournal(
        QStringLiteral("Cannot write the recent-calls list"), -1, QStringLiteral("ErrAddToLastList"));
    m_refused = true;
    return {};
}
