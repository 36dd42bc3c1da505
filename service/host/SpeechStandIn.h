#pragma once

#include "platform/SpeechEngine.h"

class Journal;

// Holds the speech engine's place until the real one exists: says nothing,
// and journals that whenever it is asked to speak.
class SpeechStandIn final : public SpeechEngine {
    Q_OBJECT
public:
    explicit SpeechStandIn(const Journal& journal, QObject* parent = nullptr)
        : SpeechEngine(parent)
        , m_journal(journal)
    {
    }

    void SpeakIt(const QString& sToSay, qint32 DeviceIndex) override;
    void SetRate(qint32) override { }
    void TTSSetVoice(qint32) override { }
    void StopSpeak() override { }
    void SaveTextToWav(const QString& sText, const QString& sFileToSave, qint32 lDeviceIndex) override;

private:
    const Journal& m_journal;
};
