#pragma once

#include "tests/e2e/LiveLine.h"
#include "tests/support/WaitUntil.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

// The real service in modem mode: the simulated line names the fake modem's
// link as its serial port, and ringvale-modem plays the modem and its calls.
// What the modem received is in received(), one "received: COMMAND" line per
// command.
class LiveModem : public LiveLine {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(LiveLine::SetUp());
        m_link = env.runtimeBase() + QStringLiteral("/modem");
        ASSERT_NO_FATAL_FAILURE(writeScenario("ATZ\r\n' caller ID on\r\n\r\nAT#CID=1\r\n"));
        set(QStringLiteral("Properties\\TabDevices\\CallerID"), QStringLiteral("Tapi"), QStringLiteral("0"));
        extra.insert(QStringLiteral("RINGVALE_SIM_SERIAL"), m_link);

        m_modem.setProcessEnvironment(env.processEnvironment());
        QObject::connect(&m_modem, &QProcess::readyReadStandardOutput,
            [this] { m_received += QString::fromUtf8(m_modem.readAllStandardOutput()); });
        m_modem.start(TestEnvironment::binary(QStringLiteral("ringvale-modem")),
            {QStringLiteral("serve"), QStringLiteral("--link"), m_link});
        ASSERT_TRUE(m_modem.waitForStarted(5000));
        ASSERT_TRUE(waitUntil([&] { return QFileInfo(m_link).isSymLink(); }, 10000));
    }

    void TearDown() override
    {
        LiveLine::TearDown();
        m_modem.terminate();
        m_modem.waitForFinished(5000);
    }

    void writeScenario(const QByteArray& text)
    {
        QFile scenario(env.programFolder() + QStringLiteral("/AT_Commands_Scenario.txt"));
        ASSERT_TRUE(scenario.open(QIODevice::WriteOnly));
        scenario.write(text);
    }

    const QString& received() const { return m_received; }

    QString m_link;

private:
    QProcess m_modem;
    QString m_received;
};
