#pragma once

class QWidget;

// What the properties window does to the service program through the hub
// form (frmProc) and its service control: the "Run as a service" switch, the
// plain process the desktop starts, and the Service Manager panel. The shell
// installs the hub's; until then a stand-in that can do none of it answers.
class ServiceSwitch {
public:
    virtual ~ServiceSwitch() = default;

    // The service can be run under the service manager here: the box
    // "Run as a service" is offered.
    virtual bool CanRunAsService() = 0;
    // g_bServiceMode: the service program runs under the service manager.
    virtual bool ServiceMode() const = 0;
    // frmProc.InstallRunServ: installs and starts the service.
    virtual void InstallRunServ() = 0;
    // frmProc.UnInstallRunServ: stops and removes it.
    virtual void UnInstallRunServ() = 0;
    // The installed service is running or on its way.
    virtual bool ServiceRunning() = 0;
    // Starts <program folder>/RingvaleSvc -gc as a plain process, without a
    // shell, in the desktop's environment.
    virtual void StartServiceProcess() = 0;
    // The hub form shown modally as the Service Manager panel.
    virtual void ShowServiceManager(QWidget* owner) = 0;
};

ServiceSwitch& CurrentServiceSwitch();
// Installs a switch (not owned); null gives the stand-in back.
void SetServiceSwitch(ServiceSwitch* serviceSwitch);
