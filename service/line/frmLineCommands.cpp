// The line engine's command channel (308): what the desktop program asks of
// the line.
#include "service/line/frmLine.h"

#include "common/CallRecord.h"
#include "common/ChannelMessages.h"
#include "common/DateTimeText.h"
#include "common/FixedRecord.h"
#include "platform/TelephonyControl.h"
#include "service/core/HandlerGuard.h"
#include "service/core/Journal.h"
#include "service/core/ServiceTranslation.h"
#include "service/line/LineState.h"
#include "service/line/ModemSerialPath.h"

namespace {

// The text table's description of a dialled call.
constexpr int kDialledCallText = 13;

// A refused number as the journal shows it: no control character reaches
// the file.
QString shown(QString number)
{
    for (QChar& c : number) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u'?';
    }
    return number;
}

} // namespace

void frmLine::udiIn_MessageArrived(const QString& text)
{
    RunGuarded(m_journal, QStringLiteral("ErrudiIn_MessageArrived"), [&] {
        if (!m_loaded)
            return;
        // Unknown names, and commands short of the lines they need or with a
        // flag that is no Boolean, are ignored.
        const std::optional<ChannelMessages::LineCommand> command = ChannelMessages::parseLineCommand(text);
        if (!command)
            return;
        using Kind = ChannelMessages::LineCommand::Kind;
        switch (command->kind) {
        case Kind::On:
            resetAutoRetry();
            tmrAutoMode.stop();
            m_state.bAutoMode = false;
            OpenLine();
            break;
        case Kind::Off:
            resetAutoRetry();
            tmrAutoMode.stop();
            m_state.bAutoMode = false;
            CloseLine();
            break;
        case Kind::Auto:
            // Times that are none would hold the line closed until the next
            // "ON": the command is refused, and the state it leaves reported.
            if (!DateTimeText::parseTime(command->timeOn.trimmed())
                || !DateTimeText::parseTime(command->timeOff.trimmed())) {
                m_journal.WriteSysJournal(QStringLiteral("Not a time window: ") + shown(command->timeOn)
                        + QStringLiteral(" - ") + shown(command->timeOff),
                    0, QStringLiteral("AUTO"));
                SendLineStatus();
                break;
            }
            // The next tick opens or closes the line; the times are not stored.
            m_state.sTimeOn = command->timeOn;
            m_state.sTimeOff = command->timeOff;
            m_state.bAutoMode = true;
            resetAutoRetry();
            tmrAutoMode.start();
            SendLineStatus();
            break;
        case Kind::RecCall:
            m_call.RecordCallFlag = command->recordCallFlag;
            break;
        case Kind::DropTheCall:
            // A call the modem watches is not the line device's to answer.
            if (MSComm1->PortOpen())
                break;
            m_call.bRejectCall = true;
            // Once connected, the connected handler hangs up.
            if (const qint32 result = Tapi1->LineAnswer(); result != LineResult::Ok)
                m_journal.WriteSysJournal(Tapi1->ErrorText(result), result,
                    QStringLiteral("DropTheCall:Tapi1.LineAnswer(") + QString::number(Tapi1->CurrentLine())
                        + u')');
            break;
        case Kind::DoNothing:
            break;
        case Kind::StopProc:
        case Kind::DropCall:
            DropCall();
            break;
        case Kind::CallOut:
        case Kind::CallOutRec:
            PlaceCall(command->dialNumber, command->kind == Kind::CallOutRec);
            break;
        case Kind::Hello:
            SendLineStatus();
            break;
        case Kind::GetTTSProp:
            LoadTTSSettings();
            break;
        }
    });
}

void frmLine::PlaceCall(const QString& requested, bool record)
{
    const QString source = record ? QStringLiteral("CallOutRec") : QStringLiteral("CallOut");
    // The live call's information is what its record is made of: a dial now
    // would overwrite it.
    if (IsInCall()) {
        m_journal.WriteSysJournal(
            QStringLiteral("A call is in progress; not dialled: ") + shown(requested), 0, source);
        return;
    }
    // Blanks around the number are no part of it; anything else that no line
    // dials (a line break, letters, a NUL) refuses the whole number.
    const QString number = FixedRecord::trimBlanks(requested);
    if (!IsDialable(number)) {
        m_journal.WriteSysJournal(QStringLiteral("Not a number to dial: ") + shown(requested), 0, source);
        return;
    }
    // The stored call, and the recording's name that readers rebuild from it,
    // must name the number dialled.
    if (!fitsNumberField(number)) {
        m_journal.WriteSysJournal(
            QStringLiteral("The number is too long to dial: ") + shown(requested), 0, source);
        return;
    }
    if (!m_state.bCallerIdFromTapi)
        RunGuarded(m_journal, source, [this] { GetTapiFromComm(); });
    // Fresh options, as for an incoming call: the last caller's contact
    // overrides (its forwarding address or program) are not this call's.
    SetDefaultCallOption();
    SetCallInfo();
    m_call.info.CallType = record ? QStringLiteral("4") : QStringLiteral("1");
    m_call.Description = ServiceTrans(kDialledCallText);
    m_call.info.CallerNumber = number;
    bDialledCall = true;
    const qint32 result = Tapi1->LineDial(number);
    // Each dial decides for the call it dials; a dialled call is never hung
    // up by the rejection of an earlier incoming one.
    m_call.bRecordDialledCall = record;
    m_call.bRejectCall = false;
    if (result == LineResult::Ok)
        return;
    // Nothing was dialled: no call to store, and in modem mode the modem
    // watches the line again.
    m_journal.WriteSysJournal(Tapi1->ErrorText(result), result,
        source + QStringLiteral(":Tapi1.LineDial(") + QString::number(Tapi1->CurrentLine()) + u')');
    bDialledCall = false;
    m_callToStore = false;
    RunGuarded(m_journal, source, [this] { giveLineBack(); });
}
