// The hub's line-event receivers, the call phases and the line state.
#include "desktop/shell/frmProc.h"

#include "common/CallRecord.h"
#include "common/ChannelLayout.h"
#include "common/ChannelMessages.h"
#include "common/ContactRecord.h"
#include "common/FixedRecord.h"
#include "common/RegistryRoutines.h"
#include "common/SharedUtilities.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/DialerFeedback.h"
#include "desktop/foundation/Translation.h"
#include "desktop/settings/frmProperties.h"
#include "desktop/shell/LineEventSurfaces.h"
#include "desktop/shell/MainWindowFrame.h"
#include "desktop/shell/ShellGlobals.h"

#include <QRadioButton>

namespace {

constexpr int kIncomingCallText = 802;
constexpr int kRingText = 803;
constexpr int kConnectedText = 804;
constexpr int kDisconnectedText = 807;
constexpr int kDigitText = 298;
constexpr int kDialingText = 366;
constexpr int kDialerConnectedText = 367;
constexpr int kLineOnText = 100;
constexpr int kLineOffText = 101;
constexpr int kAutoModeText = 102;
constexpr int kLineIsOnText = 814;
constexpr int kLineIsOffText = 815;
constexpr int kAutoOnUntilText = 816;
constexpr int kAutoOffUntilText = 817;
// "True", "False", a display style: anything longer is no value of theirs.
constexpr int kFlagChars = 8;
// A mail's progress or a digit: a short text for the status bar.
constexpr int kStatusTextBytes = 256;

LineEventSurfaces* lineSurfaces()
{
    return dynamic_cast<LineEventSurfaces*>(LoadedMainWindow());
}

// Lines 2 to 8 of a caller-ID message, each cut to what its record field
// holds (the flags to a few characters), so no label lays out more; nothing
// when it has fewer than nine.
std::optional<QStringList> callerIdFields(const QStringList& lines)
{
    if (lines.size() < 9)
        return std::nullopt;
    static const int widths[] = {
        FixedRecord::widthOf(CallRecord::layout(), &CallRecord::CallerName),
        FixedRecord::widthOf(CallRecord::layout(), &CallRecord::CallerNumber),
        FixedRecord::widthOf(ContactRecord::layout(), &ContactRecord::ContactName),
        FixedRecord::widthOf(ContactRecord::layout(), &ContactRecord::PictureFile),
        kFlagChars,
        kFlagChars,
        kFlagChars,
    };
    QStringList fields;
    for (int i = 0; i < 7; ++i)
        fields.append(FixedRecord::cutToWidth(lines.at(2 + i), widths[i]));
    return fields;
}

// Service features this build never reports, named as the status bar would.
int featureText(const QString& name)
{
    if (name == MessageName::PlayGreet)
        return 805;
    if (name == MessageName::RecMessage)
        return 806;
    if (name == MessageName::PlayLegalGreet)
        return 808;
    if (name == MessageName::RecCall)
        return 809;
    return 0;
}

} // namespace

void frmProc::AddToLineDisplayStatusBar(const QString& sStr)
{
    if (MainWindowFrame* window = LoadedMainWindow())
        window->SetPanelText(3, sStr);
}

void frmProc::uDiCallerID_MessageArrived(const QString& text)
{
    const QStringList lines = ChannelLayout::splitBoundedLines(text);
    const QString name = lines.value(0);
    const std::optional<QStringList> fields = callerIdFields(lines);
    if (!fields)
        return;
    if (name == MessageName::TapiCid)
        OnCallerId(*fields);
    else if (name == MessageName::CommCid)
        OnModemCallerId(*fields);
}

void frmProc::udiIdle_MessageArrived(const QString& text)
{
    // The modem's end of a call counts on 307 only.
    if (ChannelLayout::splitBoundedLines(text).value(0) == MessageName::TapiIdle)
        OnLineIdle();
}

void frmProc::udiIn_MessageArrived(const QString& text)
{
    const QStringList lines = ChannelLayout::splitBoundedLines(text);
    const LineMessage message(text);
    const QString name = lines.value(0);
    if (name == MessageName::TapiIncomming) {
        OnIncomingCall();
    } else if (name == MessageName::TapiCid) {
        if (const std::optional<QStringList> fields = callerIdFields(lines))
            OnCallerId(*fields);
    } else if (name == MessageName::TapiConnected) {
        OnCallConnected();
    } else if (name == MessageName::TapiDisconnected) {
        OnCallDisconnected();
    } else if (name == MessageName::TapiIdle) {
        OnLineIdle();
    } else if (name == MessageName::TapiMonitorDigit) {
        if (const std::optional<QString> digit = message.line(2))
            OnMonitorDigit(FixedRecord::cutToWidth(*digit, kStatusTextBytes));
    } else if (name == MessageName::TapiRing) {
        if (const std::optional<qint32> count = message.number(2))
            OnRing(*count);
    } else if (const int feature = featureText(name)) {
        AddToLineDisplayStatusBar(g_sTrans(kConnectedText) + QStringLiteral(" - ") + g_sTrans(feature));
    } else if (name == MessageName::LineStatus) {
        if (const std::optional<ChannelMessages::LineStatusEvent> status
            = ChannelMessages::parseLineStatus(text))
            OnLineStatus(status->lineState, status->autoMode);
    } else if (name == MessageName::Mail) {
        if (const std::optional<QString> progress = message.line(2))
            AddToLineDisplayStatusBar(
                withoutControlCharacters(FixedRecord::cutToWidth(*progress, kStatusTextBytes)));
    } else if (name == MessageName::TapiDialing) {
        OnLineDialing();
    } else if (name == MessageName::CommIncomming) {
        OnModemIncomingCall();
    } else if (name == MessageName::CommCid) {
        if (const std::optional<QStringList> fields = callerIdFields(lines))
            OnModemCallerId(*fields);
    } else if (name == MessageName::CommIdle) {
        OnModemLineIdle();
    } else if (name == MessageName::UnLoadMe) {
        if (MainWindowFrame* window = LoadedMainWindow())
            window->ExitApp();
    }
}

void frmProc::OnIncomingCall()
{
    // A new call: what the last caller's contact chose for its display is over.
    m_callDisplayIC.reset();
    m_callDisplayStyle.reset();
    if (!g_bWhenCallerID) {
        g_bEndActionsDone = false;
        g_bIdleHandled = false;
        DoInCallActions();
    }
    g_bIdleHandled = false;
    AddToLineDisplayStatusBar(g_sTrans(kIncomingCallText));
}

void frmProc::OnModemIncomingCall()
{
    OnIncomingCall();
}

void frmProc::OnRing(qint32 RingCount)
{
    if (!g_bWhenCallerID && RingCount < 2)
        DoInCallActions();
    g_bIdleHandled = false;
    if (LineEventSurfaces* window = lineSurfaces())
        window->SetCallDetail(
            LineEventSurfaces::Detail::RingNumber, QStringLiteral("Ring : %1").arg(RingCount));
    AddToLineDisplayStatusBar(g_sTrans(kRingText) + u' ' + QString::number(RingCount));
    sCallStatus = QStringLiteral("INCOME");
}

void frmProc::OnCallConnected()
{
    g_bEndActionsDone = false;
    g_bInCallActionsDone = false;
    g_bIdleHandled = false;
    // The box of CallReady lets events run: the dialer may be gone after it,
    // and the call may have ended meanwhile, which leaves the line idle.
    if (g_bCallOutPending && LoadedDialer()) {
        LoadedDialer()->CallReady();
        if (g_bIdleHandled)
            return;
        if (DialerFeedback* dialer = LoadedDialer())
            dialer->SetStatusText(g_sTrans(kDialerConnectedText));
    }
    if (g_bCallOutRecPending && LoadedDialer()) {
        LoadedDialer()->CallReady();
        if (g_bIdleHandled)
            return;
        if (DialerFeedback* dialer = LoadedDialer())
            dialer->StartSecondsCounter();
    }
    AddToLineDisplayStatusBar(g_sTrans(kConnectedText));
    sCallStatus = QStringLiteral("ANSWERED");
}

void frmProc::OnCallDisconnected()
{
    AddToLineDisplayStatusBar(g_sTrans(kDisconnectedText));
}

void frmProc::OnMonitorDigit(const QString& Digit)
{
    AddToLineDisplayStatusBar(g_sTrans(kDigitText) + QStringLiteral(" : ") + withoutControlCharacters(Digit));
}

void frmProc::OnLineDialing()
{
    g_bEndActionsDone = false;
    // The dialled call's end is handled like any other call's.
    g_bIdleHandled = false;
    if (DialerFeedback* dialer = LoadedDialer()) {
        dialer->DisableDialButtons();
        dialer->SetStatusText(g_sTrans(kDialingText) + u' ' + dialer->NumberText());
    }
}

void frmProc::OnLineStatus(qint32 LineState, bool AutoMode)
{
    ++g_lLineStatusCount;
    const RegistryRoutines lineState
        = RegistryRoutines::forProduct(QStringLiteral("Properties\\TabLineStat"));
    const auto store = [&lineState](const char* value) {
        if (!lineState.setString(QStringLiteral("cmbLineStat"), QLatin1String(value)))
            qWarning("Ringvale: cmbLineStat cannot be written in the settings store.");
    };
    frmProperties* properties = LoadedPropertiesWindow();
    if (AutoMode) {
        store("2");
        if (properties)
            properties->ptnAuto->setChecked(true);
    } else if (LineState != 0) {
        if (properties)
            properties->ptnOff->setChecked(true);
    } else {
        store("0");
        if (properties)
            properties->ptnOn->setChecked(true);
    }

    g_bAutoMode = AutoMode;
    LineEventSurfaces* window = lineSurfaces();
    if (AutoMode && window)
        window->SetLineButton(g_sTrans(kAutoModeText));
    if (LineState != 0 && LineState != 1)
        return;
    const bool closed = LineState == 1;
    if (window) {
        if (!AutoMode)
            window->SetLineButton(g_sTrans(closed ? kLineOffText : kLineOnText));
        window->SetLineButtonImage(closed ? 1 : 0);
        window->SetLineMarks(!closed, closed);
    }
    g_bLineOff = closed;
    if (AutoMode)
        AddToLineDisplayStatusBar(closed ? g_sTrans(kAutoOffUntilText) + u' ' + g_sTimeOn
                                         : g_sTrans(kAutoOnUntilText) + u' ' + g_sTimeOff);
    else
        AddToLineDisplayStatusBar(g_sTrans(closed ? kLineIsOffText : kLineIsOnText));
}
