#pragma once

#include <QString>

#include <vector>

// Sound that arrives from a line's far end, which a recorder on the line's
// wave input (the device GetDeviceID(WaveIn) names) takes as it arrives.
class LineAudioSource {
public:
    virtual ~LineAudioSource() = default;
    // Up to maxSamples of the far end's sound, in LineAudio's format, that the
    // line carries now; empty while the far end sends nothing.
    virtual std::vector<qint16> takeFarEndSamples(qsizetype maxSamples) = 0;
};

// The wave inputs of line devices in this process, by device name.
namespace LineAudio {
// A telephone line carries 8000 Hz mono sound.
inline constexpr quint32 SamplesPerSec = 8000;
void registerSource(const QString& device, LineAudioSource* source);
// Forgets the device only while it still names this source.
void unregisterSource(const QString& device, LineAudioSource* source);
LineAudioSource* source(const QString& device);
} // namespace LineAudio
