#pragma once

#include "platform/WaveControlBase.h"

#include <QList>

#include <atomic>
#include <memory>
#include <thread>

// The sound card through ALSA. Output devices are the cards' playback
// devices (with the system's default device first); a machine without a
// sound card has none, so every PlayFile fails cleanly there. Playing and
// capturing run on a thread of their own and never block the event loop.
class AlsaWave final : public WaveControlBase {
    Q_OBJECT
public:
    explicit AlsaWave(QObject* parent = nullptr);
    ~AlsaWave() override;

    void InitDevices() override;
    qint32 OutDeviceCount() const override { return qint32(m_devices.size()); }
    bool GetOutDeviceCaps(qint32 index, OutDeviceCaps& caps) const override;

protected:
    qint32 startPlayback(const WavePlayback& playback, QString* detail) override;
    void stopPlayback() override;
    std::unique_ptr<AudioCapture> openCapture(
        const QString& device, const WaveFormat& format, qint32* code, QString* detail) override;

private:
    struct Device {
        QString name;
        QString pcm;
    };
    QList<Device> m_devices;
    std::thread m_player;
    std::shared_ptr<std::atomic_bool> m_stop;
};
