#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

class TestEnvironment;

// RingvaleSvc started for real in the test's installation.
class Svc {
public:
    // notifySocket: NOTIFY_SOCKET for a start by systemd (nullopt: none).
    // debug: turn on the host's diagnostics, whose "main form loaded" line
    // tells that the program runs; left off, standard error holds exactly
    // what a user would see. extra: further environment variables.
    Svc(const TestEnvironment& env, const QStringList& args, const std::optional<QString>& notifySocket,
        bool debug, const QString& runtimeBase = QString(),
        const QProcessEnvironment& extra = QProcessEnvironment());
    ~Svc();
    Svc(const Svc&) = delete;
    Svc& operator=(const Svc&) = delete;

    bool waitForLoaded(int timeoutMs = 5000);
    // The rest of the first line of standard error that starts with the
    // prefix (a diagnostics category turned on through QT_LOGGING_RULES);
    // nullopt when none came in time.
    std::optional<QByteArray> waitForLine(const QByteArray& prefix, int timeoutMs = 5000);
    // The exit status, or nullopt when it did not end normally in time.
    std::optional<int> waitForExit(int timeoutMs = 5000);
    void signal(int number);
    // Still alive: a death not yet noticed is picked up here.
    bool isRunning();
    qint64 processId() const { return m_process.processId(); }
    // Standard error without the diagnostics lines and without the lines
    // of a run that goes as it should (progress()): what is left is a
    // problem or a refusal.
    QByteArray userStderr() const;
    // The lines that tell a person what it does: started, the line, the web
    // page, stopped.
    QByteArray progress() const;

private:
    QProcess m_process;
    QByteArray m_stderr;
};
