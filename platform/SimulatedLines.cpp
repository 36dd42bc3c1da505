#include "platform/SimulatedLines.h"

#include "platform/SimulatedLineServer.h"

#include <QCoreApplication>
#include <QPointer>

#include <algorithm>

// Developer diagnostics, silent unless QT_LOGGING_RULES asks for them.
Q_LOGGING_CATEGORY(lcSimLine, "ringvale.simline", QtCriticalMsg)

SimulatedLines::Config SimulatedLines::Config::fromEnvironment()
{
    Config config;
    const QString lines = qEnvironmentVariable("RINGVALE_SIM_LINES").trimmed();
    if (!lines.isEmpty()) {
        bool ok = false;
        const int count = lines.toInt(&ok);
        if (ok && count >= 0 && count <= MaxLines)
            config.lineCount = count;
        else
            qCWarning(lcSimLine) << "RINGVALE_SIM_LINES is not a count from 0 to" << MaxLines << ":" << lines;
    }
    const auto list = [](const char* name) {
        QStringList items;
        for (const QString& item : qEnvironmentVariable(name).split(u',', Qt::SkipEmptyParts))
            items << item.trimmed();
        return items;
    };
    config.serialPorts = list("RINGVALE_SIM_SERIAL");
    for (const QString& what : list("RINGVALE_SIM_FAIL")) {
        if (SimulatedFailures::names().contains(what))
            config.failures << what;
        else
            qCWarning(lcSimLine) << "RINGVALE_SIM_FAIL names an unknown failure:" << what;
    }
    return config;
}

SimulatedLines::SimulatedLines(const Config& config, QObject* parent)
    : QObject(parent)
    , m_server(new SimulatedLineServer(this))
{
    for (int i = 0; i < std::clamp(config.lineCount, 0, int(MaxLines)); ++i) {
        auto* device = new SimulatedLineDevice(i, deviceName(i), config.serialPorts.value(i), this);
        connect(device, &SimulatedLineDevice::openChanged, this, &SimulatedLines::updateServing);
        m_devices.append(device);
    }
    updateServing();
    for (const QString& what : config.failures) {
        if (what == u"initialize")
            m_failures.set(what, -1);
        else
            for (SimulatedLineDevice* device : std::as_const(m_devices))
                device->failures().set(what, -1);
    }
}

SimulatedLines::~SimulatedLines() = default;

SimulatedLines* SimulatedLines::shared()
{
    static QPointer<SimulatedLines> lines;
    if (!lines)
        lines = new SimulatedLines(Config::fromEnvironment(), QCoreApplication::instance());
    return lines;
}

QString SimulatedLines::deviceName(int index)
{
    const QString name = QStringLiteral("Ringvale Simulated Line");
    return index == 0 ? name : name + u' ' + QString::number(index + 1);
}

SimulatedLineDevice* SimulatedLines::device(int index) const
{
    return (index >= 0 && index < m_devices.size()) ? m_devices.at(index) : nullptr;
}

bool SimulatedLines::isServing() const
{
    return m_server->isListening();
}

void SimulatedLines::updateServing()
{
    // A line with a modem is served all along: the modem watches it while
    // the line device is closed, and calls must reach it then.
    const bool serve
        = std::any_of(m_devices.cbegin(), m_devices.cend(), [](const SimulatedLineDevice* device) {
              return device->isOpen() || !device->serialPort().isEmpty();
          });
    if (serve && !m_server->isListening())
        m_server->listen();
    else if (!serve && m_server->isListening())
        m_server->close();
}
