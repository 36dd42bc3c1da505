#include "tests/support/ChannelListener.h"

#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <QDeadlineTimer>
#include <QTest>

#include <csignal>

ChannelListener::ChannelListener(const TestEnvironment& env, const QStringList& numbers)
{
    m_process.setProcessEnvironment(env.processEnvironment());
    m_process.start(TestEnvironment::binary(QStringLiteral("ringvale-chan")),
        QStringList{QStringLiteral("listen")} + numbers);
}

ChannelListener::~ChannelListener()
{
    if (m_process.state() != QProcess::NotRunning) {
        // A test may have stopped it.
        ::kill(static_cast<pid_t>(m_process.processId()), SIGCONT);
        m_process.terminate();
        if (!m_process.waitForFinished(testTimeout(2000)))
            m_process.kill();
        m_process.waitForFinished(testTimeout(2000));
    }
}

bool ChannelListener::waitUntilListening()
{
    const QDeadlineTimer deadline(testTimeout(30000));
    while (!m_errors.contains("listening on")) {
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return false;
        m_process.waitForReadyRead(10);
        m_errors += m_process.readAllStandardError();
    }
    return true;
}

QList<QByteArray> ChannelListener::waitForLines(qsizetype count, int msecs)
{
    const QDeadlineTimer deadline(testTimeout(msecs));
    while (true) {
        m_output += m_process.readAllStandardOutput();
        const qsizetype complete = m_output.count('\n');
        if (complete >= count || deadline.hasExpired())
            break;
        QTest::qWait(2);
    }
    QList<QByteArray> lines = m_output.split('\n');
    lines.removeLast(); // the part after the last line end
    return lines;
}
