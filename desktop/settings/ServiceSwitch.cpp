#include "desktop/settings/ServiceSwitch.h"

#include <cstdio>

namespace {

// No hub in this program (a window opened alone): the service is not
// touched, which is said once.
class NoServiceSwitch final : public ServiceSwitch {
public:
    bool CanRunAsService() override { return false; }
    bool ServiceMode() const override { return false; }
    void InstallRunServ() override { sayOnce(); }
    void UnInstallRunServ() override { sayOnce(); }
    bool ServiceRunning() override { return false; }
    void StartServiceProcess() override { sayOnce(); }
    void ShowServiceManager(QWidget*) override { sayOnce(); }

private:
    void sayOnce()
    {
        if (m_said)
            return;
        m_said = true;
        std::fprintf(stderr, "Ringvale: no link to the service here: the service is left as it is\n");
        std::fflush(stderr);
    }
    bool m_said = false;
};

ServiceSwitch*& installed()
{
    static ServiceSwitch* serviceSwitch = nullptr;
    return serviceSwitch;
}

} // namespace

ServiceSwitch& CurrentServiceSwitch()
{
    static NoServiceSwitch standIn;
    ServiceSwitch* serviceSwitch = installed();
    return serviceSwitch ? *serviceSwitch : standIn;
}

void SetServiceSwitch(ServiceSwitch* serviceSwitch)
{
    installed() = serviceSwitch;
}
