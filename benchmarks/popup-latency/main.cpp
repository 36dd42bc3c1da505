// Time from the simulated line's caller-ID event to the caller's name in the
// desktop's pop-up: the real Ringvale (offscreen, its diagnostics on) over the
// RingvaleSvc it starts, with a contact file of the size asked for (default
// 10,000; the caller is its last contact).
//   bench-popup-latency [--calls N] [CONTACTS]
// Each call is offered, and once the desktop has announced it, the caller ID
// is given on the line's control socket (the clock starts as the request is
// written) and stops when the desktop says it put the name into the pop-up;
// then the far end hangs up and the next call waits for the end's report.
#include "benchmarks/support/LineBench.h"
#include "common/ChannelMessages.h"
#include "common/RegistryRoutines.h"
#include "platform/IniRegistry.h"
#include "platform/MessageControl.h"
#include "platform/SimulatedLineProtocol.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

using LineBench::lineRequest;
using LineBench::run;
using LineBench::runUntil;

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    int calls = 100;
    int contacts = 10000;
    const QStringList args = app.arguments().mid(1);
    bool ok = true;
    for (qsizetype i = 0; ok && i < args.size(); ++i) {
        if (args[i] == u"--calls" && i + 1 < args.size())
            ok = (calls = args[++i].toInt(&ok)) > 0 && ok;
        else
            ok = (contacts = args[i].toInt(&ok)) >= 0 && ok;
    }
    if (!ok) {
        std::fprintf(stderr, "usage: bench-popup-latency [--calls N] [CONTACTS]\n");
        return 2;
    }

    QTemporaryDir home;
    QTemporaryDir registry;
    QTemporaryDir runtime;
    qputenv("RINGVALE_HOME", home.path().toUtf8());
    qputenv("RINGVALE_REGISTRY", registry.path().toUtf8());
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    const QString bin = QStringLiteral(RINGVALE_BIN_DIR);
    IniRegistry::installDefault();
    const QString known = QStringLiteral("5559999999");
    const auto set = [](const QString& key, const QString& name, const QString& value) {
        return RegistryRoutines::forProduct(key).setString(name, value);
    };
    if (!run(QStringLiteral("bash"),
            {QStringLiteral(RINGVALE_SOURCE_DIR "/scripts/install-data"), home.path(),
                bin + QStringLiteral("/ringvale-reg")})
        || !set(u"RemoteAccess\\TabInternetAccess"_s, u"chkAllowWWWRemoteAccess"_s, u"0"_s)
        || !set(QString(), u"First"_s, u"0"_s) || !set(u"Properties\\TabGeneral"_s, u"ChkRunAsProc"_s, u"0"_s)
        || !set(u"Events\\TabInCommingCall"_s, u"chkICViewCD"_s, u"1"_s)
        || !set(u"Events\\TabInCommingCall"_s, u"cmbCallDisplayStyleIncomming"_s, u"0"_s)
        || !set(u"Events\\TabInCommingCall"_s, u"chkWhenCallerID"_s, u"0"_s)
        || !run(QStringLiteral(RINGVALE_WRITE_CONTACTS), {QString::number(contacts), known})) {
        std::fprintf(stderr, "cannot lay out the installation\n");
        return 1;
    }

    int lineStatus = 0;
    int idles = 0;
    MessageControl events;
    MessageControl idle;
    events.Channel(ChannelNumber::EventChannel);
    idle.Channel(ChannelNumber::IdleChannel);
    QObject::connect(&events, &MessageControl::MessageArrived, [&](const QString& text) {
        if (text.startsWith(u"LineStatus"))
            ++lineStatus;
    });
    QObject::connect(&idle, &MessageControl::MessageArrived, [&](const QString&) { ++idles; });

    // What the desktop says, line by line, with the time each line came.
    QElapsedTimer clock;
    clock.start();
    QByteArray pending;
    int announced = 0;
    int named = 0;
    qint64 namedAt = 0;
    QProcess desktop;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    environment.insert(u"QT_LOGGING_RULES"_s, u"ringvale.shell.debug=true"_s);
    desktop.setProcessEnvironment(environment);
    QObject::connect(&desktop, &QProcess::readyReadStandardError, [&] {
        const qint64 now = clock.nsecsElapsed();
        pending += desktop.readAllStandardError();
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QByteArray line = pending.left(end);
            pending.remove(0, end + 1);
            if (line.contains("caller shown: pop-up name \"UNKNOWN\""))
                ++announced;
            else if (line.contains("caller shown: pop-up name \"Bench Caller\"")) {
                ++named;
                namedAt = now;
            }
        }
    });
    desktop.start(bin + QStringLiteral("/Ringvale"), {});
    if (!runUntil([&] { return lineStatus > 0; }, 20000)) {
        std::fprintf(stderr, "the desktop's service did not open the line\n");
        return 1;
    }

    std::vector<qint64> ns;
    bool done = true;
    for (int i = 0; done && i < calls; ++i) {
        SimulatedLineRequest offer;
        offer.command = QStringLiteral("offer");
        offer.number = known;
        offer.name = QStringLiteral("Bench Caller");
        const int announcedBefore = announced;
        done = lineRequest(offer) && runUntil([&] { return announced > announcedBefore; });
        SimulatedLineRequest callerId = offer;
        callerId.command = QStringLiteral("cid");
        const int before = named;
        const qint64 start = clock.nsecsElapsed();
        done = done && lineRequest(callerId) && runUntil([&] { return named > before; });
        if (done)
            ns.push_back(namedAt - start);
        SimulatedLineRequest hangup;
        hangup.command = QStringLiteral("hangup");
        hangup.fast = true;
        const int idlesBefore = idles;
        done = done && lineRequest(hangup) && runUntil([&] { return idles > idlesBefore; });
    }
    QProcess uia;
    uia.setProcessEnvironment(environment);
    uia.start(bin + QStringLiteral("/Ringvale"), {QStringLiteral("-uia")});
    uia.waitForFinished(10000);
    if (!desktop.waitForFinished(10000))
        desktop.kill();
    if (!done || ns.empty()) {
        std::fprintf(stderr, "a call did not go through\n");
        return 1;
    }
    std::sort(ns.begin(), ns.end());
    const auto ms = [](qint64 v) { return static_cast<double>(v) / 1e6; };
    std::printf("caller ID to the name in the desktop's pop-up, %d contacts, %zu calls: median %.2f ms  "
                "worst %.2f ms  best %.2f ms\n",
        contacts, ns.size(), ms(ns[ns.size() / 2]), ms(ns.back()), ms(ns.front()));
    return 0;
}
