#include "service/core/Journal.h"

#include "common/Clock.h"
#include "common/JournalFormat.h"
#include "common/ProgramPath.h"
#include "common/RegistryRoutines.h"
#include "common/SharedFile.h"
#include "service/core/ServiceConsole.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSet>

namespace {

// Room kept below a day's limit for the line that says the file is full.
constexpr qint64 kStopRoom = 256;
// How far below the limit the stop line may stand: no entry is this long.
constexpr qint64 kStopWindow = 1024 * 1024;

// Whether the file ends with tail: the day's file is full already when its
// last line ends with the stop text.
bool endsWith(const QString& path, const QByteArray& tail)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < tail.size() || !file.seek(file.size() - tail.size()))
        return false;
    return file.read(tail.size()) == tail;
}

// Why the entry did not reach path; empty when it did. With a limit, an entry
// that would take the file past it is left out, and the first one left out
// writes stopLine (a line ending in stopText) instead.
QString appendEntry(const QString& path, const QString& folder, const QByteArray& line, qint64 limit = 0,
    const QByteArray& stopLine = {}, const QByteArray& stopText = {})
{
    const QFileInfo folderInfo(folder);
    // The installation makes the folder; it is not made here.
    if (!folderInfo.isDir()) {
        return folderInfo.exists() ? QStringLiteral("%1 is not a folder").arg(folder)
                                   : QStringLiteral("the folder %1 does not exist").arg(folder);
    }
    const SharedFileLock lock(path);
    if (!lock.isLocked())
        return QStringLiteral("it cannot be locked");
    const QByteArray* entry = &line;
    if (limit > 0) {
        // Near the limit, a file that says it is full takes nothing more,
        // however short.
        const qint64 size = QFileInfo(path).size();
        if (size > limit - kStopRoom - kStopWindow && endsWith(path, stopText + "\r\n"))
            return {};
        if (size + line.size() > limit - kStopRoom)
            entry = &stopLine;
    }
    if (SharedFile::append(path, *entry))
        return {};
    const QFileInfo file(path);
    if (file.exists() && !file.isFile())
        return QStringLiteral("it is not a file");
    if (file.exists() && !file.isWritable())
        return QStringLiteral("it is not writable");
    if (!folderInfo.isWritable())
        return QStringLiteral("the folder is not writable");
    return QStringLiteral("writing failed (disk full?)");
}

bool isOn(const RegistryRoutines& reg, const QString& name)
{
    bool ok = false;
    const int value = reg.getString(name).trimmed().toInt(&ok);
    return ok && value != 0;
}

} // namespace

struct Journal::Failures {
    QMutex mutex;
    QSet<QString> reported; // files whose failure was said and not cured since
    Reporter report;
};

Journal::Journal(const JournalSwitches& switches, Reporter report)
    : m_switches(switches)
    , m_failures(std::make_shared<Failures>())
{
    m_failures->report = report ? std::move(report) : Reporter(&ServiceConsole::say);
}

void Journal::append(int kind, const QString& text) const
{
    // Date and time of one instant: an entry at midnight cannot land in the
    // old day's file with the new day's time.
    const QDateTime now = Clock::instance().now();
    const std::optional<QString> folder = ProgramPath::toNative(JournalFormat::folder());
    if (!folder)
        return;
    const QString path = *folder + JournalFormat::fileName(JournalFormat::Kind(kind), now.date());
    // The web journal takes what anyone who reaches the port sends: a day of
    // it never grows past its limit.
    const bool limited = kind == int(JournalFormat::Kind::WWW) && m_wwwDayLimit > 0;
    const QString problem = limited
        ? appendEntry(path, QDir::cleanPath(*folder), JournalFormat::line(now.time(), text), m_wwwDayLimit,
            JournalFormat::line(now.time(), wwwStopText(m_wwwDayLimit)), wwwStopText(m_wwwDayLimit).toUtf8())
        : appendEntry(path, QDir::cleanPath(*folder), JournalFormat::line(now.time(), text));
    const QMutexLocker lock(&m_failures->mutex);
    if (problem.isEmpty()) {
        m_failures->reported.remove(path);
        return;
    }
    if (m_failures->reported.contains(path))
        return;
    m_failures->reported.insert(path);
    m_failures->report(QStringLiteral("cannot write the journal %1: %2; its entries are lost until it can be "
                                      "written (each entry tries again).")
                           .arg(path, problem));
}

QString Journal::wwwStopText(qint64 limit)
{
    return QStringLiteral("The web journal of this day has reached %1 KiB: its further entries are left out")
        .arg(limit / 1024);
}

void Journal::WriteSysJournal(const QString& message, qint32 number, const QString& source) const
{
    if (m_switches.sys)
        append(int(JournalFormat::Kind::Sys), JournalFormat::sysText(message, number, source));
}

void Journal::WriteCallsJournal(const QString& text) const
{
    if (m_switches.calls)
        append(int(JournalFormat::Kind::Calls), text);
}

void Journal::WriteWWWJournal(const QString& text) const
{
    if (m_switches.www)
        append(int(JournalFormat::Kind::WWW), text);
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
