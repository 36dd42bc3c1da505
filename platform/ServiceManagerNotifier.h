#pragma once

#include <QByteArray>

#include <sys/socket.h>
#include <sys/un.h>

// The service's side of systemd's notify protocol: newline-separated
// assignments ("READY=1", "STATUS=...") sent as one datagram each to the
// socket that NOTIFY_SOCKET names (a path, or "@name" for an abstract socket).
class ServiceManagerNotifier {
public:
    // NOTIFY_SOCKET as found; empty when not started as a notify unit.
    static QByteArray socketFromEnvironment();

    explicit ServiceManagerNotifier(const QByteArray& socketAddress);
    ~ServiceManagerNotifier();
    ServiceManagerNotifier(const ServiceManagerNotifier&) = delete;
    ServiceManagerNotifier& operator=(const ServiceManagerNotifier&) = delete;

    // False when the address is not one we can send to.
    bool isValid() const { return m_fd >= 0; }
    // True when the whole datagram was sent.
    bool notify(const QByteArray& assignments);

private:
    int m_fd = -1;
    sockaddr_un m_address{};
    socklen_t m_addressLength = 0;
};
