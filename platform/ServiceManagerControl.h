#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What one request to the service manager gave.
struct ServiceManagerReply {
    // 0 on success; otherwise systemctl's exit status or one of
    // ServiceManagerError's codes.
    int status = 0;
    QByteArray output; // standard output
    QString error; // why it failed, one line; empty on success
};

// Failures of our own, above any exit status a program can give.
namespace ServiceManagerError {
inline constexpr int ProgramMissing = 1001; // no systemctl on PATH
inline constexpr int TimedOut = 1002; // it ran longer than allowed and was killed
inline constexpr int Crashed = 1003; // it did not end normally
} // namespace ServiceManagerError

// The control side of the service manager: the desktop asks the user's
// systemd instance to start, stop, enable, disable and describe units.
class ServiceManagerControl {
public:
    virtual ~ServiceManagerControl();

    // systemctl --user <verb> <arguments>. "start" and "stop" only queue the
    // job: callers that need the new state wait for it themselves.
    virtual ServiceManagerReply run(const QString& verb, const QStringList& arguments = {}) = 0;

    // The process's service manager: systemctl, or the installed override.
    static ServiceManagerControl& instance();
};

// Makes another service manager the process's for its lifetime (tests).
class ServiceManagerOverride {
public:
    explicit ServiceManagerOverride(ServiceManagerControl& control);
    ~ServiceManagerOverride();
    ServiceManagerOverride(const ServiceManagerOverride&) = delete;
    ServiceManagerOverride& operator=(const ServiceManagerOverride&) = delete;

private:
    ServiceManagerControl* m_previous;
};
