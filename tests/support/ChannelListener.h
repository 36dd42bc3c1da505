#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QStringList>

#include <sys/types.h>

class TestEnvironment;

// ringvale-chan listen on the numbers, the other program: its stdout lines
// ("<number> <text>", control characters escaped) are what arrived.
class ChannelListener {
public:
    ChannelListener(const TestEnvironment& env, const QStringList& numbers);
    ~ChannelListener();
    ChannelListener(const ChannelListener&) = delete;
    ChannelListener& operator=(const ChannelListener&) = delete;

    // Until it says it listens: its socket file shows up at bind, a moment
    // before it takes connections, and a text sent in that moment is not for it.
    bool waitUntilListening();

    pid_t pid() const { return static_cast<pid_t>(m_process.processId()); }
    QProcess& process() { return m_process; }

    // The lines printed so far, waiting (with events running) until there are
    // at least count of them or the time is up.
    QList<QByteArray> waitForLines(qsizetype count, int msecs = 5000);

private:
    QProcess m_process;
    QByteArray m_output;
    QByteArray m_errors;
};
