#include "tests/support/TestEnvironment.h"

#include <QProcess>

#include <gtest/gtest.h>

TestEnvironment::TestEnvironment()
    : m_oldHome(qgetenv("RINGVALE_HOME")), m_oldRegistry(qgetenv("RINGVALE_REGISTRY"))
{
    qputenv("RINGVALE_HOME", m_home.path().toUtf8());
    qputenv("RINGVALE_REGISTRY", m_registry.path().toUtf8());
}

TestEnvironment::~TestEnvironment()
{
    qputenv("RINGVALE_HOME", m_oldHome);
    qputenv("RINGVALE_REGISTRY", m_oldRegistry);
}

void TestEnvironment::installDefaults() const
{
    QProcess reg;
    reg.setProcessEnvironment(processEnvironment());
    reg.start(binary(QStringLiteral("ringvale-reg")),
              {QStringLiteral("import"), QStringLiteral(RINGVALE_SOURCE_DIR "/data/Defaults.reg")});
    ASSERT_TRUE(reg.waitForFinished(10000));
    ASSERT_EQ(reg.exitCode(), 0) << reg.readAllStandardError().toStdString();
}

QProcessEnvironment TestEnvironment::processEnvironment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("RINGVALE_HOME"), m_home.path());
    env.insert(QStringLiteral("RINGVALE_REGISTRY"), m_registry.path());
    return env;
}

QString TestEnvironment::binary(const QString& name)
{
    return QStringLiteral(RINGVALE_BIN_DIR "/") + name;
}
