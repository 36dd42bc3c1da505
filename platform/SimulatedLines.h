#pragma once

#include "platform/SimulatedLineDevice.h"

#include <QList>
#include <QLoggingCategory>
#include <QObject>
#include <QStringList>

class SimulatedLineServer;

Q_DECLARE_LOGGING_CATEGORY(lcSimLine)

// The simulated line devices of this process and their control socket. The
// socket listens while one of the lines is open here, or for as long as a
// line has a serial port (its modem watches it with the line device closed),
// so the driver always reaches the program that watches the line.
//
// Environment:
//   RINGVALE_SIM_LINES   number of line devices (default 1, 0 to 32)
//   RINGVALE_SIM_SERIAL  serial port paths of the lines, comma-separated
//   RINGVALE_SIM_FAIL    failures from the start, comma-separated:
//                        initialize, open, close, drop, dial, answer
class SimulatedLines : public QObject {
    Q_OBJECT
public:
    struct Config {
        int lineCount = 1;
        QStringList serialPorts;
        QStringList failures;
        static Config fromEnvironment();
    };

    static constexpr int MaxLines = 32;

    explicit SimulatedLines(const Config& config, QObject* parent = nullptr);
    ~SimulatedLines() override;

    // The process's own lines, made from the environment at first use.
    static SimulatedLines* shared();
    static QString deviceName(int index);

    int count() const { return int(m_devices.size()); }
    SimulatedLineDevice* device(int index) const;
    // Initialize failures are the process's, not a line's.
    SimulatedFailures& failures() { return m_failures; }
    const SimulatedFailures& failures() const { return m_failures; }
    bool isServing() const;
    // Line controls over these lines that initialised telephony, counting
    // failed attempts too.
    int initializeCount() const { return m_initializeCount; }
    void noteInitialize() { ++m_initializeCount; }

private:
    void updateServing();

    QList<SimulatedLineDevice*> m_devices;
    SimulatedFailures m_failures;
    SimulatedLineServer* m_server = nullptr;
    int m_initializeCount = 0;
};
