#include "platform/SystemctlServiceManager.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>

namespace {

// systemctl's messages are short; more is never read.
constexpr qint64 kMaxOutput = 64 * 1024;

QString oneLine(const QByteArray& text)
{
    return QString::fromUtf8(text.left(kMaxOutput)).simplified();
}

} // namespace

SystemctlServiceManager::SystemctlServiceManager(int timeoutMs)
    : m_timeoutMs(timeoutMs)
{
}

QStringList SystemctlServiceManager::argumentsFor(const QString& verb, const QStringList& arguments)
{
    QStringList list{QStringLiteral("--user"), verb};
    if (verb == u"start" || verb == u"stop")
        list << QStringLiteral("--no-block");
    return list + arguments;
}

ServiceManagerReply SystemctlServiceManager::run(const QString& verb, const QStringList& arguments)
{
    // Looked up at every run: PATH may change, and so may the machine.
    const QString program = QStandardPaths::findExecutable(QStringLiteral("systemctl"));
    if (program.isEmpty())
        return {ServiceManagerError::ProgramMissing, {}, QStringLiteral("systemctl was not found on PATH")};

    const QDeadlineTimer deadline(m_timeoutMs);
    QProcess process;
    process.setProgram(program);
    process.setArguments(argumentsFor(verb, arguments));
    process.start(QIODevice::ReadOnly);
    if (!process.waitForStarted(int(qMax<qint64>(deadline.remainingTime(), 1))))
        return {ServiceManagerError::ProgramMissing, {},
            QStringLiteral("systemctl could not be started: ") + process.errorString()};
    if (!process.waitForFinished(int(qMax<qint64>(deadline.remainingTime(), 1)))) {
        process.kill();
        process.waitForFinished(1000);
        return {ServiceManagerError::TimedOut, {},
            QStringLiteral("systemctl ") + verb + QStringLiteral(" did not answer within ")
                + QString::number(m_timeoutMs / 1000.0) + QStringLiteral(" s")};
    }
    ServiceManagerReply reply;
    reply.output = process.readAllStandardOutput().left(kMaxOutput);
    const QByteArray errors = process.readAllStandardError();
    if (process.exitStatus() != QProcess::NormalExit) {
        reply.status = ServiceManagerError::Crashed;
        reply.error = QStringLiteral("systemctl ") + verb + QStringLiteral(" ended abnormally");
        return reply;
    }
    reply.status = process.exitCode();
    if (reply.status != 0) {
        reply.error = oneLine(errors);
        if (reply.error.isEmpty())
            reply.error = QStringLiteral("systemctl ") + verb + QStringLiteral(" failed with status ")
                + QString::number(reply.status);
    }
    return reply;
}
