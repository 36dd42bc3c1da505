#include "service/core/Journal.h"

#include "common/Clock.h"
#include "common/JournalFormat.h"
#include "common/ProgramPath.h"
#include "common/RegistryRoutines.h"
#include "common/SharedFile.h"

#include <QDateTime>
#include <QFileInfo>

namespace {

void append(JournalFormat::Kind kind, const QString& text)
{
    // Date and time of one instant: an entry at midnight cannot land in the
    // old day's file with the new day's time.
    const QDateTime now = Clock::instance().now();
    const std::optional<QString> folder = ProgramPath::toNative(JournalFormat::folder());
    // The installation makes the folder; without it entries are lost.
    if (!folder || !QFileInfo(*folder).isDir())
        return;
    const QString path = *folder + JournalFormat::fileName(kind, now.date());
    const SharedFileLock lock(path);
    if (!lock.isLocked())
        return;
    SharedFile::append(path, JournalFormat::line(now.time(), text));
}

bool isOn(const RegistryRoutines& reg, const QString& name)
{
    bool ok = false;
    const int value = reg.getString(name).trimmed().toInt(&ok);
    return ok && value != 0;
}

} // namespace

void Journal::WriteSysJournal(const QString& message, qint32 number, const QString& source) const
{
    if (m_switches.sys)
        append(JournalFormat::Kind::Sys, JournalFormat::sysText(message, number, source));
}

void Journal::WriteCallsJournal(const QString& text) const
{
    if (m_switches.calls)
        append(JournalFormat::Kind::Calls, text);
}

void Journal::WriteWWWJournal(const QString& text) const
{
    if (m_switches.www)
        append(JournalFormat::Kind::WWW, text);
}

JournalSwitches ReadJournalSwitches()
{
    const RegistryRoutines reg = RegistryRoutines::forProduct(QStringLiteral("Properties\\TabLog"));
    JournalSwitches switches;
    switches.sys = isOn(reg, QStringLiteral("chkLogSys"));
    switches.calls = isOn(reg, QStringLiteral("chkLogCalls"));
    switches.www = isOn(reg, QStringLiteral("chkLogWWW"));
    return switches;
}
