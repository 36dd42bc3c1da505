#pragma once

#include "platform/SpeechEngine.h"

#include <QHash>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class Journal;
class SpeechSynthesizer;
class WaveControl;
struct PcmSound;

// The service's speech engine. Loading it publishes today's voices under
// TTS51; it speaks on the sound card through a wave control of its own (never
// the line engine's, whose PlayDone chains the incoming-call alert) and saves
// texts as 8 kHz 16-bit mono wave files. Synthesis runs on the voice's worker
// thread; the sound is played or written when it comes back.
class frmTTS final : public SpeechEngine {
    Q_OBJECT
public:
    // Takes voice and wave; journal outlives it.
    frmTTS(SpeechSynthesizer* voice, WaveControl* wave, const Journal& journal, QObject* parent = nullptr);
    // Stops speaking, ends the voice's worker and removes the temporary files.
    ~frmTTS() override;

    void SpeakIt(const QString& sToSay, qint32 DeviceIndex) override;
    void SetRate(qint32 nVal) override;
    void TTSSetVoice(qint32 lVoice) override;
    void StopSpeak() override;
    void SaveTextToWav(const QString& sText, const QString& sFileToSave, qint32 lDeviceIndex) override;

    // The sound device that speech goes to.
    qint32 outputDevice() const { return m_device; }

private:
    // TTS51 made to hold exactly the voices, by name, in their order.
    void PublishVoices(const QStringList& names);
    // Speech to DeviceIndex from now on; a device that is not there keeps the
    // previous one and, when journal is set, writes "ErrSetTTSLineOutput:".
    bool SetTTSLineOutput(qint32 DeviceIndex, bool journal);
    void onSynthesized(quint64 job, const PcmSound& sound);
    void onFailed(quint64 job, const QString& error);
    void play(const PcmSound& sound);

    std::unique_ptr<SpeechSynthesizer> m_voice;
    WaveControl* m_wave = nullptr;
    const Journal& m_journal;
    QTemporaryDir m_temp;
    qint32 m_device = 0;
    quint64 m_speaking = 0; // the job being made for the sound card, 0 none
    QHash<quint64, QString> m_saving; // jobs being made for a file, with its path
};
