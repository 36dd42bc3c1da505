#include "tests/service/line/CallFixture.h"

#include "common/CallStore.h"
#include "common/ChannelMessages.h"
#include "common/DataPaths.h"
#include "common/FixedRecord.h"
#include "common/LastList.h"
#include "common/RecordFile.h"
#include "common/RegistryRoutines.h"
#include "platform/SimulatedTelephony.h"
#include "platform/SinkWave.h"
#include "service/core/Journal.h"
#include "service/core/ServiceTranslation.h"
#include "tests/support/JournalFiles.h"
#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QTest>

#include <memory>

const QString CallFixture::kDay = QStringLiteral("\\Data\\Log\\2026\\12\\10\\");

QString idleOf(const char* callType)
{
    return ChannelMessages::tapiIdle(0, QString::fromLatin1(callType));
}

void CallFixture::SetUp()
{
    env.installDefaults();
    ASSERT_TRUE(QDir(env.programFolder()).mkpath(QStringLiteral("Journal")));
    ASSERT_EQ(LoadServiceTranslation(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt")), 0);
    state.bCallerIdFromTapi = true;
    set(QStringLiteral("Properties\\TabDevices\\CallerID"), QStringLiteral("Tapi"), QStringLiteral("1"));
    const auto listen = [](MessageControl& endpoint, qint32 number, QStringList& into) {
        endpoint.Channel(number);
        QObject::connect(
            &endpoint, &MessageControl::MessageArrived, [&into](const QString& text) { into.append(text); });
    };
    listen(m_eventListener, ChannelNumber::EventChannel, events);
    QObject::connect(&m_eventListener, &MessageControl::MessageArrived, [this](const QString& text) {
        if (text.startsWith(u"Tapi_Idle\r\n"))
            ++m_idlesOnEventChannel;
    });
    listen(m_callerIdListener, ChannelNumber::CallerIdChannel, callerIds);
    listen(m_idleListener, ChannelNumber::IdleChannel, idles);
}

void CallFixture::TearDown()
{
    line.reset();
    controls.reset();
    lines.reset();
}

void CallFixture::set(const QString& section, const QString& name, const QString& value)
{
    ASSERT_TRUE(RegistryRoutines::forProduct(section).setString(name, value)) << name.toStdString();
}

void CallFixture::load(const SimulatedLines::Config& config)
{
    events.clear();
    lines = std::make_unique<SimulatedLines>(config);
    frmLine::Controls given;
    given.Tapi1 = tapi = new SimulatedTelephony(lines.get());
    given.Wave1 = new SinkWave(sink.path());
    given.WavePlayer = player ? player : new SinkWave(sink.path(), 1000);
    if (makeModem)
        given.MSComm1 = makeModem(*tapi);
    else
        given.MSComm1 = modem = new ModemPort;
    given.Alert = alert ? alert : new NotedAlert(parts);
    given.Recorder = makeRecorder ? makeRecorder(*tapi, *given.Wave1) : new NotedRecorder(parts);
    given.Forwarding = forwarding ? forwarding : new NotedForwarding(parts);
    given.tts = &tts;
    given.channels = MessageControl::Delivery::SameProcessToo;
    controls = std::make_unique<QObject>();
    adoptControls(given, *controls);
    line = std::make_unique<frmLine>(given, state, journal);
    line->Form_Load();
    line->OpenLine();
    ASSERT_TRUE(waitUntil([&] { return !events.isEmpty(); }, 3000));
    events.clear();
}

void CallFixture::settle() const
{
    // Line events reach the engine as events posted to its thread, handled in
    // the order they were posted: once this one has run, so has every line
    // event raised before it.
    const auto handled = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(
        tapi, [handled] { *handled = true; }, Qt::QueuedConnection);
    EXPECT_TRUE(waitUntil([&] { return *handled; }, 3000)) << "the line engine did not come round";
}

void CallFixture::incomingCall(const QString& name, const QString& number, int rings, int nthCall)
{
    ASSERT_EQ(device()->farOffer(number, name), QString());
    for (int ring = 1; ring <= rings; ++ring) {
        ASSERT_EQ(device()->farRing(), QString());
        if (ring == 1) {
            ASSERT_EQ(device()->farCallerId(name, number), QString());
        }
    }
    ASSERT_EQ(device()->farHangup(1000), QString());
    ASSERT_TRUE(waitForIdles(nthCall));
    settle();
}

bool CallFixture::waitForIdles(int n)
{
    return waitUntil([&] { return idles.size() >= n && m_idlesOnEventChannel >= n; }, 3000);
}

QStringList CallFixture::sysJournal() const
{
    QStringList out;
    for (const QString& entry : journalEntries(testDaySysJournal(env.programFolder())))
        out << entry.mid(11);
    return out;
}

QStringList CallFixture::callsJournal() const
{
    QStringList out;
    for (const QString& entry :
        journalEntries(env.programFolder() + QStringLiteral("/Journal/12-10-2026_Calls.txt")))
        out << entry.mid(11);
    return out;
}

std::optional<CallRecord> CallFixture::record(qint32 number) const
{
    CallRecord read;
    if (!ReadCallRecord(read, kDay, number))
        return std::nullopt;
    return read;
}

qint32 CallFixture::recordCount() const
{
    return RecordFile(DataPaths::native(DataPaths::dayFile(kDay)), CallRecord::Size).count();
}

QStringList CallFixture::last() const
{
    return LastList::readLines(DataPaths::native(DataPaths::lastList())).value_or(QStringList());
}
