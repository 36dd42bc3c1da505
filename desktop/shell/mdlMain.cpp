#include "desktop/shell/mdlMain.h"

#include "common/AppPaths.h"
#include "common/CallTemplate.h"
#include "common/ChannelMessages.h"
#include "common/RegistryRoutines.h"
#include "common/TranslationFile.h"
#include "common/Waits.h"
#include "desktop/foundation/AddressOpener.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/ProductAddresses.h"
#include "desktop/foundation/Translation.h"
#include "desktop/foundation/WindowUtilities.h"
#include "desktop/foundation/mdlFunctions.h"
#include "desktop/shell/MainWindowFrame.h"
#include "desktop/shell/NTServiceControl.h"
#include "desktop/shell/frmProc.h"
#include "desktop/shell/frmSysTray.h"
#include "platform/Backends.h"
#include "platform/DeviceLookups.h"
#include "platform/MessageControl.h"
#include "platform/SingleInstanceLock.h"
#include "platform/UnixSignalRoute.h"
#include "platform/WaveControl.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>

namespace {

constexpr qint32 kBalloonMs = 30000;
constexpr qint32 kInformation = 1;
constexpr qint32 kWarning = 2;

void say(const QString& text)
{
    std::fprintf(stderr, "Ringvale: %s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

// A setting the start-up writes; one that cannot be written is said.
void write(const QString& subkey, const QString& name, const QString& value)
{
    if (!RegistryRoutines::forProduct(subkey).setString(name, value))
        say(QStringLiteral("cannot write %1 under \"%2\" in the settings store.").arg(name, subkey));
}

QString readSetting(const QString& subkey, const QString& name)
{
    return RegistryRoutines::forProduct(subkey).getString(name);
}

} // namespace

void LoadChosenTranslation()
{
    const QString chosen
        = RegistryRoutines::forProduct(QStringLiteral("Language")).getString(QStringLiteral("Select"));
    const std::optional<QString> path = TranslationFile::pathFor(chosen);
    if (!path) {
        say(chosen.isEmpty() ? QStringLiteral("no translation is chosen (Language\\Select is empty).")
                             : QStringLiteral("Language\\Select names no translation file: ") + chosen);
        return;
    }
    if (const qint32 error = LoadTranslation(*path); error != 0)
        say(QStringLiteral("cannot load the translation %1 (error %2).").arg(*path).arg(error));
    // Every window made from now on is mirrored for a right-to-left language.
    QGuiApplication::setLayoutDirection(g_bRTL() ? Qt::RightToLeft : Qt::LeftToRight);
}

namespace {

// How long "-uia" waits for a desktop that is still starting to listen.
constexpr qint64 kStartingDesktopMs = 10000;

// A desktop that holds the instance lock but does not listen yet is starting:
// "-uia" waits for it rather than being lost.
void waitForAStartingDesktop(MessageControl& endpoint)
{
    const AppPaths::RuntimeFolder runtime = AppPaths::openRuntimeFolder();
    if (runtime.path.isEmpty())
        return;
    {
        const SingleInstanceLock probe(runtime.path + QStringLiteral("/Ringvale.lock"));
        if (probe.state() != SingleInstanceLock::State::HeldElsewhere)
            return;
    }
    if (!WaitLettingEventsRun(
            kStartingDesktopMs, [&endpoint] { return endpoint.Channel(ChannelNumber::EventChannel); }))
        say(QStringLiteral("-uia: the running desktop did not listen in time."));
}

} // namespace

mdlMain::mdlMain() = default;

mdlMain::~mdlMain() = default;

mdlMain::Outcome mdlMain::Main(const QStringList& arguments)
{
    const QString commandLine = arguments.join(u' ');
    if (commandLine == u"-uis") {
        frmProc hub;
        hub.Form_Load();
        hub.UnInstallRunServ();
        Pause(10);
        return Outcome::Ended;
    }
    if (commandLine == u"-uia") {
        frmProc hub;
        hub.Form_Load();
        waitForAStartingDesktop(hub.udiOut);
        hub.UnLoadApp();
        return Outcome::Ended;
    }
    g_sProductTitle = QStringLiteral("Ringvale 1.1");
    g_sVersion = QStringLiteral("1.1.0.2");
    g_sInstallationId = InstallationIdentifier();

    const AppPaths::RuntimeFolder runtime = AppPaths::openRuntimeFolder();
    if (runtime.path.isEmpty()) {
        say(QStringLiteral("no private runtime folder, so it cannot tell whether another instance runs: ")
            + runtime.problem);
    } else {
        m_instance = std::make_unique<SingleInstanceLock>(runtime.path + QStringLiteral("/Ringvale.lock"));
        if (m_instance->state() == SingleInstanceLock::State::HeldElsewhere)
            return Outcome::Ended;
        if (m_instance->state() == SingleInstanceLock::State::Failed)
            say(QStringLiteral("cannot lock Ringvale.lock; cannot tell whether another instance runs."));
    }
    RouteSignals();
    listenForUnloadWhileStarting();
    LoadChosenTranslation();

    const QString first = readSetting(QString(), QStringLiteral("First"));
    if (first == u"1" || first.isEmpty())
        return FirstRun();

    if (!IsSpeechInstalled()) {
        SpeechMissing();
        return Outcome::Ended;
    }
    if (readSetting(QStringLiteral("Properties\\TabGeneral"), QStringLiteral("ChkRunAsProc")) == u"1"
        && ServiceIsInstalled() != 0)
        InstallService();
    if (g_bExiting)
        return Outcome::Ended;

    if (!handOverStartupEvents())
        return Outcome::Ended;
    if (commandLine != u"-st") {
        LoadMainWindow(true);
    } else if (CreateTrayIcon()->isSystemTrayAvailable()) {
        LoadMainWindow(false);
    } else {
        // Hidden with no tray to bring it back from, nobody could reach it.
        say(QStringLiteral("-st: there is no system tray here, so the window starts minimised instead."));
        LoadMainWindow(false).ShowMinimized();
    }
    return Outcome::Running;
}

mdlMain::Outcome mdlMain::FirstRun()
{
    write(QStringLiteral("MailForward\\Details"), QStringLiteral("txtMessage"), DefaultMailMessage());
    m_startupTray = std::make_unique<frmSysTray>();
    m_startupTray->ShowBalloonTip(g_sTrans(390), g_sProductTitle, kInformation, kBalloonMs);
    if (!PauseUnlessExiting(50))
        return Outcome::Ended;
    m_startupTray->ShowBalloonTip(g_sTrans(391), g_sProductTitle, kInformation, kBalloonMs);
    if (!PauseUnlessExiting(20))
        return Outcome::Ended;
    m_startupTray->ShowBalloonTip(g_sTrans(392), g_sProductTitle, kInformation, kBalloonMs);
    if (!PauseUnlessExiting(20))
        return Outcome::Ended;
    if (!IsSpeechInstalled()) {
        SpeechMissing();
        return Outcome::Ended;
    }
    {
        const std::unique_ptr<WaveControl> wave(CreateWaveControl(nullptr));
        const QString device = wave ? GetSoundDeviceName(*wave, 0) : QString();
        // An empty name would wipe the "0" the service writes there later.
        if (!device.isEmpty())
            write(QStringLiteral("Properties\\TabDevices"), QStringLiteral("cmbSoundDev"), device);
    }
    write(QString(), QStringLiteral("First"), QStringLiteral("0"));
    write(QStringLiteral("Properties\\TabLineStat"), QStringLiteral("txtTimeOn"), QStringLiteral("16:00:00"));
    write(
        QStringLiteral("Properties\\TabLineStat"), QStringLiteral("txtTimeOff"), QStringLiteral("08:00:00"));
    m_startupTray->ShowBalloonTip(g_sTrans(395), g_sProductTitle, kWarning, kBalloonMs);
    if (!PauseUnlessExiting(35))
        return Outcome::Ended;
    m_startupTray->ShowBalloonTip(
        ReplacePlaceholder(g_sTrans(396), g_sProductTitle), g_sProductTitle, kInformation, kBalloonMs);
    if (!PauseUnlessExiting(25))
        return Outcome::Ended;
    m_startupTray.reset();
    if (!handOverStartupEvents())
        return Outcome::Ended;
    // A first run never starts hidden.
    LoadMainWindow(true);
    return Outcome::Running;
}

void mdlMain::SpeechMissing()
{
    ShowMessage(QStringLiteral("espeak-ng text to speech must be installed on your machine.\r\n"
                               "Click OK to open the espeak-ng download page...\r\n"
                               "After installation run ")
            + g_sProductTitle + QStringLiteral(" again."),
        false);
    const QString address = QString::fromLatin1(kSpeechDownload);
    if (!CurrentAddressOpener().Open(address))
        say(QStringLiteral("cannot open ") + address);
    m_startupTray.reset();
}

void mdlMain::InstallService()
{
    m_startupTray = std::make_unique<frmSysTray>();
    m_startupTray->ShowBalloonTip(g_sTrans(393), g_sProductTitle, kInformation, kBalloonMs);
    Pause(20);
    write(QStringLiteral("Properties\\TabGeneral"), QStringLiteral("ChkRunAsProc"), QStringLiteral("1"));
    {
        frmProc hub;
        hub.Form_Load();
        hub.InstallRunServ();
    }
    m_startupTray->ShowBalloonTip(
        ReplacePlaceholder(g_sTrans(394), g_sProductTitle), g_sProductTitle, kInformation, kBalloonMs);
    Pause(50);
    m_startupTray.reset();
}

bool mdlMain::PauseUnlessExiting(qint32 tenths)
{
    Pause(tenths);
    if (!g_bExiting)
        return true;
    m_startupTray.reset();
    return false;
}

void mdlMain::RouteSignals()
{
    m_signals = std::make_unique<UnixSignalRoute>();
    if (!m_signals->isValid() || !m_signals->route(SIGINT) || !m_signals->route(SIGTERM)) {
        say(QStringLiteral("SIGINT and SIGTERM cannot be caught; they end the program without its exit."));
        m_signals.reset();
        return;
    }
    m_signalNotifier = std::make_unique<QSocketNotifier>(m_signals->readFd(), QSocketNotifier::Read);
    QObject::connect(m_signalNotifier.get(), &QSocketNotifier::activated, [this] { takeSignals(); });
}

void mdlMain::takeSignals()
{
    while (m_signals && m_signals->takeSignal() != 0) {
        if (MainWindowFrame* window = LoadedMainWindow())
            window->ExitApp();
        else
            stopStarting();
    }
}

void mdlMain::stopStarting()
{
    g_bExiting = true;
    QCoreApplication::exit(0);
}

bool mdlMain::handOverStartupEvents()
{
    // What reached the start-up's endpoint is handled before it goes; the
    // main window's hub takes over 307.
    QCoreApplication::processEvents();
    m_startupEvents.reset();
    return !g_bExiting;
}

void mdlMain::listenForUnloadWhileStarting()
{
    m_startupEvents = std::make_unique<MessageControl>();
    (void)m_startupEvents->Channel(ChannelNumber::EventChannel);
    if (m_startupEvents->socketPath().isEmpty()) {
        say(QStringLiteral("cannot listen on 307 while starting; -uia reaches the program once it runs."));
        m_startupEvents.reset();
        return;
    }
    QObject::connect(m_startupEvents.get(), &MessageControl::MessageArrived, [this](const QString& text) {
        if (QStringView(text).left(text.indexOf(u'\r')) == MessageName::UnLoadMe)
            stopStarting();
    });
}
