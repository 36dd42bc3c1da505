#pragma once

#include "platform/ServiceManagerControl.h"

// Runs systemctl (found on PATH when asked, never through a shell) for the
// user's own systemd instance, no longer than the bound; a run that exceeds it
// is killed and reported as timed out.
class SystemctlServiceManager final : public ServiceManagerControl {
public:
    explicit SystemctlServiceManager(int timeoutMs = 10000);
    ServiceManagerReply run(const QString& verb, const QStringList& arguments = {}) override;

    // The argument list given to systemctl for the verb.
    static QStringList argumentsFor(const QString& verb, const QStringList& arguments);

private:
    int m_timeoutMs;
};
