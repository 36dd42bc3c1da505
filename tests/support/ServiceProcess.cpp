#include "tests/support/ServiceProcess.h"

#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <QDeadlineTimer>

#include <csignal>

namespace {

const QByteArray kLoaded = "ringvale.host: main form loaded";

} // namespace

Svc::Svc(const TestEnvironment& env, const QStringList& args, const std::optional<QString>& notifySocket,
    bool debug, const QString& runtimeBase, const QProcessEnvironment& extra)
{
    QProcessEnvironment e = env.processEnvironment();
    if (!runtimeBase.isEmpty())
        e.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeBase);
    e.remove(QStringLiteral("NOTIFY_SOCKET"));
    if (notifySocket)
        e.insert(QStringLiteral("NOTIFY_SOCKET"), *notifySocket);
    e.remove(QStringLiteral("QT_LOGGING_RULES"));
    if (debug)
        e.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("ringvale.host.debug=true"));
    e.insert(QStringLiteral("QT_MESSAGE_PATTERN"),
        QStringLiteral("%{if-category}%{category}: %{endif}%{message}"));
    for (const QString& name : extra.keys())
        e.insert(name, extra.value(name));
    m_process.setProcessEnvironment(e);
    m_process.setReadChannel(QProcess::StandardError);
    m_process.start(TestEnvironment::binary(QStringLiteral("RingvaleSvc")), args);
    m_process.waitForStarted(testTimeout(5000));
}

Svc::~Svc()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(testTimeout(5000));
    }
}

bool Svc::waitForLoaded(int timeoutMs)
{
    return waitForLine(kLoaded, timeoutMs).has_value();
}

std::optional<QByteArray> Svc::waitForLine(const QByteArray& prefix, int timeoutMs)
{
    const QDeadlineTimer deadline(testTimeout(timeoutMs));
    for (;;) {
        m_stderr += m_process.readAllStandardError();
        QList<QByteArray> lines = m_stderr.split('\n');
        lines.removeLast(); // still arriving
        for (const QByteArray& line : lines) {
            if (line.startsWith(prefix))
                return line.mid(prefix.size());
        }
        if (m_process.state() == QProcess::NotRunning || deadline.hasExpired())
            return std::nullopt;
        m_process.waitForReadyRead(int(qMax<qint64>(deadline.remainingTime(), 1)));
    }
}

std::optional<int> Svc::waitForExit(int timeoutMs)
{
    // One that ended while the test ran events has been reaped already.
    if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(testTimeout(timeoutMs)))
        return std::nullopt;
    m_stderr += m_process.readAllStandardError();
    if (m_process.exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    return m_process.exitCode();
}

void Svc::signal(int number)
{
    ::kill(pid_t(m_process.processId()), number);
}

bool Svc::isRunning()
{
    return m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(0);
}

namespace {

bool isProgress(const QByteArray& line)
{
    static const char* const prefixes[] = {"RingvaleSvc: started as ", "RingvaleSvc: stopped.",
        "RingvaleSvc: line opened: ", "RingvaleSvc: web page at ",
        "RingvaleSvc: the line follows the daily window ", "RingvaleSvc: line not opened: cmbLineStat is "};
    for (const char* prefix : prefixes) {
        if (line.startsWith(prefix))
            return true;
    }
    return false;
}

} // namespace

QByteArray Svc::userStderr() const
{
    QByteArray text;
    for (const QByteArray& line : m_stderr.split('\n')) {
        if (!line.startsWith("ringvale.") && !line.isEmpty() && !isProgress(line))
            text += line + '\n';
    }
    return text;
}

QByteArray Svc::progress() const
{
    QByteArray text;
    for (const QByteArray& line : m_stderr.split('\n')) {
        if (isProgress(line))
            text += line + '\n';
    }
    return text;
}
