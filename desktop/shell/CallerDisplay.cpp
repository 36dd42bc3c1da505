// What the user sees of an incoming call: the caller announced once per call
// (pop-up or tray balloon, the details pane, the main window brought up), the
// caller ID filled in, and the end of the call with the new greeting.
#include "desktop/shell/frmProc.h"

#include "common/ChannelLayout.h"
#include "common/Clock.h"
#include "common/DateTimeText.h"
#include "common/SharedUtilities.h"
#include "desktop/contacts/ContactPictures.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/DialerFeedback.h"
#include "desktop/foundation/Translation.h"
#include "desktop/settings/CallerPopUp.h"
#include "desktop/shell/LineEventSurfaces.h"
#include "desktop/shell/MainWindowFrame.h"
#include "desktop/shell/ShellGlobals.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcShell, "ringvale.shell", QtCriticalMsg)

namespace {

constexpr int kIncomingCallText = 802;
constexpr int kReadyText = 801;
const QString kUnknown = QStringLiteral("UNKNOWN");

LineEventSurfaces* lineSurfaces()
{
    return dynamic_cast<LineEventSurfaces*>(LoadedMainWindow());
}

// The contact's picture, named by a plain file name inside Pics/; a path, a
// "..", a separator or a control character names no picture.
QString picturePath(const QString& name)
{
    if (name.isEmpty() || name == u"." || name == u".." || name.contains(u'/') || name.contains(u'\\')
        || withoutControlCharacters(name) != name)
        return {};
    return ContactPictures::folder() + name;
}

// The balloon's message: some notification areas read markup.
void showBalloon(MainWindowFrame* window, const QString& text)
{
    if (window)
        window->DisplayBallonCallSetails(g_sTrans(kIncomingCallText), text.toHtmlEscaped());
}

void saidShown(const char* where, const QString& name, const QString& number, const QString& contact)
{
    qCDebug(lcShell).nospace() << "caller shown: " << where << " name " << name << " number " << number
                               << " contact " << contact;
}

} // namespace

bool frmProc::CallDisplayIC() const
{
    return m_callDisplayIC.value_or(g_bDisplayIC);
}

qint32 frmProc::CallDisplayStyle() const
{
    return m_callDisplayStyle.value_or(sCallDisplay);
}

void frmProc::DoInCallActions()
{
    if (!g_bInCallActionsDone) {
        g_bInCallActionsDone = true;
        sCallerName = kUnknown;
        sCallerNumber = kUnknown;
        sContactName.clear();
        sPictureFile.clear();
        MainWindowFrame* frame = LoadedMainWindow();
        if (LineEventSurfaces* window = lineSurfaces()) {
            const QDateTime now = Clock::instance().now();
            window->SetCallDetail(LineEventSurfaces::Detail::CallerName, sCallerName);
            window->SetCallDetail(LineEventSurfaces::Detail::CallerNumber, sCallerNumber);
            window->SetCallDetail(LineEventSurfaces::Detail::Date, DateTimeText::formatDate(now.date()));
            window->SetCallDetail(LineEventSurfaces::Detail::Time, DateTimeText::formatTime(now.time()));
        }
        if (CallDisplayIC()) {
            if (CallDisplayStyle() != 0) {
                showBalloon(frame, sCallerName + QStringLiteral("  ") + sCallerNumber);
                saidShown("balloon", sCallerName, sCallerNumber, sContactName);
            } else {
                CallerPopUp& popUp = CurrentCallerPopUp();
                popUp.Load();
                popUp.SetTitle(g_sTrans(kIncomingCallText));
                popUp.lAnimateFaster = g_lAnimateFaster;
                popUp.bAnimate = g_bAnimate;
                popUp.bClose = g_bClosePersonal;
                popUp.lCloseAfter = g_lClosePersonalAfter;
                popUp.SetCallerName(sCallerName);
                popUp.SetCallerNumber(sCallerNumber);
                popUp.Display();
                saidShown("pop-up", sCallerName, sCallerNumber, sContactName);
            }
        }
        if (g_bOpenAppOnCall && frame)
            frame->ShowWindow();
    }
    sCallStatus = QStringLiteral("INCOME");
}

void frmProc::OnCallerId(const QStringList& fields)
{
    const auto field = [&fields](int index) { return withoutControlCharacters(fields.value(index)); };
    const QString CallerName = field(0);
    const QString CallerNumber = field(1);
    const QString ContactName = field(2);
    const QString PictureFile = field(3);
    const QString ShowCallDetails = field(4);
    const QString DisplayStyle = field(5);

    // The contact's own display settings, for this call only.
    if (!ShowCallDetails.isEmpty()) {
        if (const std::optional<bool> show = ChannelLayout::parseBool(ShowCallDetails))
            m_callDisplayIC = *show;
    }
    if (!DisplayStyle.isEmpty()) {
        if (const std::optional<qint32> style = ChannelLayout::parseNumber(DisplayStyle))
            m_callDisplayStyle = *style;
    }
    if (g_bWhenCallerID) {
        g_bEndActionsDone = false;
        g_bIdleHandled = false;
        DoInCallActions();
    }
    sCallerName = CallerName;
    sCallerNumber = CallerNumber;
    sContactName = ContactName;
    sPictureFile = PictureFile;

    const QString picture = picturePath(PictureFile);
    if (LineEventSurfaces* window = lineSurfaces()) {
        window->SetCallDetail(LineEventSurfaces::Detail::CallerName, CallerName);
        window->SetCallDetail(LineEventSurfaces::Detail::CallerNumber, CallerNumber);
        window->SetCallDetail(LineEventSurfaces::Detail::ContactName, ContactName);
        // A picture that cannot be read leaves the one shown before.
        window->SetCallerPicture(picture);
    }
    if (CallDisplayIC()) {
        if (CallDisplayStyle() != 0) {
            QString text = CallerName + QStringLiteral("  ") + CallerNumber;
            if (!ContactName.isEmpty())
                text += QStringLiteral(" - ") + ContactName;
            showBalloon(LoadedMainWindow(), text);
            saidShown("balloon", CallerName, CallerNumber, ContactName);
        } else {
            // A pop-up the user closed stays closed.
            CallerPopUp& popUp = CurrentCallerPopUp();
            if (popUp.IsLoaded()) {
                popUp.SetTitle(g_sTrans(kIncomingCallText));
                popUp.SetCallerName(CallerName);
                popUp.SetCallerNumber(CallerNumber);
                popUp.SetContact(ContactName);
                if (!picture.isEmpty())
                    popUp.SetPicture(picture);
                saidShown("pop-up", CallerName, CallerNumber, ContactName);
            }
        }
    }
    AddToLineDisplayStatusBar(CallerName + u' ' + CallerNumber);
    sCallStatus = QStringLiteral("INCOME");
}

void frmProc::OnModemCallerId(const QStringList& fields)
{
    OnCallerId(fields);
}

void frmProc::DoEndCallActions()
{
    if (g_bEndActionsDone)
        return;
    g_bEndActionsDone = true;
    MainWindowFrame* frame = LoadedMainWindow();
    LineEventSurfaces* window = lineSurfaces();
    if (window && frame && (window->IsMinimizedWindow() || g_bMainHidden || !frame->IsWindowVisible()))
        window->StartBlink();
    g_bInCallActionsDone = false;
    sCallStatus = QStringLiteral("NOTHING");
    m_callDisplayIC.reset();
    m_callDisplayStyle.reset();
    if (window)
        window->ShowRecentCalls();
}

void frmProc::OnLineIdle()
{
    if (g_bIdleHandled)
        return;
    g_bIdleHandled = true;
    if (DialerFeedback* dialer = LoadedDialer())
        dialer->CallEnded();
    DoEndCallActions();
    AddToLineDisplayStatusBar(g_sTrans(kReadyText));
    GreetAfter(kGreetAfterIdleMs);
}

void frmProc::OnModemLineIdle()
{
    OnLineIdle();
}

void frmProc::GreetAfter(qint64 ms)
{
    // In place of a nested wait: the handler returns, and messages that come
    // meanwhile (a new call) are handled as at any other time.
    auto* waiter = new QObject(this);
    Clock& clock = Clock::instance();
    const qint64 deadline = clock.elapsedMs() + ms;
    connect(&clock, &Clock::wakeUp, waiter, [this, waiter, deadline] {
        Clock& now = Clock::instance();
        if (now.elapsedMs() < deadline || waiter->property("done").toBool())
            return;
        waiter->setProperty("done", true);
        now.cancelWakeUps(waiter);
        waiter->deleteLater();
        if (!tmrHello.isActive())
            tmrHello.start();
    });
    clock.requestWakeUp(deadline, waiter);
}
