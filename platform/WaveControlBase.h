#pragma once

#include "common/WaveCodec.h"
#include "common/WaveFile.h"
#include "platform/WaveControl.h"

#include <QHash>
#include <QLoggingCategory>
#include <QTimer>

#include <memory>
#include <vector>

Q_DECLARE_LOGGING_CATEGORY(lcWave)

// Sound captured while a recording runs, taken from the event loop.
class AudioCapture {
public:
    virtual ~AudioCapture() = default;
    virtual quint16 channels() const = 0;
    // The interleaved samples that arrived since the last call.
    virtual std::vector<qint16> take() = 0;
    // Why capturing stopped by itself; empty while it runs.
    virtual QString failure() const { return {}; }
};

// A file about to be played: its bytes and its sound, already checked.
struct WavePlayback {
    quint64 id = 0;
    QString path;
    QByteArray bytes;
    PcmSound sound;
    qint32 device = 0;
};

// What every wave back-end shares: the checks before a playback, exactly one
// PlayDone per started playback, and recording a line or a capture device
// into a wave file from the event loop.
class WaveControlBase : public WaveControl {
    Q_OBJECT
public:
    explicit WaveControlBase(QObject* parent = nullptr);
    ~WaveControlBase() override;

    void CloseDevices() override;
    qint32 PlayFile(const QString& path, qint32 device, qint32 rate = 0) final;
    bool IsPlaying() const final { return m_playing; }
    qint32 StopPlay() final;
    qint32 StartRecord(const QString& device, const QString& path, const WaveFormat& captureFormat,
        const WaveFormat& fileFormat, qint32& rate, bool wait) final;
    bool IsRecording() const final { return m_recording != nullptr; }
    qint32 StopRecord() final;
    QString RecordErrorText(qint32 code) const final;

protected:
    // Starts the checked playback on its device. When it ends by itself the
    // back-end calls playbackEnded(id) on the event loop.
    virtual qint32 startPlayback(const WavePlayback& playback, QString* detail) = 0;
    virtual void stopPlayback() = 0;
    // A sound card's capture device; the base records lines itself.
    virtual std::unique_ptr<AudioCapture> openCapture(
        const QString& device, const WaveFormat& format, qint32* code, QString* detail);
    void playbackEnded(quint64 id);
    // Ends what runs without raising anything; for destructors of back-ends.
    void shutDown();

private:
    qint32 failed(qint32 code, const QString& detail);
    void drain();

    struct Recording {
        std::unique_ptr<AudioCapture> capture;
        WaveFileWriter writer;
        quint16 fileChannels = 1;
        QString failure;
    };

    bool m_playing = false;
    quint64 m_playId = 0;
    std::unique_ptr<Recording> m_recording;
    QTimer m_recordTimer;
    // The detail of the last failure of each code, for RecordErrorText.
    QHash<qint32, QString> m_details;
};
