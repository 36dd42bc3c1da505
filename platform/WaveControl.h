#pragma once

#include "common/WaveFormats.h"

#include <QObject>
#include <QString>

// A sound output device, as GetOutDeviceCaps reports it.
struct OutDeviceCaps {
    QString DeviceName;
    // The device can play what this system plays; only such devices are offered.
    bool Playable = false;
};

// Result codes of the wave members; 0 is success.
namespace WaveResult {
inline constexpr qint32 Ok = 0;
inline constexpr qint32 NoFile = 1;
inline constexpr qint32 BadFile = 2;
inline constexpr qint32 NoDevice = 3;
inline constexpr qint32 DeviceFailed = 4;
inline constexpr qint32 Busy = 5;
inline constexpr qint32 UnsupportedFormat = 6;
inline constexpr qint32 CannotWrite = 7;
inline constexpr qint32 NotRecording = 8;
inline constexpr qint32 NotPlaying = 9;
} // namespace WaveResult

// Wave audio (Wave1, WavePlayer of the forms): the sound card's output
// devices, playing files on them, and recording a wave input (a sound card's
// or a line's) into a file.
class WaveControl : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void InitDevices() = 0;
    virtual void CloseDevices() = 0;
    virtual qint32 OutDeviceCount() const = 0;
    // False (caps cleared) for an index that is not a device.
    virtual bool GetOutDeviceCaps(qint32 index, OutDeviceCaps& caps) const = 0;

    // Starts playing the file on the output device: 0 when started, non-zero
    // when not (missing or unreadable file, no such device). A started
    // playback raises PlayDone exactly once, later, when it ends or is
    // stopped; one started while another runs stops the first. The rate
    // argument is accepted for the callers' sake; the file's own rate is used.
    [[nodiscard]] virtual qint32 PlayFile(const QString& path, qint32 device, qint32 rate = 0) = 0;
    virtual bool IsPlaying() const = 0;
    [[nodiscard]] virtual qint32 StopPlay() = 0;

    // Records the input device (a line's wave input from GetDeviceID, or a
    // sound card's capture device) into a new wave file in fileFormat until
    // StopRecord. captureFormat says how to take the sound from a sound card;
    // rate is set to the file's rate; the last argument is accepted and unused.
    [[nodiscard]] virtual qint32 StartRecord(const QString& device, const QString& path,
        const WaveFormat& captureFormat, const WaveFormat& fileFormat, qint32& rate, bool wait)
        = 0;
    virtual bool IsRecording() const = 0;
    // Ends the recording; the file is complete when this returns 0.
    [[nodiscard]] virtual qint32 StopRecord() = 0;
    virtual QString RecordErrorText(qint32 code) const = 0;

signals:
    void PlayDone();
};
