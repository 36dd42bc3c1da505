#pragma once

#include "platform/SimulatedLines.h"
#include "platform/TelephonyControl.h"

#include <QHash>
#include <QPointer>

// The line device layer over the simulated lines. Each control opens lines
// on its own, as each program's handle on a real line would; the lines and
// their calls are the process's.
class SimulatedTelephony final : public TelephonyControl {
    Q_OBJECT
public:
    explicit SimulatedTelephony(SimulatedLines* lines, QObject* parent = nullptr);
    ~SimulatedTelephony() override;

    qint32 Initialize() override;
    QString ErrorText(qint32 code) const override;
    qint32 DeviceCount() const override;
    qint32 GetDeviceCaps(DeviceCaps& caps) const override;
    bool IsLineOpen() const override;
    qint32 LineOpen(qint32 privileges, qint32 mediaModes) override;
    qint32 LineClose() override;
    qint32 LineShutdown() override;
    QString GetDeviceID(qint32 deviceClass) const override;
    qint32 LineDial(const QString& number) override;
    qint32 LineAnswer() override;
    qint32 LineDrop() override;
    bool IsCallConnected() const override;

private:
    SimulatedLineDevice* current() const;
    // Ok when this control has the current line open (as owner when asked);
    // device is the current line whenever there is one.
    qint32 openLine(SimulatedLineDevice** device, bool asOwner) const;
    qint32 closeLine(SimulatedLineDevice* device);
    void post(SimulatedLineDevice* device, const SimulatedLineEvent& event);
    void raise(const SimulatedLineEvent& event);

    QPointer<SimulatedLines> m_lines;
    bool m_initialized = false;
    QHash<int, qint32> m_privileges; // open lines of this control
    // Closes per line so far: an event posted before a close is dropped even
    // when the line is open again by the time it would be raised.
    QHash<int, quint64> m_closes;
};
