#include "desktop/shell/ProcServiceSwitch.h"

#include "desktop/shell/NTServiceControl.h"
#include "desktop/shell/ShellGlobals.h"
#include "desktop/shell/frmProc.h"
#include "platform/DetachedLauncher.h"
#include "platform/ServiceManagerControl.h"

#include <cstdio>

ProcServiceSwitch::ProcServiceSwitch(frmProc& proc, std::unique_ptr<ProgramLauncher> launcher)
    : m_proc(proc)
    , m_launcher(launcher ? std::move(launcher) : std::make_unique<DetachedLauncher>())
{
}

ProcServiceSwitch::~ProcServiceSwitch() = default;

bool ProcServiceSwitch::CanRunAsService()
{
    // The user's systemd instance answers: units can be installed and run.
    return ServiceManagerControl::instance().run(QStringLiteral("show-environment")).status == 0;
}

bool ProcServiceSwitch::ServiceMode() const
{
    return g_bServiceMode;
}

void ProcServiceSwitch::InstallRunServ()
{
    m_proc.InstallRunServ();
}

void ProcServiceSwitch::UnInstallRunServ()
{
    m_proc.UnInstallRunServ();
}

bool ProcServiceSwitch::ServiceRunning()
{
    const qint32 state = ServiceGetState();
    return state == 2 || state == 4;
}

void ProcServiceSwitch::StartServiceProcess()
{
    const QString folder = g_sAppFolder.isEmpty() ? ExecutableFolderWithSlash() : g_sAppFolder;
    const LaunchResult result = m_launcher->Start(
        folder + QStringLiteral("RingvaleSvc"), {QStringLiteral("-gc")}, WindowStyle::Hidden);
    if (!result.started()) {
        const QByteArray why = result.errorText.toUtf8();
        std::fprintf(stderr, "Ringvale: RingvaleSvc did not start: %s\n", why.constData());
        std::fflush(stderr);
    }
}

void ProcServiceSwitch::ShowServiceManager(QWidget* /*owner*/)
{
    m_proc.exec();
}
