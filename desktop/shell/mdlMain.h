#pragma once

#include <QStringList>

#include <memory>

class MessageControl;
class QSocketNotifier;
class SingleInstanceLock;
class UnixSignalRoute;
class frmSysTray;

// The translation named under Language\Select; a missing or broken one is
// said once on standard error, and the windows go on with empty texts. A
// right-to-left translation mirrors the windows made afterwards.
void LoadChosenTranslation();

// The desktop program's start: the maintenance switches, one instance per
// program folder and user, the first run's defaults and greeting, the speech
// check, the service install when due, and the main window.
class mdlMain {
public:
    enum class Outcome {
        Ended, // nothing is loaded: the program ends (status 0)
        Running, // the main window is loaded: the event loop runs it
    };

    static constexpr const char* kSpeechDownload = "https://github.com/espeak-ng/espeak-ng/releases";

    mdlMain();
    ~mdlMain();
    mdlMain(const mdlMain&) = delete;
    mdlMain& operator=(const mdlMain&) = delete;

    // The arguments are joined by blanks and compared exactly with "-uis",
    // "-uia" and "-st"; anything else is no switch.
    Outcome Main(const QStringList& arguments);

private:
    Outcome FirstRun();
    void SpeechMissing();
    void InstallService();
    // Pause that tells whether the program is still to go on.
    bool PauseUnlessExiting(qint32 tenths);
    void RouteSignals();
    void takeSignals();
    // The start-up stops at its next wait and nothing is loaded.
    void stopStarting();
    // Until the main window's hub listens on 307, "-uia" reaches the start-up
    // here.
    void listenForUnloadWhileStarting();
    // Ends that listening; false when an unload came meanwhile.
    bool handOverStartupEvents();

    std::unique_ptr<SingleInstanceLock> m_instance;
    std::unique_ptr<frmSysTray> m_startupTray;
    std::unique_ptr<UnixSignalRoute> m_signals;
    std::unique_ptr<QSocketNotifier> m_signalNotifier;
    std::unique_ptr<MessageControl> m_startupEvents;
};
