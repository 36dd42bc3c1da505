// The line engine's handlers of the line device's events: one call from its
// offer (or its dial) to its stored record.
#include "service/line/frmLine.h"

#include "common/ChannelMessages.h"
#include "common/Clock.h"
#include "common/FixedRecord.h"
#include "common/SharedUtilities.h"
#include "common/Waits.h"
#include "platform/MessageControl.h"
#include "platform/SpeechEngine.h"
#include "platform/TelephonyControl.h"
#include "platform/WaveControl.h"
#include "service/core/HandlerGuard.h"
#include "service/core/Journal.h"
#include "service/core/ServiceTranslation.h"
#include "service/core/mdlCalls.h"
#include "service/core/mdlContacts.h"
#include "service/line/CallForwarding.h"
#include "service/line/DialledCallRecorder.h"
#include "service/line/IncomingCallAlert.h"
#include "service/line/LineState.h"
#include "service/line/ModemSerialPath.h"

#include <QCoreApplication>
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcLine)

namespace {

// A blocked caller is answered and dropped from this ring on.
constexpr qint32 kRejectAtRing = 3;

QString indexed(const QString& name, qint32 index)
{
    return name + u'(' + QString::number(index) + u')';
}

// A contact's text field as sent and stored: blanks trimmed, and an unset
// field (NUL bytes) is no text.
QString contactText(const QString& field)
{
    const QString trimmed = FixedRecord::trimBlanks(field);
    return trimmed.contains(QChar(0)) ? QString() : trimmed;
}

} // namespace

bool frmLine::send(MessageControl* endpoint, qint32 channel, const QString& text)
{
    if (!endpoint->Channel(channel))
        return false;
    endpoint->Send(text);
    return true;
}

bool frmLine::send(qint32 channel, const QString& text)
{
    switch (channel) {
    case ChannelNumber::EventChannel:
        return send(udiOut, channel, text);
    case ChannelNumber::CallerIdChannel:
        return send(udiCallerID, channel, text);
    case ChannelNumber::IdleChannel:
        return send(udiIdle, channel, text);
    case ChannelNumber::MailChannel:
        return send(udiMail, channel, text);
    default:
        // 308 is the desktop's to send on; no other channel is the line's.
        m_journal.WriteSysJournal(
            QStringLiteral("Not a channel of the line engine: ") + QString::number(channel), 0,
            QStringLiteral("send"));
        return false;
    }
}

void frmLine::giveLineBack()
{
    if (m_state.bCallerIdFromTapi)
        return;
    if (IsLineWanted()) {
        CommCloseTapi();
        return;
    }
    // A call dialled while the line was off, or one that ran past auto
    // mode's window: the line device lets go, and nothing watches the line.
    Tapi1->LineClose();
    Tapi1->LineShutdown();
    if (m_state.nLineState != 1) {
        m_state.nLineState = 1;
        SendLineStatus();
    }
}

void frmLine::setMessagePath(const QString& fileName)
{
    m_call.info.MessagePath = fileName;
}

void frmLine::SetDefaultCallOption()
{
    ::SetDefaultCallOption(m_journal, m_call, ServiceTrans(1));
    LoadTTSSettings();
}

void frmLine::SetCallInfo()
{
    ::SetCallInfo(m_journal, m_call, Clock::instance().now());
    m_callToStore = true;
}

void frmLine::PlayIncomingCallAlert()
{
    Alert->PlayIncomingCallAlert(*this);
}

void frmLine::StartRecordIfConnected()
{
    Recorder->StartRecordIfConnected(*this);
}

void frmLine::StopRecMessage()
{
    Recorder->StopRecMessage(*this);
}

void frmLine::GetTapiFromComm()
{
    MSComm1->GetTapiFromComm(*this);
}

void frmLine::CommCloseTapi()
{
    MSComm1->CommCloseTapi(*this);
}

void frmLine::Tapi1_InComeCall()
{
    RunGuarded(m_journal, QStringLiteral("ErrTapi1_InComeCall"), [&] {
        if (!m_loaded)
            return;
        // In modem mode the modem reported the offer; the line device only
        // takes the call over.
        if (!m_state.bCallerIdFromTapi) {
            MSComm1->StopIdleTimer();
            return;
        }
        StartIncomingCall(false);
    });
}

void frmLine::Comm_InComeCall()
{
    RunGuarded(m_journal, QStringLiteral("ErrComm_InComeCall"), [&] {
        if (m_loaded)
            StartIncomingCall(true);
    });
}

void frmLine::StartIncomingCall(bool fromModem)
{
    const QString source
        = fromModem ? QStringLiteral("ErrComm_InComeCall") : QStringLiteral("ErrTapi1_InComeCall");
    // A call begun and not stored yet (its end was never seen) is stored
    // before the next one takes its place.
    if (m_callToStore) {
        m_journal.WriteSysJournal(
            QStringLiteral("A new call came before the last one ended; the last one is stored"), 0, source);
        EndCall(false, fromModem);
    }
    bInCall = true;
    const qint32 index = Tapi1->CurrentLine();
    m_journal.WriteSysJournal(
        Tapi1->ErrorText(LineResult::Ok), 0, indexed(QStringLiteral("Tapi_InComeCall"), index));
    RunGuarded(m_journal, source, [this] {
        SetDefaultCallOption();
        SetCallInfo();
    });
    if (!m_call.settings.bActOnCallerId)
        RunGuarded(m_journal, source, [this] { PlayIncomingCallAlert(); });
    send(udiOut, ChannelNumber::EventChannel,
        fromModem ? ChannelMessages::commIncomming(index, m_call.RecordCallFlag)
                  : ChannelMessages::tapiIncomming(index, m_call.RecordCallFlag));
}

void frmLine::Tapi1_Ring(qint32 count)
{
    const QString source = QStringLiteral("ErrTapi1_Ring");
    RunGuarded(m_journal, source, [&] {
        if (!m_loaded)
            return;
        // The line device took the call over from the modem: its rings go on
        // from the modem's.
        if (!m_state.bCallerIdFromTapi && !MSComm1->PortOpen())
            count += MSComm1->NumOfRing();
        send(udiOut, ChannelNumber::EventChannel,
            ChannelMessages::tapiRing(Tapi1->CurrentLine(), count, m_call.RecordCallFlag));
        m_journal.WriteSysJournal(QStringLiteral("Tapi_Ring(") + QString::number(lLineIndex)
                + QStringLiteral("):") + QString::number(count),
            0, QString());
        if (count >= kRejectAtRing && m_call.bRejectCall) {
            const qint32 answered = Tapi1->LineAnswer();
            if (answered != LineResult::Ok)
                m_journal.WriteSysJournal(Tapi1->ErrorText(answered), answered,
                    indexed(QStringLiteral("Tapi.LineAnswer"), Tapi1->CurrentLine()));
            WaitTenths(10);
            DropCall();
        }
    });
}

void frmLine::Tapi1_CallerID(const QString& deliveredName, const QString& deliveredNumber)
{
    RunGuarded(m_journal, QStringLiteral("ErrTapi1_CallerID"), [&] {
        if (m_loaded && m_state.bCallerIdFromTapi)
            ReportCallerId(false, deliveredName, deliveredNumber);
    });
}

void frmLine::Comm_CallerID(const QString& name, const QString& number)
{
    const QString source = QStringLiteral("ErrComm_CallerID");
    if (!m_loaded || m_state.bCallerIdFromTapi)
        return;
    const bool begun = m_callToStore;
    RunGuarded(m_journal, source, [&] { ReportCallerId(true, name, number); });
    // A caller ID after the last call's end began a call of its own; nothing
    // but the modem's bound would end it if the line device does not take it.
    if (!begun)
        RunGuarded(m_journal, source, [this] { MSComm1->StartIdleTimer(); });
    // The line device takes the rest of the call over.
    RunGuarded(m_journal, source, [this] { GetTapiFromComm(); });
}

void frmLine::ReportCallerId(bool fromModem, const QString& deliveredName, const QString& deliveredNumber)
{
    const QString source
        = fromModem ? QStringLiteral("ErrComm_CallerID") : QStringLiteral("ErrTapi1_CallerID");
    // What the network delivers is cut to what the call's record holds before
    // anything sees it (channels, journals, lookups), and a line break in it
    // would end a line of every text it goes into later (mail headers,
    // command lines).
    static const int nameWidth = FixedRecord::widthOf(CallRecord::layout(), &CallRecord::CallerName);
    static const int numberWidth = FixedRecord::widthOf(CallRecord::layout(), &CallRecord::CallerNumber);
    const QString name = withoutControlCharacters(FixedRecord::cutToWidth(deliveredName, nameWidth));
    const QString number = withoutControlCharacters(FixedRecord::cutToWidth(deliveredNumber, numberWidth));
    // A caller ID without an offer (the offer was missed, or the last
    // call is stored already) starts a call of its own, so it is stored
    // with its own time instead of overwriting a call already stored.
    if (!m_callToStore)
        RunGuarded(m_journal, source, [this] {
            SetDefaultCallOption();
            SetCallInfo();
        });
    bInCall = true;
    m_call.info.CallerName = name;
    m_call.info.CallerNumber = number;

    ContactRecord contact;
    QString contactName;
    QString picture;
    if (FindContactByNumber(name, number, m_call.options, contact) != u"-1") {
        if (const std::optional<qint64> mark
            = readWholeNumber(FixedRecord::trimBlanks(contact.EmergencyMark));
            mark && *mark >= 0 && *mark <= 9) {
            m_call.EmergencyMark = qint16(*mark);
        } else {
            m_journal.WriteSysJournal(
                QStringLiteral("Type mismatch (EmergencyMark)"), kTypeMismatchError, source);
        }
        contactName = contactText(contact.ContactName);
        picture = contactText(contact.PictureFile);
        m_call.info.ContactName = contactName;
        if (m_call.options.BlockCall) {
            m_call.RecordCallFlag = false;
            m_call.bRejectCall = true;
        }
        // The contact's forwarding choice was applied with its other
        // overrides (ApplyContactCallSettings), "2" switching off both.
    }

    const qint32 index = Tapi1->CurrentLine();
    ChannelMessages::CallerIdFields fields;
    fields.callerName = name;
    fields.callerNumber = number;
    fields.contactName = contactName;
    fields.pictureFile = picture;
    fields.showCallDetails = m_call.options.ShowCallDetails;
    fields.displayStyle = m_call.options.DisplayStyle;
    fields.showLineControl = m_call.options.ShowLineControl;
    send(udiCallerID, ChannelNumber::CallerIdChannel,
        fromModem ? ChannelMessages::commCid(index, fields) : ChannelMessages::tapiCid(index, fields));

    if (m_call.settings.bActOnCallerId)
        RunGuarded(m_journal, source, [this] { PlayIncomingCallAlert(); });
    m_journal.WriteSysJournal(
        (fromModem ? QStringLiteral("Comm_CallerID:(Index:") : QStringLiteral("Tapi_CallerID:(Index:"))
            + QString::number(index) + QStringLiteral("):") + name + u':' + number
            + QStringLiteral(",Contact(") + contactName + u')',
        0, QString());
    m_journal.WriteCallsJournal(
        QStringLiteral("Caller Name : ") + name + QStringLiteral("     Caller Number : ") + number);
}

void frmLine::Tapi1_Dialing()
{
    RunGuarded(m_journal, QStringLiteral("ErrTapi1_Dialing"), [this] {
        if (m_loaded)
            send(udiOut, ChannelNumber::EventChannel, ChannelMessages::tapiDialing(Tapi1->CurrentLine()));
    });
}

void frmLine::Tapi1_Connected()
{
    const QString source = QStringLiteral("ErrTapi1_Connected");
    RunGuarded(m_journal, source, [&] {
        if (!m_loaded)
            return;
        const qint32 index = Tapi1->CurrentLine();
        m_journal.WriteSysJournal(
            Tapi1->ErrorText(LineResult::Ok), 0, indexed(QStringLiteral("Tapi_Conected"), index));
        send(udiOut, ChannelNumber::EventChannel, ChannelMessages::tapiConnected(index));
        RunGuarded(m_journal, source, [this] { m_tts.StopSpeak(); });
        WaitTenths(5);
        if (m_call.bRejectCall) {
            // The ring handler's drop usually ended the call already.
            if (const qint32 result = Tapi1->LineDrop();
                result != LineResult::Ok && result != LineResult::NoCall)
                m_journal.WriteSysJournal(
                    Tapi1->ErrorText(result), result, indexed(QStringLiteral("Tapi.LineDrop"), index));
            return;
        }
        if (m_call.bRecordDialledCall)
            RunGuarded(m_journal, source, [this] { StartRecordIfConnected(); });
    });
}

void frmLine::Tapi1_Disconnected()
{
    const QString source = QStringLiteral("ErrTapi1_Disconnected");
    RunGuarded(m_journal, source, [&] {
        if (!m_loaded)
            return;
        const qint32 index = Tapi1->CurrentLine();
        m_journal.WriteSysJournal(
            Tapi1->ErrorText(LineResult::Ok), 0, indexed(QStringLiteral("Tapi_Disconnected"), index));
        // The desktop program knows this message: the far end hung up.
        send(udiOut, ChannelNumber::EventChannel, ChannelMessages::tapiDisconnected(index));
        RunGuarded(m_journal, source, [this] { StopRecMessage(); });
        DropCall();
    });
}

void frmLine::Tapi1_Idle()
{
    RunGuarded(m_journal, QStringLiteral("ErrTapi1_Idle"), [this] {
        if (!m_loaded)
            return;
        bInCall = false;
        m_journal.WriteSysJournal(
            Tapi1->ErrorText(LineResult::Ok), 0, indexed(QStringLiteral("Tapi_Idle"), Tapi1->CurrentLine()));
        EndCall(true);
    });
}

void frmLine::Comm_Idle()
{
    RunGuarded(m_journal, QStringLiteral("ErrComm_Idle"), [this] {
        if (!m_loaded)
            return;
        bInCall = false;
        m_journal.WriteSysJournal(
            Tapi1->ErrorText(LineResult::Ok), 0, indexed(QStringLiteral("Comm_Idle"), Tapi1->CurrentLine()));
        // The idle timer has given the line back before it ends the call.
        EndCall(false, true);
    });
}

void frmLine::tmrIDLE_Bound()
{
    const QString source = QStringLiteral("tmrIDLE_Timer");
    RunGuarded(m_journal, source, [this] {
        if (Tapi1->IsLineOpen()) {
            giveLineBack();
        } else if (!MSComm1->PortOpen() && IsLineWanted()) {
            // A hand-over that failed left neither the port nor the line
            // device watching.
            MSComm1->InitVals();
            MSComm1->CommConnect(m_state.lCommPort, m_state.sATCommands);
        }
    });
    Comm_Idle();
    RunGuarded(m_journal, source, [this] { MSComm1->InitVals(); });
}

void frmLine::EndCall(bool giveLineBack, bool fromModem)
{
    const QString source = fromModem ? QStringLiteral("ErrComm_Idle") : QStringLiteral("ErrTapi1_Idle");
    bInCall = false;
    bDialledCall = false;
    const qint32 index = Tapi1->CurrentLine();
    // Once per started call: a second Idle, or one with no call begun since
    // the last, stores and forwards nothing (an empty or repeated call
    // otherwise).
    const bool ended = m_callToStore;
    if (ended) {
        m_callToStore = false;
        RunGuarded(m_journal, source, [&] {
            m_records.store(MakeCallRecord(m_call, index), CallDayFolder(m_call.info.CallDate), false,
                m_call.settings.ItemsInLast);
        });
    } else {
        qCDebug(lcLine) << "end of a call with nothing to store";
    }
    const QString idle = fromModem ? ChannelMessages::commIdle(index, m_call.info.CallType)
                                   : ChannelMessages::tapiIdle(index, m_call.info.CallType);
    send(udiIdle, ChannelNumber::IdleChannel, idle);
    send(udiOut, ChannelNumber::EventChannel, idle);
    if (giveLineBack && !m_state.bCallerIdFromTapi) {
        RunGuarded(m_journal, source, [this] {
            QCoreApplication::processEvents();
            this->giveLineBack();
        });
    }
    if (ended)
        ForwardEndedCall(source);
}

void frmLine::ForwardEndedCall(const QString& source)
{
    const CallOptions& options = m_call.options;
    if (options.ForwardToMail && ForwardsCallType(options.MailAction, m_call.info.CallType))
        RunGuarded(m_journal, source, [this] { Forwarding->SendCallByMail(*this); });
    if (options.ForwardToApp && ForwardsCallType(options.AppAction, m_call.info.CallType))
        RunGuarded(m_journal, source, [this] { Forwarding->SendToApp(*this); });
}

void frmLine::DropCall()
{
    const QString source = QStringLiteral("ErrDropCall");
    RunGuarded(m_journal, source, [this] {
        if (!Wave1->IsPlaying())
            return;
        if (const qint32 result = Wave1->StopPlay(); result != WaveResult::Ok)
            m_journal.WriteSysJournal(QStringLiteral("Cannot stop playing into the line"), result,
                QStringLiteral("DropCall:Wave1.StopPlay"));
    });
    RunGuarded(m_journal, source, [this] {
        if (!Wave1->IsRecording())
            return;
        if (const qint32 result = Wave1->StopRecord(); result != WaveResult::Ok)
            m_journal.WriteSysJournal(
                Wave1->RecordErrorText(result), result, QStringLiteral("DropCall:Wave1.StopRecord"));
    });
    RunGuarded(m_journal, source, [this] {
        const qint32 result = Tapi1->LineDrop();
        m_journal.WriteSysJournal(
            Tapi1->ErrorText(result), result, indexed(QStringLiteral("Tapi.LineDrop"), Tapi1->CurrentLine()));
    });
}
