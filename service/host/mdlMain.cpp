#include "service/host/mdlMain.h"

#include "common/AppPaths.h"
#include "common/RegistryRoutines.h"
#include "platform/ServiceManagerNotifier.h"
#include "platform/SettingsStoreCheck.h"
#include "platform/SingleInstanceLock.h"
#include "platform/UnixSignalRoute.h"
#include "service/core/ServiceConsole.h"
#include "service/host/HostLog.h"
#include "service/host/NTService.h"
#include "service/host/ServiceRoot.h"
#include "service/host/WaitWithMessages.h"
#include "service/host/frmMain.h"

#include <QEventLoop>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <functional>
#include <optional>

namespace {

// The service's two start-up messages go to standard error, where systemd's
// journal or the starting terminal shows them.
void showMessage(const char* text)
{
    std::fputs(text, stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

// A plain process lives until its main form unloads: on "UNLOAD", or here on
// SIGTERM or SIGINT. An end asked for while the form is loading is kept and
// acted on once loading is done.
int RunAsProcess(ServiceMainForm& form, UnixSignalRoute& controls)
{
    controls.route(SIGINT);
    bool loading = true;
    bool endRequested = false;
    const auto requestEnd = [&] {
        endRequested = true;
        if (!loading)
            form.unload();
    };
    QObject::connect(&form, &ServiceMainForm::unloadRequested, &form, requestEnd);
    // Without a route the signals keep their default: they end the process.
    std::optional<QSocketNotifier> notifier;
    if (controls.isValid()) {
        notifier.emplace(controls.readFd(), QSocketNotifier::Read);
        QObject::connect(&*notifier, &QSocketNotifier::activated, &form, [&] {
            bool end = false;
            while (const int signal = controls.takeSignal()) {
                if (signal == SIGTERM || signal == SIGINT)
                    end = true;
            }
            if (end)
                requestEnd();
        });
    }

    form.load();
    loading = false;
    qCDebug(lcHost) << "main form loaded";
    if (endRequested)
        form.unload();
    if (form.isLoaded()) {
        QEventLoop lifetime;
        QObject::connect(&form, &ServiceMainForm::unloaded, &lifetime, &QEventLoop::quit);
        lifetime.exec();
    }
    qCDebug(lcHost) << "main form unloaded";
    return 0;
}

int RunAsNTService(ServiceMainForm& form, UnixSignalRoute& controls, const std::function<void()>& started)
{
    controls.route(SIGHUP);
    const QByteArray notifySocket = ServiceManagerNotifier::socketFromEnvironment();
    // Programs the service starts must not talk to systemd in its name.
    qunsetenv("NOTIFY_SOCKET");
    NTService service(notifySocket, controls);

    std::unique_ptr<ThreadHandle> dispatcher = service.StartServiceThread();
    WaitHandle* const startWait[] = {dispatcher.get(), &service.hStartedEvent};
    if (WaitWithMessages(-1, startWait) != 1) {
        dispatcher.reset();
        showMessage("This program must be started as a service.");
        return 1;
    }

    service.SetServiceState(ServiceState::Running);
    started();
    // "UNLOAD", or a form that unloads itself, ends the service as a stop
    // control does: a service that reports running must have its line.
    bool stopping = false;
    const auto stopFromInside = [&] {
        if (!stopping) {
            stopping = true;
            service.RequestStop();
        }
    };
    QObject::connect(&form, &ServiceMainForm::unloadRequested, &form, stopFromInside);
    QObject::connect(&form, &ServiceMainForm::unloaded, &form, stopFromInside);
    form.load();
    qCDebug(lcHost) << "main form loaded";
    // hStopEvent stays set, so a stop that came while the form was loading
    // ends the first round at once.
    WaitHandle* const stopWait[] = {&service.hStopEvent};
    while (WaitWithMessages(1000, stopWait) == WaitResult::Timeout) { }

    stopping = true;
    form.unload();
    qCDebug(lcHost) << "main form unloaded";
    service.SetServiceState(ServiceState::Stopped);
    service.hEndEvent.set();
    WaitHandle* const endWait[] = {dispatcher.get()};
    WaitWithMessages(-1, endWait);
    dispatcher.reset();
    return 0;
}

const char* const kHelp = "usage: RingvaleSvc [-gc]\n"
                          "The Ringvale line service: watches the telephone line, keeps every call in\n"
                          "the call files and journals, and serves the recent calls to a browser.\n"
                          "\n"
                          "  -gc        the desktop program's start; needed when ChkRunAsProc is \"0\"\n"
                          "  --help     this text\n"
                          "  --version  the version\n"
                          "\n"
                          "How it runs follows HKLM\\SOFTWARE\\Brask\\Ringvale 1.1\\Properties\\TabGeneral\n"
                          "ChkRunAsProc: \"1\" only as a systemd service (Type=notify; started by hand\n"
                          "it says so and ends), \"0\" as a plain process only with -gc alone, anything\n"
                          "else as a plain process. It tells what it does on standard error: started,\n"
                          "the line, the web page's address, stopped.\n"
                          "\n"
                          "Program folder: $RINGVALE_HOME, else the folder of this program. Settings\n"
                          "store: $RINGVALE_REGISTRY, else $XDG_CONFIG_HOME/Ringvale. One instance runs\n"
                          "per program folder and user. Stop it with Ctrl-C, SIGTERM, or\n"
                          "`ringvale-chan send 305 UNLOAD`.\n"
                          "\n"
                          "Exit status: 0 it ran and ended, another instance runs, or ChkRunAsProc is\n"
                          "\"0\" without -gc; 1 it could not run: not started by systemd in service\n"
                          "mode, no private runtime folder or instance lock, or a settings store that\n"
                          "cannot be read or holds no product key.\n";

} // namespace

int Main(const QStringList& arguments, const MainFormFactory& makeMainForm)
{
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (arguments.contains(QStringLiteral("--version"))) {
        std::fputs("RingvaleSvc 1.1.0.2 (Ringvale 1.1)\n", stdout);
        return 0;
    }

    // Caught from the start: a stop sent right after the start is then kept.
    UnixSignalRoute controls;
    controls.route(SIGTERM);

    const QString programFolder = AppPaths::programFolder();
    const AppPaths::RuntimeFolder runtime = AppPaths::openRuntimeFolder();
    if (runtime.path.isEmpty()) {
        ServiceConsole::say(
            QStringLiteral("no private runtime folder, so it cannot tell whether another instance runs: ")
            + runtime.problem);
        return 1;
    }
    const SingleInstanceLock instance(runtime.path + QStringLiteral("/RingvaleSvc.lock"));
    if (instance.state() == SingleInstanceLock::State::HeldElsewhere) {
        ServiceConsole::say(
            QStringLiteral("already running for the program folder %1; this one ends.").arg(programFolder));
        return 0;
    }
    if (instance.state() != SingleInstanceLock::State::Acquired) {
        showMessage(
            "RingvaleSvc: cannot lock the instance lock file; cannot tell whether another instance runs.");
        return 1;
    }

    // Without its settings the service would run with no line, no web server
    // and no journal, and nobody would know why.
    const SettingsStoreCheck::Result store = SettingsStoreCheck::check();
    if (!store.usable()) {
        ServiceConsole::say(store.problem);
        return 1;
    }
    if (!store.warning.isEmpty())
        ServiceConsole::say(store.warning);

    const RegistryRoutines reg = RegistryRoutines::forProduct(QStringLiteral("Properties\\TabGeneral"));
    const QString runAsProc = reg.getString(QStringLiteral("ChkRunAsProc"));
    // "-gc" is the desktop program's start; it must be the whole command line.
    if (runAsProc == u"0" && arguments != QStringList{QStringLiteral("-gc")}) {
        ServiceConsole::say(QStringLiteral("ChkRunAsProc is \"0\": it runs only when started with -gc alone, "
                                           "as the desktop program starts it."));
        return 0;
    }
    const bool RunAsService = runAsProc == u"1";
    qCDebug(lcHost) << "ChkRunAsProc" << runAsProc << (RunAsService ? "service mode" : "plain process");

    std::unique_ptr<ServiceMainForm> form
        = makeMainForm ? makeMainForm() : std::make_unique<frmMain>(std::make_unique<ServiceRoot>());
    const auto started = [&] {
        ServiceConsole::say(
            QStringLiteral("started as %1; program folder %2, settings store %3")
                .arg(RunAsService ? QStringLiteral("a systemd service") : QStringLiteral("a process"),
                    programFolder, store.file));
    };
    int status = 0;
    if (RunAsService) {
        status = RunAsNTService(*form, controls, started);
    } else {
        started();
        status = RunAsProcess(*form, controls);
    }
    if (status == 0)
        ServiceConsole::say(QStringLiteral("stopped."));
    return status;
}
