#include "common/CallStore.h"
#include "common/ChannelLayout.h"
#include "common/ContactRecord.h"
#include "common/FixedRecord.h"
#include "service/line/LineState.h"
#include "tests/service/line/CallFixture.h"
#include "tests/support/DataFiles.h"
#include "tests/support/LineEventTexts.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/WaitUntil.h"

#include <QDir>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

using CallEvents = CallFixture;

const QString kIncomming = u"Tapi_Incomming\r\n0\r\nFalse"_s;
const QString kDisconnected = u"Tapi_Disconnected\r\n0"_s;
const QString kConnected = u"Tapi_Connected\r\n0"_s;

// The journal from the first line about the call on.
QStringList fromOffer(const QStringList& journal)
{
    const qsizetype at = journal.indexOf(u"Tapi_InComeCall(0)->Success(0)"_s);
    return at < 0 ? journal : journal.mid(at);
}

TEST_F(CallEvents, UnknownCallerUnansweredIsReportedStoredAndPutOnTop)
{
    ASSERT_NO_FATAL_FAILURE(load());
    ASSERT_NO_FATAL_FAILURE(incomingCall(u"Ann Lee"_s, u"5551234"_s, 2, 1));

    EXPECT_EQ(events, (QStringList{kIncomming, ring(1), ring(2), kDisconnected, idleOf("0")}));
    EXPECT_EQ(
        callerIds, QStringList{u"Tapi_CID\r\n0\r\nAnn Lee\r\n5551234\r\n\r\n\r\nFalse\r\n0\r\nFalse"_s});
    EXPECT_EQ(idles, QStringList{idleOf("0")});

    CallRecord expected;
    expected.EmergencyMark = u"0"_s;
    expected.CallType = u"0"_s;
    expected.CallerName = u"Ann Lee"_s;
    expected.CallerNumber = u"5551234"_s;
    expected.CallDate = u"12/10/2026"_s;
    expected.CallTime = u"09:30:00"_s;
    expected.Length = u"0:00:00"_s;
    expected.LineIndex = u"0"_s;
    expected.ReadMark = u"1"_s;
    expected.Description = u"Default"_s; // line 1 of the text table
    ASSERT_EQ(recordCount(), 1);
    EXPECT_EQ(record(1)->toBytes(), expected.toBytes()) << "flag and notes stay unset (NUL)";
    EXPECT_EQ(last(), QStringList{u"1:\\Data\\Log\\2026\\12\\10\\"_s});

    EXPECT_EQ(fromOffer(sysJournal()),
        (QStringList{
            u"Tapi_InComeCall(0)->Success(0)"_s,
            u"->Tapi_Ring(0):1(0)"_s,
            u"->Tapi_CallerID:(Index:0):Ann Lee:5551234,Contact()(0)"_s,
            u"->Tapi_Ring(0):2(0)"_s,
            u"Tapi_Disconnected(0)->Success(0)"_s,
            u"Tapi.LineDrop(0)->Success(0)"_s,
            u"Tapi_Idle(0)->Success(0)"_s,
        }));
    EXPECT_EQ(callsJournal(), QStringList{u"Caller Name : Ann Lee     Caller Number : 5551234"_s});
    // The alert comes at the offer, before anyone is known; the recorder is
    // asked to stop at the disconnection; nothing is forwarded by default.
    EXPECT_EQ(parts.steps, (QStringList{u"alert:UNKNOWN/"_s, u"stop recording"_s}));
    EXPECT_FALSE(line->IsInCall());
}

TEST_F(CallEvents, ContactGivesItsNamePictureDisplayAndEmergencyMarkAndTheAlertWaitsForIt)
{
    ContactRecord ann = contactAsEditorWrites(u"Ann Lee (work)"_s, u"5551234"_s);
    ann.PictureFile = u"ann.jpg"_s;
    ann.EmergencyMark = u"1"_s;
    ann.EventsMode = u"3"_s;
    ann.ShowCallDetails = u"1"_s;
    ann.DisplayStyle = u"1"_s;
    ASSERT_NO_FATAL_FAILURE(writeContactFile({contactAsEditorWrites(u"Other"_s, u"5550000"_s), ann}));
    set(u"Events\\TabInCommingCall"_s, u"chkWhenCallerID"_s, u"1"_s);
    ASSERT_NO_FATAL_FAILURE(load());
    ASSERT_NO_FATAL_FAILURE(incomingCall(u"ANN LEE"_s, u"5551234"_s, 2, 1));

    EXPECT_EQ(callerIds,
        QStringList{
            u"Tapi_CID\r\n0\r\nANN LEE\r\n5551234\r\nAnn Lee (work)\r\nann.jpg\r\nTrue\r\n1\r\nFalse"_s});
    EXPECT_EQ(parts.steps, (QStringList{u"alert:ANN LEE/Ann Lee (work)"_s, u"stop recording"_s}));
    EXPECT_TRUE(
        sysJournal().contains(u"->Tapi_CallerID:(Index:0):ANN LEE:5551234,Contact(Ann Lee (work))(0)"_s));
    ASSERT_TRUE(record(1));
    EXPECT_EQ(record(1)->EmergencyMark, u"1"_s);
    EXPECT_EQ(FixedRecord::trimBlanks(record(1)->CallerName), u"ANN LEE"_s);
}

TEST_F(CallEvents, ContactWithoutANumberInItsEmergencyMarkIsJournaledAndTheCallGoesOn)
{
    ContactRecord ann = contactAsEditorWrites(u"Ann"_s, u"5551234"_s);
    ann.EmergencyMark = QString(1, QChar(0)); // never written
    ASSERT_NO_FATAL_FAILURE(writeContactFile({ann}));
    ASSERT_NO_FATAL_FAILURE(load());
    ASSERT_NO_FATAL_FAILURE(incomingCall(u"Ann"_s, u"5551234"_s, 1, 1));
    EXPECT_TRUE(sysJournal().contains(u"ErrTapi1_CallerID->Type mismatch (EmergencyMark)(13)"_s));
    EXPECT_EQ(callerIds.value(0).split(u"\r\n"_s).value(4), u"Ann"_s);
    ASSERT_TRUE(record(1));
    EXPECT_EQ(record(1)->EmergencyMark, u"0"_s);
}

struct BlockedRow {
    const char* name;
    int cidAfterRing;
    QStringList rings; // what 307 reports before the answer
};

TEST_F(CallEvents, BlockedCallerIsAnsweredAndDroppedFromTheThirdRingAfterItsCallerId)
{
    ContactRecord blocked = contactAsEditorWrites(u"Pest"_s, u"5550666"_s);
    blocked.CallHandling = u"2"_s;
    ASSERT_NO_FATAL_FAILURE(writeContactFile({blocked}));
    const BlockedRow rows[] = {
        {"caller ID after ring 1: answered at ring 3", 1, {ring(1, true), ring(2), ring(3)}},
        // The rejection starts with the first ring that follows the caller ID.
        {"caller ID after ring 3: answered at ring 4", 3,
            {ring(1, true), ring(2, true), ring(3, true), ring(4)}},
    };
    ASSERT_NO_FATAL_FAILURE(load());
    int calls = 0;
    for (const BlockedRow& row : rows) {
        SCOPED_TRACE(row.name);
        events.clear();
        const QStringList before = device()->actions();
        ASSERT_EQ(device()->farOffer(u"5550666"_s, u"P. Est"_s), QString());
        settle();
        // A recording asked for before the caller is known is echoed until
        // the caller turns out to be blocked.
        line->udiIn_MessageArrived(u"RecCall\r\nTrue"_s);
        for (int r = 1; r <= 8 && device()->callState() == SimulatedLineDevice::CallState::Offering; ++r) {
            ASSERT_EQ(device()->farRing(), QString());
            if (r == row.cidAfterRing) {
                ASSERT_EQ(device()->farCallerId(u"P. Est"_s, u"5550666"_s), QString());
            }
            settle();
        }
        ASSERT_TRUE(waitForIdles(++calls));
        settle();
        EXPECT_EQ(events, (QStringList{kIncomming} + row.rings + QStringList{kConnected, idleOf("0")}));
        // Answered and dropped by the ring handler one second later, then
        // dropped again (no call left) when the connection is reported.
        EXPECT_EQ(device()->actions().mid(before.size()),
            (QStringList{u"answer -> 0"_s, u"drop -> 0"_s, u"drop -> 6"_s}));
        EXPECT_EQ(recordCount(), calls) << "a rejected call is stored all the same";
        EXPECT_EQ(last().size(), calls);
    }
}

TEST_F(CallEvents, EachStartedCallIsStoredOnceWhileEveryIdleIsReported)
{
    ASSERT_NO_FATAL_FAILURE(load());
    // An Idle before any call: reported, nothing stored.
    emit tapi->Idle();
    EXPECT_TRUE(waitUntil([&] { return idles.size() == 1 && events.size() == 1; }));
    EXPECT_FALSE(QDir(env.programFolder() + u"/Data"_s).exists());

    ASSERT_NO_FATAL_FAILURE(incomingCall(u"Ann Lee"_s, u"5551234"_s, 1, 2));
    ASSERT_EQ(recordCount(), 1);
    // A second Idle of the same call.
    emit tapi->Idle();
    EXPECT_TRUE(waitForIdles(3));
    EXPECT_EQ(idles.last(), idleOf("0"));
    EXPECT_EQ(events.last(), idleOf("0"));
    EXPECT_EQ(recordCount(), 1);
    EXPECT_EQ(last(), QStringList{u"1:\\Data\\Log\\2026\\12\\10\\"_s});
}

TEST_F(CallEvents, AnIdleWithNoCallToEndForwardsNothing)
{
    set(u"Forward\\Mail"_s, u"chkSendToMail"_s, u"1"_s);
    set(u"Forward\\App"_s, u"chkApp"_s, u"1"_s);
    ASSERT_NO_FATAL_FAILURE(load());
    // Before any call: no call to mail about.
    emit tapi->Idle();
    EXPECT_TRUE(waitUntil([&] { return idles.size() == 1; }));
    settle();
    EXPECT_FALSE(parts.steps.contains(u"mail:"_s)) << parts.steps.join(u", "_s).toStdString();
    EXPECT_FALSE(parts.steps.contains(u"app:"_s));

    ASSERT_NO_FATAL_FAILURE(incomingCall(u"Ann Lee"_s, u"5551234"_s, 1, 2));
    parts.steps.clear();
    // A second Idle of the same call: the call went out once already.
    emit tapi->Idle();
    EXPECT_TRUE(waitUntil([&] { return idles.size() == 3; }));
    settle();
    EXPECT_TRUE(parts.steps.isEmpty()) << parts.steps.join(u", "_s).toStdString();
}

TEST_F(CallEvents, CallerIdWithoutAnOfferIsACallOfItsOwn)
{
    ASSERT_NO_FATAL_FAILURE(load());
    ASSERT_NO_FATAL_FAILURE(incomingCall(u"Ann Lee"_s, u"5551234"_s, 1, 1));
    clock.advance(60 * 1000);
    emit tapi->CallerID(u"Bob"_s, u"5550002"_s);
    EXPECT_TRUE(line->IsInCall());
    emit tapi->Idle();
    ASSERT_TRUE(waitForIdles(2));
    ASSERT_EQ(recordCount(), 2);
    EXPECT_EQ(FixedRecord::trimBlanks(record(1)->CallerName), u"Ann Lee"_s);
    EXPECT_EQ(FixedRecord::trimBlanks(record(2)->CallerName), u"Bob"_s);
    EXPECT_EQ(FixedRecord::trimBlanks(record(2)->CallTime), u"09:31:00"_s);
    EXPECT_EQ(last().value(0), u"2:\\Data\\Log\\2026\\12\\10\\"_s);
}

TEST_F(CallEvents, CallerNameWithLineBreaksShiftsNoField)
{
    ASSERT_NO_FATAL_FAILURE(load());
    ASSERT_NO_FATAL_FAILURE(incomingCall(u"Ann\r\nLee"_s, u"555\n1234"_s, 1, 1));
    ASSERT_EQ(callerIds.size(), 1);
    const QStringList fields = callerIds.first().split(u"\r\n"_s);
    EXPECT_EQ(fields,
        (QStringList{u"Tapi_CID"_s, u"0"_s, u"Ann  Lee"_s, u"555 1234"_s, QString(), QString(), u"False"_s,
            u"0"_s, u"False"_s}));
    ASSERT_TRUE(record(1));
    EXPECT_EQ(FixedRecord::trimBlanks(record(1)->CallerName), u"Ann  Lee"_s);
    EXPECT_EQ(FixedRecord::trimBlanks(record(1)->CallerNumber), u"555 1234"_s);
    EXPECT_EQ(callsJournal(), QStringList{u"Caller Name : Ann  Lee     Caller Number : 555 1234"_s});
}

// A caller ID of any length is cut to the record's fields (32 bytes each, at
// a character boundary) before the channels, the journals and the record see it.
TEST_F(CallEvents, LongCallerIdIsCutToTheRecordsFieldsEverywhere)
{
    ASSERT_NO_FATAL_FAILURE(load());
    const QString name = u"Zo\u00e9 "_s + QString(60000, u'\u00e9');
    const QString number = QString(60000, u'9');
    ASSERT_NO_FATAL_FAILURE(incomingCall(name, number, 1, 1));
    const QString cutName = u"Zo\u00e9 "_s + QString(13, u'\u00e9'); // 5 + 13 * 2 of 32 bytes
    const QString cutNumber(32, u'9');
    ASSERT_EQ(callerIds.size(), 1);
    const QStringList fields = callerIds.first().split(u"\r\n"_s);
    EXPECT_EQ(fields.value(2), cutName);
    EXPECT_EQ(fields.value(3), cutNumber);
    ASSERT_TRUE(record(1));
    EXPECT_EQ(FixedRecord::trimBlanks(record(1)->CallerName), cutName);
    EXPECT_EQ(FixedRecord::trimBlanks(record(1)->CallerNumber), cutNumber);
    EXPECT_EQ(
        callsJournal(), QStringList{u"Caller Name : "_s + cutName + u"     Caller Number : "_s + cutNumber});
    const QStringList journal = sysJournal();
    EXPECT_TRUE(
        journal.contains(u"->Tapi_CallerID:(Index:0):"_s + cutName + u':' + cutNumber + u",Contact()(0)"_s));
    for (const QString& line : journal)
        EXPECT_FALSE(line.contains(QString(33, u'9'))) << line.left(200).toStdString();
}

struct ForwardRow {
    const char* name;
    QString mail; // chkSendToMail
    QString mailAction; // cmbActMail
    QString app; // chkApp
    QString actionsMode; // the caller's contact; empty: no contact
    QStringList forwarded;
};

TEST_F(CallEvents, EndedCallIsForwardedAsTheOptionsAndTheContactSay)
{
    const ForwardRow rows[] = {
        {"nothing on", u"0"_s, u"0"_s, u"0"_s, QString(), {}},
        {"mail for every call", u"1"_s, u"0"_s, u"0"_s, QString(), {u"mail:0"_s}},
        {"mail only for voice messages", u"1"_s, u"1"_s, u"0"_s, QString(), {}},
        {"mail and program", u"1"_s, u"0"_s, u"1"_s, QString(), {u"mail:0"_s, u"app:0"_s}},
        {"contact with actions 2: neither", u"1"_s, u"0"_s, u"1"_s, u"2"_s, {}},
        {"contact with actions 3: its own program", u"0"_s, u"0"_s, u"0"_s, u"3"_s, {u"app:0"_s}},
    };
    ASSERT_NO_FATAL_FAILURE(load());
    int calls = 0;
    for (const ForwardRow& row : rows) {
        SCOPED_TRACE(row.name);
        set(u"Forward\\Mail"_s, u"chkSendToMail"_s, row.mail);
        set(u"Forward\\Mail"_s, u"cmbActMail"_s, row.mailAction);
        set(u"Forward\\App"_s, u"chkApp"_s, row.app);
        ContactRecord caller = contactAsEditorWrites(u"Ann"_s, u"5551234"_s);
        caller.ActionsMode = row.actionsMode;
        caller.ForwardToApp = u"1"_s;
        ASSERT_NO_FATAL_FAILURE(
            writeContactFile(row.actionsMode.isEmpty() ? QList<ContactRecord>() : QList{caller}));
        parts.steps.clear();
        ASSERT_NO_FATAL_FAILURE(incomingCall(u"Ann"_s, u"5551234"_s, 1, ++calls));
        EXPECT_EQ(parts.steps.mid(2), row.forwarded) << parts.steps.join(u", "_s).toStdString();
    }
}

class ThrowingAlert final : public IncomingCallAlert {
public:
    void PlayIncomingCallAlert(LineActions&) override { throw std::runtime_error("no sound card"); }
    void WavePlayer_PlayDone(LineActions&) override { }
};

class ThrowingMail final : public CallForwarding {
public:
    explicit ThrowingMail(NotedParts& parts)
        : m_parts(parts)
    {
    }
    void SendCallByMail(LineActions&) override { throw std::runtime_error("mail refused"); }
    void SendToApp(LineActions&) override { m_parts.steps.append(u"app"_s); }

private:
    NotedParts& m_parts;
};

TEST_F(CallEvents, FailureInsideAHandlerIsJournaledAndTheHandlerGoesOn)
{
    alert = new ThrowingAlert;
    forwarding = new ThrowingMail(parts);
    set(u"Forward\\Mail"_s, u"chkSendToMail"_s, u"1"_s);
    set(u"Forward\\App"_s, u"chkApp"_s, u"1"_s);
    ASSERT_NO_FATAL_FAILURE(load());
    ASSERT_NO_FATAL_FAILURE(incomingCall(u"Ann"_s, u"5551234"_s, 1, 1));
    EXPECT_EQ(events.value(0), kIncomming);
    const QStringList journal = sysJournal();
    EXPECT_TRUE(journal.contains(u"ErrTapi1_InComeCall->no sound card(0)"_s))
        << journal.join(u'\n').toStdString();
    EXPECT_TRUE(journal.contains(u"ErrTapi1_Idle->mail refused(0)"_s));
    EXPECT_EQ(parts.steps, (QStringList{u"stop recording"_s, u"app"_s})) << "program forwarding still runs";
    EXPECT_EQ(recordCount(), 1);
}

// A call the modem ended: its forwarding failure is the modem handler's own.
TEST_F(CallEvents, FailedForwardingOfAModemCallIsJournaledAsTheModemsIdle)
{
    forwarding = new ThrowingMail(parts);
    set(u"Forward\\Mail"_s, u"chkSendToMail"_s, u"1"_s);
    ASSERT_NO_FATAL_FAILURE(load());
    state.bCallerIdFromTapi = false;
    line->Comm_InComeCall();
    line->Comm_CallerID(u"Ann"_s, u"5551234"_s);
    line->Comm_Idle();
    const QStringList journal = sysJournal();
    EXPECT_TRUE(journal.contains(u"ErrComm_Idle->mail refused(0)"_s)) << journal.join(u'\n').toStdString();
    EXPECT_FALSE(journal.join(u'\n').contains(u"ErrTapi1_Idle"_s));
    EXPECT_EQ(recordCount(), 1);
}

TEST_F(CallEvents, InModemModeTheLineDeviceOnlyTakesOverTheModemsCall)
{
    ASSERT_NO_FATAL_FAILURE(load());
    // As the modem path leaves it: its call started at its first RING, two
    // rings counted, the line handed to the line device.
    state.bCallerIdFromTapi = false;
    modem->rings = 2;
    line->SetCallInfo();
    ASSERT_EQ(device()->farOffer(u"5551234"_s, u"Ann"_s), QString());
    ASSERT_EQ(device()->farRing(), QString());
    ASSERT_EQ(device()->farCallerId(u"Ann"_s, u"5551234"_s), QString());
    ASSERT_EQ(device()->farHangup(1000), QString());
    ASSERT_TRUE(waitForIdles(1));
    settle();
    EXPECT_EQ(events, (QStringList{ring(3), kDisconnected, idleOf("0")}));
    EXPECT_TRUE(callerIds.isEmpty());
    EXPECT_EQ(modem->steps, (QStringList{u"StopIdleTimer"_s, u"CommCloseTapi"_s}));
    ASSERT_EQ(recordCount(), 1);
    EXPECT_EQ(FixedRecord::trimBlanks(record(1)->CallerName), u"UNKNOWN"_s);
}

TEST_F(CallEvents, ClosingTheLineDuringACallEndsAndStoresIt)
{
    ASSERT_NO_FATAL_FAILURE(load());
    ASSERT_EQ(device()->farOffer(u"5551234"_s, u"Ann"_s), QString());
    ASSERT_EQ(device()->farRing(), QString());
    ASSERT_EQ(device()->farCallerId(u"Ann"_s, u"5551234"_s), QString());
    settle();
    ASSERT_TRUE(line->IsInCall());
    line->udiIn_MessageArrived(u"OFF"_s);
    ASSERT_TRUE(waitForIdles(1));
    // The line's state follows the end of the call.
    EXPECT_TRUE(waitUntil([&] { return events.size() >= 4; }));
    EXPECT_FALSE(line->IsInCall()) << "auto mode and the dial commands are free again";
    EXPECT_EQ(events.mid(2), (QStringList{idleOf("0"), u"LineStatus\r\n0\r\n1\r\nFalse"_s}));
    ASSERT_EQ(recordCount(), 1);
    EXPECT_EQ(FixedRecord::trimBlanks(record(1)->CallerName), u"Ann"_s);
    EXPECT_TRUE(sysJournal().contains(u"CloseLine->The line was closed during a call(0)"_s));
}

} // namespace

TEST_F(CallEvents, OfferWhileACallIsNotStoredYetStoresThatCallFirst)
{
    ASSERT_NO_FATAL_FAILURE(load());
    emit tapi->InComeCall();
    emit tapi->CallerID(u"Ann Lee"_s, u"5551234"_s);
    clock.advance(60 * 1000);
    // Its end was never seen: the next offer must not take its place unstored.
    emit tapi->InComeCall();
    ASSERT_TRUE(waitForIdles(1));
    ASSERT_EQ(recordCount(), 1);
    EXPECT_EQ(FixedRecord::trimBlanks(record(1)->CallerName), u"Ann Lee"_s);
    EXPECT_TRUE(line->IsInCall());
    emit tapi->Idle();
    ASSERT_TRUE(waitForIdles(2));
    ASSERT_EQ(recordCount(), 2);
    EXPECT_EQ(FixedRecord::trimBlanks(record(2)->CallerName), u"UNKNOWN"_s);
    EXPECT_EQ(FixedRecord::trimBlanks(record(2)->CallTime), u"09:31:00"_s);
}
