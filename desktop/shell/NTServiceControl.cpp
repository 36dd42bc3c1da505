#include "desktop/shell/NTServiceControl.h"

#include "common/AppPaths.h"
#include "common/SharedFile.h"
#include "desktop/shell/ServiceUnit.h"
#include "desktop/shell/ShellGlobals.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

#include <pwd.h>
#include <unistd.h>

namespace {

const QString kUnit = QStringLiteral("RingvaleSvc.service");

QString g_lastError;

qint32 failed(qint32 status, const QString& error)
{
    g_lastError = error;
    return status;
}

qint32 runVerb(const QString& verb, const QStringList& arguments)
{
    const ServiceManagerReply reply = ServiceManagerControl::instance().run(verb, arguments);
    if (reply.status != 0)
        return failed(reply.status, reply.error);
    return 0;
}

struct UnitState {
    qint32 status = 0; // non-zero: unreadable
    QString load;
    QString active;
};

// LoadState and ActiveState as "show" reports them.
UnitState readUnitState()
{
    const ServiceManagerReply reply = ServiceManagerControl::instance().run(QStringLiteral("show"),
        {QStringLiteral("-p"), QStringLiteral("LoadState"), QStringLiteral("-p"),
            QStringLiteral("ActiveState"), kUnit});
    if (reply.status != 0)
        return {failed(reply.status, reply.error), {}, {}};
    std::optional<QString> load;
    std::optional<QString> active;
    for (const QByteArray& line : reply.output.split('\n')) {
        const QString text = QString::fromUtf8(line).trimmed();
        if (text.startsWith(u"LoadState="))
            load = text.mid(10);
        else if (text.startsWith(u"ActiveState="))
            active = text.mid(12);
    }
    if (!load || !active)
        return {failed(ServiceControlError::NotInstalled,
                    QStringLiteral("systemctl show gave no state for ") + kUnit),
            {}, {}};
    return {0, *load, *active};
}

QString configFolder()
{
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    // A relative XDG_CONFIG_HOME is invalid and ignored, as systemd does.
    if (!config.isEmpty() && QDir::isAbsolutePath(config))
        return config;
    return QDir::homePath() + QStringLiteral("/.config");
}

} // namespace

qint32 ServiceGetState()
{
    const UnitState state = readUnitState();
    if (state.status != 0 || state.load != u"loaded")
        return 0;
    const QString& active = state.active;
    if (active == u"inactive" || active == u"failed")
        return 1;
    if (active == u"activating")
        return 2;
    if (active == u"deactivating")
        return 3;
    if (active == u"active")
        return 4;
    if (active == u"reloading")
        return 5;
    return 0;
}

qint32 ServiceIsInstalled()
{
    const UnitState state = readUnitState();
    if (state.status != 0)
        return state.status;
    if (state.load != u"loaded")
        return failed(ServiceControlError::NotInstalled, kUnit + QStringLiteral(" is ") + state.load);
    return 0;
}

QString GetLogonDomain()
{
    return QString();
}

QString ComposeServiceAccount(const QString& typed)
{
    if (typed == u"LocalSystem" || typed.contains(u'\\'))
        return typed;
    QString domain = GetLogonDomain();
    if (domain.isEmpty())
        domain = QStringLiteral(".");
    return domain + u'\\' + typed;
}

QString DesktopUserLogin()
{
    const passwd* entry = ::getpwuid(::getuid());
    if (entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    return qEnvironmentVariable("USER");
}

QString ServiceUnitPath()
{
    return configFolder() + QStringLiteral("/systemd/user/") + kUnit;
}

qint32 ServiceInstall(QString& account)
{
    account = ComposeServiceAccount(account);
    const QString login = DesktopUserLogin();
    if (account != u"LocalSystem" && (login.isEmpty() || account != QStringLiteral(".\\") + login))
        return failed(ServiceControlError::AccountRefused,
            QStringLiteral("the service runs as the desktop's user: the account must be LocalSystem or .\\")
                + login);

    const QString path = ServiceUnitPath();
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        return failed(ServiceControlError::UnitExists, path + QStringLiteral(" exists already"));

    const QString folder = g_sAppFolder.isEmpty() ? ExecutableFolderWithSlash() : g_sAppFolder;
    const std::optional<QByteArray> text = ServiceUnitText({folder + QStringLiteral("RingvaleSvc"),
        AppPaths::programFolder(), AppPaths::registryFolder(), AppPaths::runtimeBase()});
    if (!text)
        return failed(ServiceControlError::UnitNotWritten,
            QStringLiteral("a folder of the installation holds a character a unit file cannot carry"));
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !SharedFile::writeAtomically(path, *text))
        return failed(ServiceControlError::UnitNotWritten,
            SharedFile::lastWriteFailure().isEmpty() ? QStringLiteral("cannot write ") + path
                                                     : SharedFile::lastWriteFailure());

    if (const qint32 rc = runVerb(QStringLiteral("daemon-reload"), {})) {
        // systemd never saw it: a file left behind would make every later
        // install fail as "exists" while the panel offers to install.
        QFile::remove(path);
        return rc;
    }
    return runVerb(QStringLiteral("enable"), {kUnit});
}

qint32 ServiceUninstall()
{
    ServiceManagerControl::instance().run(QStringLiteral("stop"), {kUnit});
    if (const qint32 rc = runVerb(QStringLiteral("disable"), {kUnit}))
        return rc;
    const QString path = ServiceUnitPath();
    if ((QFileInfo::exists(path) || QFileInfo(path).isSymLink()) && !QFile::remove(path))
        return failed(ServiceControlError::UnitNotRemoved, QStringLiteral("cannot remove ") + path);
    return runVerb(QStringLiteral("daemon-reload"), {});
}

qint32 ServiceStart()
{
    return runVerb(QStringLiteral("start"), {kUnit});
}

qint32 ServiceStop()
{
    return runVerb(QStringLiteral("stop"), {kUnit});
}

QString ServiceLastError()
{
    return g_lastError;
}
