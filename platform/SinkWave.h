#pragma once

#include "platform/WaveControlBase.h"

#include <QTimer>

// Sound output into a folder instead of a sound card (RINGVALE_AUDIO_SINK):
// each played file is copied there under a number that sorts in play order,
// and the playback ends after the sound's duration. Recording works on lines
// only. RINGVALE_AUDIO_SINK_SPEED (a factor, default 1) shortens the wait.
class SinkWave final : public WaveControlBase {
    Q_OBJECT
public:
    explicit SinkWave(const QString& folder, double speed = 1.0, QObject* parent = nullptr);
    ~SinkWave() override;

    static QString deviceName();

    void InitDevices() override { }
    qint32 OutDeviceCount() const override { return 1; }
    bool GetOutDeviceCaps(qint32 index, OutDeviceCaps& caps) const override;

protected:
    qint32 startPlayback(const WavePlayback& playback, QString* detail) override;
    void stopPlayback() override;

private:
    QString m_folder;
    double m_speed = 1.0;
    QTimer m_timer;
    quint64 m_timedId = 0;
};
