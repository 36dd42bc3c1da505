#include "tests/support/TestEnvironment.h"

#include "common/RegistryRoutines.h"
#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

void TestEnvironment::clearInheritedVariables()
{
    const QStringList names = QProcessEnvironment::systemEnvironment().keys();
    for (const QString& name : names) {
        // RINGVALE_SCREENSHOT_DIR is the tests' own: where a run (the Xvfb
        // one) wants its screenshots.
        if ((name.startsWith(QStringLiteral("RINGVALE_"))
                && name != QStringLiteral("RINGVALE_SCREENSHOT_DIR"))
            || name == QStringLiteral("NOTIFY_SOCKET") || name == QStringLiteral("QT_LOGGING_RULES"))
            qunsetenv(name.toLocal8Bit().constData());
    }
}

TestEnvironment::TestEnvironment()
    : m_oldHome(qgetenv("RINGVALE_HOME"))
    , m_oldRegistry(qgetenv("RINGVALE_REGISTRY"))
    , m_oldRuntime(qgetenv("XDG_RUNTIME_DIR"))
    , m_oldConfig(qgetenv("XDG_CONFIG_HOME"))
    , m_oldWebPortFile(qgetenv("RINGVALE_WEB_PORT_FILE"))
{
    qputenv("RINGVALE_HOME", m_home.path().toUtf8());
    qputenv("RINGVALE_REGISTRY", m_registry.path().toUtf8());
    // Sockets and locks go to a folder that vanishes with the test.
    qputenv("XDG_RUNTIME_DIR", m_runtime.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    qputenv("RINGVALE_WEB_PORT_FILE", webPortFile().toUtf8());
}

TestEnvironment::~TestEnvironment()
{
    if (m_oldHome.isNull())
        qunsetenv("RINGVALE_HOME");
    else
        qputenv("RINGVALE_HOME", m_oldHome);
    if (m_oldRegistry.isNull())
        qunsetenv("RINGVALE_REGISTRY");
    else
        qputenv("RINGVALE_REGISTRY", m_oldRegistry);
    if (m_oldRuntime.isNull())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", m_oldRuntime);
    if (m_oldConfig.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", m_oldConfig);
    if (m_oldWebPortFile.isNull())
        qunsetenv("RINGVALE_WEB_PORT_FILE");
    else
        qputenv("RINGVALE_WEB_PORT_FILE", m_oldWebPortFile);
}

void TestEnvironment::installShippedDefaults() const
{
    QProcess reg;
    reg.setProcessEnvironment(processEnvironment());
    reg.start(binary(QStringLiteral("ringvale-reg")),
        {QStringLiteral("import"), QStringLiteral(RINGVALE_SOURCE_DIR "/data/Defaults.reg")});
    ASSERT_TRUE(reg.waitForFinished(testTimeout(10000)));
    ASSERT_EQ(reg.exitCode(), 0) << reg.readAllStandardError().toStdString();
    // The journals' folder, which an installation makes (scripts/install-data).
    ASSERT_TRUE(QDir(programFolder()).mkpath(QStringLiteral("Journal")));
}

void TestEnvironment::installDefaults() const
{
    installShippedDefaults();
    // Many services run side by side in tests: none may take the one port of a
    // development run. Web tests turn remote access on with a port of their own.
    if (!RegistryRoutines::forProduct(QStringLiteral("RemoteAccess\\TabInternetAccess"))
             .setString(QStringLiteral("chkAllowWWWRemoteAccess"), QStringLiteral("0")))
        qFatal("The test settings store cannot be written");
}

QProcessEnvironment TestEnvironment::processEnvironment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("RINGVALE_HOME"), m_home.path());
    env.insert(QStringLiteral("RINGVALE_REGISTRY"), m_registry.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
    env.insert(QStringLiteral("RINGVALE_WEB_PORT_FILE"), webPortFile());
    return env;
}

QString TestEnvironment::webPortFile() const
{
    return m_runtime.filePath(QStringLiteral("web-port"));
}

quint16 TestEnvironment::waitForWebPort(quint16 previous, int timeoutMs) const
{
    quint16 port = 0;
    waitUntil(
        [&] {
            QFile file(webPortFile());
            if (!file.open(QIODevice::ReadOnly))
                return false;
            bool ok = false;
            port = file.readAll().trimmed().toUShort(&ok);
            return ok && port != 0 && port != previous;
        },
        timeoutMs);
    return port != previous ? port : quint16(0);
}

QString TestEnvironment::binary(const QString& name)
{
    return QStringLiteral(RINGVALE_BIN_DIR "/") + name;
}
