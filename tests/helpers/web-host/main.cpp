// Runs the service's web server alone over the program folder and settings
// store of the environment (RINGVALE_HOME, RINGVALE_REGISTRY), as the main
// form will: the web-settings record read from the settings, then start. For
// the tests and the benchmark, until the main form starts it in the service.
// Prints "port N" once it listens; ends on SIGTERM or SIGINT.
//   web-host [--idle-timeout-ms N] [--connections-per-address N]
#include "platform/IniRegistry.h"
#include "service/web/frmHTTP.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/signalfd.h>
#include <unistd.h>

int main(int argc, char* argv[])
{
    // Signals end the event loop, so the server closes as it would on unload.
    sigset_t mask;
    sigemptyset(&mask);
    sigaddset(&mask, SIGTERM);
    sigaddset(&mask, SIGINT);
    sigprocmask(SIG_BLOCK, &mask, nullptr);
    const int signalFd = signalfd(-1, &mask, SFD_CLOEXEC);

    QCoreApplication app(argc, argv);
    IniRegistry::installDefault();

    frmHTTP::Options options;
    options.productTitle = QStringLiteral("Ringvale 1.1");
    // As the service: tests name a port file and get a port the system picks.
    options.anyPort = qEnvironmentVariableIsSet("RINGVALE_WEB_PORT_FILE");
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        bool ok = false;
        const int n = i + 1 < args.size() ? args.at(i + 1).toInt(&ok) : 0;
        if (!ok || n < 1) {
            std::fputs("usage: web-host [--idle-timeout-ms N] [--connections-per-address N]\n", stderr);
            return 2;
        }
        if (args.at(i) == u"--idle-timeout-ms") {
            // The head's time and the answer's stall.
            options.limits.headMs = n;
            options.limits.stallMs = n;
        } else if (args.at(i) == u"--connections-per-address") {
            options.connectionsPerAddress = n; // a load tool's clients all come from one address
        } else {
            std::fputs("usage: web-host [--idle-timeout-ms N] [--connections-per-address N]\n", stderr);
            return 2;
        }
        ++i;
    }

    frmHTTP server(LoadWebAccessSettings(), options);
    if (!server.start()) {
        std::fputs("web-host: cannot listen\n", stderr);
        return 1;
    }
    std::printf("port %u\n", unsigned(server.serverPort()));
    std::fflush(stdout);

    QSocketNotifier signalNotifier(signalFd, QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&] {
        signalfd_siginfo info;
        if (read(signalFd, &info, sizeof info) > 0)
            app.quit();
    });
    const int status = app.exec();
    server.stop();
    return status;
}
