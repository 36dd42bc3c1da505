#include "tests/e2e/LiveLine.h"

#include "common/ChannelMessages.h"
#include "common/DataPaths.h"
#include "common/DateTimeText.h"
#include "common/FixedRecord.h"
#include "common/JournalFormat.h"
#include "common/LastList.h"
#include "common/RecordFile.h"
#include "common/RegistryRoutines.h"
#include "tests/support/JournalFiles.h"
#include "tests/support/WaitUntil.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>

QString trimmed(const QString& field)
{
    return FixedRecord::trimBlanks(field);
}

void LiveLine::SetUp()
{
    env.installDefaults();
    const QDir home(env.programFolder());
    ASSERT_TRUE(home.mkpath(QStringLiteral("Journal")));
    ASSERT_TRUE(home.mkpath(QStringLiteral("Trans")));
    // The descriptions stored with the calls come from the text table.
    ASSERT_TRUE(QFile::copy(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt"),
        home.filePath(QStringLiteral("Trans/English.txt"))));
    extra.insert(QStringLiteral("RINGVALE_AUDIO_SINK"), sink.path());
    const auto listen = [this](MessageControl& endpoint, qint32 number, QStringList& into) {
        endpoint.Channel(number);
        QObject::connect(
            &endpoint, &MessageControl::MessageArrived, [this, &into, number](const QString& text) {
                into.append(text);
                if (number == ChannelNumber::EventChannel && text.startsWith(u"Tapi_Idle\r\n"))
                    ++m_idlesOnEventChannel;
            });
    };
    // Bound before the service starts, as the desktop's are.
    listen(m_events, ChannelNumber::EventChannel, events);
    listen(m_callerIds, ChannelNumber::CallerIdChannel, callerIds);
    listen(m_idles, ChannelNumber::IdleChannel, idles);
}

void LiveLine::TearDown()
{
    if (svc && svc->isRunning())
        unload();
}

void LiveLine::set(const QString& section, const QString& name, const QString& value)
{
    ASSERT_TRUE(RegistryRoutines::forProduct(section).setString(name, value)) << name.toStdString();
}

void LiveLine::start()
{
    svc = std::make_unique<Svc>(
        env, QStringList{QStringLiteral("-gc")}, std::nullopt, false, QString(), extra);
    ASSERT_TRUE(waitUntil([&] { return !events.isEmpty(); }, 5000)) << svc->userStderr().toStdString();
    ASSERT_EQ(events, QStringList{QStringLiteral("LineStatus\r\n0\r\n0\r\nFalse")});
    events.clear();
    ASSERT_TRUE(waitUntil([&] { return m_commands.Channel(ChannelNumber::CommandChannel); }));
}

void LiveLine::unload()
{
    ASSERT_TRUE(waitUntil([&] { return m_process.Channel(ChannelNumber::ProcChannel); }));
    m_process.Send(QStringLiteral("UNLOAD"));
    ASSERT_TRUE(m_process.Flush(3000));
    EXPECT_EQ(svc->waitForExit(), 0);
    EXPECT_EQ(svc->userStderr(), QByteArray());
}

LiveLine::ToolRun LiveLine::line(const QStringList& args, int timeoutMs)
{
    return tool(QStringLiteral("ringvale-line"), args, timeoutMs);
}

LiveLine::ToolRun LiveLine::tool(const QString& name, const QStringList& args, int timeoutMs)
{
    QProcess tool;
    tool.setProcessEnvironment(env.processEnvironment());
    tool.start(TestEnvironment::binary(name), args);
    ToolRun run;
    if (!tool.waitForStarted(testTimeout(5000)))
        return run;
    // The service's texts keep arriving while the tool runs.
    if (!waitUntil([&] { return tool.state() == QProcess::NotRunning; }, timeoutMs)) {
        tool.kill();
        tool.waitForFinished(testTimeout(5000));
        return run;
    }
    run.exitCode = tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
    run.out = QString::fromUtf8(tool.readAllStandardOutput());
    run.err = QString::fromUtf8(tool.readAllStandardError());
    return run;
}

bool LiveLine::command(const QString& text)
{
    if (!m_commands.Channel(ChannelNumber::CommandChannel))
        return false;
    m_commands.Send(text);
    return m_commands.Flush(3000);
}

bool LiveLine::waitForIdles(int n, int timeoutMs)
{
    return waitUntil([&] { return idles.size() >= n && m_idlesOnEventChannel >= n; }, timeoutMs);
}

bool LiveLine::waitForEvent(const QString& text, int timeoutMs)
{
    return waitUntil([&] { return events.contains(text); }, timeoutMs);
}

QList<QDate> LiveLine::testDays() const
{
    QList<QDate> days;
    for (QDate day = m_firstDay; day <= QDate::currentDate(); day = day.addDays(1))
        days << day;
    return days;
}

namespace {

RecordFile dayRecords(const QDate& day)
{
    return RecordFile(DataPaths::native(DataPaths::dayFile(DataPaths::dayFolderOf(day))), CallRecord::Size);
}

} // namespace

std::optional<LiveLine::StoredAt> LiveLine::storedAt(qint32 number) const
{
    if (number < 1)
        return std::nullopt;
    qint32 before = 0;
    for (const QDate& day : testDays()) {
        const qint32 count = dayRecords(day).count();
        if (number <= before + count)
            return StoredAt{day, number - before};
        before += count;
    }
    return std::nullopt;
}

QString LiveLine::today() const
{
    const std::optional<StoredAt> first = storedAt(1);
    return DateTimeText::formatDate(first ? first->day : QDate::currentDate());
}

QString LiveLine::todaysFolder() const
{
    const std::optional<StoredAt> first = storedAt(1);
    return DataPaths::dayFolderOf(first ? first->day : QDate::currentDate());
}

QString LiveLine::lastEntryOf(qint32 number) const
{
    const std::optional<StoredAt> at = storedAt(number);
    if (!at)
        return QString();
    return QString::number(at->number) + u':' + DataPaths::dayFolderOf(at->day);
}

std::optional<CallRecord> LiveLine::record(qint32 number) const
{
    const std::optional<StoredAt> at = storedAt(number);
    if (!at)
        return std::nullopt;
    const std::optional<QByteArray> bytes = dayRecords(at->day).read(at->number);
    if (!bytes)
        return std::nullopt;
    return CallRecord::fromBytes(*bytes);
}

qint32 LiveLine::recordCount() const
{
    qint32 count = 0;
    for (const QDate& day : testDays())
        count += dayRecords(day).count();
    return count;
}

QStringList LiveLine::last() const
{
    return LastList::readLines(DataPaths::native(DataPaths::lastList())).value_or(QStringList());
}

QStringList LiveLine::callsJournal() const
{
    QStringList out;
    for (const QDate& day : testDays()) {
        const QString path = env.programFolder() + QStringLiteral("/Journal/")
            + JournalFormat::fileName(JournalFormat::Kind::Calls, day);
        for (const QString& entry : journalEntries(path))
            out << entry.mid(11);
    }
    return out;
}
