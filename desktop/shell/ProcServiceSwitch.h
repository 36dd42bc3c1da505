#pragma once

#include "desktop/settings/ServiceSwitch.h"

#include <memory>

class ProgramLauncher;
class frmProc;

// The properties window's service switch over the hub form and the systemd
// user unit: installing, removing, the unit's state, the plain process the
// desktop starts and the Service Manager panel.
class ProcServiceSwitch final : public ServiceSwitch {
public:
    // Programs are started through launcher (detached when none is given).
    explicit ProcServiceSwitch(frmProc& proc, std::unique_ptr<ProgramLauncher> launcher = {});
    ~ProcServiceSwitch() override;

    bool CanRunAsService() override;
    bool ServiceMode() const override;
    void InstallRunServ() override;
    void UnInstallRunServ() override;
    bool ServiceRunning() override;
    void StartServiceProcess() override;
    void ShowServiceManager(QWidget* owner) override;

private:
    frmProc& m_proc;
    std::unique_ptr<ProgramLauncher> m_launcher;
};
