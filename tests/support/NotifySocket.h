#pragma once

#include "tests/support/WaitUntil.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <optional>

// What the service reports on it as it starts, runs and stops.
inline const QByteArray kStarting = "STATUS=Starting";
inline const QByteArray kRunning = "READY=1\nSTATUS=Running";
inline const QByteArray kStopping = "STOPPING=1\nSTATUS=Stopping";
inline const QByteArray kStopped = "STATUS=Stopped";

// A notify socket of the test's own, as systemd binds for a Type=notify unit:
// an AF_UNIX datagram socket whose path goes into NOTIFY_SOCKET.
class NotifySocket {
public:
    NotifySocket();
    ~NotifySocket();
    NotifySocket(const NotifySocket&) = delete;
    NotifySocket& operator=(const NotifySocket&) = delete;

    bool isValid() const { return m_fd >= 0; }
    QString path() const { return m_path; }
    // The next datagram, or nullopt when none came within timeoutMs.
    std::optional<QByteArray> receive(int timeoutMs = testTimeout(5000));

private:
    QTemporaryDir m_dir;
    QString m_path;
    int m_fd = -1;
};
