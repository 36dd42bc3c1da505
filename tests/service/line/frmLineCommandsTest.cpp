#include "common/DataPaths.h"
#include "common/FixedRecord.h"
#include "service/line/LineState.h"
#include "tests/service/line/CallFixture.h"
#include "tests/support/LineEventTexts.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/WaitUntil.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace {

using LineCommands = CallFixture;

const QString kOpenAuto = u"LineStatus\r\n0\r\n0\r\nTrue"_s;
const QString kClosedAuto = u"LineStatus\r\n0\r\n1\r\nTrue"_s;

struct SwitchRow {
    const char* name;
    QString command;
    bool tick; // an auto-mode tick follows
    QStringList reported;
    bool openAfter;
    bool autoTimerAfter;
};

TEST_F(LineCommands, LineSwitchAndGreetingReportLineStatus)
{
    ASSERT_NO_FATAL_FAILURE(load()); // 09:30:00, line open
    const SwitchRow rows[] = {
        {"HELLO with the line open", u"HELLO"_s, false, {kOpen}, true, false},
        {"OFF", u"OFF"_s, false, {kClosed}, false, false},
        {"HELLO with the line closed", u"HELLO"_s, false, {kClosed}, false, false},
        {"ON with further lines is ON", u"ON\r\nextra\r\n"_s, false, {kOpen}, true, false},
        {"lower case is no command", u"off"_s, false, {}, true, false},
        {"AUTO inside the window: the tick leaves it open", u"AUTO\r\n08:00:00\r\n16:00:00"_s, true,
            {kOpenAuto}, true, true},
        {"AUTO outside the window: reported open, closed by the tick", u"AUTO\r\n10:00:00\r\n16:00:00"_s,
            true, {kOpenAuto, kClosedAuto}, false, true},
        {"HELLO in auto mode", u"HELLO"_s, false, {kClosedAuto}, false, true},
        // A window that is none is refused; what stands is reported.
        {"AUTO with no times", u"AUTO\r\nnoon\r\n16:00:00"_s, true, {kClosedAuto}, false, true},
        {"ON ends auto mode", u"ON"_s, false, {kOpen}, true, false},
    };
    for (const SwitchRow& row : rows) {
        SCOPED_TRACE(row.name);
        events.clear();
        line->udiIn_MessageArrived(row.command);
        if (row.tick)
            line->tmrAutoMode_Timer();
        waitUntil([&] { return events.size() >= row.reported.size(); }, 2000);
        settle();
        EXPECT_EQ(events, row.reported);
        EXPECT_EQ(line->IsWatching(), row.openAfter);
        EXPECT_EQ(line->isAutoModeTimerActive(), row.autoTimerAfter);
    }
    EXPECT_EQ(state.sTimeOn, u"10:00:00"_s);
    EXPECT_EQ(state.sTimeOff, u"16:00:00"_s);
    EXPECT_TRUE(sysJournal().contains(u"AUTO->Not a time window: noon - 16:00:00(0)"_s));
}

struct DialRow {
    const char* name;
    QString command;
    const char* callType;
    QStringList partsAtConnection;
};

TEST_F(LineCommands, DialledCallIsReportedStoredAndRecordedOnlyWhenAsked)
{
    ASSERT_NO_FATAL_FAILURE(load());
    // "CallOutRec" and then "CallOut": the second call is not recorded.
    const DialRow rows[] = {
        {"CallOutRec", u"CallOutRec\r\n5559876"_s, "4", {u"record"_s}},
        {"CallOut", u"CallOut\r\n5559876"_s, "1", {}},
    };
    int calls = 0;
    for (const DialRow& row : rows) {
        SCOPED_TRACE(row.name);
        events.clear();
        parts.steps.clear();
        const int stopsBefore = tts.stops;
        line->udiIn_MessageArrived(row.command);
        EXPECT_TRUE(line->IsInCall());
        settle();
        EXPECT_EQ(device()->callState(), SimulatedLineDevice::CallState::Dialing);
        EXPECT_EQ(device()->offeredNumber(), u"5559876"_s);
        ASSERT_EQ(device()->farAnswer(), QString());
        settle();
        EXPECT_EQ(parts.steps, row.partsAtConnection);
        EXPECT_EQ(tts.stops, stopsBefore + 1) << "speech stops when a call connects";
        ASSERT_EQ(device()->farHangup(1000), QString());
        ASSERT_TRUE(waitForIdles(++calls));
        settle();
        EXPECT_EQ(events,
            (QStringList{u"Tapi_Dialing\r\n0"_s, u"Tapi_Connected\r\n0"_s, u"Tapi_Disconnected\r\n0"_s,
                idleOf(row.callType)}));
        const std::optional<CallRecord> stored = record(calls);
        ASSERT_TRUE(stored);
        EXPECT_EQ(FixedRecord::trimBlanks(stored->CallType), QString::fromLatin1(row.callType));
        EXPECT_EQ(FixedRecord::trimBlanks(stored->CallerName), u"UNKNOWN"_s);
        EXPECT_EQ(FixedRecord::trimBlanks(stored->CallerNumber), u"5559876"_s);
        EXPECT_EQ(
            FixedRecord::trimBlanks(stored->Description), u"Outgoing call"_s); // line 13 of the text table
        EXPECT_FALSE(line->IsInCall());
    }
}

TEST_F(LineCommands, CallOutDuringACallIsRefusedAndTheLiveCallKeepsItsCaller)
{
    ASSERT_NO_FATAL_FAILURE(load());
    ASSERT_EQ(device()->farOffer(u"5551234"_s, u"Ann"_s), QString());
    ASSERT_EQ(device()->farRing(), QString());
    ASSERT_EQ(device()->farCallerId(u"Ann"_s, u"5551234"_s), QString());
    settle();
    const QStringList before = device()->actions();
    line->udiIn_MessageArrived(u"CallOut\r\n5559999"_s);
    EXPECT_EQ(device()->actions(), before) << "nothing dialled";
    EXPECT_EQ(sysJournal().last(), u"CallOut->A call is in progress; not dialled: 5559999(0)"_s);
    ASSERT_EQ(device()->farHangup(1000), QString());
    ASSERT_TRUE(waitForIdles(1));
    ASSERT_TRUE(record(1));
    EXPECT_EQ(FixedRecord::trimBlanks(record(1)->CallerNumber), u"5551234"_s);
    EXPECT_EQ(FixedRecord::trimBlanks(record(1)->CallType), u"0"_s);

    // A dialled call is in progress too.
    line->udiIn_MessageArrived(u"CallOut\r\n5550001"_s);
    line->udiIn_MessageArrived(u"CallOutRec\r\n5550002"_s);
    EXPECT_EQ(sysJournal().last(), u"CallOutRec->A call is in progress; not dialled: 5550002(0)"_s);
    EXPECT_EQ(device()->offeredNumber(), u"5550001"_s);
}

struct DialStringRow {
    const char* name;
    QString number;
    QString dialled; // empty: refused
    QString refusal = u"CallOut->Not a number to dial: "_s;
};

TEST_F(LineCommands, DialStringsAreCheckedBeforeTheyReachTheLine)
{
    ASSERT_NO_FATAL_FAILURE(load());
    const DialStringRow rows[] = {
        {"digits", u"5551234"_s, u"5551234"_s},
        {"blanks around are dropped", u"  5551234 "_s, u"5551234"_s},
        {"the usual separators", u"+1 (555) 123-4567"_s, u"+1 (555) 123-4567"_s},
        {"a carriage return", u"555\r1234"_s, QString()},
        {"a line feed", u"555\n1234"_s, QString()},
        {"a NUL", u"555"_s + QChar(0) + u"1234"_s, QString()},
        {"a shell character", u"555;reboot"_s, QString()},
        {"empty", QString(), QString()},
        {"blanks only", u"   "_s, QString()},
        // The stored call, and the recording's name rebuilt from it, must
        // name the number dialled: the number field holds 32 bytes.
        {"as long as the record holds", QString(32, u'5'), QString(32, u'5')},
        {"one longer", QString(33, u'5'), QString(), u"CallOut->The number is too long to dial: "_s},
    };
    for (const DialStringRow& row : rows) {
        SCOPED_TRACE(row.name);
        const QStringList before = device()->actions();
        line->udiIn_MessageArrived(u"CallOut\r\n"_s + row.number);
        if (row.dialled.isEmpty()) {
            EXPECT_EQ(device()->actions(), before);
            EXPECT_TRUE(sysJournal().last().startsWith(row.refusal)) << sysJournal().last().toStdString();
            EXPECT_FALSE(line->IsInCall());
            continue;
        }
        EXPECT_EQ(device()->offeredNumber(), row.dialled);
        EXPECT_EQ(line->call().info.CallerNumber, row.dialled);
        line->udiIn_MessageArrived(u"DropCall"_s);
        settle();
        EXPECT_EQ(sysJournal().last(), u"Tapi_Idle(0)->Success(0)"_s);
    }
}

TEST_F(LineCommands, FailedDialIsJournaledLeavesNoCallAndGivesTheLineBack)
{
    for (const bool modemMode : {false, true}) {
        SCOPED_TRACE(modemMode ? "modem mode" : "TAPI mode");
        ASSERT_NO_FATAL_FAILURE(load());
        state.bCallerIdFromTapi = !modemMode;
        device()->failures().set(u"dial"_s, 1);
        line->udiIn_MessageArrived(u"CallOutRec\r\n5551234"_s);
        EXPECT_EQ(sysJournal().last(), u"CallOutRec:Tapi1.LineDial(0)->The line refused the request(10)"_s);
        EXPECT_FALSE(line->IsInCall());
        EXPECT_FALSE(line->HasCallToStore());
        EXPECT_EQ(modem->steps,
            (modemMode ? QStringList{u"GetTapiFromComm"_s, u"CommCloseTapi"_s} : QStringList()));
        // The next dial goes through.
        line->udiIn_MessageArrived(u"CallOut\r\n5551234"_s);
        EXPECT_TRUE(line->IsInCall());
        line->udiIn_MessageArrived(u"StopProc"_s);
        settle();
        EXPECT_FALSE(line->IsInCall());
        EXPECT_EQ(recordCount(), 1) << "only the call that was dialled";
        line.reset();
        lines.reset();
        QFile::remove(DataPaths::native(DataPaths::dayFile(kDay)));
        state.bCallerIdFromTapi = true;
    }
}

TEST_F(LineCommands, DropTheCallAnswersTheOfferedCallAndHangsUpOnceConnected)
{
    ASSERT_NO_FATAL_FAILURE(load());
    // With no call offered the answer is still asked for, and fails.
    line->udiIn_MessageArrived(u"DropTheCall"_s);
    EXPECT_EQ(device()->actions().last(), u"answer -> 8"_s);
    EXPECT_EQ(
        sysJournal().last(), u"DropTheCall:Tapi1.LineAnswer(0)->No call is being offered on the line(8)"_s);

    ASSERT_EQ(device()->farOffer(u"5551234"_s, u"Ann"_s), QString());
    settle();
    line->udiIn_MessageArrived(u"DropTheCall"_s);
    ASSERT_TRUE(waitForIdles(1));
    settle();
    EXPECT_EQ(device()->actions().mid(device()->actions().size() - 2),
        (QStringList{u"answer -> 0"_s, u"drop -> 0"_s}));
    EXPECT_EQ(
        events, (QStringList{u"Tapi_Incomming\r\n0\r\nFalse"_s, u"Tapi_Connected\r\n0"_s, idleOf("0")}));
    EXPECT_EQ(recordCount(), 1);

    // While the modem's port watches the line, the call is not the line
    // device's to answer.
    ASSERT_TRUE(modem->CommConnect(u"/dev/ttyS0"_s, QString()));
    const QStringList before = device()->actions();
    line->udiIn_MessageArrived(u"DropTheCall"_s);
    EXPECT_EQ(device()->actions(), before);
}

TEST_F(LineCommands, RecCallIsEchoedAtTheNextRing)
{
    ASSERT_NO_FATAL_FAILURE(load());
    ASSERT_EQ(device()->farOffer(u"5551234"_s, u"Ann"_s), QString());
    ASSERT_TRUE(waitUntil([&] { return events.size() == 1; }));
    const QString texts[]
        = {u"RecCall\r\nTrue"_s, u"RecCall\r\nmaybe"_s, u"RecCall\r\nFalse"_s, u"RecCall"_s};
    const char* const flags[] = {"True", "True", "False", "False"};
    for (int i = 0; i < 4; ++i) {
        events.clear();
        line->udiIn_MessageArrived(texts[i]);
        ASSERT_EQ(device()->farRing(), QString());
        ASSERT_TRUE(waitUntil([&] { return events.size() == 1; }));
        EXPECT_TRUE(events.first().endsWith(QString::fromLatin1(flags[i])))
            << texts[i].toStdString() << events.first().toStdString();
    }
}

TEST_F(LineCommands, GetTTSPropAppliesTheStoredVoiceAndRate)
{
    ASSERT_NO_FATAL_FAILURE(load());
    set(u"Properties\\TabTTS"_s, u"TTSVoices"_s, u"2"_s);
    set(u"Properties\\TabTTS"_s, u"sldrTTS"_s, u"-3"_s);
    line->udiIn_MessageArrived(u"GetTTSProp"_s);
    EXPECT_EQ(tts.voices.last(), 2);
    EXPECT_EQ(tts.rates.last(), -3);
    set(u"Properties\\TabTTS"_s, u"sldrTTS"_s, u"fast"_s);
    line->udiIn_MessageArrived(u"GetTTSProp"_s);
    EXPECT_EQ(tts.rates.last(), 0);
}

TEST_F(LineCommands, AVoiceNeverChosenLeavesTheEnginesDefaultVoice)
{
    ASSERT_NO_FATAL_FAILURE(load());
    const RegistryRoutines tab = RegistryRoutines::forProduct(u"Properties\\TabTTS"_s);
    [[maybe_unused]] const qint32 deleted = tab.DeleteValue(u"TTSVoices"_s); // none in a new installation
    ASSERT_FALSE(tab.hasValue(u"TTSVoices"_s));
    set(u"Properties\\TabTTS"_s, u"sldrTTS"_s, u"4"_s);
    const qsizetype voicesBefore = tts.voices.size();
    line->udiIn_MessageArrived(u"GetTTSProp"_s);
    EXPECT_EQ(tts.voices.size(), voicesBefore);
    EXPECT_EQ(tts.rates.last(), 4);
}

TEST_F(LineCommands, MalformedCommandsChangeNothing)
{
    ASSERT_NO_FATAL_FAILURE(load());
    const QString texts[] = {
        QString(),
        u"\r\n"_s,
        u"CallOut"_s,
        u"CallOutRec"_s,
        u"AUTO"_s,
        u"AUTO\r\n08:00:00"_s,
        u"RecCall"_s,
        u"on"_s,
        u"HELLO "_s,
        u" HELLO"_s,
        QString(1, QChar(0)),
        u"ON"_s + QChar(0),
        u"Tapi_Idle\r\n0\r\n0"_s,
        QString(100000, u'A'),
        u"\r\n\r\n\r\nCallOut\r\n555"_s,
    };
    const QStringList before = device()->actions();
    for (const QString& text : texts)
        line->udiIn_MessageArrived(text);
    settle();
    EXPECT_EQ(events, QStringList());
    EXPECT_EQ(device()->actions(), before);
    EXPECT_TRUE(line->IsWatching());
    EXPECT_FALSE(line->isAutoModeTimerActive());
    line->udiIn_MessageArrived(u"HELLO"_s);
    EXPECT_TRUE(waitUntil([&] { return events == QStringList{kOpen}; }));
}

} // namespace
