#include "service/host/mdlMain.h"

#include "common/AppPaths.h"
#include "common/RegistryRoutines.h"
#include "platform/ServiceManagerNotifier.h"
#include "platform/SingleInstanceLock.h"
#include "platform/UnixSignalRoute.h"
#include "service/host/HostLog.h"
#include "service/host/NTService.h"
#include "service/host/ServiceRoot.h"
#include "service/host/WaitWithMessages.h"
#include "service/host/frmMain.h"

#include <QEventLoop>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
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

int RunAsNTService(ServiceMainForm& form, UnixSignalRoute& controls)
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

} // namespace

int Main(const QStringList& arguments, const MainFormFactory& makeMainForm)
{
    // Caught from the start: a stop sent right after the start is then kept.
    UnixSignalRoute controls;
    controls.route(SIGTERM);

    const QString runtimeFolder = AppPaths::runtimeFolder();
    if (runtimeFolder.isEmpty()) {
        showMessage("RingvaleSvc: no private runtime folder; cannot tell whether another instance runs.");
        return 1;
    }
    const SingleInstanceLock instance(runtimeFolder + QStringLiteral("/RingvaleSvc.lock"));
    if (instance.state() == SingleInstanceLock::State::HeldElsewhere)
        return 0;
    if (instance.state() != SingleInstanceLock::State::Acquired) {
        showMessage(
            "RingvaleSvc: cannot lock the instance lock file; cannot tell whether another instance runs.");
        return 1;
    }

    const RegistryRoutines reg = RegistryRoutines::forProduct(QStringLiteral("Properties\\TabGeneral"));
    const QString runAsProc = reg.getString(QStringLiteral("ChkRunAsProc"));
    // "-gc" is the desktop program's start; it must be the whole command line.
    if (runAsProc == u"0" && arguments != QStringList{QStringLiteral("-gc")})
        return 0;
    const bool RunAsService = runAsProc == u"1";
    qCDebug(lcHost) << "ChkRunAsProc" << runAsProc << (RunAsService ? "service mode" : "plain process");

    std::unique_ptr<ServiceMainForm> form
        = makeMainForm ? makeMainForm() : std::make_unique<frmMain>(std::make_unique<ServiceRoot>());
    return RunAsService ? RunAsNTService(*form, controls) : RunAsProcess(*form, controls);
}
