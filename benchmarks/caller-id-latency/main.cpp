// Time from the simulated line's caller-ID event to "Tapi_CID" arriving at a
// listener on 309, through the real RingvaleSvc, for each size of contact
// file asked for (default 0, 1,000, 10,000 and 100,000 contacts).
//   bench-caller-id-latency [--calls N] [--page-clients N] [CONTACTS...]
// Each call is offered, then the caller ID is given on the line's control
// socket (the clock starts as the request is written), then the far end
// hangs up; the next call starts once the service reported the end.
// --page-clients N: meanwhile N connections of wrk load the calls page of
// 100 recent calls without pause (wrk must be installed).
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
#include <QTcpServer>
#include <QTemporaryDir>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

using LineBench::lineRequest;
using LineBench::run;
using LineBench::runUntil;

namespace {

void report(const char* what, std::vector<qint64> ns)
{
    std::sort(ns.begin(), ns.end());
    const auto ms = [](qint64 v) { return static_cast<double>(v) / 1e6; };
    std::printf("%-34s calls %zu  median %.2f ms  worst %.2f ms  best %.2f ms\n", what, ns.size(),
        ms(ns[ns.size() / 2]), ms(ns.back()), ms(ns.front()));
}

// One installation and one service per contact file size; false when a
// call did not go through.
bool measureWith(int contacts, int calls, int pageClients)
{
    // A throw-away installation: nothing of a running program is touched.
    QTemporaryDir home;
    QTemporaryDir registry;
    QTemporaryDir runtime;
    qputenv("RINGVALE_HOME", home.path().toUtf8());
    qputenv("RINGVALE_REGISTRY", registry.path().toUtf8());
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    const QString bin = QStringLiteral(RINGVALE_BIN_DIR);
    const QString reg = bin + QStringLiteral("/ringvale-reg");
    IniRegistry::installDefault();
    RegistryRoutines web = RegistryRoutines::forProduct(QStringLiteral("RemoteAccess\\TabInternetAccess"));
    quint16 port = 0;
    if (pageClients > 0) {
        QTcpServer probe;
        if (!probe.listen(QHostAddress::LocalHost, 0))
            return false;
        port = probe.serverPort();
    }
    // The web server stays off unless loaded: it would want the port of a
    // development run.
    if (!run(QStringLiteral("bash"),
            {QStringLiteral(RINGVALE_SOURCE_DIR "/scripts/install-data"), home.path(), reg})
        || !web.setString(QStringLiteral("chkAllowWWWRemoteAccess"), pageClients > 0 ? u"1"_s : u"0"_s)
        || !web.setString(QStringLiteral("txtWWWPort"), QString::number(port ? port : 8080))
        || !web.setString(QStringLiteral("chkWWWProtect"), QStringLiteral("0"))) {
        std::fprintf(stderr, "cannot lay out the installation\n");
        return false;
    }
    const QString known = QStringLiteral("5559999999");
    if (!run(QStringLiteral(RINGVALE_WRITE_CONTACTS), {QString::number(contacts), known})) {
        std::fprintf(stderr, "cannot write the contact file\n");
        return false;
    }
    // 100 calls of one day, all on the recent-calls list, for the page.
    if (pageClients > 0
        && !run(QStringLiteral(RINGVALE_CALLWRITER),
            {QStringLiteral("Caller"), QStringLiteral("100"), QStringLiteral("\\Data\\Log\\2026\\12\\10\\"),
                QStringLiteral("100")})) {
        std::fprintf(stderr, "cannot write the recent calls\n");
        return false;
    }

    int lineStatus = 0;
    int callerIds = 0;
    int idles = 0;
    qint64 cidAt = 0;
    QElapsedTimer clock;
    clock.start();
    MessageControl events;
    MessageControl cid;
    MessageControl idle;
    events.Channel(ChannelNumber::EventChannel);
    cid.Channel(ChannelNumber::CallerIdChannel);
    idle.Channel(ChannelNumber::IdleChannel);
    QObject::connect(&events, &MessageControl::MessageArrived, [&](const QString& text) {
        if (text.startsWith(u"LineStatus"))
            ++lineStatus;
    });
    QObject::connect(&cid, &MessageControl::MessageArrived, [&](const QString&) {
        cidAt = clock.nsecsElapsed();
        ++callerIds;
    });
    QObject::connect(&idle, &MessageControl::MessageArrived, [&](const QString&) { ++idles; });

    QProcess svc;
    svc.setProcessChannelMode(QProcess::ForwardedChannels);
    svc.start(bin + QStringLiteral("/RingvaleSvc"), {QStringLiteral("-gc")});
    if (!runUntil([&] { return lineStatus > 0; })) {
        std::fprintf(stderr, "the service did not open the line\n");
        return false;
    }
    QProcess load;
    if (pageClients > 0) {
        load.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        load.start(QStringLiteral("wrk"),
            {QStringLiteral("-t4"), u"-c%1"_s.arg(pageClients), QStringLiteral("-d600s"),
                QStringLiteral("-HConnection: close"), u"http://127.0.0.1:%1/calls"_s.arg(port)});
        if (!load.waitForStarted(5000)) {
            std::fprintf(stderr, "cannot start wrk: %s\n", qPrintable(load.errorString()));
            return false;
        }
        // Until the clients are connected and asking.
        runUntil([] { return false; }, 1000);
    }

    const auto measure = [&](const QString& number, std::vector<qint64>& out) {
        for (int i = 0; i < calls; ++i) {
            SimulatedLineRequest offer;
            offer.command = QStringLiteral("offer");
            offer.number = number;
            offer.name = QStringLiteral("Bench Caller");
            if (!lineRequest(offer))
                return false;
            SimulatedLineRequest callerId = offer;
            callerId.command = QStringLiteral("cid");
            const int before = callerIds;
            const qint64 start = clock.nsecsElapsed();
            if (!lineRequest(callerId) || !runUntil([&] { return callerIds > before; }))
                return false;
            out.push_back(cidAt - start);
            SimulatedLineRequest hangup;
            hangup.command = QStringLiteral("hangup");
            hangup.fast = true;
            const int idlesBefore = idles;
            if (!lineRequest(hangup) || !runUntil([&] { return idles > idlesBefore; }))
                return false;
        }
        return true;
    };
    std::vector<qint64> lastContact;
    std::vector<qint64> noContact;
    const bool done = measure(known, lastContact) && measure(QStringLiteral("5550000000"), noContact);

    // wrk says what it served when interrupted.
    QByteArray served;
    if (load.state() != QProcess::NotRunning) {
        ::kill(static_cast<pid_t>(load.processId()), SIGINT);
        if (!load.waitForFinished(5000))
            load.kill();
        for (const QByteArray& line : load.readAllStandardOutput().split('\n')) {
            if (line.contains("Requests/sec") || line.contains("Non-2xx") || line.contains("Socket errors"))
                served += "  wrk: " + line.trimmed() + '\n';
        }
    }
    QProcess::execute(bin + QStringLiteral("/ringvale-chan"),
        {QStringLiteral("send"), QStringLiteral("305"), QStringLiteral("UNLOAD")});
    if (!svc.waitForFinished(5000))
        svc.kill();
    if (!done) {
        std::fprintf(stderr, "a call did not go through\n");
        return false;
    }
    std::printf("%d contacts in Data/Contactes%s\n", contacts,
        pageClients > 0 ? qPrintable(u", %1 clients loading the calls page"_s.arg(pageClients)) : "");
    if (contacts > 0)
        report("  caller is the last contact", lastContact);
    report("  caller is no contact", noContact);
    std::fputs(served.constData(), stdout);
    std::fflush(stdout);
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    int calls = 100;
    int pageClients = 0;
    std::vector<int> sizes;
    const QStringList args = app.arguments().mid(1);
    bool ok = true;
    for (qsizetype i = 0; ok && i < args.size(); ++i) {
        if ((args[i] == u"--calls" || args[i] == u"--page-clients") && i + 1 < args.size()) {
            const int value = args[i + 1].toInt(&ok);
            ok = ok && value >= (args[i] == u"--calls" ? 1 : 0);
            (args[i] == u"--calls" ? calls : pageClients) = value;
            ++i;
        } else {
            const int size = args[i].toInt(&ok);
            ok = ok && size >= 0;
            sizes.push_back(size);
        }
    }
    if (!ok) {
        std::fprintf(stderr, "usage: bench-caller-id-latency [--calls N] [--page-clients N] [CONTACTS...]\n");
        return 2;
    }
    if (sizes.empty())
        sizes = {0, 1000, 10000, 100000};
    std::printf("caller ID to \"Tapi_CID\" at a listener, %d calls each\n", calls);
    for (const int size : sizes) {
        if (!measureWith(size, calls, pageClients))
            return 1;
    }
    return 0;
}
