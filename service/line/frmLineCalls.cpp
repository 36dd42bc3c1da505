// The line engine's handlers of the line device's events: one call from its
// offer (or its dial) to its stored record.
#include "service/line/frmLine.h"

#include "common/ChannelLayout.h"
#include "common/ChannelMessages.h"
#include "common/Clock.h"
#include "common/FixedRecord.h"
#include "common/Waits.h"
#include "platform/MessageControl.h"
#include "platform/TelephonyControl.h"
#include "platform/WaveControl.h"
#include "service/line/CallForwarding.h"
#include "service/line/DialledCallRecorder.h"
#include "service/line/HandlerGuard.h"
#include "service/line/IncomingCallAlert.h"
#include "service/line/Journal.h"
#include "service/line/LineGlobals.h"
#include "service/line/ModemSerialPath.h"
#include "service/line/ServiceTranslation.h"
#include "service/line/SpeechEngine.h"
#include "service/line/mdlCalls.h"
#include "service/line/mdlContacts.h"

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

void frmLine::send(MessageControl* endpoint, qint32 channel, const QString& text)
{
    if (endpoint->Channel(channel))
        endpoint->Send(text);
}

void frmLine::SetDefaultCallOption()
{
    ::SetDefaultCallOption(call, ServiceTrans(1));
    LoadTTSSettings();
}

void frmLine::SetCallInfo()
{
    ::SetCallInfo(call, Clock::instance().now());
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
    const QString source = QStringLiteral("ErrTapi1_InComeCall");
    RunGuarded(source, [&] {
        if (!m_loaded)
            return;
        // In modem mode the modem reported the offer; the line device only
        // takes the call over.
        if (!g_bCallerIdFromTapi) {
            MSComm1->StopIdleTimer();
            return;
        }
        bInCall = true;
        const qint32 index = Tapi1->CurrentLine();
        WriteSysJournal(
            Tapi1->ErrorText(LineResult::Ok), 0, indexed(QStringLiteral("Tapi_InComeCall"), index));
        RunGuarded(source, [this] {
            SetDefaultCallOption();
            SetCallInfo();
        });
        if (!call.settings.bActOnCallerId)
            RunGuarded(source, [this] { PlayIncomingCallAlert(); });
        send(udiOut, ChannelNumber::EventChannel, ChannelMessages::tapiIncomming(index, call.RecordCallFlag));
    });
}

void frmLine::Tapi1_Ring(qint32 count)
{
    const QString source = QStringLiteral("ErrTapi1_Ring");
    RunGuarded(source, [&] {
        if (!m_loaded)
            return;
        // The line device took the call over from the modem: its rings go on
        // from the modem's.
        if (!g_bCallerIdFromTapi && !MSComm1->PortOpen())
            count += MSComm1->NumOfRing();
        send(udiOut, ChannelNumber::EventChannel,
            ChannelMessages::tapiRing(Tapi1->CurrentLine(), count, call.RecordCallFlag));
        WriteSysJournal(QStringLiteral("Tapi_Ring(") + QString::number(lLineIndex) + QStringLiteral("):")
                + QString::number(count),
            0, QString());
        if (count >= kRejectAtRing && call.bRejectCall) {
            const qint32 answered = Tapi1->LineAnswer();
            if (answered != LineResult::Ok)
                WriteSysJournal(Tapi1->ErrorText(answered), answered,
                    indexed(QStringLiteral("Tapi.LineAnswer"), Tapi1->CurrentLine()));
            WaitTenths(10);
            DropCall();
        }
    });
}

void frmLine::Tapi1_CallerID(const QString& deliveredName, const QString& deliveredNumber)
{
    const QString source = QStringLiteral("ErrTapi1_CallerID");
    RunGuarded(source, [&] {
        if (!m_loaded || !g_bCallerIdFromTapi)
            return;
        // A line break in what the network delivers would end a line of every
        // text the name goes into later (mail headers, command lines).
        const QString name = ChannelLayout::lineField(deliveredName);
        const QString number = ChannelLayout::lineField(deliveredNumber);
        // A caller ID without an offer (the offer was missed, or the last
        // call is stored already) starts a call of its own, so it is stored
        // with its own time instead of overwriting a call already stored.
        if (!m_callToStore)
            RunGuarded(source, [this] {
                SetDefaultCallOption();
                SetCallInfo();
            });
        bInCall = true;
        call.info.CallerName = name;
        call.info.CallerNumber = number;

        ContactRecord contact;
        QString contactName;
        QString picture;
        if (FindContactByNumber(name, number, call.options, contact) != u"-1") {
            if (const std::optional<qint64> mark
                = readWholeNumber(FixedRecord::trimBlanks(contact.EmergencyMark));
                mark && *mark >= 0 && *mark <= 9) {
                call.EmergencyMark = qint16(*mark);
            } else {
                WriteSysJournal(QStringLiteral("Type mismatch (EmergencyMark)"), kTypeMismatchError, source);
            }
            contactName = contactText(contact.ContactName);
            picture = contactText(contact.PictureFile);
            call.info.ContactName = contactName;
            if (call.options.BlockCall) {
                call.RecordCallFlag = false;
                call.bRejectCall = true;
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
        fields.showCallDetails = call.options.ShowCallDetails;
        fields.displayStyle = call.options.DisplayStyle;
        fields.showLineControl = call.options.ShowLineControl;
        send(udiCallerID, ChannelNumber::CallerIdChannel, ChannelMessages::tapiCid(index, fields));

        if (call.settings.bActOnCallerId)
            RunGuarded(source, [this] { PlayIncomingCallAlert(); });
        WriteSysJournal(QStringLiteral("Tapi_CallerID:(Index:") + QString::number(index)
                + QStringLiteral("):") + name + u':' + number + QStringLiteral(",Contact(") + contactName
                + u')',
            0, QString());
        WriteCallsJournal(
            QStringLiteral("Caller Name : ") + name + QStringLiteral("     Caller Number : ") + number);
    });
}

void frmLine::Tapi1_Dialing()
{
    RunGuarded(QStringLiteral("ErrTapi1_Dialing"), [this] {
        if (m_loaded)
            send(udiOut, ChannelNumber::EventChannel, ChannelMessages::tapiDialing(Tapi1->CurrentLine()));
    });
}

void frmLine::Tapi1_Connected()
{
    const QString source = QStringLiteral("ErrTapi1_Connected");
    RunGuarded(source, [&] {
        if (!m_loaded)
            return;
        const qint32 index = Tapi1->CurrentLine();
        WriteSysJournal(Tapi1->ErrorText(LineResult::Ok), 0, indexed(QStringLiteral("Tapi_Conected"), index));
        send(udiOut, ChannelNumber::EventChannel, ChannelMessages::tapiConnected(index));
        RunGuarded(source, [this] { m_tts.StopSpeak(); });
        WaitTenths(5);
        if (call.bRejectCall) {
            Tapi1->LineDrop();
            return;
        }
        if (call.bRecordDialledCall)
            RunGuarded(source, [this] { StartRecordIfConnected(); });
    });
}

void frmLine::Tapi1_Disconnected()
{
    const QString source = QStringLiteral("ErrTapi1_Disconnected");
    RunGuarded(source, [&] {
        if (!m_loaded)
            return;
        const qint32 index = Tapi1->CurrentLine();
        WriteSysJournal(
            Tapi1->ErrorText(LineResult::Ok), 0, indexed(QStringLiteral("Tapi_Disconnected"), index));
        // The desktop program knows this message: the far end hung up.
        send(udiOut, ChannelNumber::EventChannel, ChannelMessages::tapiDisconnected(index));
        RunGuarded(source, [this] { StopRecMessage(); });
        DropCall();
    });
}

void frmLine::Tapi1_Idle()
{
    RunGuarded(QStringLiteral("ErrTapi1_Idle"), [this] {
        if (!m_loaded)
            return;
        bInCall = false;
        WriteSysJournal(
            Tapi1->ErrorText(LineResult::Ok), 0, indexed(QStringLiteral("Tapi_Idle"), Tapi1->CurrentLine()));
        EndCall(true);
    });
}

void frmLine::EndCall(bool giveLineBack)
{
    const QString source = QStringLiteral("ErrTapi1_Idle");
    bInCall = false;
    bDialledCall = false;
    const qint32 index = Tapi1->CurrentLine();
    // Once per started call: a second Idle, or one with no call begun since
    // the last, stores and forwards nothing (an empty or repeated call
    // otherwise).
    const bool ended = m_callToStore;
    if (ended) {
        m_callToStore = false;
        RunGuarded(source, [&] {
            AddCallRecord(MakeCallRecord(call, index), CallDayFolder(call.info.CallDate), false,
                call.settings.ItemsInLast);
        });
    } else {
        qCDebug(lcLine) << "end of a call with nothing to store";
    }
    const QString idle = ChannelMessages::tapiIdle(index, call.info.CallType);
    send(udiIdle, ChannelNumber::IdleChannel, idle);
    send(udiOut, ChannelNumber::EventChannel, idle);
    if (giveLineBack && !g_bCallerIdFromTapi) {
        RunGuarded(source, [this] {
            QCoreApplication::processEvents();
            CommCloseTapi();
        });
    }
    if (ended)
        ForwardEndedCall();
}

void frmLine::ForwardEndedCall()
{
    const QString source = QStringLiteral("ErrTapi1_Idle");
    const CallOptions& options = call.options;
    if (options.ForwardToMail && ForwardsCallType(options.MailAction, call.info.CallType))
        RunGuarded(source, [this] { Forwarding->SendCallByMail(*this); });
    if (options.ForwardToApp && ForwardsCallType(options.AppAction, call.info.CallType))
        RunGuarded(source, [this] { Forwarding->SendToApp(*this); });
}

void frmLine::DropCall()
{
    const QString source = QStringLiteral("ErrDropCall");
    RunGuarded(source, [this] {
        if (Wave1->IsPlaying())
            Wave1->StopPlay();
    });
    RunGuarded(source, [this] {
        if (Wave1->IsRecording())
            Wave1->StopRecord();
    });
    RunGuarded(source, [this] {
        const qint32 result = Tapi1->LineDrop();
        WriteSysJournal(
            Tapi1->ErrorText(result), result, indexed(QStringLiteral("Tapi.LineDrop"), Tapi1->CurrentLine()));
    });
}
